#include "mara/adaptacionEntrenamiento.h"

#include <stdexcept>

#include "mara/caracteristicasEspaciales.h"

void adaptarEntrenamiento(const arma::mat& patrones, const arma::uvec& indicesEtiqueta, const arma::mat& M,
                          arma::mat& caracteristicas) {
    if (indicesEtiqueta.is_empty() || indicesEtiqueta.max() >= patrones.n_rows ||
        caracteristicas.n_rows < 2 || caracteristicas.n_cols != patrones.n_cols)
        throw std::invalid_argument("los patrones y las características de entrenamiento no encajan");
    caracteristicas.rows(0, 1) = caracteristicasEspaciales(patrones.rows(indicesEtiqueta), M);
}
