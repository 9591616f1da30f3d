#include "io/EdfFileReader.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include <edflib.h>
#include <sys/mman.h>
#include <unistd.h>

#include "io/cabeceraEdf.h"
#include "io/claseEvento.h"
#include "io/diagnostico.h"
#include "io/frecuenciaMuestreo.h"
#include "io/eventosLeidos.h"
#include "io/fechaHora.h"
#include "io/lecturaParalela.h"
#include "io/reservarEEG.h"
#include "io/textoCabecera.h"
#include "io/textoNumerico.h"
#include "io/valoresBinarios.h"

namespace {

// Offsets of the fixed header fields (ASCII, blank padded).
constexpr int64_t bytesCabeceraFija = 256;
constexpr size_t posicionRegistro = 88;
constexpr size_t posicionFecha = 168;
constexpr size_t posicionHora = 176;
constexpr size_t posicionReservado = 192;
constexpr size_t posicionLongitud = 184;
constexpr size_t posicionRegistros = 236;
constexpr size_t posicionSenales = 252;
// The per-signal "samples per record" fields start after label (16),
// transducer (80), dimension (8), four ranges (4 x 8) and prefilter (80).
constexpr int64_t desplazamientoMuestrasPorRegistro = 16 + 80 + 8 + 4 * 8 + 80;

constexpr int64_t unidadesTiempo = EDFLIB_TIME_DIMENSION;  // EDFlib's times are in 100 ns units
constexpr size_t muestrasPorBloque = size_t{1} << 18;     // per signal and read call
constexpr int64_t bytesPorTramo = int64_t{1} << 20;       // one stretch of whole records

std::string recortar(const std::string& t) {
    const size_t inicio = t.find_first_not_of(std::string(" \0", 2));
    if (inicio == std::string::npos) return std::string();
    const size_t fin = t.find_last_not_of(std::string(" \0", 2));
    return t.substr(inicio, fin - inicio + 1);
}

std::optional<int64_t> campoEntero(const std::string& t) {
    const std::string r = recortar(t);
    const std::optional<int64_t> v = enteroInicial(r);
    // The whole field must be the number: "12x" or "1.5" is not a count.
    if (!v || r.find_first_not_of("+-0123456789") != std::string::npos) return std::nullopt;
    return v;
}

std::string textoNumero(double v) {
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, v);
    return std::string(b, r.ptr);
}

// Factor from the file's unit to µV, or nullopt when it is not a voltage.
std::optional<double> factorMicrovoltios(const std::string& unidad) {
    if (unidad == "uV" || unidad == "UV" || unidad == "\xC2\xB5V" || unidad == "\xB5V") return 1.0;
    if (unidad == "mV") return 1e3;
    if (unidad == "nV") return 1e-3;
    if (unidad == "V") return 1e6;
    return std::nullopt;
}

std::string motivoEdflib(int codigo) {
    switch (codigo) {
        case EDFLIB_MALLOC_ERROR: return "no hay memoria para leer la cabecera.";
        case EDFLIB_NO_SUCH_FILE_OR_DIRECTORY: return "el archivo no existe o no se puede abrir.";
        case EDFLIB_FILE_CONTAINS_FORMAT_ERRORS:
            return "la cabecera EDF o BDF tiene errores de formato (un campo fuera de rango o mal escrito).";
        case EDFLIB_MAXFILES_REACHED: return "hay demasiados archivos EDF o BDF abiertos a la vez.";
        case EDFLIB_FILE_READ_ERROR: return "error de lectura del archivo.";
        case EDFLIB_FILE_ALREADY_OPENED: return "el archivo ya está abierto.";
        case EDFLIB_FILE_IS_DISCONTINUOUS:
            return "el registro es discontinuo (EDF+D o BDF+D): sus registros de datos no son seguidos y no se admite.";
        default: return "EDFlib no puede leer el archivo (código " + std::to_string(codigo) + ").";
    }
}

