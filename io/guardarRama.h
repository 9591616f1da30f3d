#pragma once
// Saving a branch to a file whose extension chooses the format:
// .gdf (GDF 1.25, float samples), .csv (one column per channel, one row per
// sample), .bin (the sample matrix in Armadillo's binary format), .edf (EDF+,
// 16 bits) or .bdf (BDF+, 24 bits), both with the events as annotations.

#include <string>

#include "io/EEG.h"
#include "io/progreso.h"

enum class FormatoSalida { GDF, CSV, BIN, EDF, BDF };

// Throws std::invalid_argument with a Spanish text for any other extension.
FormatoSalida formatoPorExtension(const std::string& ruta);

// Writes into a temporary file beside `ruta` and renames it over `ruta` only
// when everything was written, so a failure never leaves a partial file.
// Throws std::runtime_error with a Spanish text on failure. A cancellation
// by avance (before the rename) leaves no file either.
void guardarRama(const EEG& eeg, const std::string& ruta, const Avance& avance = {});
