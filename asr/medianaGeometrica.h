#pragma once
// Geometric median by Weiszfeld's iteration.

#include <armadillo>

// puntos: P x n, one point per column. pesos: P non-negative weights of the
// coordinates in the distance (sqrt(sum_p pesos_p d_p^2)); empty means all 1.
// Starts from the mean; each step is the mean of the points weighted by
// 1 / distance to the estimate; stops when |new - old| / |new| < tolerancia or
// after maxIteraciones. A point that coincides with the estimate gets a large
// finite weight instead of an infinite one. Throws std::invalid_argument for
// no points or weights of the wrong length.
arma::vec medianaGeometrica(const arma::mat& puntos, const arma::vec& pesos = arma::vec(), double tolerancia = 1e-5,
                            int maxIteraciones = 500);
