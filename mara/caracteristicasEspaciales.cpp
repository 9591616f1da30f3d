#include "mara/caracteristicasEspaciales.h"

#include <stdexcept>
#include <string>

arma::mat caracteristicasEspaciales(const arma::mat& P, const arma::mat& M) {
    if (P.is_empty())
        throw std::invalid_argument("no hay mapas de cuero cabelludo");
    if (M.n_cols != P.n_rows)
        throw std::invalid_argument("el operador tiene " + std::to_string(M.n_cols) +
                                    " columnas y los mapas " + std::to_string(P.n_rows) + " filas");
    arma::mat Pn = P;
    Pn.each_row() /= arma::stddev(P, 0, 0);

    arma::mat F(2, P.n_cols);
    // ||M p||^2 = p' (M'M) p: M has thousands of rows (3 per source) but only
    // as many columns as electrodes, so the small Gram matrix is far cheaper
    // than M P when P holds the whole training set.
    const arma::mat gram = M.t() * M;
    F.row(0) = 0.5 * arma::log(arma::sum(Pn % (gram * Pn), 0));
    F.row(1) = arma::log(arma::max(Pn, 0) - arma::min(Pn, 0));
    return F;
}
