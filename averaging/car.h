#pragma once
// Common average reference: every channel re-referenced against the mean of
// the other channels (leave-one-out), not of all channels.

#include <armadillo>

#include "io/EEG.h"
#include "io/progreso.h"

// X: channels x samples (one column per time point). Returns Y of the same
// size with Y(i, t) = X(i, t) - mean of X(j, t) over j != i.
// Zero channels give an empty result of the same width.
// Throws std::invalid_argument for a single channel (no other channel to
// average).
// avance hears the fraction of samples done.
arma::mat referenciaPromedioComun(const arma::mat& X, const Avance& avance = {});

// The same on the first matrix of a branch; everything else (event table
// included) is the branch's, as derivarEEG gives it.
// Throws std::out_of_range when the branch has no matrix and
// std::invalid_argument for a single channel.
EEG aplicarCAR(const EEG& eeg, const Avance& avance = {});