// A file in memory (memfd) that EDFlib can open by path: the copy of a file
// cut short, or the bytes of leerMemoria.
class ArchivoEnMemoria {
public:
    ArchivoEnMemoria() : fd_(memfd_create("ondelar-edf", MFD_CLOEXEC)) {}
    ~ArchivoEnMemoria() {
        if (fd_ >= 0) close(fd_);
    }
    ArchivoEnMemoria(const ArchivoEnMemoria&) = delete;
    ArchivoEnMemoria& operator=(const ArchivoEnMemoria&) = delete;
    bool valido() const { return fd_ >= 0; }
    bool escribir(const void* datos, size_t n) {
        const auto* p = static_cast<const char*>(datos);
        while (n > 0) {
            const ssize_t w = write(fd_, p, n);
            if (w <= 0) return false;
            p += w;
            n -= static_cast<size_t>(w);
        }
        return true;
    }
    std::string ruta() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

class ArchivoEdf {
public:
    ArchivoEdf() : cabecera(std::make_unique<edf_hdr_struct>()) {}
    ~ArchivoEdf() {
        if (abierto) edfclose_file(cabecera->handle);
    }
    ArchivoEdf(const ArchivoEdf&) = delete;
    ArchivoEdf& operator=(const ArchivoEdf&) = delete;
    int abrir(const std::string& ruta) {
        std::memset(cabecera.get(), 0, sizeof(edf_hdr_struct));
        const int r = edfopen_file_readonly(ruta.c_str(), cabecera.get(), EDFLIB_READ_ALL_ANNOTATIONS);
        abierto = r == 0;
        return abierto ? 0 : cabecera->filetype;
    }
    std::unique_ptr<edf_hdr_struct> cabecera;  // about 200 kB: not on the stack
    bool abierto = false;
};

std::string fechaGdf(const edf_hdr_struct& h) {
    // yyyymmddhhmmss00, the form the GDF reader keeps.
    char b[32];
    std::snprintf(b, sizeof b, "%04d%02d%02d%02d%02d%02d00", h.startdate_year, h.startdate_month, h.startdate_day,
                  h.starttime_hour, h.starttime_minute, h.starttime_second);
    return b;
}

// A signal decoded from the data records: where its samples start within a
// record, and EDFlib's conversion to physical values as edflib.h documents it
// (units per bit, offset), then to µV.
struct SenalRegistro {
    int64_t posicion = 0;  // bytes from the start of a record
    double unidadesPorBit = 1.0;
    double desplazamiento = 0.0;
    double escala = 1.0;
    // EDFlib limits every digital value to the range the header declares.
    double minimo = 0.0;
    double maximo = 0.0;
};

SenalRegistro senalRegistro(const edf_param_struct& p, int64_t posicion, double escala) {
    SenalRegistro s;
    s.posicion = posicion;
    s.unidadesPorBit = (p.phys_max - p.phys_min) / (p.dig_max - p.dig_min);
    s.desplazamiento = p.phys_max / s.unidadesPorBit - p.dig_max;
    s.escala = escala;
    s.minimo = p.dig_min;
    s.maximo = p.dig_max;
    return s;
}

// Stored samples: little-endian int16 (EDF) or int24 (BDF). An int24 is
// read as the four bytes from p on, the fourth shifted out: the buffer must
// hold one byte past its last sample.
template <int ancho>
int32_t digitalEn(const uint8_t* p) {
    if constexpr (ancho == 2) {
        int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else {
        uint32_t u;
        std::memcpy(&u, p, sizeof u);
        return static_cast<int32_t>(u << 8) >> 8;
    }
}

using Enteros4 = int32_t __attribute__((vector_size(16)));
using Cortos4 = int16_t __attribute__((vector_size(8)));
using Reales2 = double __attribute__((vector_size(16)));
using Reales4 = double __attribute__((vector_size(32)));

template <int ancho>
constexpr int32_t minimoAlmacenado = ancho == 2 ? INT16_MIN : -(1 << 23);
template <int ancho>
constexpr int32_t maximoAlmacenado = ancho == 2 ? INT16_MAX : (1 << 23) - 1;

// Four consecutive stored samples from p on, in vector registers: no
// compiler turns three-byte loads into vector code by itself. Int24 are
// read as digitalEn reads them (13 bytes).
template <int ancho>
Enteros4 cuatroDigitales(const uint8_t* p) {
    if constexpr (ancho == 2) {
        Cortos4 v;
        std::memcpy(&v, p, sizeof v);
        return __builtin_convertvector(v, Enteros4);
    } else {
        uint32_t u[4];
        for (int j = 0; j < 4; ++j) std::memcpy(&u[j], p + 3 * j, sizeof u[j]);
        Enteros4 d;
        std::memcpy(&d, u, sizeof d);
        return (d << 8) >> 8;
    }
}

// Physical values of four consecutive samples of one signal, as two pairs.
struct CuatroFisicos {
    Reales2 primeros, ultimos;
};

template <int ancho>
CuatroFisicos cuatroFisicos(const uint8_t* p, const SenalRegistro& s) {
    Enteros4 d = cuatroDigitales<ancho>(p);
    const auto minimo = static_cast<int32_t>(s.minimo), maximo = static_cast<int32_t>(s.maximo);
    // A digital range as wide as the stored type's limits nothing.
    if (minimo > minimoAlmacenado<ancho> || maximo < maximoAlmacenado<ancho>) {
        const Enteros4 minimo4 = {minimo, minimo, minimo, minimo}, maximo4 = {maximo, maximo, maximo, maximo};
        Enteros4 fuera = d < minimo4;
        d = (d & ~fuera) | (minimo4 & fuera);
        fuera = d > maximo4;
        d = (d & ~fuera) | (maximo4 & fuera);
    }
    // All four converted at once (two instructions on SSE2), then halved;
    // the operations and their order are EDFlib's, times the unit factor.
    const Reales4 x = __builtin_convertvector(d, Reales4);
    const Reales2 u = {s.unidadesPorBit, s.unidadesPorBit}, o = {s.desplazamiento, s.desplazamiento};
    const Reales2 e = {s.escala, s.escala};
    return {u * (o + __builtin_shufflevector(x, x, 0, 1)) * e, u * (o + __builtin_shufflevector(x, x, 2, 3)) * e};
}

template <int ancho>
double unFisico(const uint8_t* p, const SenalRegistro& s) {
    const int32_t d =
        std::min(std::max(digitalEn<ancho>(p), static_cast<int32_t>(s.minimo)), static_cast<int32_t>(s.maximo));
    return s.unidadesPorBit * (s.desplazamiento + d) * s.escala;
}

// Writes the chosen signals of `nRegistros` consecutive data records into
// the matrix columns from `destino` on (one column = every channel of one
// sample). A record holds each signal's samples in a row, so this is a
// transposition: four samples of two signals at a time are converted and
// written as a channel pair into each of four columns, which stay in the
// first-level cache until every channel of them is written.
template <int ancho>
void decodificarRegistros(const uint8_t* registros, int64_t nRegistros, int64_t bytesPorRegistro,
                          const std::vector<SenalRegistro>& senales, int64_t muestrasPorRegistro, double* destino) {
    const size_t nCanales = senales.size();
    const SenalRegistro* s = senales.data();
    for (int64_t r = 0; r < nRegistros; ++r) {
        const uint8_t* registro = registros + r * bytesPorRegistro;
        double* columnas = destino + static_cast<size_t>(r * muestrasPorRegistro) * nCanales;
        int64_t k = 0;
        for (; k + 4 <= muestrasPorRegistro; k += 4) {
            double* d = columnas + static_cast<size_t>(k) * nCanales;
            const uint8_t* muestras = registro + k * ancho;
            size_t c = 0;
            for (; c + 2 <= nCanales; c += 2) {
                const CuatroFisicos a = cuatroFisicos<ancho>(muestras + s[c].posicion, s[c]);
                const CuatroFisicos b = cuatroFisicos<ancho>(muestras + s[c + 1].posicion, s[c + 1]);
                const Reales2 x0 = __builtin_shufflevector(a.primeros, b.primeros, 0, 2);
                const Reales2 x1 = __builtin_shufflevector(a.primeros, b.primeros, 1, 3);
                const Reales2 x2 = __builtin_shufflevector(a.ultimos, b.ultimos, 0, 2);
                const Reales2 x3 = __builtin_shufflevector(a.ultimos, b.ultimos, 1, 3);
                std::memcpy(d + c, &x0, sizeof x0);
                std::memcpy(d + nCanales + c, &x1, sizeof x1);
                std::memcpy(d + 2 * nCanales + c, &x2, sizeof x2);
                std::memcpy(d + 3 * nCanales + c, &x3, sizeof x3);
            }
            if (c < nCanales) {
                const CuatroFisicos a = cuatroFisicos<ancho>(muestras + s[c].posicion, s[c]);
                d[c] = a.primeros[0];
                d[nCanales + c] = a.primeros[1];
                d[2 * nCanales + c] = a.ultimos[0];
                d[3 * nCanales + c] = a.ultimos[1];
            }
        }
        for (; k < muestrasPorRegistro; ++k) {
            double* d = columnas + static_cast<size_t>(k) * nCanales;
            for (size_t c = 0; c < nCanales; ++c) d[c] = unFisico<ancho>(registro + s[c].posicion + k * ancho, s[c]);
        }
    }
}

// Events of a BDF trigger channel: one at each change of its low 16 bits to
// a non-zero value k (tipo k, calificador 1), at the column of the channels'
// rate.
class DisparosEstado {
public:
    DisparosEstado(std::vector<Evento>& eventos, double razon) : eventos_(eventos), razon_(razon) {}
    void muestra(int digital, int64_t indice) {
        const int valor = digital & 0xFFFF;
        if (valor != anterior_ && valor != 0) {
            Evento e;
            e.tipo = valor;
            e.calificador = 1;
            e.posicion = columnaDeTiempo(static_cast<double>(indice), razon_);
            eventos_.push_back(e);
            mayor_ = std::max(mayor_, valor);
        }
        anterior_ = valor;
    }
    int32_t mayor() const { return mayor_; }

private:
    std::vector<Evento>& eventos_;
    double razon_;
    int anterior_ = 0;
    int32_t mayor_ = 0;
};

// File signal of each EDFlib signal (EDFlib hides the annotation signals of
// EDF+ and BDF+); nullopt when labels or samples per record do not line up.
std::optional<std::vector<int>> senalesDelArchivo(const edf_hdr_struct& h, const std::vector<std::string>& etiquetas,
                                                  const std::vector<int64_t>& muestrasPorRegistro) {
    std::vector<int> mapa;
    for (size_t s = 0; s < etiquetas.size(); ++s) {
        const size_t j = mapa.size();
        if (j < static_cast<size_t>(h.edfsignals) && recortar(h.signalparam[j].label) == etiquetas[s] &&
            h.signalparam[j].smp_in_datarecord == muestrasPorRegistro[s]) {
            mapa.push_back(static_cast<int>(s));
        } else if (etiquetas[s] != "EDF Annotations" && etiquetas[s] != "BDF Annotations") {
            return std::nullopt;
        }
    }
    if (mapa.size() != static_cast<size_t>(h.edfsignals)) return std::nullopt;
    return mapa;
}

}  // namespace

bool esEtiquetaDisparoBDF(const std::string& etiqueta) {
    std::string t = recortar(etiqueta);
    for (char& c : t)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return t == "STATUS";
}

EEG EdfFileReader::leer(std::string ruta) {
    rutaArchivo_ = ruta;
    EEG eeg = leerArchivo(ruta);
    rutaArchivo_.clear();
    return eeg;
}

// What the phases of one reading hand on to the next. The copy in memory
// outlives EDFlib's handle on it (members are destroyed in reverse order).
struct EdfFileReader::Lectura {
    int64_t tamanoArchivo = 0;
    std::string fija;  // the fixed header, its record count rewritten for a copy
    bool bdf = false;
    std::string formato;  // "EDF" or "BDF"
    int64_t ns = 0;
    int64_t longitudEsperada = 0;  // header bytes: 256 x (ns + 1)
    int64_t registros = 0;         // as declared: -1 when unknown
    int64_t usados = 0;            // complete records read
    int64_t bytesPorRegistro = 0;
    std::vector<std::string> etiquetas;
    std::vector<int64_t> muestrasPorRegistro;
    std::vector<int64_t> posicionesEnRegistro;
    std::string avisoCorte;
    std::string ruta;  // what EDFlib opens: the file or its copy
    ArchivoEnMemoria copia;
    ArchivoEdf archivo;
    int estado = -1;  // the BDF trigger signal, or -1
    int spr = 0;      // samples per record of the chosen signals
    double frecuencia = 0.0;
    int32_t frecuenciaEntera = 0;
    std::vector<int> elegidas;
    int64_t numeroMuestras = 0;
    uint32_t nCanales = 0;
    std::vector<double> escalas;
    std::vector<Evento> eventos;
    std::optional<DisparosEstado> disparos;
    bool sinEdflib = false;               // the header was read here: EDFlib refused it
    std::vector<AnotacionEdf> anotaciones;  // onsets in seconds of the continuous branch

