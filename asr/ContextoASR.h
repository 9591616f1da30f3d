#pragma once
// The record of one ASR run: parameters, the branches it works on and the
// matrices that calibration hands to processing.

#include <cstdint>

#include <armadillo>

#include "io/EEG.h"

// The four parameters the user chooses. These initialisers are the defaults
// of the dialog, the runner and the calibration alike.
struct OpcionesASR {
    int burstCritic = 5;
    double maxBadChan = 0.075;
    double tolInf = -3.5;
    double tolSup = 5.5;
};

// {tolInf, tolSup} of the default options: the z-score limits used when none are given.
inline arma::vec umbralesZPorDefecto() { return {OpcionesASR{}.tolInf, OpcionesASR{}.tolSup}; }

struct ContextoASR {
    // Parameters (the constructor applies the replacement rules for
    // negative or empty values).
    int32_t cutoff = OpcionesASR{}.burstCritic;
    double fraccionMaxCanalesMalos = OpcionesASR{}.maxBadChan;
    arma::vec umbralesZ = umbralesZPorDefecto();
    double solapamientoVentana = 0.66;      // also sent as maxdims to processing
    double longitudVentanaRechazo = 1.0;    // seconds
    double longitudVentanaProcesado = 0.5;  // seconds: max(0.5, 1.5 C / srate)
    arma::vec cuantiles = {0.022, 0.6};
    arma::vec pasos = {0.01, 0.01};
    arma::vec rejillaFormas;                // 1.7, 1.85, ..., 3.5 (13 values)

    const EEG* entrada = nullptr;  // the branch the run was started on (not owned)
    EEG trabajo;                   // drift-free data
    EEG calibracion;               // clean samples of the working data

    arma::mat M;         // C x C mixing matrix
    arma::mat T;         // C x C threshold matrix
    arma::vec B, A;      // spectral-shaping filter (9 coefficients each)
    arma::mat iirstate;  // 8 x C final state of that filter over the calibration data

    ContextoASR() = default;
    ContextoASR(const EEG& eeg, const OpcionesASR& opciones);
};
