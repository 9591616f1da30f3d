#include "pasos/pasosCanales.h"

#include <stdexcept>

#include "canales/deteccionCanales.h"
#include "canales/interpolacionEsferica.h"
#include "io/diagnostico.h"

namespace {

// "3" after the tag: the channels the step added to, or took from, the list.
std::string diferenciaMalos(const EEG& entrada, const EEG& salida) {
    const auto a = entrada.canalesMalos.size(), b = salida.canalesMalos.size();
    return std::to_string(a > b ? a - b : b - a);
}

void sinParametros(const std::string& nombre, bool hayParametros) {
    if (hayParametros) throw std::invalid_argument("\"" + nombre + "\" no lleva parámetros");
}

}  // namespace

Paso pasoCanalesMalos() {
    return {"CanalesMalos", "No se han podido buscar los canales malos.",
            [](const EEG& eeg, AvisosPaso& avisos, const Avance&) {
                const DeteccionCanales d = comoRechazo([&] { return detectarCanalesMalos(eeg); });
                for (const std::string& n : d.notas) avisos.push_back("canales-malos: " + n);
                EEG r = conCanalesDetectados(eeg, d);
                std::string marcados;
                for (const arma::uword i : d.marcados()) {
                    if (i >= eeg.canales->size()) continue;
                    std::string reglas;
                    for (const ReglaCanal g : d.canales[i].reglas)
                        reglas += (reglas.empty() ? "" : ", ") + nombreRegla(g);
                    marcados += (marcados.empty() ? "" : "; ") + (*eeg.canales)[i].etiqueta + " (" + reglas + ")";
                }
                avisos.push_back("canales-malos: " +
                                 (marcados.empty() ? std::string("ningún canal marcado") : "marcados " + marcados));
                if (!marcados.empty()) diagnostico(tablaCanalesMalos(eeg, d));
                return r;
            },
            "canales-malos", diferenciaMalos};
}

Paso pasoInterpolar() {
    return {"Interpolacion", "No se han podido interpolar los canales malos.",
            [](const EEG& eeg, AvisosPaso& avisos, const Avance&) {
                return comoRechazo([&] { return interpolarCanalesMalos(eeg, avisos); });
            },
            "interpolar", diferenciaMalos};
}

Paso leerPasoCanalesMalos(const std::string& texto, bool hayParametros) {
    sinParametros("canales-malos", hayParametros);
    Paso p = pasoCanalesMalos();
    p.texto = texto;
    return p;
}

Paso leerPasoInterpolar(const std::string& texto, bool hayParametros) {
    sinParametros("interpolar", hayParametros);
    Paso p = pasoInterpolar();
    p.texto = texto;
    return p;
}
