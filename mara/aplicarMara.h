#pragma once
// The MARA step as one call, for the window and the headless runner.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "io/EEG.h"
#include "io/progreso.h"

struct OpcionesMara {
    std::filesystem::path directorioModelos;  // holds maraL.bin, marapattern.bin, marax.bin, maralabels.bin
    std::optional<uint32_t> semilla;          // ICA and curve-fit starts; the clock when empty
    std::function<void(const std::string&)> avisar;  // the pipeline's two informational messages
    Avance avance;                                   // the stages' progress; may cancel
};

// Text of the refusal of a record that still holds its event table.
extern const char* const textoMaraSinPromediado;

// MARA over `eeg` (an averaged branch: no event table). Returns the cleaned
// record before cloning and tagging. Throws std::invalid_argument with
// textoMaraSinPromediado when the record holds an event table (before any
// file is read), otherwise whatever Mara's loading, checks or pipeline throw.
EEG aplicarMara(const EEG& eeg, const OpcionesMara& opciones);
