#pragma once
// Allocation of a record whose every sample a reader is about to write.

#include <cstdint>

#include "io/EEG.h"

// As EEG(frecuencia, canales, muestras), but the canales x muestras matrix is
// left unfilled: zero-filling a large recording only to overwrite it would
// double the memory traffic of a read. Throws as that constructor, and
// std::bad_alloc when the matrix does not fit in memory.
EEG reservarEEG(int32_t frecuencia, uint32_t canales, int64_t muestras);
