#include "io/eventosTSV.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "io/claseEvento.h"
#include "io/textoCabecera.h"
#include "io/eventosLeidos.h"

namespace {

// BIDS writes a missing value as "n/a"; an empty field counts the same.
bool vacio(const std::string& t) { return t.empty() || t == "n/a"; }

std::string enLinea(size_t linea) { return "línea " + std::to_string(linea) + ": "; }

// from_chars never reads the locale, so "1,5" is refused under any of them.
double numero(const std::string& t, size_t linea, const char* columna) {
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v))
        throw ErrorEventosTSV(enLinea(linea) + "la columna " + columna + " tiene «" + t +
                              "», que no es un número en segundos");
    return v;
}

// A positive integer as std::to_string writes it: "7", not "07" or "+7".
std::optional<int32_t> enteroPositivo(const std::string& t) {
    int32_t v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v <= 0 || std::to_string(v) != t) return std::nullopt;
    return v;
}

struct Fila {
    Evento evento;
    std::optional<ClaseEvento> clase;  // a numbered kind; else `texto` names it
    std::string texto;
    std::string nombre;  // trial_type, kept as a numbered kind's name
};

// Where the columns the reader uses sit in a line.
struct Columnas {
    size_t ancho = 0;
    size_t onset = 0;
    std::optional<size_t> duracion, valor, tipoEnsayo;
};

// The header line (the first non-blank one, past a UTF-8 byte-order mark).
Columnas leerCabecera(std::istream& texto, size_t& numeroLinea) {
    std::string linea;
    std::vector<std::string> cabecera;
    while (cabecera.empty() && std::getline(texto, linea)) {
        ++numeroLinea;
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (numeroLinea == 1 && linea.rfind("\xEF\xBB\xBF", 0) == 0) linea.erase(0, 3);
        if (!linea.empty()) cabecera = partir(linea, '\t');
    }
    if (cabecera.empty()) throw ErrorEventosTSV("no tiene línea de cabecera (está vacía)");
    auto columna = [&](std::string_view nombre) -> std::optional<size_t> {
        const auto it = std::find(cabecera.begin(), cabecera.end(), nombre);
        return it == cabecera.end() ? std::nullopt : std::optional<size_t>(it - cabecera.begin());
    };
    const auto onset = columna("onset");
    Columnas c;
    c.ancho = cabecera.size();
    c.duracion = columna("duration");
    c.valor = columna("value");
    c.tipoEnsayo = columna("trial_type");
    if (!onset) throw ErrorEventosTSV(enLinea(numeroLinea) + "la cabecera no tiene la columna onset");
    if (!c.valor && !c.tipoEnsayo)
        throw ErrorEventosTSV(enLinea(numeroLinea) + "la cabecera no tiene la columna value ni la columna trial_type");
    c.onset = *onset;
    return c;
}

// One event line's fields: its time, duration and kind (numbered or named).
Fila leerFila(const std::vector<std::string>& f, const Columnas& c, size_t numeroLinea, double frecuencia) {
    Fila fila;
    fila.evento.posicion = columnaDeTiempo(numero(f[c.onset], numeroLinea, "onset"), frecuencia);
    if (c.duracion && !vacio(f[*c.duracion])) {
        const double s = numero(f[*c.duracion], numeroLinea, "duration");
        if (s < 0.0)
            throw ErrorEventosTSV(enLinea(numeroLinea) + "la columna duration tiene «" + f[*c.duracion] +
                                  "», una duración negativa");
        fila.evento.duracion = std::max(0, columnaDeTiempo(s, frecuencia));
    }
    const std::string v = c.valor ? f[*c.valor] : "";
    const std::string t = c.tipoEnsayo && !vacio(f[*c.tipoEnsayo]) ? f[*c.tipoEnsayo] : "";
    if (const auto k = enteroPositivo(v)) {
        fila.clase = ClaseEvento{*k, 1, ""};
    } else if (auto clase = leerClaseEvento(v)) {
        fila.clase = std::move(clase);
    }
    if (fila.clase) {
        fila.nombre = t.empty() ? fila.clase->nombre : t;
    } else if (!t.empty() || !vacio(v)) {
        fila.texto = t.empty() ? v : t;
    } else {
        throw ErrorEventosTSV(enLinea(numeroLinea) + "el evento no tiene value ni trial_type");
    }
    return fila;
}

// Named kinds are numbered from one above the largest numbered one, in order
// of appearance; only the kinds that stay inside the recording keep a name.
EventosTSV numerarEventos(std::vector<Fila>& filas, int64_t muestras) {
    int64_t mayor = 0;
    for (const Fila& fila : filas)
        if (fila.clase) mayor = std::max<int64_t>(mayor, fila.clase->tipo);
    NumeracionTextos numeracion(static_cast<int32_t>(std::min<int64_t>(mayor + 1, INT32_MAX)));
    std::map<std::pair<int32_t, int32_t>, std::string> nombres;
    std::vector<Evento> eventos;
    eventos.reserve(filas.size());
    for (Fila& fila : filas) {
        Evento& e = fila.evento;
        if (fila.clase) {
            e.tipo = fila.clase->tipo;
            e.calificador = fila.clase->calificador;
            if (!fila.nombre.empty()) nombres.emplace(std::make_pair(e.tipo, e.calificador), fila.nombre);
        } else {
            e.tipo = numeracion.numero(fila.texto);
            e.calificador = 1;
            nombres[{e.tipo, 1}] = fila.texto;
        }
        eventos.push_back(e);
    }
    EventosTSV r;
    r.tabla = construirTablaEventos(std::move(eventos), muestras, &r.descartados);
    if (r.tabla->eventos.empty()) {
        r.tabla.reset();
    } else {
        for (const Evento& k : r.tabla->tipos) {
            const auto it = nombres.find({k.tipo, k.calificador});
            if (it != nombres.end()) r.tabla->textos.insert(*it);
        }
    }
    return r;
}

}  // namespace

EventosTSV leerEventosTSV(std::istream& texto, double frecuencia, int64_t muestras) {
    if (!(frecuencia > 0.0)) throw std::invalid_argument("la frecuencia de muestreo del registro no es positiva");
    size_t numeroLinea = 0;
    const Columnas columnas = leerCabecera(texto, numeroLinea);
    std::vector<Fila> filas;
    std::string linea;
    while (std::getline(texto, linea)) {
        ++numeroLinea;
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (linea.empty()) continue;
        const std::vector<std::string> f = partir(linea, '\t');
        if (f.size() != columnas.ancho)
            throw ErrorEventosTSV(enLinea(numeroLinea) + "tiene " + std::to_string(f.size()) + " campos y la cabecera " +
                                  std::to_string(columnas.ancho));
        filas.push_back(leerFila(f, columnas, numeroLinea, frecuencia));
    }
    return numerarEventos(filas, muestras);
}

EventosTSV leerEventosTSV(const std::string& ruta, double frecuencia, int64_t muestras) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) throw ErrorEventosTSV("no se puede abrir la tabla de eventos \"" + ruta + "\"");
    try {
        return leerEventosTSV(f, frecuencia, muestras);
    } catch (const ErrorEventosTSV& e) {
        throw ErrorEventosTSV("la tabla de eventos \"" + ruta + "\": " + e.what());
    }
}
