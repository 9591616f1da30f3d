#include "io/guardarRama.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <random>
#include <stdexcept>

#include "io/EdfFileReader.h"
#include "io/GdfFileReader.h"
#include "io/escritorEDF.h"
#include "io/escritorGDF.h"
#include "io/textoCabecera.h"
#include "io/textoNumero.h"

namespace fs = std::filesystem;

namespace {

void escribirCSV(const EEG& eeg, std::ostream& salida, const Avance& avance) {
    const arma::mat& datos = eeg.datos();
    // An epoched branch in long form: each row says its epoch (from 1), the
    // epoch's event kind and the time from the event in seconds.
    const Epocas* epocas = eeg.epocas.get();
    if (epocas) salida << "\"epoca\",\"tipo\",\"tiempo\",";
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
        if (epocas) {
            const auto ancho = static_cast<arma::uword>(epocas->ancho);
            const arma::uword e = s / ancho;
            const auto& tipo = epocas->tipos.at(e);
            linea += std::to_string(e + 1) + ',' + std::to_string(tipo.first) + '.' + std::to_string(tipo.second) + ',' +
                     textoGeneral((static_cast<double>(s % ancho) - epocas->pre) / eeg.frecuenciaMuestreo, 17) + ',';
        }
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
// the doubles in column order), a block of columns at a time. Epochs side by
// side are, in that order, the cube channels x W x E of the averaging's
// cube files: an epoched branch is written with the cube's header.
void escribirBIN(const arma::mat& datos, const Epocas* epocas, std::ostream& salida, const Avance& avance) {
    if (epocas && static_cast<arma::uword>(epocas->ancho) * epocas->numero() == datos.n_cols)
        salida << "ARMA_CUB_BIN_FN008\n" + std::to_string(datos.n_rows) + ' ' + std::to_string(epocas->ancho) + ' ' +
                      std::to_string(epocas->numero()) + '\n';
    else
        salida << "ARMA_MAT_BIN_FN008\n" + std::to_string(datos.n_rows) + ' ' + std::to_string(datos.n_cols) + '\n';
    constexpr arma::uword columnasPorBloque = 16384;
    for (arma::uword desde = 0; desde < datos.n_cols; desde += columnasPorBloque) {
        const arma::uword n = std::min<arma::uword>(columnasPorBloque, datos.n_cols - desde);
        salida.write(reinterpret_cast<const char*>(datos.colptr(desde)),
                     static_cast<std::streamsize>(n * datos.n_rows * sizeof(double)));
        avance(static_cast<double>(desde + n), static_cast<double>(datos.n_cols));
    }
}

std::string sinBlancos(const std::string& t) {
    const size_t a = t.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    return t.substr(a, t.find_last_not_of(" \t") - a + 1);
}

// Reads the file just written at `temporal` with our reader of its format
// and throws when it does not give back what `eeg` holds.
void comprobarEscrito(const EEG& eeg, const fs::path& temporal, FormatoSalida formato, const std::string& ruta) {
    std::unique_ptr<FileReader> lector;
    if (formato == FormatoSalida::GDF)
        lector = std::make_unique<GdfFileReader>();
    else
        lector = std::make_unique<EdfFileReader>();
    const EEG leido = lector->leer(temporal.string());
    if (!lector->motivoFallo().empty())
        throw std::runtime_error("el archivo escrito \"" + ruta + "\" no se puede leer (" + lector->motivoFallo() +
                                 "); no se guarda");
    const std::string diferencia = diferenciaCabecera(cabeceraEsperada(eeg, formato), leido);
    if (!diferencia.empty())
        throw std::runtime_error("el archivo escrito \"" + ruta + "\" no se lee como se escribió (" + diferencia +
                                 "); no se guarda");
}

}  // namespace

EEG conFronterasEpocas(const EEG& eeg) {
    if (eeg.matrices.empty()) return derivarEEG(eeg, arma::mat());
    // The samples are not copied: the record aliases them (Armadillo's
    // auxiliary-memory constructor, strict, so never reallocated) and the
    // writers only read.
    const arma::mat& datos = eeg.datos();
    EEG r = derivarEEG(eeg, arma::mat(const_cast<double*>(datos.memptr()), datos.n_rows, datos.n_cols, false, true));
    if (!eeg.epocas || eeg.epocas->numero() < 2) return r;
    auto tabla = std::make_shared<TablaEventos>(eeg.tablaEventos ? *eeg.tablaEventos : TablaEventos{});
    Evento frontera;
    frontera.tipo = tipoFrontera;
    frontera.calificador = 1;
    tabla->textos[{tipoFrontera, 1}] = "boundary";
    for (std::size_t e = 1; e < eeg.epocas->numero(); ++e) {
        frontera.posicion = static_cast<int32_t>(e * static_cast<std::size_t>(eeg.epocas->ancho));
        tabla->eventos.push_back(frontera);
    }
    std::stable_sort(tabla->eventos.begin(), tabla->eventos.end(),
                     [](const Evento& a, const Evento& b) { return a.posicion < b.posicion; });
    tabla->tipos.push_back(frontera);
    tabla->numeroEventos = static_cast<int32_t>(tabla->eventos.size());
    tabla->numeroTipos = static_cast<int32_t>(tabla->tipos.size());
    r.tablaEventos = std::move(tabla);
    return r;
}

CabeceraEsperada cabeceraEsperada(const EEG& eeg, FormatoSalida formato) {
    CabeceraEsperada c;
    const arma::mat& datos = eeg.datos();
    c.frecuencia = eeg.frecuenciaMuestreo;
    c.muestrasMinimas = c.muestrasMaximas = static_cast<int64_t>(datos.n_cols);
    if (formato == FormatoSalida::GDF) {
        for (arma::uword i = 0; i < datos.n_rows; ++i)
            c.etiquetas.push_back(textoDeCabecera(
                eeg.canales && i < eeg.canales->size() ? (*eeg.canales)[i].etiqueta.substr(0, 16) : ""));
    } else {
        c.etiquetas = etiquetasEscritasEDF(eeg, formato == FormatoSalida::BDF ? FormatoEDF::BDF : FormatoEDF::EDF);
        c.muestrasMaximas += std::max(eeg.frecuenciaMuestreo, 1) - 1;  // the last record padded
    }
    if (eeg.tablaEventos)
        for (const Evento& e : eeg.tablaEventos->eventos)
            if (e.posicion >= 0 && e.posicion < c.muestrasMinimas) ++c.eventos;
    return c;
}

std::string diferenciaCabecera(const CabeceraEsperada& esperada, const EEG& leido) {
    const size_t canales = leido.matrices.empty() ? 0 : leido.datos().n_rows;
    if (canales != esperada.etiquetas.size())
        return std::to_string(canales) + " canales en lugar de " + std::to_string(esperada.etiquetas.size());
    for (size_t c = 0; c < canales; ++c) {
        const std::string etiqueta = leido.canales && c < leido.canales->size() ? (*leido.canales)[c].etiqueta : "";
        if (sinBlancos(etiqueta) != sinBlancos(esperada.etiquetas[c]))
            return "el canal " + std::to_string(c + 1) + " se llama «" + etiqueta + "» en lugar de «" +
                   esperada.etiquetas[c] + "»";
    }
    if (leido.frecuenciaMuestreo != esperada.frecuencia)
        return "frecuencia de " + std::to_string(leido.frecuenciaMuestreo) + " Hz en lugar de " +
               std::to_string(esperada.frecuencia) + " Hz";
    const auto muestras = static_cast<int64_t>(leido.matrices.empty() ? 0 : leido.datos().n_cols);
    if (muestras < esperada.muestrasMinimas || muestras > esperada.muestrasMaximas)
        return std::to_string(muestras) + " muestras en lugar de " + std::to_string(esperada.muestrasMinimas);
    const size_t eventos = leido.tablaEventos ? leido.tablaEventos->eventos.size() : 0;
    if (eventos != esperada.eventos)
        return std::to_string(eventos) + " eventos en lugar de " + std::to_string(esperada.eventos);
    return std::string();
}

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

const std::vector<FormatoOfrecido>& formatosGuardado() {
    static const std::vector<FormatoOfrecido> formatos = {
        {FormatoSalida::GDF, "GDF 2.20", "gdf"},         {FormatoSalida::EDF, "EDF+ (16 bits)", "edf"},
        {FormatoSalida::BDF, "BDF+ (24 bits)", "bdf"},   {FormatoSalida::CSV, "CSV", "csv"},
        {FormatoSalida::BIN, "Matriz de Armadillo", "bin"},
    };
    return formatos;
}

void guardarRama(const EEG& rama, const std::string& ruta, const Avance& avance) {
    const FormatoSalida formato = formatoPorExtension(ruta);
    if (rama.matrices.empty()) throw std::runtime_error("la rama no tiene datos que guardar");
    // The signal formats keep an epoched branch as its epochs in a row with
    // boundaries between them; CSV and BIN write the epochs as they are.
    const bool senal = formato == FormatoSalida::GDF || formato == FormatoSalida::EDF || formato == FormatoSalida::BDF;
    const EEG conFronteras = senal && rama.epocas ? conFronterasEpocas(rama) : EEG{};
    const EEG& eeg = senal && rama.epocas ? conFronteras : rama;
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
                        avance, ruta);
        } else {
            std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
            if (!salida) throw std::runtime_error("no se puede crear el archivo \"" + ruta + "\"");
            switch (formato) {
                case FormatoSalida::GDF: escribirGDF(eeg, salida, avance); break;
                case FormatoSalida::CSV: escribirCSV(eeg, salida, avance); break;
                case FormatoSalida::EDF:
                case FormatoSalida::BDF: break;
                case FormatoSalida::BIN: escribirBIN(eeg.datos(), eeg.epocas.get(), salida, avance); break;
            }
            salida.flush();
            if (!salida) throw std::runtime_error("error de escritura en \"" + ruta + "\" (¿disco lleno?)");
        }
        if (formato == FormatoSalida::GDF || formato == FormatoSalida::EDF || formato == FormatoSalida::BDF)
            comprobarEscrito(eeg, temporal, formato, ruta);
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
