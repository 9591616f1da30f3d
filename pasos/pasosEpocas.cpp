#include "pasos/pasosEpocas.h"

#include <stdexcept>

#include "averaging/epocas.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

// A refusal of the step's parameters against the branch reads as the reason alone.
template <class F>
EEG comoRechazo(F&& calculo) {
    try {
        return calculo();
    } catch (const std::invalid_argument& e) {
        throw RechazoPaso(e.what());
    }
}

}  // namespace

Paso leerPasoEpocas(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 3) rechazar("se esperaba epocas:TIPOS,MSPREV,MSPOST (por ejemplo epocas:1.1+2.1,200,800)");
    const auto tipos = leerTiposEvento(p[0]);
    const double msPrev = leerReal(p[1], "los milisegundos antes del evento");
    const double msPost = leerReal(p[2], "los milisegundos después del evento");
    if (msPrev < 0 || msPost < 0) rechazar("los milisegundos antes y después del evento no pueden ser negativos");
    return {"Epocas", "No se han podido cortar las épocas.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance&) {
                return comoRechazo([&] { return cortarEpocas(eeg, tipos, msPrev, msPost, avisos); });
            },
            texto};
}

Paso leerPasoLineaBase(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 2) rechazar("se esperaba linea-base:MS1,MS2 (por ejemplo linea-base:-200,0)");
    const double ms1 = leerReal(p[0], "el inicio de la línea de base");
    const double ms2 = leerReal(p[1], "el final de la línea de base");
    if (ms1 > ms2) rechazar("el inicio de la línea de base debe ser menor o igual que su final");
    return {"LineaBase", "No se ha podido restar la línea de base.",
            [=](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return restarLineaBase(eeg, ms1, ms2); });
            },
            texto};
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
    const auto informe = opciones.informeRechazo;
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
            texto};
}

Paso pasoPromediadoEpocas(const std::string& texto, std::vector<std::pair<int32_t, int32_t>> tipos, bool conVentana) {
    return {"Promediado", "Fallo en el promediado, revisa que existan datos para los tiempos elegidos.",
            [=](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                if (!eeg.epocas)
                    throw RechazoPaso("sobre una rama continua el promediado necesita su ventana: "
                                      "promediado:TIPOS,MSPREV,MSPOST");
                if (conVentana) avisos.push_back("promediado: la rama ya está en épocas; se usa su ventana");
                EEG r = comoRechazo([&] { return promediarPorTipo(eeg, tipos, avance); });
                for (std::size_t t = 0; t < tipos.size(); ++t)
                    avisos.push_back("promedio de " + std::to_string(tipos[t].first) + "." +
                                     std::to_string(tipos[t].second) + ": " +
                                     std::to_string(r.epocas->promediadas[t]) + " épocas");
                return r;
            },
            texto};
}
