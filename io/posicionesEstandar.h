#pragma once
// Standard 10-05 electrode positions by label, for recordings loaded without
// a .CED file. The table is the project's own (mara/modelo/electrodos_1005_118.tsv,
// built into the program): 118 labels, each also found by its 10-05 name
// where the table uses an older one (FAF1 is AFF1).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "io/EEG.h"

// Position of a label in the .CED files' frame: millimetres, x towards the
// nose, y towards the left ear, z up. The label is compared without letter
// case, surrounding blanks, trailing dots ("C3..") or an "EEG " prefix.
// nullopt when it is not in the table.
std::optional<std::array<double, 3>> posicionEstandar(const std::string& etiqueta);

// True for a label that names another kind of signal (EOG, ECG, EMG,
// respiration, a trigger channel): it does not count as an EEG label below.
bool esEtiquetaNoEEG(const std::string& etiqueta);

// Loading without a .CED file: every channel keeps its label and, when the
// label is in the table, gets its standard position; none does when fewer
// than half the EEG labels are in the table (another cap's naming). Returns
// the sentence that tells the user so.
std::string cargarSinCED(EEG& eeg);
