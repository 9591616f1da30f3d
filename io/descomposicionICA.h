#pragma once
// An ICA decomposition as data: what a branch of component activations
// keeps of the branch it came from, so that components can be removed,
// reviewed or classified later without decomposing again.

#include <memory>
#include <string>
#include <vector>

#include <armadillo>

struct Canal;

// Unmixing = pesos x esfera (Q x C): activations = pesos x esfera x X for X
// the C x T samples as stored. A full-rank decomposition keeps the ICA's own
// weights (Q = C) and sphering; one reduced to the data's rank folds the
// projection onto the principal subspace into pesos (Q < C) and esfera is
// the identity.
struct DescomposicionICA {
    arma::mat pesos;                                 // Q x C
    arma::mat esfera;                                // C x C
    std::shared_ptr<const std::vector<Canal>> canales;  // the C channels decomposed, with positions
    std::string origen;                              // history of the branch decomposed

    arma::uword componentes() const { return pesos.n_rows; }
    arma::mat separacion() const { return pesos * esfera; }
    // C x Q: column q is component q's scalp pattern (pinv of the unmixing).
    arma::mat mezcla() const { return arma::pinv(separacion()); }
};

// Checks sizes: pesos Q x C with 1 <= Q <= C, esfera C x C, C channel
// records, every value finite. Throws std::invalid_argument with the reason.
void comprobarDescomposicion(const DescomposicionICA& d);
