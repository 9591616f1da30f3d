#pragma once
// Stored sample values of the recording formats (little-endian) and their
// block conversion to doubles. Readers decode whole blocks of the data area
// through these loops instead of reading value by value, and map the stored
// values to physical ones on the way, while the block is still in cache.

#include <cstddef>
#include <cstdint>
#include <optional>

enum class TipoValor { int8, uint8, int16, uint16, int24, int32, uint32, int64, float32, float64 };

// Stored value to physical value: valor * ganancia + desplazamiento. The
// identity (1, 0) leaves every value exactly as stored.
struct Escala {
    double ganancia = 1.0;
    double desplazamiento = 0.0;
    bool identidad() const { return ganancia == 1.0 && desplazamiento == 0.0; }
};

// GDF data type code (1-7, 16, 17, and 279 for the 24-bit integers that
// BioSig keeps from BDF) to its value type; nullopt for the others.
std::optional<TipoValor> tipoValorGDF(uint32_t codigo);

size_t bytesPorValor(TipoValor tipo);

// Converts `n` consecutive values starting at `origen` into doubles written
// `pasoDestino` doubles apart from `destino` onwards, each mapped by `escala`.
void convertirValores(TipoValor tipo, const uint8_t* origen, size_t n, double* destino, size_t pasoDestino,
                      Escala escala = {});

// Multiplexed samples: `nMuestras` groups of `nCanales` consecutive values,
// group s starting at origen + s x pasoOrigen bytes (anything stored between
// groups, such as a BCI2000 state vector, is skipped), into the columns
// destino[s x nCanales + c]. Value c of a group is mapped by escalas[c];
// with escalas null the values are kept as stored.
void convertirMultiplexado(TipoValor tipo, const uint8_t* origen, size_t pasoOrigen, size_t nCanales,
                           size_t nMuestras, const Escala* escalas, double* destino);

// Rows of values into columns (a transposition): row c holds `n` consecutive
// values from origen + c x pasoFila bytes, and its value k goes to
// destino[k x nFilas + c], mapped by escalas[c] (kept as stored when escalas
// is null). The rows are converted a few dozen values at a time into a small
// tile, and the tile's columns then written in order.
void convertirFilas(TipoValor tipo, const uint8_t* origen, size_t pasoFila, size_t nFilas, size_t n,
                    const Escala* escalas, double* destino);

// The tile's transposition: row c of `teja` holds m doubles from
// teja + c x pasoFila; its value k goes to destino[k x nFilas + c]. The
// destination is written column after column, in order.
void transponerTeja(const double* teja, size_t pasoFila, size_t nFilas, size_t m, double* destino);
