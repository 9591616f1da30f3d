#pragma once
// Stored sample values of the recording formats (little-endian) and their
// block conversion to doubles. Readers decode whole blocks of the data area
// through these loops instead of reading value by value.

#include <cstddef>
#include <cstdint>
#include <optional>

enum class TipoValor { int8, uint8, int16, uint16, int32, uint32, int64, float32, float64Milesimas };

// GDF 1 data type code (1-7, 16, 17) to its value type; nullopt for the others.
std::optional<TipoValor> tipoValorGDF(uint32_t codigo);

size_t bytesPorValor(TipoValor tipo);

// Converts `n` consecutive values starting at `origen` into doubles written
// `pasoDestino` doubles apart from `destino` onwards. 64-bit floats are
// divided by 1000 (float64Milesimas), every other type converts as is.
void convertirValores(TipoValor tipo, const uint8_t* origen, size_t n, double* destino, size_t pasoDestino);
