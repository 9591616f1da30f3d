#include "pasos/pasosEpocas.h"

#include <algorithm>
#include <stdexcept>

#include "io/textoNumerico.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

Paso conTexto(Paso paso, const std::string& texto) {
    paso.texto = texto;
    return paso;
}

std::size_t numeroEpocas(const EEG& eeg) { return eeg.epocas ? eeg.epocas->numero() : 0; }

// "38 de 40": the epochs a branch keeps of those it came from.
std::string conservadas(const EEG& entrada, const EEG& salida) {
    return std::to_string(numeroEpocas(salida)) + " de " + std::to_string(numeroEpocas(entrada));
}

std::string textoRechazo(const OpcionesRechazo& o) {
    std::string t;
    const auto anadir = [&t](const char* clave, const std::optional<double>& v) {
        if (v) t += (t.empty() ? ":" : ",") + std::string(clave) + "=" + textoReal(*v);
    };
    anadir("pp", o.picoAPico);
    anadir("prob", o.probabilidad);
    anadir("curt", o.curtosis);
    return "rechazo" + t;
}

}  // namespace

std::string textoTipos(const std::vector<TipoEvento>& tipos) {
    std::string t;
    for (const TipoEvento& k : tipos)
        t += (t.empty() ? "" : "+") + std::to_string(k.first) + "." + std::to_string(k.second);
    return t;
}

Paso pasoEpocas(const std::vector<TipoEvento>& tipos, double msPrev, double msPost) {
    return {"Epocas", "No se han podido cortar las épocas.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance&) {
                return comoRechazo([&] { return cortarEpocas(eeg, tipos, msPrev, msPost, avisos); });
            },
            "epocas:" + textoTipos(tipos) + "," + textoReal(msPrev) + "," + textoReal(msPost),
            [](const EEG&, const EEG& salida) { return std::to_string(numeroEpocas(salida)); }};
}

Paso pasoLineaBase(double ms1, double ms2) {
    return {"LineaBase", "No se ha podido restar la línea de base.",
            [=](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return restarLineaBase(eeg, ms1, ms2); });
            },
            "linea-base:" + textoReal(ms1) + "," + textoReal(ms2)};
}

Paso pasoRechazo(const OpcionesRechazo& o, std::function<void(const std::string&)> informe) {
    return {"Rechazo", "No se han podido rechazar épocas.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance&) {
                return comoRechazo([&] {
                    const auto marcas = marcarEpocas(eeg, o);
                    std::vector<bool> quitar(marcas.size());
                    std::size_t quitadas = 0;
                    for (std::size_t e = 0; e < marcas.size(); ++e) quitadas += (quitar[e] = !marcas[e].empty());
                    if (informe) informe(informeRechazoCSV(eeg, marcas));
                    avisos.push_back("rechazo: se conservan " + std::to_string(marcas.size() - quitadas) + " de " +
                                     std::to_string(marcas.size()) + " épocas");
                    return quitadas == 0 ? derivarEEG(eeg, eeg.datos()) : quitarEpocas(eeg, quitar);
                });
            },
            textoRechazo(o), conservadas};
}

namespace {

// The epochs to drop by their indices (sorted, each once): a text may name
// epoch 1111111111 without costing a flag for every epoch before it.
Paso quitarPorIndices(std::vector<std::size_t> indices) {
    std::string numeros;
    for (std::size_t e : indices) numeros += (numeros.empty() ? "" : "+") + std::to_string(e + 1);
    return {"Rechazo", "No se han podido quitar las épocas marcadas.",
            [indices](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] {
                    if (!eeg.epocas) rechazar("quitar épocas necesita una rama en épocas");
                    const std::size_t n = eeg.epocas->numero();
                    if (!indices.empty() && indices.back() >= n)
                        rechazar("se pide quitar la época " + std::to_string(indices.back() + 1) +
                                 " y la rama tiene " + std::to_string(n));
                    if (indices.empty()) return derivarEEG(eeg, eeg.datos());
                    std::vector<bool> quitar(n, false);
                    for (std::size_t e : indices) quitar[e] = true;
                    return quitarEpocas(eeg, quitar);
                });
            },
            numeros.empty() ? "quitar-epocas" : "quitar-epocas:" + numeros, conservadas};
}

}  // namespace

Paso pasoQuitarEpocas(const std::vector<bool>& quitar) {
    std::vector<std::size_t> indices;
    for (std::size_t e = 0; e < quitar.size(); ++e)
        if (quitar[e]) indices.push_back(e);
    return quitarPorIndices(std::move(indices));
}

