#include "pasos/pasosICA.h"

#include <filesystem>
#include <stdexcept>

#include "io/archivoICA.h"
#include "io/diagnostico.h"
#include "mara/activacionesICA.h"
#include "mara/aplicarMara.h"
#include "mara/directorioEjecutable.h"
#include "mara/quitarComponentes.h"

namespace {

[[noreturn]] void rechazar(const std::string& motivo) { throw std::invalid_argument(motivo); }

}  // namespace

Paso leerPasoICA(const std::string& texto, const std::vector<std::string>& p, bool hayParametros,
                 const OpcionesPasos& opciones) {
    if (!hayParametros) {
        const auto semilla = opciones.semilla;
        return {"ICA", "fallo en ICA",
                [semilla](const EEG& eeg, AvisosPaso&, const Avance& avance) {
                    return activacionesICA(eeg, semilla, avance);
                },
                texto};
    }
    if (p.size() != 1 || p[0].empty())
        rechazar("se esperaba ica o ica:ARCHIVO (una descomposición guardada, por ejemplo ica:sujeto1.ica)");
    // Read now: a missing or damaged file is found before the recording is.
    std::shared_ptr<const DescomposicionICA> d;
    try {
        d = std::make_shared<const DescomposicionICA>(leerDescomposicion(std::filesystem::path(p[0])));
    } catch (const std::runtime_error& e) {
        rechazar(e.what());
    }
    return {"ICA", "fallo en ICA",
            [d](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return activacionesICA(eeg, *d); });
            },
            texto};
}

Paso leerPasoMARA(const std::string& texto, bool hayParametros, const OpcionesPasos& opciones) {
    if (hayParametros) rechazar("\"mara\" no lleva parámetros");
    OpcionesMara o;
    o.semilla = opciones.semilla;
    o.directorioModelos = opciones.carpetaModelos.empty() ? directorioEjecutable()
                                                          : std::filesystem::path(opciones.carpetaModelos);
    // The pipeline's informational messages are diagnostics here: nobody waits for them.
    o.avisar = [](const std::string& t) { diagnostico(t); };
    o.informar = opciones.informeMara;
    return {"MARA", "fallo en Mara", [o](const EEG& eeg, AvisosPaso&, const Avance& avance) {
        if (eeg.epocas) throw RechazoPaso(sobreContinua("MARA"));
        OpcionesMara conAvance = o;
        conAvance.avance = avance;
        return aplicarMara(eeg, conAvance);
    }, texto};
}

Paso leerPasoQuitarComponentes(const std::string& texto, const std::vector<std::string>& p) {
    std::vector<arma::uword> quitar;
    for (const std::string& t : p) {
        const int n = leerEntero(t, "la lista de componentes de quitar-componentes");
        if (n < 1) rechazar("las componentes se cuentan desde 1 (quitar-componentes:3,7,12)");
        quitar.push_back(static_cast<arma::uword>(n));
    }
    if (quitar.empty()) rechazar("se esperaba quitar-componentes:N,N… (por ejemplo quitar-componentes:3,7,12)");
    Paso paso = pasoQuitarComponentes(std::move(quitar));
    paso.texto = texto;
    return paso;
}

Paso pasoQuitarComponentes(std::vector<arma::uword> quitar, const std::string& origen) {
    const std::string lista = textoComponentes(quitar);
    std::string etiqueta = "ICA \xE2\x88\x92" + lista;  // U+2212 minus sign
    if (!origen.empty()) etiqueta += " (" + origen + ")";
    return {etiqueta, "No se han podido quitar las componentes.",
            [quitar](const EEG& eeg, AvisosPaso&, const Avance&) {
                return comoRechazo([&] { return quitarComponentes(eeg, quitar); });
            },
            "quitar-componentes:" + lista};
}
