#pragma once
// Robust fit of a truncated generalised Gaussian to a set of window RMS
// values: the shape and the interval of the sorted values that best match
// (smallest Kullback-Leibler divergence) give the location and scale.

#include <armadillo>

#include "asr/ContextoASR.h"

struct ParametrosAjuste {
    arma::vec cuantiles = {0.022, 0.6};
    arma::vec pasos = {0.01, 0.01};
    arma::vec rejillaFormas;  // shapes beta, tried in order
};

// Parameters from a run context (its quantiles, step sizes and shape grid).
ParametrosAjuste parametrosAjuste(const ContextoASR& ctx);

// X: n values. minLimpia: min clean fraction (0.25 in ASR); maxPerdida: max
// dropout fraction (0.1 in ASR). Writes mu and sig. Throws std::invalid_argument
// for no values, a value that is not a number, or parameters that leave no
// interval; std::runtime_error when the values admit no fit (fewer than three,
// or all equal: zero scale).
void ajusteDistribucionRobusta(const arma::vec& X, double minLimpia, double maxPerdida, const ParametrosAjuste& p,
                               double& mu, double& sig);
void ajusteDistribucionRobusta(const arma::vec& X, double minLimpia, double maxPerdida, const ContextoASR& ctx,
                               double& mu, double& sig);
