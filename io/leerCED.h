#pragma once
// Channel locations from a .CED file: a header line, then one tab-separated
// line per channel with number, label, type, theta, radius, X, Y, Z and
// further columns. Channels are matched by position, not by name.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "io/EEG.h"

struct ResultadoCED {
    bool abierto = false;         // false: the file could not be opened, the record is unchanged
    uint32_t canalesLeidos = 0;   // channels given the label (and location, when it has one) of a .CED line
    // Why reading stopped early, naming the line and the column ("línea 3,
    // columna 6 (X): «abc» no es un número."); empty when it did not.
    std::string error;
    std::vector<std::string> avisos;  // Spanish sentences: channels left without a location
};

// For each channel i of `eeg`, in order, the i-th channel line gives the
// channel its label and its (x, y, z) location. Fields are split at tabs and
// an empty field stays in its column (a line without tabs is split at
// blanks). A line with an empty X, Y or Z gives its label and no location,
// and adds a warning. Blank lines are skipped; lines after the last channel's
// are not read. At the first number that does not parse reading stops
// (error names it): that channel and the following keep their own label and
// have no location. Writes "fallo al abrir el archivo" when the file cannot
// be opened.
ResultadoCED leerCED(EEG& eeg, std::string ruta);

// The same over an open text (the file's contents after opening).
ResultadoCED leerCED(EEG& eeg, std::istream& texto);
