#include "cli/json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "io/textoNumero.h"

std::string cadenaJSON(const std::string& t) {
    std::string r = "\"";
    for (size_t i = 0; i < t.size();) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (c == '"') { r += "\\\""; ++i; continue; }
        if (c == '\\') { r += "\\\\"; ++i; continue; }
        if (c < 0x20) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", c);
            r += u;
            ++i;
            continue;
        }
        if (c < 0x80) { r += static_cast<char>(c); ++i; continue; }
        // Multi-byte UTF-8 sequence: copy it only when it is well formed.
        const int largo = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        bool valida = largo > 0 && i + static_cast<size_t>(largo) <= t.size();
        for (int k = 1; valida && k < largo; ++k)
            valida = (static_cast<unsigned char>(t[i + static_cast<size_t>(k)]) & 0xC0) == 0x80;
        if (valida) {
            r.append(t, i, static_cast<size_t>(largo));
            i += static_cast<size_t>(largo);
        } else {
            r += "\xEF\xBF\xBD";
            ++i;
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
