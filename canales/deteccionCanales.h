#pragma once
// Bad-channel detection by four rules over a branch's first matrix
// (channels x samples, one column per time point, microvolts). A channel is
// marked when any rule marks it:
//  - plano: robust standard deviation below desviacionMinimaUV, or more than
//    fraccionRepetidas of its consecutive samples identical (a clipped or
//    disconnected amplifier repeats its last value);
//  - desviado: robust z of its amplitude (its robust standard deviation),
//    among the channels not flat, above zAmplitud;
//  - pocoCorrelacionado: median over windows of segundosVentana of the median
//    correlation with its `vecinos` nearest channels by position below
//    correlacionMinima (skipped, with a note, without positions);
//  - ruidoso: robust z of its power ratio above frecuenciaRuidoHz (power
//    above over power below, in decibels), among the channels not flat,
//    above zRuido (skipped, with a note, when Nyquist is not above that
//    frequency). In decibels because the ratio spans orders of magnitude
//    between clean channels: temporal ones carry muscle.
// Robust standard deviation of x: 1.4826 * median(|x - median(x)|), the
// normal's standard deviation when x is normal. Robust z of x_i among x:
// (x_i - median(x)) / (1.4826 * MAD(x)); with a MAD of zero, +inf above the
// median and 0 otherwise.

#include <string>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

struct OpcionesCanalesMalos {
    double desviacionMinimaUV = 0.1;
    double fraccionRepetidas = 0.2;
    double zAmplitud = 5.0;
    double correlacionMinima = 0.4;
    int vecinos = 4;
    double segundosVentana = 1.0;
    double zRuido = 5.0;
    double frecuenciaRuidoHz = 40.0;
};

enum class ReglaCanal { plano, desviado, pocoCorrelacionado, ruidoso };

// What each rule measured on one channel; NaN where a rule was not applied.
struct MedidasCanal {
    double desviacionRobusta = 0.0;  // µV
    double fraccionRepetidas = 0.0;  // of consecutive pairs
    double zAmplitud = NAN;
    double correlacionVecinos = NAN;
    double zRuido = NAN;
    std::vector<ReglaCanal> reglas;  // the rules that mark it; empty for a good channel
};

struct DeteccionCanales {
    std::vector<MedidasCanal> canales;  // one per row of the matrix
    std::vector<std::string> notas;     // rules skipped and why (Spanish)
    std::vector<arma::uword> marcados() const;
};

// 1.4826 * MAD; 0 for an empty vector.
double desviacionRobusta(const arma::vec& x);
// Robust z of every element among all of them.
arma::vec zRobusta(const arma::vec& x);

// Throws std::invalid_argument for a branch without samples or channels, and
// for options out of range (a threshold not positive, vecinos below 1).
DeteccionCanales detectarCanalesMalos(const EEG& eeg, const OpcionesCanalesMalos& opciones = {});

// "plano", "desviado", "poco correlacionado", "ruidoso".
std::string nombreRegla(ReglaCanal regla);

// A table with one row per marked channel: label, rules, and the measures.
std::string tablaCanalesMalos(const EEG& eeg, const DeteccionCanales& deteccion);

// The branch with the marked channels added to its bad list (data unchanged).
EEG conCanalesDetectados(const EEG& eeg, const DeteccionCanales& deteccion);
