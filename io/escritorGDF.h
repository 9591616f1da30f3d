#pragma once
// GDF 1.25 writer: 32-bit float samples, one sample per data record, the
// record's labels and sampling rate, its start date and time (fechaHora, to
// the hundredth of a second; blank when unknown) and its event table when it
// has one.

#include <ostream>
#include <string>

#include "io/EEG.h"
#include "io/progreso.h"

// Writes the first matrix of `eeg` to the stream; avance hears the samples
// written. Throws std::invalid_argument for a record without data or with a
// sampling rate of 0 or below.
void escribirGDF(const EEG& eeg, std::ostream& salida, const Avance& avance = Avance());
