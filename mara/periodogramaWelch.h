#pragma once
// Welch power spectral density estimate, one-sided.

#include <armadillo>

struct EspectroWelch {
    arma::vec pxx;   // one-sided density, power per Hz
    arma::vec freq;  // bin frequencies, j * rate / nfft
};

// x: the signal (any vector shape); ventana: segment window of length L
// (segments overlap by floor(L/2)); nfft: DFT length (segments are zero-padded
// or cut to it); rate: sampling rate in Hz. Each segment's periodogram is
// |DFT(segment .* window)|^2 / sum(window^2); the average over the
// (n - floor(L/2)) div (L - floor(L/2)) segments is folded to one side
// (doubling all but DC and, for even nfft, Nyquist) and divided by rate.
// Computed by densidadWelch (frecuencial/welch.h) without mean removal.
// Throws std::invalid_argument for an empty window, nfft < 1, rate <= 0 or a
// signal shorter than the window (no segment).
EspectroWelch espectroWelch(const arma::vec& x, const arma::vec& ventana, arma::uword nfft, double rate);
