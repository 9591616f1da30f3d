#pragma once
// The `info` report of the runner: header, channels, rate, samples and event
// kinds of a record, as JSON.

#include <string>

#include "io/EEG.h"

std::string informeJSON(const EEG& eeg, const std::string& ruta);
