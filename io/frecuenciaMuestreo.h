#pragma once
// The sampling rates every reader accepts, one rule for all formats: from
// 1 Hz to 1 MHz. Below, a header's rate is a damaged field (or a slow
// physiological channel that is not EEG); above, no EEG amplifier records.

#include <string>

constexpr double frecuenciaMinimaHz = 1.0;
constexpr double frecuenciaMaximaHz = 1e6;

// Empty when `hz` is a rate a reader may take (NaN is not); else the end of a
// Spanish sentence saying why: "es menor que 1 Hz", "es mayor que 1 MHz: no es
// un registro de EEG".
inline std::string motivoFrecuenciaNoValida(double hz) {
    if (!(hz >= frecuenciaMinimaHz)) return "es menor que 1 Hz o no es un número";
    if (hz > frecuenciaMaximaHz) return "es mayor que 1 MHz: no es un registro de EEG";
    return {};
}
