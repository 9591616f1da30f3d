#include "io/textoCabecera.h"

namespace {

// Length of the well-formed UTF-8 sequence at texto[i], 0 when none starts there.
size_t largoSecuencia(std::string_view t, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    const auto cont = [&](size_t k, unsigned char menor = 0x80, unsigned char mayor = 0xBF) {
        return i + k < t.size() && b(i + k) >= menor && b(i + k) <= mayor;
    };
    // The first continuation byte's range rules out overlong forms, surrogates
    // and code points above U+10FFFF.
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c == 0xE0) return cont(1, 0xA0) && cont(2) ? 3 : 0;
    if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) return cont(1) && cont(2) ? 3 : 0;
    if (c == 0xED) return cont(1, 0x80, 0x9F) && cont(2) ? 3 : 0;
    if (c == 0xF0) return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3) return cont(1) && cont(2) && cont(3) ? 4 : 0;
    if (c == 0xF4) return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;
    return 0;
}

int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string recortarRelleno(std::string texto) {
    while (!texto.empty() && (texto.back() == ' ' || texto.back() == '\0')) texto.pop_back();
    return texto;
}

bool esUTF8Valido(std::string_view texto) {
    for (size_t i = 0; i < texto.size();) {
        const size_t n = largoSecuencia(texto, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string utf8Saneado(std::string_view texto) {
    std::string r;
    r.reserve(texto.size());
    for (size_t i = 0; i < texto.size();) {
        const size_t n = largoSecuencia(texto, i);
        if (n > 0) {
            r.append(texto.substr(i, n));
            i += n;
            continue;
        }
        // One replacement per byte that starts no well-formed sequence: a
        // surrogate ED A0 80 gives three, as its bytes do not belong together.
        r += "\xEF\xBF\xBD";
        ++i;
    }
    return r;
}

std::string textoDeCabecera(std::string_view texto) { return utf8Saneado(recortarRelleno(std::string(texto))); }

std::string decodificarPorciento(std::string_view texto) {
    std::string r;
    r.reserve(texto.size());
    for (size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '%' && i + 2 < texto.size() && valorHex(texto[i + 1]) >= 0 && valorHex(texto[i + 2]) >= 0) {
            r += static_cast<char>(valorHex(texto[i + 1]) * 16 + valorHex(texto[i + 2]));
            i += 2;
        } else {
            r += texto[i];
        }
    }
    return r;
}

std::string textoParaMensaje(std::string_view texto) {
    const std::string valido = utf8Saneado(texto);
    std::string r;
    r.reserve(valido.size());
    for (size_t i = 0; i < valido.size(); ++i) {
        const auto c = static_cast<unsigned char>(valido[i]);
        const bool c1 = c == 0xC2 && i + 1 < valido.size() && static_cast<unsigned char>(valido[i + 1]) < 0xA0;
        if (c < 0x20 || c == 0x7F || c1) {
            r += "\xEF\xBF\xBD";
            if (c1) ++i;
            continue;
        }
        r += valido[i];
    }
    return r;
}

std::vector<std::string> partir(const std::string& texto, char separador) {
    std::vector<std::string> partes;
    size_t inicio = 0;
    while (true) {
        const size_t fin = texto.find(separador, inicio);
        partes.push_back(texto.substr(inicio, fin == std::string::npos ? std::string::npos : fin - inicio));
        if (fin == std::string::npos) break;
        inicio = fin + 1;
    }
    return partes;
}
