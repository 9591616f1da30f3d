#pragma once
// Causal FIR convolution from a zero state, keeping as many outputs as inputs:
// y(n) = sum_k b(k) x(n - k) for n = 0 ... L-1, along each column of X.
// Two methods give the same numbers up to rounding: a direct sum and an
// overlap-save FFT convolution; convolucionCausal picks the cheaper one.

#include <armadillo>

// X: L x K, one signal per column. Returns L x K. An empty b gives zeros.
arma::mat convolucionCausalDirecta(const arma::vec& b, const arma::mat& X);
arma::mat convolucionCausalFFT(const arma::vec& b, const arma::mat& X);
arma::mat convolucionCausal(const arma::vec& b, const arma::mat& X);

// True when the FFT method is expected to be faster for a kernel of w taps
// over signals of L samples.
bool convolucionPorFFT(arma::uword w, arma::uword L);
