#pragma once
// The runner's "espectro" order: loads a recording, applies steps as "run"
// does and writes the Welch spectrum of the last branch (and, on request,
// its band powers) as CSV. `run --espectro` writes the same files with the
// same code, beside its output, in the same pass.

#include <functional>
#include <optional>
#include <string>

#include "cli/escrituraConjunta.h"
#include "io/EEG.h"

// Help text of the order, printed after the runner's general help.
extern const char* const AYUDA_ESPECTRO;

// argv[1] is "espectro". Returns the exit code: 0 done, 2 a usage error
// (found before anything is read), 1 any other failure; a failure's last
// line on standard error is "ondelar-cli: error: ...".
int ordenEspectro(int argc, char** argv);

// The spectrum files of one branch and the segment length.
struct SalidaEspectro {
    std::string espectro;                     // density, .csv
    std::optional<std::string> bandas;        // band powers, .csv
    std::optional<double> segundosSegmento;   // unset: the power of two of samples nearest 2 s
};

// --segmento's text as seconds (> 0). Throws ErrorUso.
double leerSegmento(const std::string& texto);

// Throws ErrorUso unless `ruta` is a non-empty name ending in .csv.
void comprobarCSV(const std::string& opcion, const std::string& ruta);

// Computes the spectrum of the branch (channels x samples of its last
// matrix) and, with s.bandas, its band powers, and writes them as CSV into
// temporaries of `escritura`, renamed over s.espectro and s.bandas by its
// confirmar(). A branch shorter than a segment is reported through `aviso`.
// Throws std::runtime_error when the branch has no data or a file cannot be
// written.
void escribirEspectroRama(const EEG& eeg, const SalidaEspectro& s, EscrituraConjunta& escritura,
                          const std::function<void(const std::string&)>& aviso);
