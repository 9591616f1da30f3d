#pragma once
// Drift removal: zero-phase FIR high-pass (transition 0.25-0.75 Hz, 80 dB
// stop band) designed by frequency sampling with a Kaiser window, applied
// forward and backward over each channel padded by odd reflection.

#include <cstdint>

#include <armadillo>

#include "asr/ContextoASR.h"
#include "io/EEG.h"
#include "io/progreso.h"

// The kernel for a sampling rate (odd length: 1287 taps at 256 Hz, 1257 at 250,
// 2511 at 500, 503 at 100). Throws std::invalid_argument for a rate of 1 Hz or
// below, where the band edges pass the Nyquist frequency.
arma::vec nucleoDeriva(int32_t frecuencia);

// How the two convolution passes run; both give the same numbers up to rounding.
// fft: one FFT convolution with the kernel's autocorrelation (recordings at
// least as long as the kernel; shorter ones take the direct sums);
// automatico: the same.
enum class MetodoConvolucion { automatico, directo, fft };

// datos: C x S (one row per channel). Returns the C x S drift-free matrix;
// a recording shorter than the kernel is padded with wrapped reflections.
// An empty matrix comes back empty. Throws std::invalid_argument as nucleoDeriva.
// `metodo` forces a convolution method (tests); the default picks the cheaper.
arma::mat eliminarDeriva(const arma::mat& datos, int32_t frecuencia,
                         MetodoConvolucion metodo = MetodoConvolucion::automatico);

// The same into `salida`, whose memory is reused when it already holds C x S
// elements (a second pass over the same recording allocates nothing).
// avance hears the channels filtered.
void eliminarDeriva(const arma::mat& datos, int32_t frecuencia, arma::mat& salida,
                    MetodoConvolucion metodo = MetodoConvolucion::automatico, const Avance& avance = Avance());

// The record's first matrix filtered, as a record derived from it.
// Throws std::invalid_argument for a record without data or as above.
EEG eliminarDeriva(const EEG& eeg, const Avance& avance = Avance());

// First stage of an ASR run: ctx.trabajo = drift-free ctx.entrada.
// Throws std::invalid_argument when the context has no input branch.
void eliminarDeriva(ContextoASR& ctx, const Avance& avance = Avance());
