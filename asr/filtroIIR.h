#pragma once
// Recursive filtering along time with initial and final state, as the
// numerical engine's filter(B, A, X, zi, 2) does it (direct form II
// transposed; A is normalised by A(0)).

#include <armadillo>

#include "io/progreso.h"

// X: C x S, filtered along each row. zi: (n - 1) x C with n = max(len A, len B),
// or empty for a zero state. Returns Y (C x S) and writes the final state to zf
// ((n - 1) x C). avance hears the samples done. Throws std::invalid_argument
// for A(0) == 0 or a zi of the wrong shape.
arma::mat filtrarIIR(const arma::vec& B, const arma::vec& A, const arma::mat& X, const arma::mat& zi,
                     arma::mat& zf, const Avance& avance = Avance());
