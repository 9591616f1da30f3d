#include "mara/caracteristicasEspaciales.h"

#include <stdexcept>
#include <string>

arma::mat caracteristicasEspaciales(const arma::mat& P, const arma::mat& M) {
    if (P.is_empty())
        throw std::invalid_argument("caracteristicasEspaciales: no hay mapas de cuero cabelludo");
    if (M.n_cols != P.n_rows)
        throw std::invalid_argument("caracteristicasEspaciales: el operador tiene " + std::to_string(M.n_cols) +
                                    " columnas y los mapas " + std::to_string(P.n_rows) + " filas");
    arma::mat Pn = P;
    Pn.each_row() /= arma::stddev(P, 0, 0);

    arma::mat F(2, P.n_cols);
    F.row(0) = arma::log(arma::sqrt(arma::sum(arma::square(M * Pn), 0)));
    F.row(1) = arma::log(arma::max(Pn, 0) - arma::min(Pn, 0));
    return F;
}
