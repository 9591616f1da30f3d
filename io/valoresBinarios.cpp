#include "io/valoresBinarios.h"

#include <cstring>

namespace {

// Little-endian host assumed (x86-64, AArch64): the stored bytes are the value.
template <typename T>
double valorEn(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    return static_cast<double>(v);
}

template <typename T>
void convertir(const uint8_t* origen, size_t n, double* destino, size_t paso, Escala escala) {
    if (escala.identidad()) {
        for (size_t i = 0; i < n; ++i) destino[i * paso] = valorEn<T>(origen + i * sizeof(T));
        return;
    }
    for (size_t i = 0; i < n; ++i)
        destino[i * paso] = valorEn<T>(origen + i * sizeof(T)) * escala.ganancia + escala.desplazamiento;
}

template <typename T>
void multiplexado(const uint8_t* origen, size_t pasoOrigen, size_t nCanales, size_t nMuestras, const Escala* escalas,
                  double* destino) {
    for (size_t s = 0; s < nMuestras; ++s) {
        const uint8_t* p = origen + s * pasoOrigen;
        double* d = destino + s * nCanales;
        if (!escalas) {
            for (size_t c = 0; c < nCanales; ++c) d[c] = valorEn<T>(p + c * sizeof(T));
        } else {
            for (size_t c = 0; c < nCanales; ++c)
                d[c] = valorEn<T>(p + c * sizeof(T)) * escalas[c].ganancia + escalas[c].desplazamiento;
        }
    }
}

}  // namespace

std::optional<TipoValor> tipoValorGDF(uint32_t codigo) {
    switch (codigo) {
        case 1: return TipoValor::int8;
        case 2: return TipoValor::uint8;
        case 3: return TipoValor::int16;
        case 4: return TipoValor::uint16;
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
        case TipoValor::int32: multiplexado<int32_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::uint32: multiplexado<uint32_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::int64: multiplexado<int64_t>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::float32: multiplexado<float>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
        case TipoValor::float64: multiplexado<double>(origen, pasoOrigen, nCanales, nMuestras, escalas, destino); break;
    }
}
