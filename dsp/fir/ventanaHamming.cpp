#include "dsp/fir/ventanaHamming.h"

#include <array>
#include <cmath>

arma::vec ventanaHamming(arma::uword n) {
    if (n == 0) return arma::vec();
    if (n == 1) return arma::vec{1.0};
    // The general cosine-sum form with only the first two terms non-zero; the
    // later terms are kept so the window reads like its textbook definition.
    constexpr std::array<double, 5> a{0.54, 0.46, 0.0, 0.0, 0.0};
    const double paso = 2.0 * M_PI / static_cast<double>(n - 1);
    arma::vec w(n);
    for (arma::uword i = 0; i < n; ++i) {
        const double x = paso * static_cast<double>(i);
        w(i) = a[0] - a[1] * std::cos(x) + a[2] * std::cos(2.0 * x) - a[3] * std::cos(3.0 * x) +
               a[4] * std::cos(4.0 * x);
    }
    return w;
}
