#pragma once
// Causal FIR convolution from a zero state, keeping as many outputs as inputs:
// y(n) = sum_k b(k) x(n - k) for n = 0 ... L-1, along each column of X.

#include <armadillo>

// X: L x K, one signal per column. Returns L x K. An empty b gives zeros.
arma::mat convolucionCausalDirecta(const arma::vec& b, const arma::mat& X);
