#include "mara/aplicarMara.h"

#include <stdexcept>

#include "io/textoNumero.h"
#include "mara/Mara.h"

const char* const textoMaraSinPromediado =
    "Parece que todavia no se ha aplicado el promediado sobre los datos, se suspende la ejecucion de Mara";

namespace {

std::string lista(const arma::uvec& indices) {
    std::string t;
    for (arma::uword i = 0; i < indices.n_elem; ++i) t += (i ? ", " : "") + std::to_string(indices(i) + 1);
    return t;
}

// The channels behind a branch of activations: mixing times activations.
EEG canalesDeActivaciones(const EEG& activaciones) {
    const DescomposicionICA& d = *activaciones.descomposicion;
    comprobarDescomposicion(d);
    if (activaciones.datos().n_rows != d.componentes())
        throw std::invalid_argument("la rama tiene " + std::to_string(activaciones.datos().n_rows) +
                                    " filas y su descomposición " + std::to_string(d.componentes()) + " componentes");
    EEG canales = derivarEEG(activaciones, d.mezcla() * activaciones.datos());
    canales.canales = std::make_shared<std::vector<Canal>>(*d.canales);
    canales.numeroCanales = static_cast<uint32_t>(d.canales->size());
    return canales;
}

}  // namespace

std::string textoInformeMara(const InformeMara& informe) {
    const std::string m = std::to_string(informe.componentes);
    if (informe.quitadas.is_empty()) return "MARA no quitó ninguna de las " + m + " componentes";
    return "MARA quitó " + std::to_string(informe.quitadas.n_elem) + " de " + m + " componentes: " +
           lista(informe.quitadas);
}

std::string tablaInformeMara(const InformeMara& informe) {
    std::string t = "componente,quitada,probabilidad_artefacto,norma_densidad_corriente,rango_patron,asimetria_local,"
                    "lambda,alfa_8_13_db,error_ajuste\n";
    for (arma::uword q = 0; q < informe.componentes; ++q) {
        t += std::to_string(q + 1) + "," + (arma::any(informe.quitadas == q) ? "si" : "no") + "," +
             textoGeneral(informe.probabilidades(q), 6);
        for (arma::uword f = 0; f < informe.caracteristicas.n_rows; ++f) {
            t += ',';
            t += textoGeneral(informe.caracteristicas(f, q), 6);
        }
        t += "\n";
    }
    return t;
}

namespace {

// The classification and removal, on a branch of channels or of activations.
EEG ejecutarMara(const EEG& eeg, const OpcionesMara& opciones) {
    const EEG canales = eeg.descomposicion ? canalesDeActivaciones(eeg) : EEG();
    const EEG& entrada = eeg.descomposicion ? canales : eeg;
    Mara mara(entrada, opciones.directorioModelos);
    mara.avisar = opciones.avisar;
    mara.semilla = opciones.semilla;
    mara.avance = opciones.avance;
    EEG limpio = eeg.descomposicion ? mara.procesar(eeg.descomposicion->pesos, eeg.descomposicion->esfera)
                                    : mara.procesar();
    if (opciones.informar)
        opciones.informar({mara.caracteristicas().n_cols, mara.artefactos(), mara.caracteristicas(),
                           mara.probabilidades()});
    return limpio;
}

}  // namespace

EEG aplicarMara(const EEG& eeg, const OpcionesMara& opciones) {
    if (eeg.tieneEventos()) throw std::invalid_argument(textoMaraSinPromediado);
    return ejecutarMara(eeg, opciones);
}

InformeMara votoMara(const EEG& activaciones, const std::filesystem::path& directorioModelos,
                     std::optional<uint32_t> semilla, const Avance& avance) {
    if (!activaciones.descomposicion)
        throw std::invalid_argument("la rama no es de componentes de ICA (no tiene descomposición)");
    // The same run as applying MARA to the branch (which may still hold its
    // events: the review shows any branch of components), keeping the report.
    InformeMara informe;
    OpcionesMara opciones{directorioModelos, semilla, {}, avance, [&informe](const InformeMara& i) { informe = i; }};
    ejecutarMara(activaciones, opciones);
    return informe;
}
