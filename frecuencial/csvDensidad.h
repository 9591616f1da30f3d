#pragma once
// Spectra and band tables as CSV text: comma-separated, decimal point under
// any locale, numbers in the shortest form that reads back to the same double.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "frecuencial/bandas.h"
#include "frecuencial/welch.h"
#include "io/EEG.h"

// Header "frecuencia,<label 1>,<label 2>,…", then one row per frequency bin:
// the frequency in Hz and each channel's density. etiquetas: one per row of
// the density. Throws std::invalid_argument when the counts differ.
void escribirEspectroCSV(std::ostream& salida, const EspectroPotencia& espectro, const std::vector<std::string>& etiquetas);

// Header "canal,<band>,…" (absolute powers) and, with relativas, the
// relative powers as further columns "<band>_relativa"; one row per channel.
void escribirBandasCSV(std::ostream& salida, const TablaBandas& tabla, const std::vector<std::string>& etiquetas,
                       bool relativas = false);

// Writes through `escribir` into a temporary file beside `ruta`, renamed over
// it only when everything was written. Throws std::runtime_error in Spanish.
void guardarTexto(const std::string& ruta, const std::function<void(std::ostream&)>& escribir);

// The channel labels of a branch as its CSV headers: stored padding removed,
// "canalN" (1-based) for a channel without one.
std::vector<std::string> etiquetasCanales(const EEG& eeg);
