#pragma once
// Re-referencing to the mean of chosen channels: every channel minus, sample
// by sample, the mean of the reference channels (all channels for the
// average reference), as mne.set_eeg_reference does. The leave-one-out
// average of car.h is the other choice the step offers.

#include <string>
#include <vector>

#include <armadillo>

#include "io/EEG.h"

// X: channels x samples (one column per time point); referencia: row indices,
// at least one, each below X.n_rows. Returns Y(i, t) = X(i, t) - mean of
// X(j, t) over j in referencia: a single reference channel becomes zero.
// Throws std::invalid_argument for an empty list or an index out of range.
arma::mat restarReferencia(const arma::mat& X, const std::vector<arma::uword>& referencia);

// Row indices of the channels with those labels (exact match, in the order
// given). Throws std::invalid_argument naming a label the branch lacks, or
// one given twice.
std::vector<arma::uword> canalesPorEtiqueta(const EEG& eeg, const std::vector<std::string>& etiquetas);

// The branch re-referenced (every matrix; an epoched branch too, since each
// sample is referenced on its own), with "Ref:<texto>" added to every
// channel's prefiltering text so that a saved file says what its reference
// is. referencia empty: the mean of all channels. Bad channels never enter
// the mean but are referenced like the others, so that the whole branch has
// one reference (MNE 1.3 leaves them as they were). Throws as
// restarReferencia, and std::invalid_argument for a branch without channels
// or a reference whose channels are all bad.
EEG rereferenciar(const EEG& eeg, const std::vector<arma::uword>& referencia, const std::string& texto);

// Adds `nota` to the prefiltering text of every channel of the branch, on its
// own copy of the channel list (the source's is shared).
void anotarPrefiltrado(EEG& eeg, const std::string& nota);
