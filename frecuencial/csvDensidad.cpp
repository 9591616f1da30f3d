#include "frecuencial/csvDensidad.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Shortest round-trip decimal text of v ("nan", "inf" for those).
std::string textoReal(double v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return std::string(b, r.ptr);
}

std::string campo(const std::string& t) {
    if (t.find_first_of(",\"\n\r") == std::string::npos) return t;
    std::string r = "\"";
    for (char c : t) r += (c == '"') ? std::string("\"\"") : std::string(1, c);
    return r + "\"";
}

}  // namespace

void escribirEspectroCSV(std::ostream& salida, const EspectroPotencia& e, const std::vector<std::string>& etiquetas) {
    if (etiquetas.size() != e.densidad.n_rows || e.densidad.n_cols != e.frecuencias.n_elem)
        throw std::invalid_argument("el número de etiquetas no coincide con el de canales");
    std::string linea = "frecuencia";
    for (const std::string& t : etiquetas) linea += "," + campo(t);
    salida << linea << '\n';
    for (arma::uword k = 0; k < e.frecuencias.n_elem; ++k) {
        linea = textoReal(e.frecuencias[k]);
        for (arma::uword c = 0; c < e.densidad.n_rows; ++c) linea += "," + textoReal(e.densidad(c, k));
        salida << linea << '\n';
    }
}

void escribirBandasCSV(std::ostream& salida, const TablaBandas& t, const std::vector<std::string>& etiquetas,
                       bool relativas) {
    if (etiquetas.size() != t.absoluta.n_rows)
        throw std::invalid_argument("el número de etiquetas no coincide con el de canales");
    std::string linea = "canal";
    for (const BandaFrecuencia& b : t.bandas) linea += "," + b.nombre;
    if (relativas)
        for (const BandaFrecuencia& b : t.bandas) linea += "," + b.nombre + "_relativa";
    salida << linea << '\n';
    for (arma::uword c = 0; c < t.absoluta.n_rows; ++c) {
        linea = campo(etiquetas[c]);
        for (arma::uword j = 0; j < t.absoluta.n_cols; ++j) linea += "," + textoReal(t.absoluta(c, j));
        if (relativas)
            for (arma::uword j = 0; j < t.relativa.n_cols; ++j) linea += "," + textoReal(t.relativa(c, j));
        salida << linea << '\n';
    }
}

void guardarTexto(const std::string& ruta, const std::function<void(std::ostream&)>& escribir) {
    const fs::path destino(ruta);
    std::error_code e;
    if (fs::is_directory(destino, e)) throw std::runtime_error("\"" + ruta + "\" es una carpeta, no un archivo");
    std::random_device azar;
    const fs::path temporal = destino.parent_path() / (destino.filename().string() + ".tmp-" + std::to_string(azar()));
    try {
        {
            std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
            if (!salida) throw std::runtime_error("no se puede crear el archivo \"" + ruta + "\"");
            escribir(salida);
            salida.flush();
            if (!salida) throw std::runtime_error("error de escritura en \"" + ruta + "\" (¿disco lleno?)");
        }
        fs::rename(temporal, destino, e);
        if (e) throw std::runtime_error("no se pudo guardar \"" + ruta + "\": " + e.message());
    } catch (...) {
        std::error_code ignorado;
        fs::remove(temporal, ignorado);
        throw;
    }
}

std::vector<std::string> etiquetasCanales(const EEG& eeg) {
    const arma::uword C = eeg.matrices.empty() ? eeg.numeroCanales : eeg.datos().n_rows;
    std::vector<std::string> r;
    for (arma::uword c = 0; c < C; ++c) {
        std::string e = (eeg.canales && c < eeg.canales->size()) ? (*eeg.canales)[c].etiqueta : "";
        while (!e.empty() && (e.back() == ' ' || e.back() == '\0')) e.pop_back();
        r.push_back(e.empty() ? "canal" + std::to_string(c + 1) : e);
    }
    return r;
}
