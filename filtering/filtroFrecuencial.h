#pragma once
// The frequency filter step: design a window-method FIR from limits in Hz and
// run it over every channel of a recording or branch. The window's dialog, its
// command and the runner's "filtro" step all design through disenarFiltroRama.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "dsp/fir/FiltroFIR.h"
#include "filtering/opcionesFiltro.h"
#include "io/EEG.h"
#include "io/progreso.h"

// Parameters that give no usable filter, refused before any design.
class ParametrosFiltroNoValidos : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// What the design needs to know of the branch it will filter.
struct RamaFiltrable {
    int32_t frecuenciaMuestreo = 0;
    int64_t numeroMuestras = 0;  // per channel (per epoch in an epoched branch); 0 when it holds none
    bool porEpoca = false;       // an epoched branch: each epoch is filtered on its own
};
RamaFiltrable ramaFiltrable(const EEG& eeg);

// Throws ParametrosFiltroNoValidos, with a Spanish text naming the bad value,
// when the branch has a sampling rate of 0 or below or no samples, when a
// limit is not a positive number below half the sampling rate, when the upper
// limit is not above the lower one (for every type), when the type is not one
// of the four, or when the order would be below 1 or too large to build (the
// text then says which limit to move).
void validarOpcionesFiltro(const RamaFiltrable& rama, const OpcionesFiltro& opciones);
void validarOpcionesFiltro(const EEG& eeg, const OpcionesFiltro& opciones);

// The filter the step applies to that branch, fresh (zero state): validates as
// above, designs (disenarFiltroFIR), and refuses as well a filter with more
// coefficients than the branch has samples per channel, saying which limit to
// move.
FiltroFIR disenarFiltroRama(const RamaFiltrable& rama, const OpcionesFiltro& opciones);

// New record with the metadata, channels and event table of `eeg` (as
// derivarEEG) and, for each of its matrices (channels x samples, one column per
// time point), the filtered matrix of the same size: each channel filtered on
// its own with zero phase and its ends padded by reflection
// (filtrarFilasFaseCero), so the events keep their positions and still mark
// the waves they marked. `avance` hears the fraction done and may throw
// Cancelado; the numbers are the same with or without it. Throws
// ParametrosFiltroNoValidos as disenarFiltroRama.
EEG filtrarEEG(const EEG& eeg, const OpcionesFiltro& opciones, const Avance& avance = Avance());
