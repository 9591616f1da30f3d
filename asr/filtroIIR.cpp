#include "asr/filtroIIR.h"

#include <stdexcept>
#include <string>

arma::mat filtrarIIR(const arma::vec& B, const arma::vec& A, const arma::mat& X, const arma::mat& zi,
                     arma::mat& zf, const Avance& avance) {
    if (A.is_empty() || B.is_empty())
        throw std::invalid_argument("los coeficientes B y A no pueden estar vacíos");
    if (A(0) == 0.0) throw std::invalid_argument("el primer coeficiente de A es 0");
    const arma::uword n = std::max(A.n_elem, B.n_elem);
    const arma::uword orden = n - 1;
    const arma::uword canales = X.n_rows;
    if (!zi.is_empty() && (zi.n_rows != orden || zi.n_cols != canales))
        throw std::invalid_argument("el estado inicial debe ser de " + std::to_string(orden) + " x " +
                                    std::to_string(canales) + " y es de " + std::to_string(zi.n_rows) + " x " +
                                    std::to_string(zi.n_cols));

    // Both coefficient vectors are padded to n and normalised by A(0), as the engine does.
    arma::vec b(n, arma::fill::zeros), a(n, arma::fill::zeros);
    b.head(B.n_elem) = B / A(0);
    a.head(A.n_elem) = A / A(0);

    if (X.is_empty()) {  // nothing to filter: the state passes through
        zf = zi.is_empty() ? arma::mat(orden, canales, arma::fill::zeros) : zi;
        return arma::mat(X.n_rows, X.n_cols);
    }

    // Sample by sample over all channels: the columns of X and Y are read and
    // written in memory order, and no transposed copy is needed.
    arma::mat Y(canales, X.n_cols);
    arma::mat z(orden + 1, canales, arma::fill::zeros);  // z(orden, c) stays 0
    if (!zi.is_empty()) z.rows(0, orden - 1) = zi;
    const double* bp = b.memptr();
    const double* ap = a.memptr();
    for (arma::uword s = 0; s < X.n_cols; ++s) {
        const double* x = X.colptr(s);
        double* y = Y.colptr(s);
        for (arma::uword c = 0; c < canales; ++c) {
            double* zc = z.colptr(c);
            const double xs = x[c];
            const double ys = bp[0] * xs + zc[0];
            // Direct form II transposed.
            for (arma::uword k = 0; k < orden; ++k) zc[k] = bp[k + 1] * xs + zc[k + 1] - ap[k + 1] * ys;
            y[c] = ys;
        }
        if (s % 4096 == 4095) avance(static_cast<double>(s), static_cast<double>(X.n_cols));
    }
    zf = orden > 0 ? arma::mat(z.rows(0, orden - 1)) : arma::mat(0, canales);
    return Y;
}
