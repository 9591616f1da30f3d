#pragma once
// MARA's two spatial features of a set of scalp maps.

#include <armadillo>

// P: nMatched x Q scalp maps (one column per component, rows in matching
// order); M: 3*nS x nMatched current-density operator. Each column is divided
// by its standard deviation (count minus one) first. Returns 2 x Q:
// row 0 = ln ||M p||_2, row 1 = ln(max p - min p).
// Throws std::invalid_argument when the shapes do not fit or P is empty.
arma::mat caracteristicasEspaciales(const arma::mat& P, const arma::mat& M);
