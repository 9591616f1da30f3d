#pragma once
// A whole ASR run on one branch: drift removal, clean-window selection,
// calibration and processing.

#include <optional>

#include "asr/ContextoASR.h"
#include "io/EEG.h"
#include "io/progreso.h"

// Returns the cleaned record, derived from the drift-free working branch:
// same channels, sample count and events as `entrada`, which is not modified.
// memoriaLibre: free physical memory in bytes that sets the processing chunk
// count; by default what the operating system reports. avance hears the
// fraction done and the stage by name ("eliminando la deriva", "eligiendo
// ventanas limpias", "calibrando", "procesando"), and may throw Cancelado.
// Throws std::invalid_argument for a record without samples, with no more
// than P samples per channel (P = round(wl srate / 2)) or a rate the filters
// cannot take, and whatever the stages throw.
EEG ejecutarASR(const EEG& entrada, const OpcionesASR& opciones,
                const Avance& avance = Avance(),
                std::optional<double> memoriaLibre = std::nullopt);
