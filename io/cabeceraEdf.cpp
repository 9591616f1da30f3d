#include "io/cabeceraEdf.h"

#include <charconv>
#include <cmath>
#include <map>
#include <utility>

#include "io/textoCabecera.h"
#include "io/textoNumerico.h"

namespace {

std::string_view sinRelleno(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\0')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
    return t;
}

// A number field: the whole text (padding aside) is the number.
std::optional<double> campoReal(std::string_view t) {
    t = sinRelleno(t);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0.0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int64_t> campoEntero(std::string_view t) {
    t = sinRelleno(t);
    const std::optional<int64_t> v = enteroInicial(t);
    if (!v || t.find_first_not_of("+-0123456789") != std::string_view::npos) return std::nullopt;
    return v;
}

bool imprimible(std::string_view t) {
    for (const char c : t)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) return false;
    return true;
}

// Deviations gathered by field and rule, so that one warning lists every
// signal that breaks the same rule.
class Desviaciones {
public:
    void anotar(const std::string& campo, const std::string& regla, const std::string& donde) {
        auto& lista = porCampo_[{campo, regla}];
        if (lista.empty()) orden_.push_back({campo, regla});
        lista.push_back(donde);
    }
    std::vector<std::string> avisos(const std::string& formato) const {
        std::vector<std::string> r;
        for (const auto& clave : orden_) {
            const std::vector<std::string>& lista = porCampo_.at(clave);
            std::string donde;
            for (size_t i = 0; i < lista.size(); ++i) donde += (i ? ", " : "") + lista[i];
            r.push_back("La cabecera no sigue las reglas de " + formato + " en " + clave.first + " " + donde + ": " +
                        clave.second + "; no afecta a los datos y el archivo se lee igualmente.");
        }
        return r;
    }

private:
    std::map<std::pair<std::string, std::string>, std::vector<std::string>> porCampo_;
    std::vector<std::pair<std::string, std::string>> orden_;
};

std::string senalEnMensaje(size_t s, const std::string& etiqueta, std::string_view valor = {}, bool conValor = false) {
    std::string t = "de la señal " + std::to_string(s + 1) + " («" + textoParaMensaje(etiqueta) + "»";
    if (conValor) t += ": «" + textoParaMensaje(sinRelleno(valor)) + "»";
    return t + ")";
}

// Two-digit fields "dd.mm.yy" or "hh.mm.ss"; false when not of that form.
bool tresNumeros(std::string_view t, int& a, int& b, int& c) {
    if (t.size() != 8 || t[2] != '.' || t[5] != '.') return false;
    for (const size_t i : {0, 1, 3, 4, 6, 7})
        if (t[i] < '0' || t[i] > '9') return false;
    a = (t[0] - '0') * 10 + (t[1] - '0');
    b = (t[3] - '0') * 10 + (t[4] - '0');
    c = (t[6] - '0') * 10 + (t[7] - '0');
    return true;
}

// Fixed field offsets (ASCII, blank padded).
constexpr size_t posicionPaciente = 8, posicionRegistro = 88, posicionFecha = 168, posicionHora = 176;
constexpr size_t posicionReservado = 192, posicionDuracion = 244, posicionSenales = 252;

// The patient and recording fields and the start date and time, into c;
// what breaks the rules is noted in d, never refused.
void revisarIdentificacion(std::string_view bytes, CabeceraEdf& c, Desviaciones& d) {
    c.paciente = textoDeCabecera(bytes.substr(posicionPaciente, 80));
    c.registro = textoDeCabecera(bytes.substr(posicionRegistro, 80));
    if (!imprimible(sinRelleno(bytes.substr(posicionPaciente, 80))))
        d.anotar("el campo del paciente", "tiene caracteres que no son ASCII imprimible", "de la cabecera fija");
    if (!imprimible(sinRelleno(bytes.substr(posicionRegistro, 80))))
        d.anotar("el campo del registro", "tiene caracteres que no son ASCII imprimible", "de la cabecera fija");
    if (!tresNumeros(bytes.substr(posicionFecha, 8), c.dia, c.mes, c.anio) || c.dia < 1 || c.dia > 31 || c.mes < 1 ||
        c.mes > 12) {
        c.dia = c.mes = c.anio = 0;
        d.anotar("la fecha de inicio", "debe ser «dd.mm.aa» (la fecha queda desconocida)", "de la cabecera fija");
    } else {
        c.anio += c.anio >= 85 ? 1900 : 2000;
    }
    if (!tresNumeros(bytes.substr(posicionHora, 8), c.hora, c.minuto, c.segundo) || c.hora > 23 || c.minuto > 59 ||
        c.segundo > 59) {
        c.hora = c.minuto = c.segundo = 0;
        d.anotar("la hora de inicio", "debe ser «hh.mm.ss» (se toma 00.00.00)", "de la cabecera fija");
    }
}

// Signal s of the ns the header describes, into x. Returns the reason a
// data signal cannot be read (its scale is broken), or an empty text.
std::string revisarSenal(std::string_view bytes, size_t ns, size_t s, const CabeceraEdf& c, SenalCabeceraEdf& x,
                         Desviaciones& d) {
    auto campo = [&](size_t desde, size_t ancho) { return bytes.substr(256 + ns * desde + s * ancho, ancho); };
    const int32_t digitalTope = c.bdf ? 8388607 : 32767, digitalSuelo = c.bdf ? -8388608 : -32768;
    const std::string_view etiqueta = campo(0, 16), transductor = campo(16, 80), dimension = campo(96, 8);
    const std::string_view prefiltrado = campo(136, 80);
    x.etiqueta = textoDeCabecera(sinRelleno(etiqueta));
    x.transductor = textoDeCabecera(sinRelleno(transductor));
    x.dimension = textoDeCabecera(sinRelleno(dimension));
    x.prefiltrado = textoDeCabecera(sinRelleno(prefiltrado));
    x.muestrasPorRegistro = campoEntero(campo(216, 8)).value_or(0);
    x.anotaciones = sinRelleno(etiqueta) == "EDF Annotations" || sinRelleno(etiqueta) == "BDF Annotations";
    for (const auto& [nombre, texto] : {std::pair{"la etiqueta", etiqueta}, {"el transductor", transductor},
                                         {"la dimensión física", dimension}, {"el prefiltrado", prefiltrado}})
        if (!imprimible(sinRelleno(texto)))
            d.anotar(nombre, "tiene caracteres que no son ASCII imprimible", senalEnMensaje(s, x.etiqueta));

    const std::optional<double> fmin = campoReal(campo(104, 8)), fmax = campoReal(campo(112, 8));
    const std::optional<int64_t> dmin = campoEntero(campo(120, 8)), dmax = campoEntero(campo(128, 8));
    if (x.anotaciones && c.plus) {
        // Blank fields and the full 16-bit range are the rule for the
        // annotation signal, whose bytes are text and never scaled.
        if (!sinRelleno(transductor).empty())
            d.anotar("el transductor", "debe estar en blanco", senalEnMensaje(s, x.etiqueta, transductor, true));
        if (!sinRelleno(dimension).empty())
            d.anotar("la dimensión física", "debe estar en blanco", senalEnMensaje(s, x.etiqueta, dimension, true));
        if (!sinRelleno(prefiltrado).empty())
            d.anotar("el prefiltrado", "debe estar en blanco", senalEnMensaje(s, x.etiqueta, prefiltrado, true));
        if (dmin != int64_t{-32768} || dmax != int64_t{32767})
            d.anotar("el rango digital", "debe ser de -32768 a 32767", senalEnMensaje(s, x.etiqueta));
        if (!fmin || !fmax || *fmin == *fmax)
            d.anotar("el rango físico", "deben ser dos números distintos", senalEnMensaje(s, x.etiqueta));
        return {};
    }
    if (x.anotaciones) return {};
    // A data signal's ranges are its scale: what breaks them would change every sample.
    const std::string nombre = "la señal " + std::to_string(s + 1) + " («" + textoParaMensaje(x.etiqueta) + "»)";
    if (!fmin || !fmax)
        return nombre + " tiene un " + (fmin ? "máximo" : "mínimo") + " físico que no es un número («" +
               textoParaMensaje(sinRelleno(campo(fmin ? 112 : 104, 8))) + "»).";
    if (*fmin == *fmax)
        return nombre + " tiene el mismo mínimo y máximo físico (" + textoReal(*fmin) + "): no define su escala.";
    if (!dmin || !dmax || *dmin >= *dmax || *dmin < digitalSuelo || *dmax > digitalTope)
        return nombre + " tiene un rango digital imposible («" + textoParaMensaje(sinRelleno(campo(120, 8))) +
               "» a «" + textoParaMensaje(sinRelleno(campo(128, 8))) + "»; se admite de " +
               std::to_string(digitalSuelo) + " a " + std::to_string(digitalTope) +
               ", el mínimo por debajo del máximo).";
    x.fisicoMinimo = *fmin;
    x.fisicoMaximo = *fmax;
    x.digitalMinimo = static_cast<int32_t>(*dmin);
    x.digitalMaximo = static_cast<int32_t>(*dmax);
    return {};
}

}  // namespace

