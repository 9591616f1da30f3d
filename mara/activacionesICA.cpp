#include "mara/activacionesICA.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <armadillo>

#include "mara/descomponerICA.h"

EEG activacionesICA(const EEG& eeg, std::optional<uint32_t> semilla, const Avance& avance) {
    return activacionesICA(eeg, descomponerICA(eeg, semilla, avance));
}

EEG activacionesICA(const EEG& eeg, DescomposicionICA descomposicion) {
    comprobarDescomposicion(descomposicion);
    const arma::mat& X = eeg.datos();
    const arma::mat& W = descomposicion.pesos;
    if (X.n_rows != W.n_cols)
        throw std::invalid_argument("la descomposición es de " + std::to_string(W.n_cols) +
                                    " canales y la rama tiene " + std::to_string(X.n_rows));
    for (arma::uword i = 0; i < X.n_rows && i < eeg.canales->size(); ++i)
        if ((*eeg.canales)[i].etiqueta != (*descomposicion.canales)[i].etiqueta)
            throw std::invalid_argument("la descomposición no es de estos canales: el canal " + std::to_string(i + 1) +
                                        " es «" + (*eeg.canales)[i].etiqueta + "» en la rama y «" +
                                        (*descomposicion.canales)[i].etiqueta + "» en la descomposición");
    EEG resultado = derivarEEG(eeg, W * descomposicion.esfera * X);
    // The rows are components, not electrodes: the channel records would lie.
    auto componentes = std::make_shared<std::vector<Canal>>(W.n_rows);
    for (arma::uword i = 0; i < W.n_rows; ++i) {
        Canal& c = (*componentes)[i];
        c.etiqueta = "IC" + std::to_string(i + 1);
        c.muestrasPorRegistro = 1;
    }
    resultado.canales = std::move(componentes);
    resultado.numeroCanales = static_cast<uint32_t>(W.n_rows);
    resultado.canalesMalos.clear();  // components are not the channels marked bad
    resultado.descomposicion = std::make_shared<const DescomposicionICA>(std::move(descomposicion));
    return resultado;
}
