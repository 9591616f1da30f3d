#pragma once
// Saving a branch to a file whose extension chooses the format:
// .gdf (GDF 1.25, float samples), .csv (one column per channel, one row per
// sample), .bin (the sample matrix in Armadillo's binary format), .edf (EDF+,
// 16 bits) or .bdf (BDF+, 24 bits), both with the events as annotations.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

enum class FormatoSalida { GDF, CSV, BIN, EDF, BDF };

// Throws std::invalid_argument with a Spanish text for any other extension.
FormatoSalida formatoPorExtension(const std::string& ruta);

// Every format guardarRama writes, in the order the save dialog offers them:
// its name for the user ("EDF+ (16 bits)") and its extension ("edf").
struct FormatoOfrecido {
    FormatoSalida formato;
    const char* nombre;
    const char* extension;
};
const std::vector<FormatoOfrecido>& formatosGuardado();

// Writes into a temporary file beside `ruta` and renames it over `ruta` only
// when everything was written, so a failure never leaves a partial file. An
// EDF+, BDF+ or GDF file is first read back with our own reader: one it
// refuses, or whose channels, labels, rate, sample count or event count are
// not what was written, is an error too (a file the next program cannot
// open must not be left behind as a success).
// Throws std::runtime_error with a Spanish text on failure. A cancellation
// by avance (before the rename) leaves no file either.
void guardarRama(const EEG& eeg, const std::string& ruta, const Avance& avance = {});

// An epoched branch as EDF+, BDF+ and GDF store it: its epochs one after
// another, with the event at each epoch's zero and a boundary event (kind
// 32766.1 "boundary", GDF's code 0x7FFE for the start of a new segment) at
// the first sample of every epoch but the first, so that a reader does not
// take the joins for continuous signal. Any other branch is returned as it
// is. The result reads the branch's samples in place: it must not outlive it.
EEG conFronterasEpocas(const EEG& eeg);
constexpr int32_t tipoFrontera = 0x7FFE;

// What a written EDF+, BDF+ or GDF file must give back to our reader.
struct CabeceraEsperada {
    std::vector<std::string> etiquetas;  // as the writer put them
    int32_t frecuencia = 0;
    int64_t muestrasMinimas = 0, muestrasMaximas = 0;  // EDF+ may pad the last record
    size_t eventos = 0;                                // those inside the samples
};

// What `eeg` saved as `formato` (GDF, EDF or BDF) must read back as.
CabeceraEsperada cabeceraEsperada(const EEG& eeg, FormatoSalida formato);

// Empty when `leido` matches `esperada`; otherwise the first difference, in
// Spanish ("3 canales en lugar de 4"). Labels are compared without blanks
// around them, as the readers give them.
std::string diferenciaCabecera(const CabeceraEsperada& esperada, const EEG& leido);
