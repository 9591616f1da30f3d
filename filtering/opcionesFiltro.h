#pragma once
// Parameters of the frequency filter step, with the dialog's defaults: the
// dialog shows these at start and the runner starts from them.

#include <string>

#include "dsp/fir/disenoFIR.h"  // TipoFiltro

struct OpcionesFiltro {
    TipoFiltro tipo = TipoFiltro::pasaBanda;
    double frecInferior = 1.0;   // Hz; the cut-off of the single-edge types
    double frecSuperior = 40.0;  // Hz; for the single-edge types, a gap narrower than the edge rule sets the transition
    int caidaDecibelios = 60;    // stop-band attenuation, dB
};

// From the dialog's code (0 high-pass, 1 low-pass, 2 band-pass, 3 band-stop).
// Throws ParametrosFiltroNoValidos (filtering/filtroFrecuencial.h) for any other code.
TipoFiltro tipoFiltroDesdeCodigo(int codigo);

// "HIGH", "LOW", "BANDPASS", "BANDSTOP": the designer's type name and the branch tag.
std::string nombreTipoFiltro(TipoFiltro tipo);

// The inverse, in any letter case ("bandpass" too), for text front ends.
// Throws ParametrosFiltroNoValidos for any other name.
TipoFiltro tipoFiltroDesdeNombre(const std::string& nombre);
