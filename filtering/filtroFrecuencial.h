#pragma once
// The frequency filter step: design a window-method FIR from limits in Hz and
// run it over every channel of a recording or branch.

#include <stdexcept>
#include <string>

#include "filtering/opcionesFiltro.h"
#include "io/EEG.h"

// Parameters that give no usable filter, refused before any design.
class ParametrosFiltroNoValidos : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Throws ParametrosFiltroNoValidos, with a Spanish text naming the bad value,
// when the branch has a sampling rate of 0 or below or no samples, when a
// limit is not a positive number below half the sampling rate, when the upper
// limit is not above the lower one (for every type: the order depends on the
// gap), or when the order would be below 1 or too large to build.
void validarOpcionesFiltro(const EEG& eeg, const OpcionesFiltro& opciones);

// New record with the metadata, channels and event table of `eeg` (as
// derivarEEG) and, for each of its matrices (channels x samples, one column per
// time point), the filtered matrix of the same size. One filter runs over
// every row of every matrix in order, its state carried from each row into the
// next (it is never reset between channels). Throws ParametrosFiltroNoValidos
// as validarOpcionesFiltro, and also when the filter would have more
// coefficients than the branch has samples per channel.
EEG filtrarEEG(const EEG& eeg, const OpcionesFiltro& opciones);
