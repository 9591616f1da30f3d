#pragma once
// Back to channels without chosen components: what the component review,
// the runner's quitar-componentes and MARA all end with.

#include <vector>

#include <armadillo>

#include "io/EEG.h"

// activaciones: a branch of component activations with its decomposition
// (Q rows). quitar: component numbers counted from 1, each at most Q; order
// and repeats do not matter, and the list may be empty (every component is
// kept). Returns mezcla.cols(kept) x activaciones.rows(kept): C x T in the
// decomposition's channels, with their labels and positions, the branch's
// samples, events and epochs. Throws std::invalid_argument for a branch
// without a decomposition, a number out of range, or every component removed.
EEG quitarComponentes(const EEG& activaciones, const std::vector<arma::uword>& quitar);

// "3,7,12": the numbers ascending, without repeats.
std::string textoComponentes(std::vector<arma::uword> numeros);