RevisionCabeceraEdf revisarCabeceraEdf(std::string_view bytes) {
    RevisionCabeceraEdf r;
    if (bytes.size() < 256) {
        r.motivo = "la cabecera está incompleta.";
        return r;
    }
    CabeceraEdf c;
    c.bdf = static_cast<unsigned char>(bytes[0]) == 0xFF;
    const std::string reservado(sinRelleno(bytes.substr(posicionReservado, 44)));
    const std::string marca = c.bdf ? "BDF+" : "EDF+";
    c.plus = reservado.rfind(marca, 0) == 0;
    c.discontinuo = c.plus && reservado.rfind(marca + "D", 0) == 0;
    const std::string formato = c.plus ? marca : (c.bdf ? "BDF" : "EDF");
    Desviaciones d;
    revisarIdentificacion(bytes, c, d);

    const std::optional<double> duracion = campoReal(bytes.substr(posicionDuracion, 8));
    // EDFlib's unit of time is 100 ns; a record of more than 10^9 s would overflow it.
    if (!duracion || *duracion < 1e-7 || *duracion > 1e9) {
        r.motivo = "la duración de los registros de datos («" +
                   textoParaMensaje(sinRelleno(bytes.substr(posicionDuracion, 8))) +
                   "») no es un número de segundos entre 0.0000001 y 1000000000.";
        return r;
    }
    c.duracionRegistro = *duracion;

    const size_t ns = static_cast<size_t>(campoEntero(bytes.substr(posicionSenales, 4)).value_or(0));
    if (ns == 0 || bytes.size() < 256 * (ns + 1)) {
        r.motivo = "la cabecera está incompleta.";
        return r;
    }
    c.senales.resize(ns);
    for (size_t s = 0; s < ns; ++s) {
        r.motivo = revisarSenal(bytes, ns, s, c, c.senales[s], d);
        if (!r.motivo.empty()) return r;
    }
    r.avisos = d.avisos(formato);
    r.cabecera = std::move(c);
    return r;
}

