#include "io/valoresBinarios.h"

#include <algorithm>
#include <cstring>
#include <vector>


namespace {

// Little-endian host assumed (x86-64, AArch64): the stored bytes are the value.
// A 24-bit signed integer: three bytes, least significant first.
struct Entero24 {};

// Bytes of one stored value.
template <typename T>
constexpr size_t ancho = sizeof(T);
template <>
constexpr size_t ancho<Entero24> = 3;

template <typename T>
double valorEn(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return static_cast<double>(v);
}

template <>
double valorEn<Entero24>(const uint8_t* p) {
    const auto u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    return static_cast<double>(static_cast<int32_t>(u << 8) >> 8);  // sign of bit 23
}

template <typename T>
void convertir(const uint8_t* origen, size_t n, double* destino, size_t paso, Escala escala) {
    if (escala.identidad()) {
        for (size_t i = 0; i < n; ++i) destino[i * paso] = valorEn<T>(origen + i * ancho<T>);
        return;
    }
    for (size_t i = 0; i < n; ++i)
        destino[i * paso] = valorEn<T>(origen + i * ancho<T>) * escala.ganancia + escala.desplazamiento;
}

template <typename T>
void multiplexado(const uint8_t* origen, size_t pasoOrigen, size_t nCanales, size_t nMuestras, const Escala* escalas,
                  double* destino) {
    for (size_t s = 0; s < nMuestras; ++s) {
        const uint8_t* p = origen + s * pasoOrigen;
        double* d = destino + s * nCanales;
        if (!escalas) {
            for (size_t c = 0; c < nCanales; ++c) d[c] = valorEn<T>(p + c * ancho<T>);
        } else {
            for (size_t c = 0; c < nCanales; ++c)
                d[c] = valorEn<T>(p + c * ancho<T>) * escalas[c].ganancia + escalas[c].desplazamiento;
        }
    }
}

// Values converted into a tile of `columnasPorTanda` columns before they
// are written: converting a row and writing a column are then both
// contiguous, and the destination is written in order, which is what keeps
// up with memory.
constexpr size_t columnasPorTanda = 32;  // 32 columns of 64 channels: 16 KB, inside the first-level cache

template <typename T>
void filas(const uint8_t* origen, size_t pasoFila, size_t nFilas, size_t n, const Escala* escalas, double* destino,
           double* teja) {
    const Escala identidad;
    for (size_t i0 = 0; i0 < n; i0 += columnasPorTanda) {
        const size_t m = std::min(columnasPorTanda, n - i0);
        for (size_t c = 0; c < nFilas; ++c) {
            const uint8_t* p = origen + c * pasoFila + i0 * ancho<T>;
            double* t = teja + c * columnasPorTanda;
            const Escala e = escalas ? escalas[c] : identidad;
            if (e.identidad()) {
                for (size_t k = 0; k < m; ++k) t[k] = valorEn<T>(p + k * ancho<T>);
            } else {
                const double g = e.ganancia, o = e.desplazamiento;
                for (size_t k = 0; k < m; ++k) t[k] = valorEn<T>(p + k * ancho<T>) * g + o;
            }
        }
        transponerTeja(teja, columnasPorTanda, nFilas, m, destino + i0 * nFilas);
    }
}

}  // namespace

std::optional<TipoValor> tipoValorGDF(uint32_t codigo) {
    switch (codigo) {
        case 1: return TipoValor::int8;
        case 2: return TipoValor::uint8;
        case 3: return TipoValor::int16;
        case 4: return TipoValor::uint16;
        case 279: return TipoValor::int24;
        case 5: return TipoValor::int32;
        case 6: return TipoValor::uint32;
        case 7: return TipoValor::int64;
        case 16: return TipoValor::float32;
        case 17: return TipoValor::float64;
        default: return std::nullopt;
    }
}

size_t bytesPorValor(TipoValor tipo) {
    switch (tipo) {
        case TipoValor::int8:
        case TipoValor::uint8: return 1;
        case TipoValor::int16:
        case TipoValor::uint16: return 2;
        case TipoValor::int24: return 3;
        case TipoValor::int32:
        case TipoValor::uint32:
        case TipoValor::float32: return 4;
        case TipoValor::int64:
        case TipoValor::float64: return 8;
    }
    return 0;
}

void convertirValores(TipoValor tipo, const uint8_t* origen, size_t n, double* destino, size_t pasoDestino,
                      Escala escala) {
    switch (tipo) {
        case TipoValor::int8: convertir<int8_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::uint8: convertir<uint8_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::int16: convertir<int16_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::uint16: convertir<uint16_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::int24: convertir<Entero24>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::int32: convertir<int32_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::uint32: convertir<uint32_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::int64: convertir<int64_t>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::float32: convertir<float>(origen, n, destino, pasoDestino, escala); break;
        case TipoValor::float64: convertir<double>(origen, n, destino, pasoDestino, escala); break;
    }
}

void convertirMultiplexado(TipoValor tipo, const uint8_t* origen, size_t pasoOrigen, size_t nCanales,
                           size_t nMuestras, const Escala* escalas, double* destino) {
    switch (tipo) {
        case TipoValor::int8: multiplexado<int8_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::uint8: multiplexado<uint8_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::int16: multiplexado<int16_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::uint16: multiplexado<uint16_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::int24: multiplexado<Entero24>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::int32: multiplexado<int32_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::uint32: multiplexado<uint32_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::int64: multiplexado<int64_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::float32: multiplexado<float>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::float64: multiplexado<double>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
    }
}

void transponerTeja(const double* teja, size_t pasoFila, size_t nFilas, size_t m, double* destino) {
    using Reales2 = double __attribute__((vector_size(16)));
    size_t k = 0;
    // Two columns at a time from pairs of rows (a 2 x 2 transposition in
    // registers), but each column written whole before the next: one store
    // stream in order, which writes as fast as filling the matrix does.
    for (; k + 2 <= m; k += 2) {
        for (size_t j = 0; j < 2; ++j) {
            double* d = destino + (k + j) * nFilas;
            size_t c = 0;
            for (; c + 2 <= nFilas; c += 2) {
                Reales2 a, b;
                std::memcpy(&a, teja + c * pasoFila + k, sizeof a);
                std::memcpy(&b, teja + (c + 1) * pasoFila + k, sizeof b);
                const Reales2 x = j == 0 ? __builtin_shufflevector(a, b, 0, 2) : __builtin_shufflevector(a, b, 1, 3);
                std::memcpy(d + c, &x, sizeof x);
            }
            if (c < nFilas) d[c] = teja[c * pasoFila + k + j];
        }
    }
    for (; k < m; ++k)
        for (size_t c = 0; c < nFilas; ++c) destino[k * nFilas + c] = teja[c * pasoFila + k];
}

void convertirFilas(TipoValor tipo, const uint8_t* origen, size_t pasoFila, size_t nFilas, size_t n,
                    const Escala* escalas, double* destino) {
    std::vector<double> tejaPropia(nFilas * columnasPorTanda);
    double* teja = tejaPropia.data();
    switch (tipo) {
        case TipoValor::int8: filas<int8_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::uint8: filas<uint8_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::int16: filas<int16_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::uint16: filas<uint16_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::int24: filas<Entero24>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::int32: filas<int32_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::uint32: filas<uint32_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::int64: filas<int64_t>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::float32: filas<float>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
        case TipoValor::float64: filas<double>(origen, pasoFila, nFilas, n, escalas, destino, teja); break;
    }
}
