#pragma once
// A branch's list of bad channels: set from labels (the runner's --malos),
// toggled one at a time (a click in the browser).

#include <string>
#include <vector>

#include "io/EEG.h"

// Adds the channels with those labels to the branch's bad list (a label
// already there stays once), keeping the order of the list. Throws
// std::invalid_argument naming a label the branch lacks.
void marcarCanalesMalos(EEG& eeg, const std::vector<std::string>& etiquetas);

// Marks the channel bad when it is good and good when it is bad; returns
// whether it is bad afterwards.
bool alternarCanalMalo(std::vector<std::string>& malos, const std::string& etiqueta);

// "FC5, Cz" or "ninguno".
std::string textoCanalesMalos(const std::vector<std::string>& malos);