    const edf_hdr_struct& cabecera() const { return *archivo.cabecera; }
};

EEG EdfFileReader::decodificar() {
    Lectura l;
    if (!leerCabeceraFija(l) || !leerMuestrasPorRegistro(l) || !contarRegistros(l) || !abrirConEdflib(l) ||
        !elegirSenales(l))
        return EEG();
    EEG eeg;
    if (!reservarRegistro(l, eeg)) return EEG();
    describirCanales(l, eeg);
    if (!leerDatos(l, eeg)) return EEG();
    leerAnotaciones(l, eeg);
    return eeg;
}

bool EdfFileReader::leerCabeceraFija(Lectura& l) {
    l.tamanoArchivo = tamano();
    if (l.tamanoArchivo < bytesCabeceraFija) {
        fallar("el archivo es demasiado corto para una cabecera EDF o BDF (" + std::to_string(l.tamanoArchivo) +
               " bytes).");
        return false;
    }
    irA(0);
    l.fija = leerTexto(bytesCabeceraFija);
    const std::string& fija = l.fija;
    l.bdf = fija[0] == '\xFF' && fija.compare(1, 7, "BIOSEMI") == 0;
    if (!l.bdf && fija.compare(0, 8, "0       ") != 0) {
        fallar("el archivo no empieza como un archivo EDF («0») ni BDF («BIOSEMI»).");
        return false;
    }
    l.formato = l.bdf ? "BDF" : "EDF";
    diagnostico("detectado el formato: " + l.formato);
    const std::optional<int64_t> ns = campoEntero(fija.substr(posicionSenales, 4));
    if (!ns || *ns < 1 || *ns > EDFLIB_MAXSIGNALS) {
        fallar("la cabecera " + l.formato + " declara «" + recortar(fija.substr(posicionSenales, 4)) +
               "» señales; se admiten de 1 a " + std::to_string(EDFLIB_MAXSIGNALS) + ".");
        return false;
    }
    l.ns = *ns;
    const std::optional<int64_t> longitud = campoEntero(fija.substr(posicionLongitud, 8));
    l.longitudEsperada = bytesCabeceraFija * (*ns + 1);
    if (!longitud || *longitud != l.longitudEsperada) {
        fallar("la longitud de cabecera «" + recortar(fija.substr(posicionLongitud, 8)) + "» no corresponde a " +
               std::to_string(*ns) + " señales (" + std::to_string(l.longitudEsperada) + " bytes).");
        return false;
    }
    if (l.longitudEsperada > l.tamanoArchivo) {
        fallar("el archivo termina dentro de su cabecera (" + std::to_string(l.tamanoArchivo) + " de " +
               std::to_string(l.longitudEsperada) + " bytes).");
        return false;
    }
    const std::optional<int64_t> registros = campoEntero(fija.substr(posicionRegistros, 8));
    if (!registros || *registros == 0 || *registros < -1) {
        fallar("la cabecera " + l.formato + " declara «" + recortar(fija.substr(posicionRegistros, 8)) +
               "» registros de datos.");
        return false;
    }
    l.registros = *registros;
    return true;
}

// Samples per record of every signal give the record's size and where each
// signal lies in it.
bool EdfFileReader::leerMuestrasPorRegistro(Lectura& l) {
    const int64_t bytesPorMuestra = l.bdf ? 3 : 2;
    l.etiquetas.resize(static_cast<size_t>(l.ns));
    l.muestrasPorRegistro.resize(static_cast<size_t>(l.ns));
    l.posicionesEnRegistro.resize(static_cast<size_t>(l.ns));
    irA(bytesCabeceraFija);
    for (std::string& etiqueta : l.etiquetas) etiqueta = recortar(leerTexto(16));
    irA(bytesCabeceraFija + l.ns * desplazamientoMuestrasPorRegistro);
    for (int64_t s = 0; s < l.ns; ++s) {
        const std::string campo = leerTexto(8);
        const std::optional<int64_t> spr = campoEntero(campo);
        if (!spr || *spr < 1 || *spr > INT32_MAX) {
            fallar("la señal " + std::to_string(s + 1) + " declara «" + recortar(campo) +
                   "» muestras por registro de datos.");
            return false;
        }
        l.muestrasPorRegistro[static_cast<size_t>(s)] = *spr;
        l.posicionesEnRegistro[static_cast<size_t>(s)] = l.bytesPorRegistro;
        l.bytesPorRegistro += *spr * bytesPorMuestra;
    }
    return true;
}

// Only complete records are read: EDFlib refuses a file cut short, so it
// gets a copy that holds the complete ones and says so in its header.
bool EdfFileReader::contarRegistros(Lectura& l) {
    const int64_t completos = (l.tamanoArchivo - l.longitudEsperada) / l.bytesPorRegistro;
    l.usados = l.registros;
    if (l.registros == -1 || completos < l.registros) {
        if (completos == 0) {
            fallar("el archivo no contiene ningún registro de datos completo (" +
                   std::to_string(l.tamanoArchivo - l.longitudEsperada) + " bytes de datos, " +
                   std::to_string(l.bytesPorRegistro) + " por registro).");
            return false;
        }
        l.usados = completos;
    }
    if (l.usados != l.registros)
        l.avisoCorte = l.registros == -1
                           ? "El archivo no declara su número de registros de datos: se han leído los " +
                                 std::to_string(l.usados) + " registros completos que contiene."
                           : "El archivo está incompleto: se han leído " + std::to_string(l.usados) + " de los " +
                                 std::to_string(l.registros) + " registros de datos que declara.";
    return true;
}

// EDFlib opens the file itself, or a copy in memory when the file is read
// from memory, is cut short or has bytes past its last record.
bool EdfFileReader::abrirConEdflib(Lectura& l) {
    // Bytes past the last record: EDFlib would refuse the file, so they are left out too.
    const int64_t sobrantes = l.tamanoArchivo - l.longitudEsperada - l.usados * l.bytesPorRegistro;
    if (l.usados == l.registros && sobrantes > 0)
        l.avisoCorte = "El archivo tiene " + std::to_string(sobrantes) +
                       " bytes después de su último registro de datos, que no se han leído.";

    l.ruta = rutaArchivo_;
    if (l.ruta.empty() || l.usados != l.registros || sobrantes > 0) {
        if (!l.copia.valido()) {
            fallar("no se puede crear una copia en memoria del archivo.");
            return false;
        }
        char campo[9];
        std::snprintf(campo, sizeof campo, "%-8lld", static_cast<long long>(l.usados));
        std::memcpy(l.fija.data() + posicionRegistros, campo, 8);
        bool escrito = l.copia.escribir(l.fija.data(), l.fija.size());
        irA(bytesCabeceraFija);
        // Blocks below the size that reports progress: the fraction read
        // follows the decoding of the samples, which reads these bytes again.
        std::vector<char> bloque(bloqueInformado / 2);
        for (int64_t resto = l.longitudEsperada - bytesCabeceraFija + l.usados * l.bytesPorRegistro;
             escrito && resto > 0;) {
            const size_t n = static_cast<size_t>(std::min<int64_t>(resto, static_cast<int64_t>(bloque.size())));
            leerBloque(bloque.data(), n);
            escrito = l.copia.escribir(bloque.data(), n);
            resto -= static_cast<int64_t>(n);
        }
        if (!escrito) {
            fallar("no se puede crear una copia en memoria del archivo.");
            return false;
        }
        l.ruta = l.copia.ruta();
    }

    if (const int codigo = l.archivo.abrir(l.ruta); codigo != 0) {
        if (codigo == EDFLIB_FILE_CONTAINS_FORMAT_ERRORS || codigo == EDFLIB_FILE_IS_DISCONTINUOUS)
            return abrirSinEdflib(l);
        fallar(motivoEdflib(codigo));
        return false;
    }
    const edf_hdr_struct& h = l.cabecera();
    if (h.edfsignals < 1 || h.datarecord_duration <= 0) {
        fallar("la cabecera " + l.formato + " no declara señales.");
        return false;
    }
    return true;
}

// EDFlib refuses a header that breaks an EDF+ rule, even one that cannot
// change the data (BCI2000 writes a transducer on the annotation signal),
// and every EDF+D file. The header is then read here (io/cabeceraEdf.h) into
// EDFlib's structure, and the records are decoded here as usual.
bool EdfFileReader::abrirSinEdflib(Lectura& l) {
    std::string bytes(static_cast<size_t>(l.longitudEsperada), '\0');
    if (!leerEn(bytes.data(), bytes.size(), 0)) {
        fallar("error de lectura en la cabecera del archivo.");
        return false;
    }
    const RevisionCabeceraEdf revision = revisarCabeceraEdf(bytes);
    if (!revision.cabecera) {
        fallar(revision.motivo);
        return false;
    }
    const CabeceraEdf& c = *revision.cabecera;
    for (const std::string& aviso : revision.avisos) avisar(aviso);
    edf_hdr_struct& h = *l.archivo.cabecera;
    std::memset(&h, 0, sizeof h);
    h.handle = -1;
    h.filetype = c.bdf ? (c.plus ? EDFLIB_FILETYPE_BDFPLUS : EDFLIB_FILETYPE_BDF)
                       : (c.plus ? EDFLIB_FILETYPE_EDFPLUS : EDFLIB_FILETYPE_EDF);
    h.datarecord_duration = std::llround(c.duracionRegistro * unidadesTiempo);
    h.datarecords_in_file = l.usados;
    std::snprintf(h.patient, sizeof h.patient, "%s", c.paciente.c_str());
    std::snprintf(h.recording, sizeof h.recording, "%s", c.registro.c_str());
    h.startdate_day = c.dia, h.startdate_month = c.mes, h.startdate_year = c.anio;
    h.starttime_hour = c.hora, h.starttime_minute = c.minuto, h.starttime_second = c.segundo;
    std::vector<size_t> senalesAnotacion;
    for (size_t s = 0; s < c.senales.size(); ++s) {
        const SenalCabeceraEdf& x = c.senales[s];
        if (x.anotaciones) {
            senalesAnotacion.push_back(s);
            continue;
        }
        edf_param_struct& p = h.signalparam[h.edfsignals++];
        std::snprintf(p.label, sizeof p.label, "%s", l.etiquetas[s].c_str());  // as the record map compares them
        std::snprintf(p.physdimension, sizeof p.physdimension, "%s", x.dimension.c_str());
        std::snprintf(p.prefilter, sizeof p.prefilter, "%s", x.prefiltrado.c_str());
        std::snprintf(p.transducer, sizeof p.transducer, "%s", x.transductor.c_str());
        p.smp_in_datarecord = static_cast<int>(x.muestrasPorRegistro);
        p.smp_in_file = x.muestrasPorRegistro * l.usados;
        p.phys_min = x.fisicoMinimo, p.phys_max = x.fisicoMaximo;
        p.dig_min = x.digitalMinimo, p.dig_max = x.digitalMaximo;
    }
    if (h.edfsignals == 0 || h.datarecord_duration < 1) {
        fallar("la cabecera " + l.formato + " no declara señales.");
        return false;
    }
    l.sinEdflib = true;
    diagnostico("cabecera leída sin EDFlib");
    return senalesAnotacion.empty() || leerTiemposSinEdflib(l, c, senalesAnotacion);
}

// The annotations of every record, and each record's start from the
// time-keeping note of the first annotation signal. A record that starts
// after the previous one ends leaves a gap: the branch goes on without it,
// and an event at the record's first column names the gap's length.
bool EdfFileReader::leerTiemposSinEdflib(Lectura& l, const CabeceraEdf& c, const std::vector<size_t>& senales) {
    const double duracion = c.duracionRegistro;
    const double tolerancia = 1e-6 * std::max(1.0, duracion);
    std::vector<double> inicios(static_cast<size_t>(l.usados));
    std::vector<AnotacionEdf> leidas;
    int64_t sinMarca = 0;
    bool malformadas = false;
    std::string bytes;
    for (int64_t r = 0; r < l.usados; ++r) {
        for (size_t k = 0; k < senales.size(); ++k) {
            const auto s = senales[k];
            bytes.assign(static_cast<size_t>(l.muestrasPorRegistro[s] * (l.bdf ? 3 : 2)), '\0');
            if (!leerEn(bytes.data(), bytes.size(),
                        l.longitudEsperada + r * l.bytesPorRegistro + l.posicionesEnRegistro[s])) {
                fallar("error de lectura en los registros de datos del archivo.");
                return false;
            }
            TalsRegistro tals = leerTals(bytes);
            malformadas = malformadas || tals.malformado;
            if (k == 0) {
                if (!tals.inicioRegistro && c.discontinuo) {
                    fallar("el registro de datos " + std::to_string(r + 1) +
                           " de un archivo discontinuo no dice cuándo empieza (falta su marca de tiempo).");
                    return false;
                }
                if (!tals.inicioRegistro) ++sinMarca;
                inicios[static_cast<size_t>(r)] =
                    tals.inicioRegistro.value_or(r == 0 ? 0.0 : inicios[static_cast<size_t>(r - 1)] + duracion);
            }
            for (AnotacionEdf& a : tals.anotaciones) leidas.push_back(std::move(a));
        }
    }
    // Gaps and overlaps between consecutive records.
    std::vector<AnotacionEdf> huecos;
    double total = 0.0;
    for (size_t r = 1; r < inicios.size(); ++r) {
        const double hueco = inicios[r] - (inicios[r - 1] + duracion);
        if (hueco < -tolerancia) {
            fallar("los registros de datos " + std::to_string(r) + " y " + std::to_string(r + 1) +
                   " se solapan o no van en orden (empiezan en " + textoReal(inicios[r - 1]) + " s y " +
                   textoReal(inicios[r]) + " s, y cada uno dura " + textoReal(duracion) + " s).");
            return false;
        }
        if (hueco > tolerancia) {
            const double redondeado = std::round(hueco * 1e6) / 1e6;
            huecos.push_back({static_cast<double>(r) * duracion, -1.0, "Hueco de " + textoReal(redondeado) + " s"});
            total += redondeado;
        }
    }
    // Onsets on the branch: from the start of the record they fall in.
    for (AnotacionEdf& a : leidas) {
        const auto siguiente = std::upper_bound(inicios.begin(), inicios.end(), a.inicio + tolerancia);
        const size_t r = siguiente == inicios.begin() ? 0 : static_cast<size_t>(siguiente - inicios.begin() - 1);
        a.inicio = static_cast<double>(r) * duracion + std::min(a.inicio - inicios[r], duracion);
    }
    for (AnotacionEdf& a : huecos) leidas.push_back(std::move(a));
    std::stable_sort(leidas.begin(), leidas.end(),
                     [](const AnotacionEdf& a, const AnotacionEdf& b) { return a.inicio < b.inicio; });
    l.anotaciones = std::move(leidas);
    if (!inicios.empty() && inicios.front() >= 0.0 && inicios.front() < 1.0)
        l.archivo.cabecera->starttime_subsecond = std::llround(inicios.front() * unidadesTiempo);

    if (!huecos.empty())
        avisar(std::string(c.discontinuo ? "El registro es discontinuo (" + l.formato + "+D)"
                                         : "El archivo se declara continuo, pero sus marcas de tiempo dejan huecos") +
               ": " + std::to_string(huecos.size()) + (huecos.size() == 1 ? " hueco" : " huecos") +
               " entre sus registros de datos (" + textoReal(total) +
               " s en total). Se lee como un registro seguido, con un evento «Hueco de … s» al principio del tramo que sigue a cada hueco.");
    if (sinMarca > 0)
        avisar(std::to_string(sinMarca) + (sinMarca == 1 ? " registro de datos no lleva" : " registros de datos no llevan") +
               " su marca de tiempo en la señal de anotaciones; se toman seguidos al anterior.");
    if (malformadas) avisar("Alguna anotación del archivo está mal escrita y no se ha leído.");
    return true;
}

// The trigger channel of BDF files, and the signals at the most common
// rate (ties: the higher rate).
bool EdfFileReader::elegirSenales(Lectura& l) {
    const edf_hdr_struct& h = l.cabecera();
    std::map<int, int> cuentaPorTasa;
    for (int s = 0; s < h.edfsignals; ++s) {
        if (l.bdf && l.estado < 0 && esEtiquetaDisparoBDF(h.signalparam[s].label)) {
            l.estado = s;
            continue;
        }
        ++cuentaPorTasa[h.signalparam[s].smp_in_datarecord];
    }
    if (cuentaPorTasa.empty()) {
        fallar("el archivo no tiene más señal que el canal de disparo «Status».");
        return false;
    }
    int mejor = 0;
    for (const auto& [tasa, cuenta] : cuentaPorTasa)
        if (cuenta >= mejor) l.spr = tasa, mejor = cuenta;
    auto frecuenciaDe = [&](int muestras) {
        return static_cast<double>(muestras) * static_cast<double>(unidadesTiempo) /
               static_cast<double>(h.datarecord_duration);
    };
    l.frecuencia = frecuenciaDe(l.spr);
    if (const std::string motivo = motivoFrecuenciaNoValida(l.frecuencia); !motivo.empty()) {
        fallar("la frecuencia de muestreo del archivo (" + textoNumero(l.frecuencia) + " Hz) " + motivo + ".");
        return false;
    }
    l.frecuenciaEntera = static_cast<int32_t>(std::lround(l.frecuencia));
    if (std::abs(l.frecuencia - l.frecuenciaEntera) > 1e-6 * l.frecuencia)
        avisar("La frecuencia de muestreo del archivo (" + textoNumero(l.frecuencia) + " Hz) no es entera; se toma " +
               std::to_string(l.frecuenciaEntera) + " Hz.");

    std::string fuera;
    int numeroFuera = 0;
    for (int s = 0; s < h.edfsignals; ++s) {
        if (s == l.estado) continue;
        if (h.signalparam[s].smp_in_datarecord == l.spr) {
            l.elegidas.push_back(s);
        } else {
            fuera += (numeroFuera++ ? ", " : "") + recortar(h.signalparam[s].label) + " (" +
                     textoNumero(frecuenciaDe(h.signalparam[s].smp_in_datarecord)) + " Hz)";
        }
    }
    if (numeroFuera > 0)
        avisar("Se han dejado fuera " + std::to_string(numeroFuera) +
               (numeroFuera == 1 ? " señal cuya frecuencia de muestreo" : " señales cuya frecuencia de muestreo") +
               " no es la más común del registro (" + textoNumero(l.frecuencia) + " Hz): " + fuera + ".");
    return true;
}

// The record's matrix, and what the header says of the subject, the
// recording and its start.
bool EdfFileReader::reservarRegistro(Lectura& l, EEG& eeg) {
    const edf_hdr_struct& h = l.cabecera();
    l.numeroMuestras = h.signalparam[l.elegidas.front()].smp_in_file;
    l.nCanales = static_cast<uint32_t>(l.elegidas.size());
    try {
        eeg = reservarEEG(l.frecuenciaEntera, l.nCanales, l.numeroMuestras, Poblado::porPiezas);
    } catch (const std::bad_alloc&) {
        fallar("no hay memoria para " + std::to_string(l.nCanales) + " canales x " +
               std::to_string(l.numeroMuestras) + " muestras.");
        return false;
    }
    // EDFlib refuses any byte outside printable ASCII; a header read here
    // only warns about them, so the record's texts are made valid UTF-8.
    eeg.sujeto = utf8Saneado(recortar(h.patient[0] ? h.patient : h.patient_name[0] ? h.patient_name : h.patientcode));
    eeg.identificacionRegistro = utf8Saneado(recortar(h.recording[0] ? h.recording : h.equipment));
    eeg.fechaRegistro = fechaGdf(h);
    // The date from the header's own fields (EDFlib's would hide an
    // anonymised "Startdate X"); the fraction of a second from EDFlib's
    // reading of the first annotation, in 100 ns units.
    eeg.fechaHora = fechaDeEDF(l.fija.substr(posicionFecha, 8), l.fija.substr(posicionHora, 8),
                               l.fija.substr(posicionRegistro, 80));
    if (eeg.fechaHora && h.starttime_subsecond > 0 && h.starttime_subsecond < 10000000)
        eeg.fechaHora->microsegundos = static_cast<int32_t>(h.starttime_subsecond / 10);
    return true;
}

void EdfFileReader::describirCanales(Lectura& l, EEG& eeg) {
    const edf_hdr_struct& h = l.cabecera();
    diagnostico("Cargando datos...");
    l.escalas.resize(l.nCanales);
    for (uint32_t c = 0; c < l.nCanales; ++c) {
        const edf_param_struct& p = h.signalparam[l.elegidas[c]];
        Canal& canal = (*eeg.canales)[c];
        canal.etiqueta = utf8Saneado(recortar(p.label));
        canal.transductor = utf8Saneado(recortar(p.transducer));
        canal.prefiltrado = utf8Saneado(recortar(p.prefilter));
        canal.minimoDigital = p.dig_min;
        canal.maximoDigital = p.dig_max;
        canal.muestrasPorRegistro = static_cast<uint32_t>(p.smp_in_datarecord);
        canal.tipoDato = l.bdf ? 279 : 3;  // GDF codes of int24 and int16
        const std::string unidad = recortar(p.physdimension);
        const std::optional<double> factor = factorMicrovoltios(unidad);
        l.escalas[c] = factor.value_or(1.0);
        canal.unidad = factor ? "uV" : utf8Saneado(unidad);
        canal.minimoFisico = p.phys_min * l.escalas[c];
        canal.maximoFisico = p.phys_max * l.escalas[c];
    }
}

// The samples, decoded here from the file EDFlib opened when its view of
// the signals matches the file's header; read through EDFlib otherwise.
bool EdfFileReader::leerDatos(Lectura& l, EEG& eeg) {
    const edf_hdr_struct& h = l.cabecera();
    if (l.estado >= 0)
        l.disparos.emplace(l.eventos, static_cast<double>(l.spr) / h.signalparam[l.estado].smp_in_datarecord);
    double* destino = eeg.matrices.front().memptr();
    const std::optional<std::vector<int>> mapa =
        muestrasPorEdflib_ && !l.sinEdflib ? std::nullopt : senalesDelArchivo(h, l.etiquetas, l.muestrasPorRegistro);
    const bool bdfSegunEdflib = h.filetype == EDFLIB_FILETYPE_BDF || h.filetype == EDFLIB_FILETYPE_BDFPLUS;
    std::optional<ArchivoCompartido> archivoDatos;
    if (mapa && h.datarecords_in_file == l.usados && bdfSegunEdflib == l.bdf) archivoDatos.emplace(l.ruta);
    if (archivoDatos && archivoDatos->valido() &&
        archivoDatos->tamano() >= l.longitudEsperada + l.usados * l.bytesPorRegistro)
        return decodificarDatos(l, *archivoDatos, *mapa, destino);
    if (l.sinEdflib) {
        fallar("error de lectura en los registros de datos del archivo.");
        return false;
    }
    return leerDatosPorEdflib(l, destino);
}

// The file EDFlib opened, its records read in stretches and decoded here,
// half of them on a second thread.
bool EdfFileReader::decodificarDatos(Lectura& l, const ArchivoCompartido& archivoDatos, const std::vector<int>& mapa,
                                     double* destino) {
    const edf_hdr_struct& h = l.cabecera();
    const uint32_t nCanales = l.nCanales;
    const int spr = l.spr;
    const bool bdf = l.bdf;
    const int64_t usados = l.usados, bytesPorRegistro = l.bytesPorRegistro, longitudEsperada = l.longitudEsperada;
    std::vector<SenalRegistro> senales(nCanales);
    for (uint32_t c = 0; c < nCanales; ++c)
        senales[c] = senalRegistro(h.signalparam[l.elegidas[c]],
                                   l.posicionesEnRegistro[static_cast<size_t>(mapa[static_cast<size_t>(l.elegidas[c])])],
                                   l.escalas[c]);
    const int64_t registrosPorTramo = std::clamp<int64_t>(bytesPorTramo / bytesPorRegistro, 1, usados);
    std::vector<uint8_t> tramos[2];
    std::atomic<bool> fallo{false};
    // The trigger channel's digital values, gathered by both threads and
    // turned into events in order afterwards.
    SenalRegistro senalEstado;
    int64_t muestrasEstado = 0;
    if (l.disparos) {
        senalEstado = senalRegistro(h.signalparam[l.estado],
                                    l.posicionesEnRegistro[static_cast<size_t>(mapa[static_cast<size_t>(l.estado)])], 1.0);
        muestrasEstado = h.signalparam[l.estado].smp_in_datarecord;
    }
    // Per stretch, the trigger's low 16 bits at its first sample and at
    // each change within it (few: it holds still for long runs), so that
    // the events can be made in order afterwards without a pass over
    // every sample.
    std::vector<std::vector<std::pair<int64_t, int32_t>>> cambiosEstado(
        muestrasEstado > 0 ? static_cast<size_t>((usados + registrosPorTramo - 1) / registrosPorTramo) : 0);
    repartirEnDosHilos(
        usados, registrosPorTramo,
        [&](int hilo, int64_t desde, int64_t hasta) {
            std::vector<uint8_t>& tramo = tramos[hilo];
            tramo.resize(static_cast<size_t>(registrosPorTramo * bytesPorRegistro) + 1);  // see digitalEn
            const auto bytes = static_cast<size_t>((hasta - desde) * bytesPorRegistro);
            if (!archivoDatos.leer(tramo.data(), bytes, longitudEsperada + desde * bytesPorRegistro)) {
                fallo = true;
                return;
            }
            if (muestrasEstado > 0) {
                auto& cambios = cambiosEstado[static_cast<size_t>(desde / registrosPorTramo)];
                const auto minimo = static_cast<int32_t>(senalEstado.minimo), maximo = static_cast<int32_t>(senalEstado.maximo);
                int32_t previo = -1;  // no 16-bit value: the first sample is always listed
                for (int64_t r = desde; r < hasta; ++r) {
                    const uint8_t* p = tramo.data() + (r - desde) * bytesPorRegistro + senalEstado.posicion;
                    for (int64_t i = 0; i < muestrasEstado; ++i) {
                        const int32_t v = std::min(std::max(digitalEn<3>(p + 3 * i), minimo), maximo) & 0xFFFF;
                        if (v != previo) cambios.emplace_back(r * muestrasEstado + i, previo = v);
                    }
                }
            }
            double* columnas = destino + static_cast<size_t>(desde * spr) * nCanales;
            poblarMemoria(columnas, static_cast<size_t>((hasta - desde) * spr) * nCanales * sizeof(double));
            if (bdf)
                decodificarRegistros<3>(tramo.data(), hasta - desde, bytesPorRegistro, senales, spr, columnas);
            else
                decodificarRegistros<2>(tramo.data(), hasta - desde, bytesPorRegistro, senales, spr, columnas);
        },
        [&](int64_t hechos) { informarLectura(static_cast<double>(hechos), static_cast<double>(usados)); });
    if (fallo) {
        fallar("error de lectura en los registros de datos del archivo.");
        return false;
    }
    if (l.disparos)
        for (const auto& cambios : cambiosEstado)
            for (const auto& [indice, valor] : cambios) l.disparos->muestra(valor, indice);
    return true;
}

bool EdfFileReader::leerDatosPorEdflib(Lectura& l, double* destino) {
    const edf_hdr_struct& h = l.cabecera();
    const int handle = h.handle;
    const uint32_t nCanales = l.nCanales;
    const int64_t numeroMuestras = l.numeroMuestras;
    diagnostico("muestras leídas por EDFlib, sin decodificar los registros");
    poblarMemoria(destino, static_cast<size_t>(numeroMuestras) * nCanales * sizeof(double));
    // EDFlib's own reading, every channel's stretch in turn (EDFlib keeps
    // one position per signal), into a small channel-major buffer that is
    // then written into the matrix's columns.
    const int64_t tramo = std::min<int64_t>(
        numeroMuestras,
        std::max<int64_t>(l.spr, static_cast<int64_t>(bytesPorTramo / (sizeof(double) * nCanales)) / l.spr * l.spr));
    std::vector<double> bloque(static_cast<size_t>(tramo) * nCanales);
    for (int64_t hecho = 0; hecho < numeroMuestras;) {
        const int n = static_cast<int>(std::min<int64_t>(numeroMuestras - hecho, tramo));
        for (uint32_t c = 0; c < nCanales; ++c)
            if (edfread_physical_samples(handle, l.elegidas[c], n, bloque.data() + static_cast<size_t>(c) * tramo) != n) {
                fallar("error de lectura en la señal " + std::to_string(l.elegidas[c] + 1) + " del archivo.");
                return false;
            }
        double* columnas = destino + static_cast<size_t>(hecho) * nCanales;
        for (int i = 0; i < n; ++i) {
            double* columna = columnas + static_cast<size_t>(i) * nCanales;
            for (uint32_t c = 0; c < nCanales; ++c)
                columna[c] = bloque[static_cast<size_t>(c) * tramo + static_cast<size_t>(i)] * l.escalas[c];
        }
        hecho += n;
        informarLectura(static_cast<double>(hecho), static_cast<double>(numeroMuestras));
    }
    if (l.disparos) {
        const int64_t muestrasEstado = h.signalparam[l.estado].smp_in_file;
        std::vector<int> digitales(std::min<size_t>(muestrasPorBloque, static_cast<size_t>(muestrasEstado)));
        for (int64_t hecho = 0; hecho < muestrasEstado;) {
            const int n =
                static_cast<int>(std::min<int64_t>(muestrasEstado - hecho, static_cast<int64_t>(digitales.size())));
            if (edfread_digital_samples(handle, l.estado, n, digitales.data()) != n) {
                fallar("error de lectura en el canal de disparo «Status» del archivo.");
                return false;
            }
            for (int i = 0; i < n; ++i) l.disparos->muestra(digitales[static_cast<size_t>(i)], hecho + i);
            hecho += n;
        }
    }
    return true;
}

// EDF+/BDF+ annotations join the trigger's events. An annotation that
// writes a kind as io/claseEvento.h does ("1.2 R  1", what our writer puts)
// is that kind; any other text is a kind of its own, numbered after the
// trigger values and those kinds, so the two never share a number.
void EdfFileReader::leerAnotaciones(Lectura& l, EEG& eeg) {
    const edf_hdr_struct& h = l.cabecera();
    diagnostico("Cargando eventos...");
    struct Anotacion {
        Evento evento;
        std::string texto;
        std::optional<ClaseEvento> clase;
    };
    if (!l.sinEdflib)
        for (long long k = 0; k < h.annotations_in_file; ++k) {
            edf_annotation_struct a{};
            if (edf_get_annotation(h.handle, static_cast<int>(k), &a) != 0) break;
            l.anotaciones.push_back({static_cast<double>(a.onset) / unidadesTiempo,
                                     a.duration_l > 0 ? static_cast<double>(a.duration_l) / unidadesTiempo : -1.0,
                                     a.annotation});
        }
    std::vector<Anotacion> anotaciones;
    int64_t mayor = l.disparos ? l.disparos->mayor() : 0;
    for (const AnotacionEdf& a : l.anotaciones) {
        Anotacion n;
        n.texto = recortar(a.texto);
        n.clase = leerClaseEvento(n.texto);
        if (n.clase) mayor = std::max<int64_t>(mayor, n.clase->tipo);
        Evento& e = n.evento;
        e.posicion = columnaDeTiempo(a.inicio, l.frecuenciaEntera);
        if (a.duracion > 0) e.duracion = std::max(0, columnaDeTiempo(a.duracion, l.frecuenciaEntera));
        anotaciones.push_back(std::move(n));
    }
    NumeracionTextos numeracion(static_cast<int32_t>(std::min<int64_t>(mayor + 1, INT32_MAX)));
    std::map<std::pair<int32_t, int32_t>, std::string> nombres;
    for (Anotacion& n : anotaciones) {
        Evento& e = n.evento;
        if (n.clase) {
            e.tipo = n.clase->tipo;
            e.calificador = n.clase->calificador;
            if (!n.clase->nombre.empty()) nombres[{e.tipo, e.calificador}] = n.clase->nombre;
        } else {
            e.tipo = numeracion.numero(n.texto);
            e.calificador = 1;
        }
        l.eventos.push_back(e);
    }
    for (const auto& [texto, numero] : numeracion.numeros()) nombres[{numero, 1}] = texto;
    size_t descartados = 0;
    if (!l.eventos.empty()) {
        eeg.tablaEventos = construirTablaEventos(std::move(l.eventos), l.numeroMuestras, &descartados);
        eeg.tablaEventos->textos = std::move(nombres);
    }
    if (descartados > 0)
        l.avisoCorte += (l.avisoCorte.empty() ? "" : " ") + std::to_string(descartados) +
                        (descartados == 1 ? " evento cae fuera del registro y se ha descartado."
                                          : " eventos caen fuera del registro y se han descartado.");
    if (!l.avisoCorte.empty()) avisar(l.avisoCorte);
}
