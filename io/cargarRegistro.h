#pragma once
// Loading of one recording file, for the main window and the command-line
// tool alike.

#include <stdexcept>
#include <string>

#include "io/EEG.h"

// A recording that could not be loaded; what() says why, in Spanish.
class ErrorLectura : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the .dat or .gdf file at `ruta` (chosen by its extension, see
// crearLector) and returns the record. Throws ErrorLectura when the file
// cannot be opened, has another extension, is refused by its reader or holds
// no samples: an empty record is never returned.
EEG cargarRegistro(const std::string& ruta);
