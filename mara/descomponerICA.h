#pragma once
// Extended infomax ICA of a branch, reduced to the data's rank: after an
// average reference or an interpolation one channel is a combination of the
// others, and the ICA can only find as many components as the data have
// dimensions.

#include <cstdint>
#include <optional>

#include <armadillo>

#include "io/EEG.h"
#include "io/progreso.h"

// centrados: C x T with each channel's mean removed (one column per sample).
// Full rank: icaExtendida(centrados, pesos, esfera, eta, C) as it stands, so
// the numbers are those of a plain run. Rank r < C: the data are projected
// onto their r principal directions E (C x r, eigenvectors of the covariance
// with the largest eigenvalues), icaExtendida decomposes E' x centrados into
// r components, and the outputs are pesos = W_r S_r E' (r x C) and esfera =
// the C x C identity, so that pesos x esfera is the unmixing either way.
// The rank is icaExtendida's own numerical rank. Throws as icaExtendida.
void icaAlRango(const arma::mat& centrados, arma::mat& pesos, arma::mat& esfera, double eta,
                std::optional<uint32_t> semilla, const Avance& avance = Avance());

// The branch's first matrix decomposed as MARA does (channel means removed,
// eta 0.001, icaAlRango), with its channels and history.
// Throws std::out_of_range for a branch without samples, else as icaAlRango.
DescomposicionICA descomponerICA(const EEG& eeg, std::optional<uint32_t> semilla,
                                 const Avance& avance = Avance());
