#pragma once
// Zero-phase FIR filtering of every channel of a matrix, each on its own: the
// filter the EEG step applies. A linear-phase design delays its input by
// (L - 1) / 2 samples; removing that delay keeps every wave on its event, and
// filtering each channel alone keeps one channel out of the next.

#include <armadillo>

#include "io/progreso.h"

// y(c, n) = sum_k b[k] x~(c, n + (L - 1)/2 - k) for every row c of `entrada`
// (channels x samples, one column per time point) and every n: output n is
// centred on input n. Past each end the row is extended by its odd reflection
// about the end sample (2 x(0) - x(j), 2 x(S-1) - x(S-1-j)), limited to the
// S - 1 samples the row has and zero beyond, as MNE-Python's default
// "reflect_limited" padding; a constant or a straight line therefore passes
// a low-pass unchanged up to its ends, and leaves no edge transient after a
// high-pass. Computed by FFT overlap-save on two threads; the numbers are the
// same bits on every run and differ from the direct sum only by rounding
// (about 1e-15 of the signal's scale). `avance` hears the fraction of samples
// done, on the calling thread, and may throw Cancelado. Throws
// std::invalid_argument for an even or empty b.
arma::mat filtrarFilasFaseCero(const arma::vec& b, const arma::mat& entrada, const Avance& avance = Avance());
// The same into `salida`, resized to the input's size (its memory is reused
// when it already has that size). `salida` must not be `entrada`.
void filtrarFilasFaseCero(const arma::vec& b, const arma::mat& entrada, arma::mat& salida,
                          const Avance& avance = Avance());
