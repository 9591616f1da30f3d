#pragma once
// Rational resampling by polyphase filtering: each row is upsampled by
// `sube`, low-passed by a Kaiser-windowed sinc and downsampled by `baja`,
// computing only the outputs that are kept. Same numbers as
// scipy.signal.resample_poly(x, sube, baja) with its default window
// ('kaiser', 5.0) and zero padding past the ends.

#include <armadillo>

#include "io/progreso.h"

// The up and down factors from one rate to another, divided by their
// greatest common divisor (1000 -> 256 Hz: 32 / 125). Throws
// std::invalid_argument for a rate of 0 or below.
struct FactoresRemuestreo {
    int sube = 1;
    int baja = 1;
};
FactoresRemuestreo factoresRemuestreo(int frecuenciaOrigen, int frecuenciaDestino);

// Symmetric Kaiser window of n points:
//   w(i) = I0(beta sqrt(1 - (2 i / (n - 1) - 1)^2)) / I0(beta);  n = 1 gives [1].
arma::vec ventanaKaiser(arma::uword n, double beta);

// The anti-alias filter applied at the upsampled rate: 2H + 1 taps,
// H = 10 max(sube, baja), cut-off at 1 / max(sube, baja) of that rate's
// Nyquist frequency, Kaiser window with beta 5, scaled to a gain of `sube` at
// 0 Hz (upsampling by zero insertion divides the gain by `sube`). Factors are
// taken as given (reduce them first). Throws std::invalid_argument for a
// factor below 1 or filters too long to build (max factor above 100000).
arma::vec filtroRemuestreo(int sube, int baja);

// ceil(n sube / baja): the first output sits on the first input and the
// last on or before the last input's time.
arma::uword muestrasRemuestreadas(arma::uword n, int sube, int baja);

// X: channels x samples (one column per time point). Returns Y, channels x
// muestrasRemuestreadas(samples), with
//   Y(c, m) = sum_n X(c, n) g(H + m baja - n sube),
// g = filtroRemuestreo(sube, baja) (zero outside its taps), so Y(:, m) is the
// signal at time m baja / sube input samples. Columns are computed on two
// threads; the numbers do not depend on how the work is split. `avance`
// hears the fraction done and may throw Cancelado. Throws as filtroRemuestreo.
arma::mat remuestrearFilas(const arma::mat& X, int sube, int baja, const Avance& avance = Avance());
