#include "io/textoNumero.h"

#include <charconv>

namespace {
// 17 significant digits of the largest double in fixed notation need 309
// integer digits; 400 leaves room for any precision the callers ask.
constexpr int largoMaximo = 400;

std::string escribir(double x, std::chars_format formato, int precision) {
    char bufer[largoMaximo];
    const auto r = std::to_chars(bufer, bufer + sizeof bufer, x, formato, precision);
    if (r.ec != std::errc()) return "?";
    return std::string(bufer, r.ptr);
}
}  // namespace

std::string textoGeneral(double x, int cifras) { return escribir(x, std::chars_format::general, cifras); }

std::string textoFijo(double x, int decimales) { return escribir(x, std::chars_format::fixed, decimales); }
