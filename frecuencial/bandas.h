#pragma once
// Band powers from a Welch density: the integral of the density over each
// EEG band, absolute and relative to the whole 1-45 Hz range.

#include <string>
#include <vector>

#include <armadillo>

#include "frecuencial/welch.h"

struct BandaFrecuencia {
    std::string nombre;
    double inferior = 0.0;  // Hz
    double superior = 0.0;  // Hz
};

// delta 1-4, theta 4-8, alfa 8-13, beta 13-30, gamma 30-45 Hz.
const std::vector<BandaFrecuencia>& bandasEEG();

// Integral over [inferior, superior] of the density taken as piecewise linear
// between bins (the trapezoid rule, with the density interpolated linearly at
// limits that fall between bins). frecuencias ascending, one per element of
// densidad. Throws std::invalid_argument for mismatched sizes, fewer than 2
// bins or superior < inferior.
double integrarDensidad(const arma::vec& frecuencias, const arma::rowvec& densidad, double inferior, double superior);

struct TablaBandas {
    std::vector<BandaFrecuencia> bandas;  // the bands below Nyquist, upper limits cut to it
    arma::mat absoluta;                   // canales x bandas, (signal unit)^2 (µV^2)
    arma::mat relativa;                   // absoluta / power in 1-45 Hz (cut to Nyquist)
};

// A band whose lower limit is at or above the Nyquist frequency is left out;
// one that straddles it ends there. Throws std::invalid_argument for a
// spectrum of fewer than 2 bins.
TablaBandas potenciaBandas(const EspectroPotencia& espectro);
