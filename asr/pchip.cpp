#include "asr/pchip.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// Sign of a·b without overflow: -1, 0 or 1.
double signoProducto(double a, double b) {
    return (a > 0 ? 1.0 : (a < 0 ? -1.0 : 0.0)) * (b > 0 ? 1.0 : (b < 0 ? -1.0 : 0.0));
}

// Slopes at the breakpoints (SLATEC PCHIM).
arma::vec pendientesPchip(const arma::vec& x, const arma::vec& y) {
    const arma::uword n = x.n_elem;
    arma::vec d(n, arma::fill::zeros);
    double h1 = x(1) - x(0);
    double del1 = (y(1) - y(0)) / h1;
    if (n == 2) {
        d.fill(del1);
        return d;
    }
    double h2 = x(2) - x(1);
    double del2 = (y(2) - y(1)) / h2;
    double hsum = h1 + h2;
    // First point: shape-preserving three-point formula.
    double w1 = (h1 + hsum) / hsum;
    double w2 = -h1 / hsum;
    d(0) = w1 * del1 + w2 * del2;
    if (signoProducto(d(0), del1) <= 0) {
        d(0) = 0;
    } else if (signoProducto(del1, del2) < 0) {
        const double dmax = 3 * del1;
        if (std::abs(d(0)) > std::abs(dmax)) d(0) = dmax;
    }
    // Interior points: weighted harmonic mean where the data is monotone, 0 at extrema.
    for (arma::uword i = 1; i + 1 < n; ++i) {
        if (i > 1) {
            h1 = h2;
            h2 = x(i + 1) - x(i);
            hsum = h1 + h2;
            del1 = del2;
            del2 = (y(i + 1) - y(i)) / h2;
        }
        d(i) = 0;
        if (signoProducto(del1, del2) > 0) {
            const double hsumt3 = 3 * hsum;
            w1 = (hsum + h1) / hsumt3;
            w2 = (hsum + h2) / hsumt3;
            const double dmax = std::max(std::abs(del1), std::abs(del2));
            const double dmin = std::min(std::abs(del1), std::abs(del2));
            const double drat1 = del1 / dmax, drat2 = del2 / dmax;
            d(i) = dmin / (w1 * drat1 + w2 * drat2);
        }
    }
    // Last point.
    w1 = -h2 / hsum;
    w2 = (h2 + hsum) / hsum;
    d(n - 1) = w1 * del1 + w2 * del2;
    if (signoProducto(d(n - 1), del2) <= 0) {
        d(n - 1) = 0;
    } else if (signoProducto(del1, del2) < 0) {
        const double dmax = 3 * del2;
        if (std::abs(d(n - 1)) > std::abs(dmax)) d(n - 1) = dmax;
    }
    return d;
}

}  // namespace

arma::vec interpolarPchip(const arma::vec& x, const arma::vec& y, const arma::vec& xi) {
    if (x.n_elem != y.n_elem)
        throw std::invalid_argument("puntos y valores de distinta longitud");
    if (x.n_elem < 2) throw std::invalid_argument("hacen falta al menos dos puntos");
    for (arma::uword i = 1; i < x.n_elem; ++i)
        if (!(x(i) > x(i - 1)))
            throw std::invalid_argument("los puntos deben ser estrictamente crecientes");

    const arma::vec d = pendientesPchip(x, y);
    const arma::uword tramos = x.n_elem - 1;
    arma::vec yi(xi.n_elem);
    for (arma::uword k = 0; k < xi.n_elem; ++k) {
        const double v = xi(k);
        // Interval j with x(j) <= v < x(j+1); the ends extend the first and last pieces.
        const arma::uword j = static_cast<arma::uword>(
            std::upper_bound(x.begin() + 1, x.begin() + tramos, v) - (x.begin() + 1));
        const double h = x(j + 1) - x(j);
        const double delta = (y(j + 1) - y(j)) / h;
        const double del1 = (d(j) - delta) / h;
        const double del2 = (d(j + 1) - delta) / h;
        const double c3 = (del1 + del2) / h;
        const double c2 = -(del1 + del2) - del1;
        const double s = v - x(j);
        yi(k) = ((c3 * s + c2) * s + d(j)) * s + y(j);
    }
    return yi;
}