TalsRegistro leerTals(std::string_view bytes) {
    TalsRegistro r;
    bool primero = true;
    while (!bytes.empty()) {
        if (bytes.front() == '\0') {  // padding between and after TALs
            bytes.remove_prefix(1);
            continue;
        }
        const size_t fin = bytes.find('\0');
        const std::string_view tal = bytes.substr(0, fin);
        bytes.remove_prefix(fin == std::string_view::npos ? bytes.size() : fin + 1);
        // "+onset[\x15duration]\x14" then texts each ended by \x14.
        const size_t fin20 = tal.find('\x14');
        if ((tal.front() != '+' && tal.front() != '-') || fin20 == std::string_view::npos) {
            r.malformado = true;
            primero = false;
            continue;
        }
        const std::string_view tiempos = tal.substr(0, fin20);
        const size_t fin21 = tiempos.find('\x15');
        const std::optional<double> inicio = campoReal(tiempos.substr(0, fin21));
        std::optional<double> duracion;
        if (fin21 != std::string_view::npos) duracion = campoReal(tiempos.substr(fin21 + 1));
        if (!inicio || (fin21 != std::string_view::npos && (!duracion || *duracion < 0.0))) {
            r.malformado = true;
            primero = false;
            continue;
        }
        std::string_view textos = tal.substr(fin20 + 1);
        const bool marcaTiempo = primero && !textos.empty() && textos.front() == '\x14';
        if (marcaTiempo) {
            r.inicioRegistro = *inicio;
            textos.remove_prefix(1);
        }
        primero = false;
        while (!textos.empty()) {
            const size_t f = textos.find('\x14');
            const std::string_view texto = textos.substr(0, f);
            textos.remove_prefix(f == std::string_view::npos ? textos.size() : f + 1);
            if (texto.empty()) continue;
            AnotacionEdf a;
            a.inicio = *inicio;
            a.duracion = duracion.value_or(-1.0);
            a.texto = utf8Saneado(texto);
            r.anotaciones.push_back(std::move(a));
        }
    }
    return r;
}
