#include "io/textoNumerico.h"

#include <charconv>
#include <cmath>

std::optional<int64_t> enteroInicial(std::string_view texto) {
    size_t i = 0;
    if (!texto.empty() && texto[0] == '+') i = 1;  // from_chars takes '-' but not '+'
    if (i == 1 && texto.size() > 1 && texto[1] == '-') return std::nullopt;
    int64_t valor = 0;
    const char* inicio = texto.data() + i;
    const auto [fin, error] = std::from_chars(inicio, texto.data() + texto.size(), valor);
    if (error != std::errc() || fin == inicio) return std::nullopt;
    return valor;
}

std::string textoReal(double v) {
    char b[64];
    // Plain digits while they are few ("1000000000", not "1e+09").
    const auto [fin, error] = std::abs(v) < 1e21 ? std::to_chars(b, b + sizeof b, v, std::chars_format::fixed)
                                                 : std::to_chars(b, b + sizeof b, v);
    return error == std::errc() ? std::string(b, fin) : std::string("?");
}
