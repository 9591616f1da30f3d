#pragma once
// The resampling step on a branch: samples, rate, counts and events moved to
// the new rate together.

#include <cstdint>

#include "io/EEG.h"
#include "io/progreso.h"

// New branch at `frecuenciaDestino` Hz: every matrix through remuestrearFilas
// with the rates' reduced factors; frecuenciaMuestreo, numeroMuestras and
// tiempoFin follow; each event's position and duration become the nearest
// sample of the new rate (halves upwards), positions kept inside the branch.
// A branch already at that rate comes back as a copy. Throws
// std::invalid_argument for an epoched branch, a rate of 0 or below, or a
// destination more than 10 times the source rate.
EEG remuestrearEEG(const EEG& eeg, int32_t frecuenciaDestino, const Avance& avance = Avance());

// round(n sube / baja) with halves upwards, in exact integer arithmetic.
int64_t muestraRemuestreada(int64_t n, int sube, int baja);
