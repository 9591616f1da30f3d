#pragma once
// What the filter dialog draws: the magnitude response of the filter the step
// would apply to the selected branch, worked out here so the dialog only draws.

#include <cstddef>
#include <string>
#include <vector>

#include <armadillo>

#include "filtering/filtroFrecuencial.h"

struct RespuestaFiltro {
    std::vector<double> frecuenciasHz;  // fs/2 * 1e-4 ... fs/2, evenly spread on a logarithmic scale
    std::vector<double> magnitudDb;     // 20 log10 |H(f)|; -300 where |H| < 1e-15
    int numeroCoeficientes = 0;
    double duracionSegundos = 0.0;      // coefficients / fs
    std::string resumen;                // "699 coeficientes (2.73 s)"
};

// The response of disenarFiltroRama(rama, opciones) at `puntos` frequencies
// spread evenly over four decades below Nyquist, so the region below 2 Hz,
// where a high-pass cuts, reads as clearly as the rest.
// Throws what disenarFiltroRama throws (ParametrosFiltroNoValidos,
// ErrorDisenoFIR): its text is the reason to show instead of the plot.
RespuestaFiltro respuestaFiltro(const RamaFiltrable& rama, const OpcionesFiltro& opciones, std::size_t puntos = 1025);

// The same drawing for any FIR coefficients h at rate fs (fs > 0, h not empty).
RespuestaFiltro respuestaCoeficientes(const arma::vec& h, int fs, std::size_t puntos = 1025);

// The line-noise step's notches at `frecuencia` and its harmonics below
// Nyquist (what quitarRuidoLinea applies). Throws std::invalid_argument when
// the rate leaves no harmonic below Nyquist.
RespuestaFiltro respuestaLinea(int fs, double frecuencia, std::size_t puntos = 1025);
