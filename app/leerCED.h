#pragma once
// Channel locations from a .CED file: a header line, then one tab-separated
// line per channel with number, label, type, theta, radius, X, Y, Z and
// further columns. Channels are matched by position, not by name.

#include <cstdint>
#include <istream>
#include <string>

#include "io/EEG.h"

struct ResultadoCED {
    bool abierto = false;         // false: the file could not be opened, the record is unchanged
    uint32_t canalesLeidos = 0;   // channels given the label and location of a .CED line
};

// For each channel i of `eeg`, in order, the i-th channel line gives the
// channel its label and its (x, y, z) location. An empty type column (two
// tabs after the label) is skipped. Blank lines are skipped; lines after the
// last channel's are not read. At the first missing or malformed line reading
// stops: that channel and the following keep their own label and have no
// location. Writes "fallo al abrir el archivo" when the file cannot be opened.
ResultadoCED leerCED(EEG& eeg, std::string ruta);

// The same over an open text (the file's contents after opening).
ResultadoCED leerCED(EEG& eeg, std::istream& texto);
