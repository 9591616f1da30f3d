#pragma once
// The provenance record that `ondelar-cli run --procedencia` writes beside an
// output: what ran (version, command, steps, seed), on what (the input's size
// and SHA-256, its channels, rate, samples and events), how long each step
// took, and how it ended. A study's summary table is built from these files.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/EEG.h"
#include "mara/aplicarMara.h"

// Header figures of a record, as the summary table lists them.
struct InfoRegistro {
    int64_t canales = 0, frecuencia = 0, muestras = 0, eventos = 0;
};

struct Procedencia {
    std::vector<std::string> argumentos;   // the runner's command line, as given
    std::string registro;
    std::optional<std::string> ced;
    std::optional<std::string> eventosTSV;                // run --eventos: the events that replaced the file's
    std::vector<std::string> pasos;
    std::optional<uint32_t> semilla;
    std::string salida;
    std::optional<std::string> espectro, bandas;          // run --espectro's files, when asked for
    std::optional<std::string> espectroInicial;           // run --espectro-inicial's file
    // Set once the recording has been read.
    std::optional<int64_t> canales, frecuencia, muestras, eventos;
    // Each channel's label as the spectrum files write it, and its position
    // (.CED axes) when it has one: a study's report draws its scalp maps from these.
    std::vector<std::pair<std::string, std::optional<std::array<double, 3>>>> electrodos;
    std::optional<InfoRegistro> infoSalida;  // the last branch, the one saved (its rate after a resampling)
    std::vector<std::pair<std::string, double>> tiempos;  // step text, seconds
    std::vector<std::vector<std::string>> malosTrasPaso;  // the bad list after each step of `tiempos`
    std::vector<std::string> epocas;                      // cube files written by averaging
    std::optional<InformeMara> mara;                      // the last MARA step's vote
    std::vector<std::string> canalesMalos;                // the last branch's bad list (after --malos and the steps)
    double segundos = 0.0;                                // the whole run, read to write
    double segundosProcesador = 0.0;                      // user + system CPU of the process at the end
};

// Records the header figures and the electrodes of the recording as read.
void anotarRegistro(Procedencia& p, const EEG& eeg);

// Records the header figures of the branch about to be saved.
void anotarSalida(Procedencia& p, const EEG& eeg);

// The record as JSON; the input (and, when completed, the output) is read
// again for its size and checksum. `motivo` is empty for a completed run.
std::string procedenciaJSON(const Procedencia& p, int estadoSalida, const std::string& motivo);

// Writes the record through a temporary file that replaces `ruta` only when
// whole. Throws std::runtime_error when it cannot be written.
void escribirProcedencia(const std::string& ruta, const Procedencia& p, int estadoSalida,
                         const std::string& motivo);

// The arguments as one POSIX shell command line (quoted where needed).
std::string lineaDeOrden(const std::vector<std::string>& argumentos);
