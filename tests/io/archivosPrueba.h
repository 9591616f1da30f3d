#pragma once
// Small recordings built byte by byte for the reader tests, a temporary
// folder to write them to, and reading them back (from memory, or from a file
// for EDF/BDF).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io/EEG.h"
#include "io/EdfFileReader.h"
#include "tests/io/capturas.h"

namespace prueba {

using Bytes = std::vector<uint8_t>;

template <typename T>
void anadirValor(Bytes& b, T v) {  // little-endian host
    const auto* q = reinterpret_cast<const uint8_t*>(&v);
    b.insert(b.end(), q, q + sizeof v);
}
inline void anadirTexto(Bytes& b, std::string s, size_t n) {
    s.resize(n, ' ');
    b.insert(b.end(), s.begin(), s.end());
}

// A folder under the system's temporary folder, removed with its files.
class CarpetaTemporal {
public:
    CarpetaTemporal() {
        std::string plantilla = (std::filesystem::temp_directory_path() / "ondelar-prueba-XXXXXX").string();
        ruta_ = mkdtemp(plantilla.data());
    }
    ~CarpetaTemporal() {
        std::error_code e;
        std::filesystem::remove_all(ruta_, e);
    }
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;
    std::string escribir(const std::string& nombre, const Bytes& bytes) const {
        const std::string r = ruta_ + "/" + nombre;
        std::ofstream(r, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return r;
    }
    std::string escribir(const std::string& nombre, const std::string& texto) const {
        return escribir(nombre, Bytes(texto.begin(), texto.end()));
    }
    const std::string& ruta() const { return ruta_; }
    // The names of the files it holds, sorted.
    std::vector<std::string> archivos() const {
        std::vector<std::string> r;
        for (const auto& e : std::filesystem::directory_iterator(ruta_)) r.push_back(e.path().filename().string());
        std::sort(r.begin(), r.end());
        return r;
    }

private:
    std::string ruta_;
};

// Reads the bytes with a fresh reader of type L; *motivo gets its failure
// text, *avisos its warnings joined by "|".
template <class L>
EEG leerBytes(const Bytes& b, std::string* motivo = nullptr, std::string* avisos = nullptr) {
    L lector;
    EEG e = lector.leerMemoria(b.data(), b.size());
    if (motivo) *motivo = lector.motivoFallo();
    if (avisos) {
        avisos->clear();
        for (const std::string& a : lector.avisos()) *avisos += (avisos->empty() ? "" : "|") + a;
    }
    return e;
}

// A reading from memory: the recording, its failure text and its warnings joined by "|".
struct Lectura {
    EEG eeg;
    std::string motivo, avisos;
    bool rechazado() const { return eeg.matrices.empty() && !motivo.empty(); }
    size_t eventos() const { return eeg.tablaEventos ? eeg.tablaEventos->eventos.size() : 0; }
};
template <class L>
Lectura leerLectura(const Bytes& b) {
    Lectura r;
    r.eeg = leerBytes<L>(b, &r.motivo, &r.avisos);
    return r;
}

// The bytes of a file, to change before reading them.
inline Bytes bytesDeArchivo(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
inline std::string textoDeArchivo(const std::string& ruta) {
    const Bytes b = bytesDeArchivo(ruta);
    return std::string(b.begin(), b.end());
}

// The EDF+ sample edfplus_139ch.edf with the bytes from `posicion` replaced by `campo`.
inline std::string edfCambiado(const CarpetaTemporal& t, size_t posicion, const std::string& campo) {
    Bytes b = bytesDeArchivo(ONDELAR_RAIZ "/../shared/data/formatos/edfplus_139ch.edf");
    std::copy(campo.begin(), campo.end(), b.begin() + static_cast<std::ptrdiff_t>(posicion));
    return t.escribir("cambiado.edf", b);
}

// BCI2000 header: the first line (HeaderLen= written 6 wide, so the length is
// known before it is written), the state vector section and one parameter
// line per entry of `parametros`, all CR LF terminated.
inline std::string cabeceraDat(int canales, int vectorEstado, const std::vector<std::string>& parametros) {
    std::string resto = "[ State Vector Definition ]\r\nRunning 1 0 0 0\r\n[ Parameter Definition ]\r\n";
    for (const std::string& p : parametros) resto += p + "\r\n";
    char primera[128];
    const char* formato = "HeaderLen= %6zu SourceCh= %d StatevectorLen= %d\r\n";
    const size_t n = std::snprintf(primera, sizeof primera, formato, size_t{0}, canales, vectorEstado);
    std::snprintf(primera, sizeof primera, formato, n + resto.size() + 2, canales, vectorEstado);
    return primera + resto + "\r\n";
}

// Header plus samples: per sample, the channel values as int16 then the state vector.
inline Bytes archivoDat(int canales, int vectorEstado, const std::vector<std::string>& parametros,
                        const std::vector<std::vector<int16_t>>& muestras) {
    const std::string cab = cabeceraDat(canales, vectorEstado, parametros);
    Bytes b(cab.begin(), cab.end());
    for (const auto& s : muestras) {
        for (int16_t v : s) anadirValor(b, v);
        b.insert(b.end(), static_cast<size_t>(vectorEstado), 0xAB);
    }
    return b;
}

struct CanalGdfPrueba {
    std::string etiqueta = "C";
    uint32_t muestrasPorRegistro = 1, tipo = 3;
};

struct GdfPrueba {
    std::string version = "GDF 1.25";
    int64_t relleno = 0;            // bytes added to the 256 x (NS + 1) of the headers
    int64_t longitudCabecera = -1;  // -1: the real length
    int64_t registros = 0;
    uint32_t numerador = 1, denominador = 256;
    // Ranges of every channel; equal physical and digital ones keep the stored values.
    double fisicoMinimo = -32768, fisicoMaximo = 32767;
    int64_t digitalMinimo = -32768, digitalMaximo = 32767;
    std::vector<CanalGdfPrueba> canales;
    Bytes datos;    // the data records as stored
    Bytes eventos;  // the event table as stored
};

// The ranges of `g` for every channel.
inline Bytes archivoGdf(const GdfPrueba& g) {
    Bytes b;
    const auto ns = static_cast<uint32_t>(g.canales.size());
    const int64_t longitud = 256 * (int64_t{ns} + 1) + g.relleno;
    anadirTexto(b, g.version, 8);
    anadirTexto(b, "sujeto", 80);
    anadirTexto(b, "registro", 80);
    anadirTexto(b, "2009030511562400", 16);
    anadirValor<int64_t>(b, g.longitudCabecera >= 0 ? g.longitudCabecera : longitud);
    for (uint64_t id : {11, 22, 33}) anadirValor(b, id);
    anadirTexto(b, "reservado", 20);
    anadirValor<int64_t>(b, g.registros);
    for (uint32_t v : {g.numerador, g.denominador, ns}) anadirValor(b, v);
    for (const auto& c : g.canales) anadirTexto(b, c.etiqueta, 16);
    for (auto [texto, ancho] : {std::pair<const char*, size_t>{"transductor", 80}, {"uV", 8}})
        for (size_t i = 0; i < ns; ++i) anadirTexto(b, texto, ancho);
    for (double v : {g.fisicoMinimo, g.fisicoMaximo})
        for (size_t i = 0; i < ns; ++i) anadirValor(b, v);
    for (int64_t v : {g.digitalMinimo, g.digitalMaximo})
        for (size_t i = 0; i < ns; ++i) anadirValor(b, v);
    for (size_t i = 0; i < ns; ++i) anadirTexto(b, "HP:0.1Hz", 80);
    for (const auto& c : g.canales) anadirValor(b, c.muestrasPorRegistro);
    for (const auto& c : g.canales) anadirValor(b, c.tipo);
    b.resize(static_cast<size_t>(longitud), 0);
    b.insert(b.end(), g.datos.begin(), g.datos.end());
    b.insert(b.end(), g.eventos.begin(), g.eventos.end());
    return b;
}

struct EventoPrueba {
    uint32_t posicion;
    uint16_t tipo, canal = 0;
    uint32_t duracion = 0;
};

inline Bytes tablaEventos(uint8_t modo, const std::vector<EventoPrueba>& ev) {
    Bytes b{modo, 0, 1, 0};  // mode, then a 3-byte sampling rate
    anadirValor(b, static_cast<uint32_t>(ev.size()));
    for (const auto& e : ev) anadirValor(b, e.posicion);
    for (const auto& e : ev) anadirValor(b, e.tipo);
    if (modo == 3) {
        for (const auto& e : ev) anadirValor(b, e.canal);
        for (const auto& e : ev) anadirValor(b, e.duracion);
    }
    return b;
}

// A BCI2000 file with `viejo` replaced by `nuevo` in its header (first
// occurrence; the test fails when absent), HeaderLen= rewritten to the new
// length, of as many digits as the old one, and the samples kept.
inline Bytes cambiarCabeceraDat(const Bytes& dat, const std::string& viejo, const std::string& nuevo) {
    const std::string inicio(dat.begin(), dat.begin() + std::min<size_t>(dat.size(), 256));
    const size_t numero = inicio.find_first_not_of(' ', inicio.find("HeaderLen=") + 10);
    const size_t cifras = inicio.find_first_of(" \r", numero) - numero;
    const auto longitud = static_cast<std::ptrdiff_t>(std::stoul(inicio.substr(numero, cifras)));
    std::string cabecera(dat.begin(), dat.begin() + longitud);
    const size_t donde = cabecera.find(viejo);
    if (donde == std::string::npos) {
        ADD_FAILURE() << "no está en la cabecera: " << viejo;
        return dat;
    }
    cabecera.replace(donde, viejo.size(), nuevo);
    const std::string nueva = std::to_string(cabecera.size());
    EXPECT_EQ(nueva.size(), cifras) << "la longitud de la cabecera cambia de cifras";
    cabecera.replace(numero, cifras, nueva);
    Bytes r(cabecera.begin(), cabecera.end());
    r.insert(r.end(), dat.begin() + longitud, dat.end());
    return r;
}

// `b` with `valor` written little-endian at byte `desde` of the file.
template <typename T>
Bytes conValor(Bytes b, size_t desde, T valor) {
    std::memcpy(b.data() + desde, &valor, sizeof valor);
    return b;
}

// One signal of an EDF or BDF file built here: its header fields and, unless
// it is an annotation signal, the stored value of sample k of record r.
struct SenalEdf {
    std::string etiqueta;
    std::string unidad = "uV", transductor;
    std::string fisicoMinimo = "-3276.8", fisicoMaximo = "3276.7";
    int32_t digitalMinimo = -32768, digitalMaximo = 32767;
    int muestrasPorRegistro = 8;
    bool anotaciones = false;
    std::function<int32_t(int r, int k)> valor = [](int r, int k) { return (r * 37 + k * 11) % 2001 - 1000; };
};

// An annotation signal of `muestras` samples per record.
inline SenalEdf senalAnotaciones(const std::string& etiqueta, int muestras, const std::string& unidad = "") {
    SenalEdf s{etiqueta, unidad, "", "-1", "1"};
    s.anotaciones = true;
    s.muestrasPorRegistro = muestras;
    return s;
}

// The whole 24-bit digital range of a BDF signal.
inline void rangoBdf(SenalEdf& s) {
    s.digitalMinimo = -8388608;
    s.digitalMaximo = 8388607;
}

// An EDF(+) or BDF(+) file of one-second records. An annotation signal holds
// each record's time-keeping note (onset inicios[r], else r) followed by notas(r).
struct EdfPrueba {
    bool bdf = false;
    std::string reservado, paciente = "sujeto", registro = "registro", fecha = "01.01.01", hora = "00.00.00";
    int registros = 1;
    std::vector<std::string> inicios;
    std::function<std::string(int r)> notas = [](int) { return std::string(); };
    std::vector<SenalEdf> senales;

    Bytes bytes() const {
        const size_t ns = senales.size();
        Bytes b;
        if (bdf) b.push_back(0xFF);
        anadirTexto(b, bdf ? "BIOSEMI" : "0", bdf ? 7 : 8);
        for (const auto& [texto, n] : {std::pair<std::string, size_t>{paciente, 80}, {registro, 80}, {fecha, 8}, {hora, 8},
                                       {std::to_string(256 * (ns + 1)), 8}, {reservado, 44},
                                       {std::to_string(registros), 8}, {"1", 8}, {std::to_string(ns), 4}})
            anadirTexto(b, texto, n);
        const auto campo = [&](size_t n, auto texto) {
            for (const SenalEdf& s : senales) anadirTexto(b, texto(s), n);
        };
        campo(16, [](const SenalEdf& s) { return s.etiqueta; });
        campo(80, [](const SenalEdf& s) { return s.transductor; });
        campo(8, [](const SenalEdf& s) { return s.unidad; });
        campo(8, [](const SenalEdf& s) { return s.fisicoMinimo; });
        campo(8, [](const SenalEdf& s) { return s.fisicoMaximo; });
        campo(8, [](const SenalEdf& s) { return std::to_string(s.digitalMinimo); });
        campo(8, [](const SenalEdf& s) { return std::to_string(s.digitalMaximo); });
        campo(80, [](const SenalEdf&) { return std::string(); });
        campo(8, [](const SenalEdf& s) { return std::to_string(s.muestrasPorRegistro); });
        campo(32, [](const SenalEdf&) { return std::string(); });
        const int ancho = bdf ? 3 : 2;
        for (int r = 0; r < registros; ++r)
            for (const SenalEdf& s : senales) {
                if (s.anotaciones) {
                    const size_t i = static_cast<size_t>(r);
                    std::string tal = "+" + (i < inicios.size() ? inicios[i] : std::to_string(r)) + "\x14\x14" + '\0' + notas(r);
                    tal.resize(static_cast<size_t>(s.muestrasPorRegistro * ancho), '\0');
                    b.insert(b.end(), tal.begin(), tal.end());
                    continue;
                }
                for (int k = 0; k < s.muestrasPorRegistro; ++k)
                    for (int j = 0; j < ancho; ++j) b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(s.valor(r, k)) >> (8 * j)));
            }
        return b;
    }
};

// What the EDF/BDF reader gives for `ruta`, EDFlib's reading when `porEdflib`.
struct LecturaEdf {
    EEG eeg;
    std::string motivo, salida;  // salida: what it wrote to standard output
    std::vector<std::string> avisos;
};
inline LecturaEdf leerEdf(const std::string& ruta, bool porEdflib = false) {
    EdfFileReader lector(porEdflib);
    LecturaEdf l;
    l.salida = capturar([&] { l.eeg = lector.leer(ruta); }).salida;
    l.motivo = lector.motivoFallo();
    l.avisos = lector.avisos();
    return l;
}

// Empty when `a` holds the events of `b` (position, kind, qualifier,
// duration), else the first difference.
inline std::string eventosDistintos(const EEG& a, const EEG& b) {
    const size_t na = a.tablaEventos ? a.tablaEventos->eventos.size() : 0;
    const size_t nb = b.tablaEventos ? b.tablaEventos->eventos.size() : 0;
    if (na != nb) return std::to_string(na) + " eventos frente a " + std::to_string(nb);
    for (size_t i = 0; i < na; ++i) {
        const Evento &x = a.tablaEventos->eventos[i], &y = b.tablaEventos->eventos[i];
        if (x.posicion != y.posicion || x.tipo != y.tipo || x.calificador != y.calificador || x.duracion != y.duracion)
            return "evento " + std::to_string(i) + ": posición " + std::to_string(x.posicion) + " frente a " +
                   std::to_string(y.posicion);
    }
    return {};
}

}  // namespace prueba
