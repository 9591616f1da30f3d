#pragma once
// Linear convolution with a fixed impulse response by FFT overlap-add, for
// filters long enough that the direct sum costs more than the transforms
// (the cost per output goes from L products to a few times log2 N).

#include <complex>
#include <memory>
#include <vector>

#include <armadillo>

class ConvolucionSolapada {
public:
    // b: the impulse response (L > 0 coefficients); longitudEntrada: the
    // number of input samples a call to valida() takes (prefix included),
    // which sets the block size. Throws std::invalid_argument for an empty b.
    ConvolucionSolapada(const arma::vec& b, arma::uword longitudEntrada);
    ~ConvolucionSolapada();
    ConvolucionSolapada(const ConvolucionSolapada&) = delete;
    ConvolucionSolapada& operator=(const ConvolucionSolapada&) = delete;

    // The outputs that x covers entirely: y[n] = sum_k b[k] x[n + L-1 - k] for
    // n = 0 ... E-L, where x holds E = longitudEntrada >= L samples
    // (contiguous) and y has room for E-L+1. The numbers differ from the direct
    // sum only by rounding (about 1e-15 of the signal's scale).
    void valida(const double* x, double* y);

    arma::uword tamanoBloque() const { return n_; }

private:
    struct Planes;
    arma::uword l_;        // taps
    arma::uword e_;        // input samples per call
    arma::uword n_;        // transform size
    arma::uword bloque_;   // input samples per block: n_ - l_ + 1
    std::vector<std::complex<double>> respuesta_;  // FFT of b, scaled by 1/n_
    std::unique_ptr<Planes> planes_;
};
