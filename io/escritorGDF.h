#pragma once
// GDF 2.20 writer: 32-bit float samples, one sample per data record, the
// record's labels, units and sampling rate, its start date and time
// (fechaHora, to the millisecond; 0 when unknown) and its event table when
// it has one, with each kind's (tipo, calificador) and name kept through
// the event codes and the header extension's descriptions (see
// codificarEventos in the .cpp and docs/formatos.md).

#include <ostream>
#include <string>

#include "io/EEG.h"
#include "io/progreso.h"

// Writes the first matrix of `eeg` to the stream; avance hears the samples
// written. Throws std::invalid_argument for a record without data, with a
// sampling rate of 0 or below, more than 65535 channels or 16777215 events;
// std::runtime_error when its event kinds need more than GDF's 255 user codes.
void escribirGDF(const EEG& eeg, std::ostream& salida, const Avance& avance = Avance());
