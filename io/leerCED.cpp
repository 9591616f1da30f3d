#include "io/leerCED.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "io/archivoRegular.h"
#include "io/diagnostico.h"
#include "io/textoCabecera.h"

namespace {

bool esBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string sinBlancos(const std::string& t) {
    size_t a = 0, b = t.size();
    while (a < b && esBlanco(t[a])) ++a;
    while (b > a && esBlanco(t[b - 1])) --b;
    return t.substr(a, b - a);
}

// Tab-separated fields, empty ones kept in place; a line without any tab is
// split at runs of blanks instead.
std::vector<std::string> campos(const std::string& linea) {
    std::vector<std::string> r;
    if (linea.find('\t') != std::string::npos) {
        for (const std::string& c : partir(linea, '\t')) r.push_back(sinBlancos(c));
        return r;
    }
    size_t i = 0;
    while (i < linea.size()) {
        while (i < linea.size() && esBlanco(linea[i])) ++i;
        const size_t inicio = i;
        while (i < linea.size() && !esBlanco(linea[i])) ++i;
        if (i > inicio) r.push_back(linea.substr(inicio, i - inicio));
    }
    return r;
}

// The whole field as a decimal number (the same under any locale).
std::optional<double> numero(const std::string& t) {
    const size_t desde = !t.empty() && t[0] == '+' ? 1 : 0;
    double v = 0.0;
    const char* fin = t.data() + t.size();
    const auto [p, error] = std::from_chars(t.data() + desde, fin, v);
    if (error != std::errc() || p != fin || desde == t.size()) return std::nullopt;
    return v;
}

// number, labels, type, theta, radius, X, Y, Z, sph_theta, sph_phi, sph_radius
constexpr size_t columnaX = 5;
const char* const nombresXYZ[] = {"X", "Y", "Z"};
// The other numeric columns: a value there that is not a number is a damaged
// file as much as one in X, Y or Z, though the record uses only the labels
// and X, Y, Z. An empty field is allowed in any of them.
constexpr std::pair<size_t, const char*> otrasColumnasNumericas[] = {
    {0, "Number"}, {3, "theta"}, {4, "radius"}, {8, "sph_theta"}, {9, "sph_phi"}, {10, "sph_radius"}};
// A line per channel of some 80 bytes: 16 MiB is far beyond any cap.
constexpr std::uintmax_t maximoBytesCED = std::uintmax_t{16} << 20;

std::string noEsNumero(size_t linea, size_t columna, const char* nombre, const std::string& valor) {
    return "línea " + std::to_string(linea) + ", columna " + std::to_string(columna + 1) + " (" + nombre + "): «" +
           textoParaMensaje(valor) + "» no es un número.";
}

}  // namespace

ResultadoCED leerCED(EEG& eeg, std::string ruta) {
    ResultadoCED resultado;
    // Looked at before opening: a FIFO would block the open, a device such as
    // /dev/zero would be read forever.
    if (std::string motivo = motivoArchivoEspecial(ruta); !motivo.empty()) {
        resultado.abierto = true;
        resultado.error = std::move(motivo);
        return resultado;
    }
    std::error_code e;
    const auto bytes = std::filesystem::file_size(ruta, e);
    if (!e && bytes > maximoBytesCED) {
        resultado.abierto = true;
        resultado.error = "ocupa " + std::to_string(bytes) + " bytes, más de los " + std::to_string(maximoBytesCED) +
                          " que puede ocupar un archivo de localizaciones";
        return resultado;
    }
    std::ifstream archivo(ruta, std::ios::binary);
    if (!archivo) {
        diagnostico("fallo al abrir el archivo");
        return resultado;
    }
    return leerCED(eeg, archivo);
}

ResultadoCED leerCED(EEG& eeg, std::istream& archivo) {
    ResultadoCED resultado;
    resultado.abierto = true;
    std::string linea;
    std::getline(archivo, linea);  // header
    size_t numeroLinea = 1;

    std::vector<Canal>& canales = *eeg.canales;
    const size_t n = std::min<size_t>(eeg.numeroCanales, canales.size());
    for (size_t i = 0; i < n; ++i) {
        bool hayLinea = false;
        while (std::getline(archivo, linea)) {
            ++numeroLinea;
            if (!sinBlancos(linea).empty()) {
                hayLinea = true;
                break;
            }
        }
        if (!hayLinea) break;
        const std::vector<std::string> c = campos(linea);
        std::array<double, 3> xyz{};
        bool completa = true;
        for (size_t k = 0; k < 3; ++k) {
            const size_t col = columnaX + k;
            if (col >= c.size() || c[col].empty()) {
                completa = false;
                continue;
            }
            const std::optional<double> v = numero(c[col]);
            if (!v) {
                resultado.error = noEsNumero(numeroLinea, col, nombresXYZ[k], c[col]);
                return resultado;
            }
            xyz[k] = *v;
        }
        for (const auto& [col, nombre] : otrasColumnasNumericas)
            if (col < c.size() && !c[col].empty() && !numero(c[col])) {
                resultado.error = noEsNumero(numeroLinea, col, nombre, c[col]);
                return resultado;
            }
        const std::string etiqueta = c.size() > 1 ? textoDeCabecera(c[1]) : std::string();
        if (!etiqueta.empty()) canales[i].etiqueta = etiqueta;
        if (completa) {
            canales[i].localizacion = xyz;
        } else {
            canales[i].localizacion.reset();
            resultado.avisos.push_back("El canal " + std::to_string(i + 1) + " («" + canales[i].etiqueta +
                                       "») no tiene coordenadas X, Y, Z en la línea " + std::to_string(numeroLinea) +
                                       " del archivo de localizaciones: queda sin localización.");
        }
        ++resultado.canalesLeidos;
    }
    return resultado;
}
