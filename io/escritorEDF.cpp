#include "io/escritorEDF.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <edflib.h>

#include "io/EdfFileReader.h"
#include "io/claseEvento.h"
#include "io/diagnostico.h"
#include "io/fechaHora.h"

namespace {

constexpr const char* etiquetaEstadoDatos = "Status-datos";

constexpr int64_t unidadesDuracion = 100000;  // EDFlib's record durations are in 10 µs units
constexpr int64_t bytesMaximosRegistro = int64_t{8} << 20;

// The value the header's 8-character field will hold, rounded outwards
// (up for a maximum, down for a minimum) so that every sample stays inside.
// Past 1e8 nothing fits; the check comes first because v / paso overflows
// to infinity from about 1.8e301 on, and "inf" would fit in 8 characters.
std::optional<double> valorCabecera(double v, bool haciaArriba) {
    if (!std::isfinite(v) || std::fabs(v) >= 1e8) return std::nullopt;
    for (int decimales = 7; decimales >= 0; --decimales) {
        const double paso = std::pow(10.0, -decimales);
        double r = std::round(v / paso) * paso;
        if (haciaArriba && r < v) r += paso;
        if (!haciaArriba && r > v) r -= paso;
        if (!std::isfinite(r)) continue;
        char texto[64];
        const auto fin = std::to_chars(texto, texto + sizeof texto, r, std::chars_format::fixed, decimales);
        if (fin.ec != std::errc() || fin.ptr - texto > 8) continue;
        double leido = 0.0;
        std::from_chars(texto, fin.ptr, leido);
        if (std::isfinite(leido) && (haciaArriba ? leido >= v : leido <= v)) return leido;
    }
    return std::nullopt;
}

// Printable ASCII only, as the header wants; at most `n` characters.
std::string ascii(const std::string& t, size_t n) {
    std::string r;
    for (char c : t) {
        if (r.size() == n) break;
        const auto u = static_cast<unsigned char>(c);
        if (u == 0) continue;
        r += (u >= 32 && u < 127) ? c : '_';
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
}

// Samples per data record (see the header).
int64_t muestrasPorRegistro(int64_t muestras, int32_t frecuencia, uint32_t canales, int64_t bytesPorMuestra) {
    const int64_t maximo = std::max<int64_t>(1, std::min<int64_t>(frecuencia, bytesMaximosRegistro /
                                                                                  (canales * bytesPorMuestra)));
    for (int64_t l = maximo; l >= 1; --l) {
        if (muestras % l != 0 || (l * unidadesDuracion) % frecuencia != 0) continue;
        const int64_t duracion = l * unidadesDuracion / frecuencia;
        if (duracion >= 100 && duracion <= 60 * unidadesDuracion) return l;  // EDFlib: 1 ms to 60 s
    }
    return 0;
}

// EDF+'s anonymised start, for which EDFlib has no call: the recording
// field's "Startdate 01-JAN-1985" becomes "Startdate X"; the startdate field
// keeps its 01.01.85.
void anonimizarFecha(const std::string& ruta, const std::string& nombre) {
    constexpr std::streamoff posicionRegistro = 88;
    constexpr std::string_view escrito = "Startdate 01-JAN-1985 ";
    std::fstream f(ruta, std::ios::in | std::ios::out | std::ios::binary);
    char campo[80];
    f.seekg(posicionRegistro);
    f.read(campo, sizeof campo);
    if (!f || std::string_view(campo, escrito.size()) != escrito)
        throw std::runtime_error("no se pudo marcar como desconocida la fecha de \"" + nombre + "\"");
    std::string anonimo = "Startdate X " + std::string(campo + escrito.size(), sizeof campo - escrito.size());
    anonimo.resize(sizeof campo, ' ');
    f.seekp(posicionRegistro);
    f.write(anonimo.data(), static_cast<std::streamsize>(anonimo.size()));
    if (!f.flush()) throw std::runtime_error("no se pudo marcar como desconocida la fecha de \"" + nombre + "\"");
}

class Escritura {
public:
    explicit Escritura(int h) : handle(h) {}
    ~Escritura() {
        if (handle >= 0) edfclose_file(handle);
    }
    Escritura(const Escritura&) = delete;
    Escritura& operator=(const Escritura&) = delete;
    int cerrar() {
        const int r = edfclose_file(handle);
        handle = -1;
        return r;
    }
    int handle;
};

// What one writing decides before the file is created, and EDFlib's handle.
struct EscrituraEDF {
    EscrituraEDF(const EEG& registro, const std::string& archivo, FormatoEDF formato)
        : eeg(registro),
          datos(registro.datos()),
          nombreMostrado(archivo),
          bdf(formato == FormatoEDF::BDF),
          nombre(bdf ? "BDF+" : "EDF+") {}
    const EEG& eeg;
    const arma::mat& datos;
    const std::string& nombreMostrado;  // the user's file, not the temporary one written
    bool bdf;
    const char* nombre;  // "EDF+" or "BDF+"
    uint32_t canales = 0;
    int64_t muestras = 0;
    int32_t fs = 0;
    int64_t l = 0;  // samples per record
    int64_t registros = 0;
    int digitalMaximo = 0;
    std::vector<const Evento*> eventos;  // those inside the recording
    int64_t senalesAnotacion = 0;
    int h = -1;

    void comprobar(int r, const std::string& que) const {
        if (r != 0) throw std::runtime_error("EDFlib rechaza " + que + " al escribir \"" + nombreMostrado + "\"");
    }
};

// Checks the record against the format and lays out its records and
// annotation signals.
void disponerEDF(EscrituraEDF& w) {
    const EEG& eeg = w.eeg;
    if (eeg.frecuenciaMuestreo <= 0)
        throw std::runtime_error(std::string("no se puede guardar como ") + w.nombre + " una rama con frecuencia de muestreo " +
                                 std::to_string(eeg.frecuenciaMuestreo) + " Hz");
    // One signal is taken by the annotations.
    const int maximoCanales = EDFLIB_MAXSIGNALS - 64;
    if (w.datos.n_rows > static_cast<arma::uword>(maximoCanales))
        throw std::runtime_error(std::string(w.nombre) + " admite como mucho " + std::to_string(maximoCanales) +
                                 " canales y la rama tiene " + std::to_string(w.datos.n_rows));
    if (!w.datos.is_finite()) throw std::runtime_error("la rama contiene valores no finitos (NaN o infinito)");

    w.canales = static_cast<uint32_t>(w.datos.n_rows);
    w.muestras = static_cast<int64_t>(w.datos.n_cols);
    w.fs = eeg.frecuenciaMuestreo;
    const int64_t bytesPorMuestra = w.bdf ? 3 : 2;
    w.l = muestrasPorRegistro(w.muestras, w.fs, w.canales, bytesPorMuestra);
    if (w.l == 0)
        w.l = std::max<int64_t>(1, std::min<int64_t>(w.fs, bytesMaximosRegistro / (w.canales * bytesPorMuestra)));
    w.registros = (w.muestras + w.l - 1) / w.l;
    w.digitalMaximo = w.bdf ? 8388607 : 32767;

    // Annotation space: each annotation signal holds about one annotation per record.
    if (eeg.tablaEventos)
        for (const Evento& e : eeg.tablaEventos->eventos)
            if (e.posicion >= 0 && e.posicion < w.muestras) w.eventos.push_back(&e);
    w.senalesAnotacion =
        std::max<int64_t>(1, (static_cast<int64_t>(w.eventos.size()) + w.registros - 1) / w.registros + 1);
    if (w.senalesAnotacion > 64)
        throw std::runtime_error("la rama tiene " + std::to_string(w.eventos.size()) + " eventos en " +
                                 std::to_string(w.registros) + " registros de datos: no caben como anotaciones " +
                                 w.nombre);
}

// The record duration, the annotation signals and the start; false when the
// start is written as EDF+'s anonymised date.
bool cabeceraEDF(const EscrituraEDF& w) {
    const int h = w.h;
    if (w.l != w.fs)
        w.comprobar(edf_set_datarecord_duration(h, static_cast<int>(w.l * unidadesDuracion / w.fs)),
                    "la duración de registro");
    w.comprobar(edf_set_number_of_annotation_signals(h, static_cast<int>(w.senalesAnotacion)),
                "el número de anotaciones");
    // The startdate field holds years 1985 to 2084 only; any other start,
    // like an unknown one, is written as EDF+'s anonymised date.
    const std::optional<FechaHora>& fecha = w.eeg.fechaHora;
    const bool conFecha = fecha && fechaHoraValida(*fecha) && fecha->anio >= 1985 && fecha->anio <= 2084;
    if (fecha && !conFecha)
        diagnostico("la fecha " + textoISO8601(*fecha) + " no cabe en " + w.nombre +
                    " (años 1985 a 2084): se guarda como desconocida");
    if (conFecha) {
        w.comprobar(edf_set_startdatetime(h, fecha->anio, fecha->mes, fecha->dia, fecha->hora, fecha->minuto,
                                          fecha->segundo),
                    "la fecha");
        // In 100 ns units, kept to 100 µs as EDFlib advises.
        w.comprobar(edf_set_subsecond_starttime(h, fecha->microsegundos / 100 * 1000),
                    "la fracción de segundo del inicio");
    } else {
        w.comprobar(edf_set_startdatetime(h, 1985, 1, 1, 0, 0, 0), "la fecha");
    }
    return conFecha;
}

// Every channel's signal header; gives each channel's physical range.
std::vector<std::pair<double, double>> senalesEDF(const EscrituraEDF& w) {
    const int h = w.h;
    const EEG& eeg = w.eeg;
    std::vector<std::pair<double, double>> fisicos(w.canales);
    const std::vector<std::string> etiquetas = etiquetasEscritasEDF(eeg, w.bdf ? FormatoEDF::BDF : FormatoEDF::EDF);
    for (uint32_t c = 0; c < w.canales; ++c) {
        const int s = static_cast<int>(c);
        double minimo = w.datos.row(c).min(), maximo = w.datos.row(c).max();
        if (minimo == 0.0 && maximo == 0.0) {
            // A silent channel: one unit per digital step, so that 0 is a
            // digital value and the channel reads back exactly silent.
            minimo = -w.digitalMaximo - 1.0;
            maximo = w.digitalMaximo;
        } else if (maximo - minimo < 1e-6) {
            minimo -= 1.0;
            maximo += 1.0;
        }
        const std::optional<double> fisicoMinimo = valorCabecera(minimo, false);
        const std::optional<double> fisicoMaximo = valorCabecera(maximo, true);
        if (!fisicoMinimo || !fisicoMaximo)
            throw std::runtime_error("los valores del canal " + std::to_string(c + 1) + " no caben en los campos de " +
                                     w.nombre + " (más de 8 cifras)");
        fisicos[c] = {*fisicoMinimo, *fisicoMaximo};
        const Canal* canal = eeg.canales && c < eeg.canales->size() ? &(*eeg.canales)[c] : nullptr;
        const std::string& etiqueta = etiquetas[c];
        if (canal && !ascii(canal->etiqueta, 16).empty() && etiqueta != ascii(canal->etiqueta, 16))
            diagnostico("el canal " + std::to_string(c + 1) + " («" + canal->etiqueta + "») se guarda como «" +
                        etiqueta + "» para que no se lea como " +
                        (etiqueta == etiquetaEstadoDatos ? "canal de disparo" : "señal de anotaciones"));
        w.comprobar(edf_set_samplefrequency(h, s, static_cast<int>(w.l)), "la frecuencia de muestreo");
        // EDFlib writes these fields by truncating digits: a value a hair
        // farther from zero keeps the digits chosen above.
        w.comprobar(edf_set_physical_minimum(h, s, *fisicoMinimo * (1.0 + 1e-12)), "el mínimo físico");
        w.comprobar(edf_set_physical_maximum(h, s, *fisicoMaximo * (1.0 + 1e-12)), "el máximo físico");
        w.comprobar(edf_set_digital_minimum(h, s, -w.digitalMaximo - 1), "el mínimo digital");
        w.comprobar(edf_set_digital_maximum(h, s, w.digitalMaximo), "el máximo digital");
        w.comprobar(edf_set_label(h, s, etiqueta.c_str()), "la etiqueta");
        w.comprobar(edf_set_physical_dimension(h, s, canal ? ascii(canal->unidad, 8).c_str() : ""), "la unidad");
        // What the steps did to the channel ("N:50Hz Ref:media"), where EDF readers look for it.
        if (canal && !ascii(canal->prefiltrado, 80).empty())
            w.comprobar(edf_set_prefilter(h, s, ascii(canal->prefiltrado, 80).c_str()), "el prefiltrado");
    }
    return fisicos;
}

// Digital values rounded here to the nearest step of the header's own
// range, so that a reader's physical value is within half a step.
void muestrasEDF(const EscrituraEDF& w, const std::vector<std::pair<double, double>>& fisicos, const Avance& avance) {
    const int64_t l = w.l, muestras = w.muestras;
    const int digitalMaximo = w.digitalMaximo;
    std::vector<int> bloque(static_cast<size_t>(l));
    for (int64_t r = 0; r < w.registros; ++r) {
        for (uint32_t c = 0; c < w.canales; ++c) {
            const double pmin = fisicos[c].first, paso = (fisicos[c].second - pmin) / (2.0 * digitalMaximo + 1.0);
            for (int64_t j = 0; j < l; ++j) {
                const int64_t s = std::min(r * l + j, muestras - 1);  // the padding repeats the last sample
                const double d = std::round((w.datos(c, static_cast<arma::uword>(s)) - pmin) / paso) - digitalMaximo - 1;
                bloque[static_cast<size_t>(j)] = static_cast<int>(std::clamp(d, -digitalMaximo - 1.0, 1.0 * digitalMaximo));
            }
            w.comprobar(edfwrite_digital_samples(w.h, bloque.data()), "las muestras");
        }
        avance(static_cast<double>(r + 1), static_cast<double>(w.registros));
    }
}

// Annotation times are in 100 µs units.
void anotacionesEDF(const EscrituraEDF& w) {
    const TablaEventos* tabla = w.eeg.tablaEventos.get();
    for (const Evento* e : w.eventos) {
        const auto inicio = static_cast<long long>(std::llround(e->posicion * 1e4 / w.fs));
        const long long duracion = e->duracion > 0 ? std::llround(e->duracion * 1e4 / w.fs) : -1;
        const auto nombrado = tabla->textos.find({e->tipo, e->calificador});
        const std::string texto =
            textoClaseEvento(e->tipo, e->calificador, nombrado != tabla->textos.end() ? nombrado->second : "");
        w.comprobar(edfwrite_annotation_utf8(w.h, inicio, duracion, texto.c_str()), "una anotación");
    }
}

}  // namespace

std::vector<std::string> etiquetasEscritasEDF(const EEG& eeg, FormatoEDF formato) {
    const auto filas = static_cast<uint32_t>(eeg.matrices.empty() ? 0 : eeg.datos().n_rows);
    std::vector<std::string> etiquetas(filas);
    for (uint32_t c = 0; c < filas; ++c) {
        std::string& etiqueta = etiquetas[c];
        if (eeg.canales && c < eeg.canales->size()) etiqueta = ascii((*eeg.canales)[c].etiqueta, 16);
        if (etiqueta.empty()) etiqueta = "canal" + std::to_string(c + 1);
        // A BDF signal labelled "Status" is read as the trigger channel (and
        // dropped from the channels): a data channel of that name, say from
        // an EDF, keeps its samples under another label. So does one
        // labelled as an annotation signal, which readers would decode as
        // annotations (any case: not every reader compares it exactly).
        std::string mayusculas = etiqueta;
        for (char& ch : mayusculas)
            if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
        if (formato == FormatoEDF::BDF && esEtiquetaDisparoBDF(etiqueta))
            etiqueta = etiquetaEstadoDatos;
        else if (mayusculas.rfind("EDF ANNOTATIONS", 0) == 0 || mayusculas.rfind("BDF ANNOTATIONS", 0) == 0)
            etiqueta = etiqueta.substr(0, 9) + "-datos";  // "EDF Annot-datos"
    }
    return etiquetas;
}

void escribirEDF(const EEG& eeg, const std::string& ruta, FormatoEDF formato, const Avance& avance,
                 const std::string& nombreMostrado) {
    if (eeg.matrices.empty() || eeg.datos().n_elem == 0) throw std::runtime_error("la rama no tiene datos que guardar");
    const std::string& nombre = nombreMostrado.empty() ? ruta : nombreMostrado;
    EscrituraEDF w(eeg, nombre, formato);
    disponerEDF(w);

    Escritura archivo(edfopen_file_writeonly(ruta.c_str(), w.bdf ? EDFLIB_FILETYPE_BDFPLUS : EDFLIB_FILETYPE_EDFPLUS,
                                             static_cast<int>(w.canales)));
    if (archivo.handle < 0)
        throw std::runtime_error("EDFlib no puede crear \"" + nombre + "\" (código " + std::to_string(archivo.handle) +
                                 ")");
    w.h = archivo.handle;
    const bool conFecha = cabeceraEDF(w);
    const std::vector<std::pair<double, double>> fisicos = senalesEDF(w);
    muestrasEDF(w, fisicos, avance);
    anotacionesEDF(w);
    if (archivo.cerrar() != 0) throw std::runtime_error("EDFlib no pudo terminar \"" + nombre + "\"");
    if (!conFecha) anonimizarFecha(ruta, nombre);
}
