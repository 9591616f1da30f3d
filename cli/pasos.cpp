#include "cli/pasos.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

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

double leerReal(const std::string& token, const std::string& contexto) {
    double v = 0.0;
    const char* fin = token.data() + token.size();
    const auto r = std::from_chars(token.data(), fin, v);
    if (token.empty() || r.ec != std::errc() || r.ptr != fin || !std::isfinite(v))
        throw std::invalid_argument("valor no valido \"" + token + "\" en " + contexto + " (se esperaba un numero)");
    return v;
}

int leerEntero(const std::string& token, const std::string& contexto) {
    int v = 0;
    const char* fin = token.data() + token.size();
    const auto r = std::from_chars(token.data(), fin, v);
    if (token.empty() || r.ec != std::errc() || r.ptr != fin)
        throw std::invalid_argument("valor no valido \"" + token + "\" en " + contexto +
                                    " (se esperaba un numero entero)");
    return v;
}
