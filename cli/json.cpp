#include "cli/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "io/textoNumero.h"

#include "io/textoCabecera.h"

std::string cadenaJSON(const std::string& texto) {
    // Invalid UTF-8 (surrogates, overlong forms, above U+10FFFF, cut
    // sequences) becomes U+FFFD: a strict JSON parser takes the output.
    const std::string t = utf8Saneado(texto);
    std::string r = "\"";
    for (size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (c == '"') {
            r += "\\\"";
        } else if (c == '\\') {
            r += "\\\\";
        } else if (c < 0x20) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", c);
            r += u;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r + "\"";
}

std::string numeroJSON(double v) {
    if (!std::isfinite(v)) return "null";
    // The fewest digits that read back to the same double.
    std::string texto;
    for (int digitos = 15; digitos <= 17; ++digitos) {
        texto = textoGeneral(v, digitos);
        double leido = 0.0;
        std::from_chars(texto.data(), texto.data() + texto.size(), leido);
        if (leido == v) break;
    }
    return texto;
}
