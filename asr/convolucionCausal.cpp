#include "asr/convolucionCausal.h"

#include <algorithm>

arma::mat convolucionCausalDirecta(const arma::vec& b, const arma::mat& X) {
    const arma::uword L = X.n_rows, w = b.n_elem;
    arma::mat Y(L, X.n_cols, arma::fill::zeros);
    if (w == 0 || L == 0) return Y;
    for (arma::uword c = 0; c < X.n_cols; ++c) {
        const double* x = X.colptr(c);
        double* y = Y.colptr(c);
        for (arma::uword n = 0; n < L; ++n) {
            const arma::uword kmax = std::min(w - 1, n);
            double s = 0.0;
            for (arma::uword k = 0; k <= kmax; ++k) s += b[k] * x[n - k];
            y[n] = s;
        }
    }
    return Y;
}
