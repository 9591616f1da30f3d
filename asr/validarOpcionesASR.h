#pragma once
// The ASR parameters a run accepts: the ranges the dialog's fields allow, so
// that a text front end refuses what the window cannot be given.

#include "asr/ContextoASR.h"

struct IntervaloASR {
    double minimo, maximo;
};
// The dialog's fields take their ranges from here too.
inline constexpr IntervaloASR intervaloBurstCritic{0, 99};
inline constexpr IntervaloASR intervaloMaxBadChan{0, 1};
inline constexpr IntervaloASR intervaloTolInf{-10, 2};
inline constexpr IntervaloASR intervaloTolSup{2, 50};

// Each value within its interval above, with tolInf below tolSup; NaN is
// refused. Throws std::invalid_argument with a Spanish text naming the value.
void validarOpcionesASR(const OpcionesASR& opciones);
