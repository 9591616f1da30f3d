#include "asr/filtroIIR.h"

#include <stdexcept>
#include <string>

arma::mat filtrarIIR(const arma::vec& B, const arma::vec& A, const arma::mat& X, const arma::mat& zi,
                     arma::mat& zf) {
    if (A.is_empty() || B.is_empty())
        throw std::invalid_argument("filtrarIIR: los coeficientes B y A no pueden estar vacíos");
    if (A(0) == 0.0) throw std::invalid_argument("filtrarIIR: el primer coeficiente de A es 0");
    const arma::uword n = std::max(A.n_elem, B.n_elem);
    const arma::uword orden = n - 1;
    const arma::uword canales = X.n_rows;
    if (!zi.is_empty() && (zi.n_rows != orden || zi.n_cols != canales))
        throw std::invalid_argument("filtrarIIR: el estado inicial debe ser de " + std::to_string(orden) + " x " +
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

    // One channel at a time over contiguous columns of the transpose.
    const arma::mat Xt = X.t();
    arma::mat Yt(Xt.n_rows, Xt.n_cols);
    zf.zeros(orden, canales);
    arma::vec z(orden + 1);
    for (arma::uword c = 0; c < canales; ++c) {
        z.zeros();
        if (!zi.is_empty()) z.head(orden) = zi.col(c);
        const double* x = Xt.colptr(c);
        double* y = Yt.colptr(c);
        // Direct form II transposed: z(k) holds the delayed partial sums; z(orden) stays 0.
        for (arma::uword s = 0; s < Xt.n_rows; ++s) {
            const double xs = x[s];
            const double ys = b[0] * xs + z[0];
            for (arma::uword k = 0; k < orden; ++k) z[k] = b[k + 1] * xs + z[k + 1] - a[k + 1] * ys;
            y[s] = ys;
        }
        zf.col(c) = z.head(orden);
    }
    return Yt.t();
}
