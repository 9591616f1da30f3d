#include "mara/activacionesICA.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <armadillo>

#include "mara/icaExtendida.h"

EEG activacionesICA(const EEG& eeg, std::optional<uint32_t> semilla) {
    const arma::mat& X = eeg.datos();
    if (X.n_rows == 0 || X.n_cols == 0)
        throw std::out_of_range("la rama no tiene muestras que descomponer");

    arma::mat W, S;
    const arma::mat centrados = X.each_col() - arma::mean(X, 1);
    icaExtendida(centrados, W, S, 0.001, static_cast<int>(X.n_rows), semilla);

    EEG resultado = derivarEEG(eeg, W * S * X);
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
    return resultado;
}
