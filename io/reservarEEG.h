#pragma once
// Allocation of a record whose every sample a reader is about to write.

#include <cstddef>
#include <cstdint>

#include "io/EEG.h"

// Who maps the matrix's memory: reservarEEG at once, or the reader, piece by
// piece on the threads that write them (poblarMemoria), so that the kernel's
// zeroing of the pages is shared among them too.
enum class Poblado { alReservar, porPiezas };

// As EEG(frecuencia, canales, muestras), but the canales x muestras matrix is
// left unfilled: zero-filling a large recording only to overwrite it would
// double the memory traffic of a read. Throws as that constructor, and
// std::bad_alloc when the matrix does not fit in memory.
EEG reservarEEG(int32_t frecuencia, uint32_t canales, int64_t muestras, Poblado poblado = Poblado::alReservar);

// Maps, in one call, the pages of [desde, desde + bytes) that are not mapped
// yet (those wholly inside it; the kernel maps the others on first touch).
// Only a hint: nothing happens where the kernel does not offer it.
void poblarMemoria(void* desde, size_t bytes);
