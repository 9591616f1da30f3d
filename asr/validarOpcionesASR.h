#pragma once
// The ASR parameters a run accepts: the ranges the dialog's fields allow, so
// that a text front end refuses what the window cannot be given.

#include "asr/ContextoASR.h"

// burstCritic 0 to 99, maxBadChan 0 to 1, tolInf -10 to 2, tolSup 2 to 50,
// with tolInf below tolSup; NaN is refused. Throws std::invalid_argument with
// a Spanish text naming the value.
void validarOpcionesASR(const OpcionesASR& opciones);
