#include "pasos/pasosLimpieza.h"

#include <stdexcept>

#include "averaging/car.h"
#include "averaging/referencia.h"
#include "dsp/remuestreoEEG.h"
#include "filtering/lineaElectrica.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

}  // namespace

Paso leerPasoRemuestreo(const std::string& texto, const std::vector<std::string>& p) {
    if (p.size() != 1) rechazar("se esperaba remuestreo:HZ (por ejemplo remuestreo:256)");
    const int hz = leerEntero(p[0], "la frecuencia de destino");
    if (hz <= 0) rechazar("la frecuencia de destino debe ser un número entero de Hz mayor que 0");
    return {"Remuestreo" + std::to_string(hz) + "Hz", "No se ha podido remuestrear la rama.",
            [hz](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                if (eeg.frecuenciaMuestreo == hz)
                    avisos.push_back("remuestreo: la rama ya está a " + std::to_string(hz) + " Hz; queda igual");
                return comoRechazo([&] { return remuestrearEEG(eeg, hz, avance); });
            },
            texto};
}

Paso leerPasoLinea(const std::string& texto, const std::vector<std::string>& p, bool hayParametros) {
    const std::string f = hayParametros && p.size() == 1 ? p[0] : hayParametros ? "?" : "auto";
    if (f != "50" && f != "60" && f != "auto") rechazar("se esperaba linea:50, linea:60 o linea:auto");
    const int fija = f == "auto" ? 0 : std::stoi(f);
    return {fija ? "Linea" + f + "Hz" : "LineaAuto", "No se ha podido quitar el ruido de línea.",
            [fija](const EEG& eeg, AvisosPaso& avisos, const Avance& avance) {
                return comoRechazo([&] {
                    int linea = fija;
                    if (!linea) {
                        // An epoched branch is refused there, before any spectrum is looked at.
                        if (eeg.epocas) return quitarRuidoLinea(eeg, 50.0, avance);
                        linea = detectarFrecuenciaLinea(eeg.datos(), eeg.frecuenciaMuestreo);
                        avisos.push_back("linea: el espectro apunta a " + std::to_string(linea) + " Hz");
                    }
                    return quitarRuidoLinea(eeg, linea, avance);
                });
            },
            texto};
}

Paso pasoReferenciaMedia() {
    return {"RefMedia", "No se ha podido re-referenciar la rama.",
            [](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return rereferenciar(eeg, {}, "media"); });
            },
            "referencia"};
}

Paso leerPasoReferencia(const std::string& texto, const std::vector<std::string>& p, bool hayParametros) {
    if (!hayParametros) return pasoReferenciaMedia();
    if (p.size() != 1 || p[0].empty())
        rechazar("se esperaba referencia:media, referencia:media-otros o referencia:CANAL[+CANAL…] (por ejemplo "
                 "referencia:M1+M2)");
    if (p[0] == "media") {
        Paso paso = pasoReferenciaMedia();
        paso.texto = texto;
        return paso;
    }
    if (p[0] == "media-otros")
        return {"CAR", "Problema con CAR. Revisa el EEG seleccionado",
                [](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                    EEG r = comoRechazo([&] { return aplicarCAR(eeg, avance); });
                    anotarPrefiltrado(r, "Ref:media-otros");
                    return r;
                },
                texto};
    const std::vector<std::string> etiquetas = partir(p[0], '+');
    for (const std::string& e : etiquetas)
        if (e.empty()) rechazar("falta una etiqueta de canal en \"" + p[0] + "\"");
    return {"Ref(" + p[0] + ")", "No se ha podido re-referenciar la rama.",
            [etiquetas, nombre = p[0]](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return rereferenciar(eeg, canalesPorEtiqueta(eeg, etiquetas), nombre); });
            },
            texto};
}
