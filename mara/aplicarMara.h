#pragma once
// The MARA step as one call, for the window and the headless runner.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <armadillo>

#include "io/EEG.h"
#include "io/progreso.h"

// What MARA decided, for the user: which components it removed, and per
// component the six features and the artefact probability behind the vote.
struct InformeMara {
    arma::uword componentes = 0;  // Q
    arma::uvec quitadas;          // 0-based, ascending
    arma::mat caracteristicas;    // 6 x Q
    arma::vec probabilidades;     // Q: posterior of the artefact class
};

// "MARA quitó 2 de 64 componentes: 3, 7" (numbered from 1), or "MARA no quitó
// ninguna de las 64 componentes".
std::string textoInformeMara(const InformeMara& informe);
// The features and probability per component as CSV, one row per component,
// with a header line; what --detalle prints and provenance keeps.
std::string tablaInformeMara(const InformeMara& informe);

struct OpcionesMara {
    std::filesystem::path directorioModelos;  // holds maraL.bin, marapattern.bin, marax.bin, maralabels.bin
    std::optional<uint32_t> semilla;          // ICA and curve-fit starts; the clock when empty
    std::function<void(const std::string&)> avisar;  // the pipeline's two informational messages
    Avance avance;                                   // the stages' progress; may cancel
    std::function<void(const InformeMara&)> informar;  // hears the outcome before the result returns
};

// Text of the refusal of a record that still holds its event table.
extern const char* const textoMaraSinPromediado;

// MARA over `eeg` (an averaged branch: no event table). Returns the cleaned
// record before cloning and tagging. A branch of component activations
// (with its decomposition) is classified with that decomposition instead of
// a new ICA: the channels are its mixing times the activations, and the
// result is in channels. Throws std::invalid_argument with
// textoMaraSinPromediado when the record holds an event table (before any
// file is read), otherwise whatever Mara's loading, checks or pipeline throw.
EEG aplicarMara(const EEG& eeg, const OpcionesMara& opciones);

// MARA's vote over a branch of component activations, classified with the
// decomposition it carries (no new ICA): what the component review ticks
// before the user does. Unlike aplicarMara it does not look at events, since
// the features read only the samples. Throws std::invalid_argument for a
// branch without a decomposition, otherwise as aplicarMara (std::runtime_error
// when a model file is missing, Cancelado from the Avance).
InformeMara votoMara(const EEG& activaciones, const std::filesystem::path& directorioModelos,
                     std::optional<uint32_t> semilla, const Avance& avance = Avance());
