#include "averaging/car.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace {

// Error-free addition (Knuth's TwoSum): s + e == a + b exactly.
inline void sumaExacta(double a, double b, double& s, double& e) {
    s = a + b;
    const double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

}  // namespace

arma::mat referenciaPromedioComun(const arma::mat& X, const Avance& avance) {
    const arma::uword n = X.n_rows;
    if (n == 1)
        throw std::invalid_argument("la rama tiene un solo canal; hacen falta al menos dos para "
                                    "restar la media de los demás");
    arma::mat Y(n, X.n_cols);
    if (n == 0) return Y;

    // The mean of the other n - 1 channels is (S - X(i, t)) / (n - 1), with S
    // the sum over all channels: linear in channels x samples instead of
    // re-averaging n - 1 rows per channel. S is kept as an unevaluated pair
    // hi + lo (compensated sum), so that S - X(i, t) stays accurate even when
    // channel i dominates the sum (a detached or saturated electrode), where
    // a plain sum would lose the other channels to cancellation.
    const double divisor = static_cast<double>(n - 1);
    for (arma::uword t = 0; t < X.n_cols; ++t) {
        // A block of 4096 samples is well under a millisecond of work.
        if (t % 4096 == 0) avance(static_cast<double>(t) / static_cast<double>(X.n_cols));
        const double* x = X.colptr(t);
        double hi = 0.0, lo = 0.0;
        for (arma::uword i = 0; i < n; ++i) {
            double e;
            sumaExacta(hi, x[i], hi, e);
            lo += e;
        }
        double* y = Y.colptr(t);
        for (arma::uword i = 0; i < n; ++i) y[i] = x[i] - ((hi - x[i]) + lo) / divisor;
    }
    avance(1.0);
    return Y;
}

EEG aplicarCAR(const EEG& eeg, const Avance& avance) {
    arma::mat Y = referenciaPromedioComun(eeg.datos(), avance);
    // Derive with an empty matrix and move Y in: a one-hour, 64-channel
    // branch is half a gigabyte, not worth a second copy.
    EEG resultado = derivarEEG(eeg, arma::mat());
    resultado.matrices.front() = std::move(Y);
    return resultado;
}
