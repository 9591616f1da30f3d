#include "io/guardarRama.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <random>
#include <stdexcept>

#include "io/escritorEDF.h"
#include "io/escritorGDF.h"
#include "io/textoNumero.h"

namespace fs = std::filesystem;

namespace {

void escribirCSV(const EEG& eeg, std::ostream& salida, const Avance& avance) {
    const arma::mat& datos = eeg.datos();
    for (arma::uword c = 0; c < datos.n_rows; ++c) {
        std::string etiqueta = (eeg.canales && c < eeg.canales->size()) ? (*eeg.canales)[c].etiqueta : "";
        // Stored labels keep their padding; the header shows the name alone.
        while (!etiqueta.empty() && (etiqueta.back() == ' ' || etiqueta.back() == '\0')) etiqueta.pop_back();
        if (etiqueta.empty()) etiqueta = "canal" + std::to_string(c + 1);
        std::string escapada = "\"";
        for (char ch : etiqueta) escapada += (ch == '"') ? std::string("\"\"") : std::string(1, ch);
        salida << (c ? "," : "") << escapada << '"';
    }
    salida << '\n';
    std::string linea;
    for (arma::uword s = 0; s < datos.n_cols; ++s) {
        linea.clear();
        for (arma::uword c = 0; c < datos.n_rows; ++c) {
            if (c) linea += ',';
            linea += textoGeneral(datos(c, s), 17);  // reads back to the same double
        }
        linea += '\n';
        salida << linea;
        if (s % 1024 == 1023) avance(static_cast<double>(s + 1), static_cast<double>(datos.n_cols));
    }
}

// The matrix as Armadillo's own binary format writes it (a text header, then
// the doubles in column order), a block of columns at a time.
void escribirBIN(const arma::mat& datos, std::ostream& salida, const Avance& avance) {
    salida << "ARMA_MAT_BIN_FN008\n" + std::to_string(datos.n_rows) + ' ' + std::to_string(datos.n_cols) + '\n';
    constexpr arma::uword columnasPorBloque = 16384;
    for (arma::uword desde = 0; desde < datos.n_cols; desde += columnasPorBloque) {
        const arma::uword n = std::min<arma::uword>(columnasPorBloque, datos.n_cols - desde);
        salida.write(reinterpret_cast<const char*>(datos.colptr(desde)),
                     static_cast<std::streamsize>(n * datos.n_rows * sizeof(double)));
        avance(static_cast<double>(desde + n), static_cast<double>(datos.n_cols));
    }
}

}  // namespace

FormatoSalida formatoPorExtension(const std::string& ruta) {
    std::string ext = fs::path(ruta).extension().string();
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ext == ".gdf") return FormatoSalida::GDF;
    if (ext == ".csv") return FormatoSalida::CSV;
    if (ext == ".bin") return FormatoSalida::BIN;
    if (ext == ".edf") return FormatoSalida::EDF;
    if (ext == ".bdf") return FormatoSalida::BDF;
    throw std::invalid_argument("formato de salida desconocido para \"" + ruta +
                                "\": use la extension .gdf, .csv, .bin, .edf o .bdf");
}

void guardarRama(const EEG& eeg, const std::string& ruta, const Avance& avance) {
    const FormatoSalida formato = formatoPorExtension(ruta);
    if (eeg.matrices.empty()) throw std::runtime_error("la rama no tiene datos que guardar");
    const fs::path destino(ruta);
    if (fs::is_directory(destino)) throw std::runtime_error("\"" + ruta + "\" es una carpeta, no un archivo");

    std::random_device azar;
    const fs::path temporal =
        destino.parent_path() / (destino.filename().string() + ".tmp-" + std::to_string(azar()));
    try {
        avance(0.0);
        if (formato == FormatoSalida::EDF || formato == FormatoSalida::BDF) {
            // EDFlib writes to a path of its own.
            escribirEDF(eeg, temporal.string(), formato == FormatoSalida::EDF ? FormatoEDF::EDF : FormatoEDF::BDF,
                        avance);
        } else {
            std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
            if (!salida) throw std::runtime_error("no se puede crear el archivo \"" + ruta + "\"");
            switch (formato) {
                case FormatoSalida::GDF: escribirGDF(eeg, salida, avance); break;
                case FormatoSalida::CSV: escribirCSV(eeg, salida, avance); break;
                case FormatoSalida::EDF:
                case FormatoSalida::BDF: break;
                case FormatoSalida::BIN: escribirBIN(eeg.datos(), salida, avance); break;
            }
            salida.flush();
            if (!salida) throw std::runtime_error("error de escritura en \"" + ruta + "\" (¿disco lleno?)");
        }
        avance(1.0);
        std::error_code error;
        fs::rename(temporal, destino, error);
        if (error) throw std::runtime_error("no se pudo guardar \"" + ruta + "\": " + error.message());
    } catch (...) {
        std::error_code ignorado;
        fs::remove(temporal, ignorado);
        throw;
    }
}
