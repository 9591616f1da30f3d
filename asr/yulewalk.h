#pragma once
// Recursive filter design by the modified Yule-Walker method (Friedlander and
// Porat): a denominator from the extended Yule-Walker equations of the desired
// power spectrum, then a numerator fitted to the minimum-phase factor of the
// spectrum's remainder.

#include <cstdint>

#include <armadillo>

// orden: filter order (na = nb). f: breakpoints as fractions of the Nyquist
// frequency, from 0 to 1, non-decreasing; m: desired magnitudes at f (same
// length). Writes B and A (orden + 1 coefficients each, A(0) = 1).
// Throws std::invalid_argument for an order below 1, lengths that differ,
// f not starting at 0 or not ending at 1, or f decreasing.
void yulewalk(int orden, const arma::vec& f, const arma::vec& m, arma::vec& B, arma::vec& A);

// The ASR spectral-shaping filter for a sampling rate: order 8, gains 3, 0.75,
// 0.33, 0.33, 1, 1, 3, 3 at 0, 2, 3, 13, 16, 40, min(80, srate/2 - 1) Hz and
// the Nyquist frequency. Throws std::invalid_argument below 82 Hz, where the
// breakpoints would go backwards.
void filtroConformacion(int32_t frecuencia, arma::vec& B, arma::vec& A);
