#pragma once
// Causal FIR convolution from a zero state, keeping as many outputs as inputs:
// y(n) = sum_k b(k) x(n - k) for n = 0 ... L-1, along each column of X.
// Two methods give the same numbers up to rounding: a direct sum and an
// overlap-save FFT convolution; convolucionCausal picks the cheaper one.

#include <complex>

#include <armadillo>

#include "asr/transformadaFourier.h"

// X: L x K, one signal per column. Returns L x K. An empty b gives zeros.
arma::mat convolucionCausalDirecta(const arma::vec& b, const arma::mat& X);
arma::mat convolucionCausalFFT(const arma::vec& b, const arma::mat& X);
arma::mat convolucionCausal(const arma::vec& b, const arma::mat& X);

// Overlap-save FFT convolution with a fixed kernel and reused buffers, for
// filtering many signals of the same kernel. Filters a complex signal: with a
// real kernel its real and imaginary parts are two independent signals.
class ConvolucionFFT {
public:
    explicit ConvolucionFFT(const arma::vec& b);  // throws std::invalid_argument for an empty b
    // y(0 ... L-1) = causal convolution of x(0 ... L-1); x and y must not overlap.
    void aplicar(const std::complex<double>* x, std::complex<double>* y, arma::uword L);

private:
    arma::uword w_;
    PlanFFT plan_;
    arma::cx_vec bf_, segmento_;
};

// True when the FFT method is expected to be faster for a kernel of w taps
// over signals of L samples.
bool convolucionPorFFT(arma::uword w, arma::uword L);
