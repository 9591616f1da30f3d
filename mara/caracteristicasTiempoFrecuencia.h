#pragma once
// MARA's four time/frequency features of the independent components.

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <armadillo>

#include "io/progreso.h"

// Downsampling factor max(floor(fs / 100), 1).
int factorDiezmado(int32_t fs);

// fs / factor rounded to the nearest whole number (halves away from zero).
double frecuenciaDiezmada(int32_t fs);

// Number of columns kept by the downsampling of `muestras` samples.
arma::uword muestrasDiezmadas(int64_t muestras, int32_t fs);

// Local-skewness windows of a signal of T' samples at fs' Hz: first and last
// sample position (both included) of each one. 15-second windows start at
// 1, 16, 31, ... s while start <= T'/fs' - 15; when there is none, the interval
// becomes floor(T'/fs') - 1 seconds. A last position beyond the signal is
// clipped to its last sample.
// Throws std::invalid_argument when the signal is too short for any window
// (under 2 s, where that interval would be zero or negative).
std::vector<std::pair<arma::uword, arma::uword>> ventanasAsimetria(arma::uword muestras, double fs);

// The six points the 1/f curve is fitted to, from a dB spectrum with one bin
// per whole Hz: (2, 3, x3, x3 - 1, x5, x5 + 1) and their dB values, x3 being
// the frequency of the first bin equal to the minimum over 4 < f < 14 and x5
// that of the minimum over 32 < f < 40 (so the lower one wins a tie).
// Throws std::invalid_argument when a bin needed is missing.
struct PuntosAjuste {
    std::array<double, 6> x{}, y{};
};
PuntosAjuste puntosAjusteCurva(const arma::vec& dB, const arma::vec& freq);

// The checks of caracteristicasTiempoFrecuencia on the input size alone, so a
// caller can refuse a doomed input before any costly step: at least 80 Hz
// after downsampling (the fit uses bins up to 40 Hz), one Welch segment and
// one skewness window. Throws std::invalid_argument with the reason.
void comprobarEntradaTiempoFrecuencia(int64_t muestras, int32_t fs);

// X: C x T samples as stored (one column per time point); fs: sampling rate;
// W: Q x C weights, S: C x C sphere. Returns 4 x Q: rows mean local skewness
// (log), lambda (fitted exponent p1), 8-13 Hz mean dB, log fit error.
// The curve fits' random starts draw from `generador`; avance hears the
// components done. Throws std::invalid_argument for an input refused by
// comprobarEntradaTiempoFrecuencia or matrices of mismatched sizes.
arma::mat caracteristicasTiempoFrecuencia(const arma::mat& X, int32_t fs, const arma::mat& W, const arma::mat& S,
                                          std::mt19937& generador, const Avance& avance = Avance());
