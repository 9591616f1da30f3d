#pragma once
// Time courses of the simulated training components (one row of `muestras`
// samples at `fs` Hz each). Parameters as in parametrosSimulacion.h.

#include <armadillo>

#include "mara/modelo/azarSimulacion.h"

// Gaussian noise with power spectrum 1/(rodilla^beta + f^beta) (no DC), unit
// standard deviation; rodilla = 0 gives a plain 1/f^beta.
arma::rowvec ruidoPotencia(AzarSimulacion& azar, arma::uword muestras, double fs, double beta, double rodilla);

// Gaussian noise with a flat spectrum between fInferior and fSuperior Hz and
// nothing elsewhere, unit standard deviation.
arma::rowvec ruidoBanda(AzarSimulacion& azar, arma::uword muestras, double fs, double fInferior, double fSuperior);

// Activity of a cortical source: a 1/f^beta background with a knee plus an
// 8–13 Hz rhythm of random strength.
arma::rowvec actividadCerebral(AzarSimulacion& azar, arma::uword muestras, double fs);

// Activity of a cortical source without alpha: the same background, for some
// sources plus a weak theta or beta rhythm.
arma::rowvec actividadCerebralSinAlfa(AzarSimulacion& azar, arma::uword muestras, double fs);

// A train of sparse blinks: skewed pulses of one polarity.
arma::rowvec trenParpadeos(AzarSimulacion& azar, arma::uword muestras, double fs);

// Gaze position of saccades: held fixations joined by fast steps.
arma::rowvec sacadas(AzarSimulacion& azar, arma::uword muestras, double fs);

// Broadband muscle bursts with a low floor between them.
arma::rowvec rafagasMusculares(AzarSimulacion& azar, arma::uword muestras, double fs);

// A bad electrode: a drift, sparse spikes or line noise, chosen at random.
arma::rowvec senalCanalMalo(AzarSimulacion& azar, arma::uword muestras, double fs);

// Heart beats: QRS-like biphasic spikes near 1.2 Hz with a T wave.
arma::rowvec latidos(AzarSimulacion& azar, arma::uword muestras, double fs);

// `x` plus white noise of a random relative level in the artefact range.
arma::rowvec conRuidoDeFondo(AzarSimulacion& azar, const arma::rowvec& x);
