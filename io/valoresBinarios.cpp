#include "io/valoresBinarios.h"

#include <cstring>

namespace {

// Little-endian host assumed (x86-64, AArch64): the stored bytes are the value.
template <typename T>
void convertir(const uint8_t* origen, size_t n, double* destino, size_t paso, double divisor) {
    if (paso == 1 && divisor == 1.0) {
        for (size_t i = 0; i < n; ++i) {
            T v;
            std::memcpy(&v, origen + i * sizeof(T), sizeof(T));
            destino[i] = static_cast<double>(v);
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        T v;
        std::memcpy(&v, origen + i * sizeof(T), sizeof(T));
        destino[i * paso] = static_cast<double>(v) / divisor;
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
        case 17: return TipoValor::float64Milesimas;
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
        case TipoValor::float64Milesimas: return 8;
    }
    return 0;
}

void convertirValores(TipoValor tipo, const uint8_t* origen, size_t n, double* destino, size_t pasoDestino) {
    switch (tipo) {
        case TipoValor::int8: convertir<int8_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::uint8: convertir<uint8_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::int16: convertir<int16_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::uint16: convertir<uint16_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::int32: convertir<int32_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::uint32: convertir<uint32_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::int64: convertir<int64_t>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::float32: convertir<float>(origen, n, destino, pasoDestino, 1.0); break;
        case TipoValor::float64Milesimas: convertir<double>(origen, n, destino, pasoDestino, 1000.0); break;
    }
}
