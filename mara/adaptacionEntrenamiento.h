#pragma once

#include <armadillo>

// Recomputes the spatial features (rows 0 and 1) of the training set for the
// channels a recording shares with it, so that training and recording
// features describe the same electrodes. patrones: 104 x ntrain training
// scalp maps (rows of etiquetasMara()); indicesEtiqueta: the matched table
// rows, in matching order; M: the operator for those channels.
// caracteristicas: 6 x ntrain, rows 0 and 1 overwritten.
// Throws std::invalid_argument for mismatched sizes or an index outside the table.
void adaptarEntrenamiento(const arma::mat& patrones, const arma::uvec& indicesEtiqueta, const arma::mat& M,
                          arma::mat& caracteristicas);
