#pragma once
// Two-group linear discriminant with pooled covariance.

#include <armadillo>

struct ClasificacionLineal {
    arma::uvec clases;        // per sample: 0 for group label 1, 1 for group label 2
    arma::mat discriminante;  // samples x 2: ln prior - 0.5 (Mahalanobis^2 + ln det), -inf for an unused group
    arma::mat posterior;      // samples x 2, rows summing to 1
    double errorEntrenamiento = 0.0;  // prior-weighted resubstitution error
};

// muestra: k x d samples (one per row); entrenamiento: n x d training rows;
// etiquetas: n labels, each 1 or 2. Groups with no training row take no part
// (priors are 1/number of used groups); ties go to group label 1.
// Writes "error, ntraining too small" to standard output and throws
// std::runtime_error when n is below the number of used groups; writes
// "error, bad linear var" and goes on when the pooled covariance is (nearly)
// singular. Throws std::invalid_argument for mismatched sizes or a label
// other than 1 and 2, and when n < d (no square covariance factor).
ClasificacionLineal clasificarLineal(const arma::mat& muestra, const arma::mat& entrenamiento,
                                     const arma::rowvec& etiquetas);
