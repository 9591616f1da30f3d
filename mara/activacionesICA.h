#pragma once
// Independent components of a branch as a branch of their own: extended
// infomax ICA with the MARA pipeline's settings, and the activation of every
// component over the branch's samples.

#include <cstdint>
#include <optional>

#include "io/EEG.h"
#include "io/progreso.h"

// The first matrix X (C x T, one row per channel, one column per sample) is
// decomposed as the MARA pipeline does (descomponerICA: channel means
// removed, eta = 0.001, Q = the data's rank). The result holds W x S x X
// (Q x T, one row per component, in the decomposition's order of decreasing
// variance), computed over X as stored, like MARA's back-projection, so
// pinv(W S) times the activations gives X back, and carries the
// decomposition. Channels are named "IC1" ... "ICQ", without unit or
// location; sample count, rate, texts, epochs and event table are the
// branch's. `semilla` fixes the ICA's generator (the clock when empty).
// Throws std::out_of_range for a branch without samples and std::runtime_error
// (the ICA's Spanish text) for data it refuses: fewer samples than channels,
// too few samples for a block, non-finite values.
EEG activacionesICA(const EEG& eeg, std::optional<uint32_t> semilla = std::nullopt, const Avance& avance = Avance());

// The same with a given decomposition (one read from a file): throws
// std::invalid_argument when it is malformed or made over other channels
// (count or labels in order).
EEG activacionesICA(const EEG& eeg, DescomposicionICA descomposicion);
