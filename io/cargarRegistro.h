#pragma once
// Loading of one recording file, for the main window and the command-line
// tool alike.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

// A recording that could not be loaded; what() says why, in Spanish.
class ErrorLectura : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the recording at `ruta` (its reader chosen by its extension, see
// crearLector) and returns the record. Throws ErrorLectura when the file
// cannot be opened, has another extension, is refused by its reader or holds
// no samples: an empty record is never returned. The reader's warnings (what
// the user must know about a record that did load) are appended to `avisos`
// when given. avance hears the share of the file read and may throw Cancelado.
EEG cargarRegistro(const std::string& ruta, std::vector<std::string>* avisos = nullptr,
                   const Avance& avance = Avance());

// The same, then the .CED file at `rutaCED` (when given) lays its labels and
// locations onto the channels, as the window's loading command does. Without
// one, the channels keep their labels and get the standard 10-05 positions
// of the labels that have one (cargarSinCED), and `avisos` gets a sentence
// that says so. Throws
// ErrorLectura also when the .CED file cannot be opened or describes fewer
// channels than the recording has: without a window to warn in, a partial
// montage is refused rather than kept.
EEG cargarRegistro(const std::string& ruta, const std::optional<std::string>& rutaCED,
                   std::vector<std::string>* avisos = nullptr, const Avance& avance = Avance());
