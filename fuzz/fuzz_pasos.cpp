// The runner's step texts and the averaging window check on fuzzed input.
// Input: a step text, a line end, then little-endian int32 values: rate,
// milliseconds before and after, sample count and event positions.
//   - interpretarPaso either refuses with std::invalid_argument or returns a
//     step that keeps its text; nothing else may escape.
//   - comprobarVentanas accepts exactly the windows that lie within the
//     samples, and extraerEpocas then cuts each epoch from its event's window.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "averaging/promediado.h"
#include "pasos/catalogoPasos.h"

namespace {

void exigir(bool condicion, const char* que) {
    if (condicion) return;
    std::fprintf(stderr, "invariante rota: %s\n", que);
    std::abort();
}

void probarPaso(const std::string& texto) {
    OpcionesPasos opciones;
    opciones.carpetaModelos = "/no/existe";  // nothing is looked for beside the executable
    try {
        const Paso p = interpretarPaso(texto, opciones);
        exigir(p.texto == texto && static_cast<bool>(p.calcular), "paso aceptado sin texto o sin función");
    } catch (const std::invalid_argument&) {
    }
}

void probarVentanas(const uint8_t* datos, size_t n) {
    std::vector<int32_t> v(n / 4);
    if (!v.empty()) std::memcpy(v.data(), datos, v.size() * 4);
    if (v.size() < 4) return;
    const int32_t frecuencia = v[0], msPrev = v[1], msPost = v[2];
    const auto muestras = static_cast<arma::uword>(static_cast<uint32_t>(v[3]) % 100000);
    const std::vector<int32_t> posiciones(v.begin() + 4, v.end());
    VentanaEpoca ventana;
    try {
        ventana = calcularVentana(frecuencia, msPrev, msPost);
    } catch (const std::invalid_argument&) {
        return;
    }
    exigir(ventana.pre >= 0 && ventana.post >= 0 && int64_t{ventana.ancho} == int64_t{ventana.pre} + 1 + ventana.post,
           "ventana incoherente");
    bool caben = true;
    for (int32_t p : posiciones)
        caben = caben && int64_t{p} - ventana.pre >= 0 && int64_t{p} + ventana.post < static_cast<int64_t>(muestras);
    bool aceptada = true;
    try {
        comprobarVentanas(muestras, posiciones, ventana);
    } catch (const std::out_of_range&) {
        aceptada = false;
    }
    exigir(aceptada == caben, "comprobarVentanas no coincide con las épocas que caben");
    // Cut the epochs only when they are small: the check above is what is
    // under test for large windows.
    if (!aceptada || muestras == 0 || uint64_t(ventana.ancho) * posiciones.size() > (1u << 20)) return;
    const arma::mat X = arma::regspace<arma::rowvec>(0, double(muestras - 1));
    const arma::cube c = extraerEpocas(X, posiciones, ventana);
    for (size_t i = 0; i < posiciones.size(); ++i)
        exigir(c(0, 0, i) == double(int64_t{posiciones[i]} - ventana.pre), "época cortada en otro sitio");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const auto* fin = static_cast<const uint8_t*>(std::memchr(datos, '\n', n));
    const size_t largoTexto = fin ? static_cast<size_t>(fin - datos) : n;
    probarPaso(std::string(reinterpret_cast<const char*>(datos), largoTexto));
    if (fin) probarVentanas(fin + 1, n - largoTexto - 1);
    return 0;
}