Paso pasoPromediadoEpocas(std::vector<TipoEvento> tipos) {
    return {"Promediado", "Fallo en el promediado, revisa que existan datos para los tiempos elegidos.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                if (!eeg.epocas)
                    throw RechazoPaso("sobre una rama continua el promediado necesita su ventana: "
                                      "promediado:TIPOS,MSPREV,MSPOST");
                EEG r = comoRechazo([&] { return promediarPorTipo(eeg, tipos, avance); });
                for (std::size_t t = 0; t < tipos.size(); ++t)
                    avisos.push_back("promedio de " + textoTipos({tipos[t]}) + ": " +
                                     std::to_string(r.epocas->promediadas[t]) + " épocas");
                return r;
            },
            "promediado:" + textoTipos(tipos),
            // "1.1: 19, 2.1: 21": the epochs behind each mean.
            [tipos](const EEG&, const EEG& salida) {
                std::string t;
                for (std::size_t k = 0; k < tipos.size() && salida.epocas; ++k)
                    t += (k ? ", " : "") + textoTipos({tipos[k]}) + ": " +
                         std::to_string(salida.epocas->promediadas.at(k));
                return t;
            }};
}

Paso leerPasoEpocas(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 3) rechazar("se esperaba epocas:TIPOS,MSPREV,MSPOST (por ejemplo epocas:1.1+2.1,200,800)");
    const auto tipos = leerTiposEvento(p[0]);
    const double msPrev = leerReal(p[1], "los milisegundos antes del evento");
    const double msPost = leerReal(p[2], "los milisegundos después del evento");
    if (msPrev < 0 || msPost < 0) rechazar("los milisegundos antes y después del evento no pueden ser negativos");
    return conTexto(pasoEpocas(tipos, msPrev, msPost), texto);
}

Paso leerPasoLineaBase(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 2) rechazar("se esperaba linea-base:MS1,MS2 (por ejemplo linea-base:-200,0)");
    const double ms1 = leerReal(p[0], "el inicio de la línea de base");
    const double ms2 = leerReal(p[1], "el final de la línea de base");
    if (ms1 > ms2) rechazar("el inicio de la línea de base debe ser menor o igual que su final");
    return conTexto(pasoLineaBase(ms1, ms2), texto);
}

Paso leerPasoRechazo(const std::string& texto, const std::vector<std::string>& p, bool hayParametros,
                     const OpcionesPasos& opciones) {
    OpcionesRechazo o;
    if (!hayParametros) {
        o.probabilidad = 5.0;
        o.curtosis = 5.0;
    }
    for (const std::string& parte : hayParametros ? p : std::vector<std::string>{}) {
        const size_t igual = parte.find('=');
        const std::string clave = parte.substr(0, igual);
        if (igual == std::string::npos || (clave != "pp" && clave != "prob" && clave != "curt"))
            rechazar("se esperaba rechazo:pp=µV,prob=Z,curt=Z, cada criterio opcional (por ejemplo "
                     "rechazo:pp=100,prob=5,curt=5)");
        const double v = leerReal(parte.substr(igual + 1), "el límite \"" + clave + "\" del rechazo");
        if (!(v > 0)) rechazar("el límite \"" + clave + "\" del rechazo debe ser mayor que 0");
        (clave == "pp" ? o.picoAPico : clave == "prob" ? o.probabilidad : o.curtosis) = v;
    }
    return conTexto(pasoRechazo(o, opciones.informeRechazo), texto);
}

Paso leerPasoQuitarEpocas(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() > 1) rechazar("se esperaba quitar-epocas:N+N… con los números de las épocas (por ejemplo "
                               "quitar-epocas:3+7)");
    std::vector<std::size_t> indices;
    for (const std::string& n : p.empty() ? std::vector<std::string>{} : partir(p[0], '+')) {
        const int e = leerEntero(n, "el número de época");
        if (e < 1) rechazar("las épocas se numeran desde 1");
        indices.push_back(static_cast<std::size_t>(e - 1));
    }
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return conTexto(quitarPorIndices(std::move(indices)), texto);
}

Paso leerPasoPromediadoEpocas(const std::string& texto, std::vector<TipoEvento> tipos, bool conVentana) {
    Paso paso = conTexto(pasoPromediadoEpocas(std::move(tipos)), texto);
    if (conVentana) {
        CalculoPaso calculo = paso.calcular;
        paso.calcular = [calculo](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
            if (eeg.epocas) avisos.push_back("promediado: la rama ya está en épocas; se usa su ventana");
            return calculo(eeg, avisos, avance);
        };
    }
    return paso;
}
