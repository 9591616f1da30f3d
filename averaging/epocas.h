#pragma once
// Epoched branches: trials cut around events, a baseline taken off each,
// trials marked and dropped, and the kept ones averaged per condition. An
// epoched branch keeps one matrix, the epochs side by side (EEG::epocas
// says where each starts), so that every step that works column by column,
// the store and the writers take it as it is.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io/EEG.h"
#include "io/progreso.h"

using TipoEvento = std::pair<int32_t, int32_t>;  // (tipo, calificador)

// Samples before and after the event as MNE-Python's Epochs takes them from
// tmin = -msPrev / 1000 s and tmax = msPost / 1000 s: each rounded to the
// nearest sample (ties to even). Throws std::invalid_argument for a rate <= 0,
// negative or non-finite milliseconds, or a window too wide for 32 bits.
struct VentanaEpoca;
VentanaEpoca ventanaRedondeada(int32_t frecuencia, double msPrev, double msPost);

// Every event of the chosen kinds, in table order, cut to [event - pre,
// event + post]. Epochs that do not fit in the recording are left out and
// `avisos` says how many and which events (by number and sample). Throws
// std::invalid_argument when the branch has no events, is already epoched,
// a kind is not in it, or no epoch fits.
EEG cortarEpocas(const EEG& fuente, const std::vector<TipoEvento>& tipos, double msPrev, double msPost,
                 std::vector<std::string>& avisos);

// Subtracts from each epoch and channel its mean over [ms1, ms2] around the
// event (sample indices rounded to the nearest, bounds included, clipped to
// the epoch). Works on epoched branches and on averaged ones. Throws
// std::invalid_argument for a continuous branch, ms1 > ms2, or an interval
// with no sample of the epoch.
EEG restarLineaBase(const EEG& rama, double ms1, double ms2);

// Criteria for marking trials; a criterion left empty is not applied.
struct OpcionesRechazo {
    std::optional<double> picoAPico;     // µV: any channel's max - min above it
    std::optional<double> probabilidad;  // |z| limit of the joint probability, local and global
    std::optional<double> curtosis;      // |z| limit of the kurtosis, local and global
};

// Why an epoch was marked: "pp", "prob" or "curt", and the channel's label
// or "global".
struct MotivoRechazo {
    std::string regla;
    std::string canal;
};

// One entry per epoch, empty when the epoch stays. Throws
// std::invalid_argument for a branch that is not epoched or a limit that is
// not positive.
std::vector<std::vector<MotivoRechazo>> marcarEpocas(const EEG& rama, const OpcionesRechazo& opciones);

// The branch without the epochs whose entry is true. Throws
// std::invalid_argument when every epoch would go or the sizes differ.
EEG quitarEpocas(const EEG& rama, const std::vector<bool>& quitar);

// The report as CSV: epoca,tipo,muestra_origen,marcada,motivos (motives as
// "regla:canal" joined by ';').
std::string informeRechazoCSV(const EEG& rama, const std::vector<std::vector<MotivoRechazo>>& marcas);

// The mean of the epochs of each chosen kind, in the order given: an epoched
// branch of one "epoch" per kind, so that its event table says which is
// which. Throws std::invalid_argument when a kind has no epoch.
EEG promediarPorTipo(const EEG& rama, const std::vector<TipoEvento>& tipos, const Avance& avance = {});

// Joint-probability scores (channels x epochs): for each channel, the sum over
// an epoch's samples of the log of the density of their values, estimated by
// a histogram of that channel over all epochs. Exposed for the tests.
arma::mat puntuacionesProbabilidad(const EEG& rama);
// Excess kurtosis (m4 / m2² - 3, biased moments) of each channel and epoch.
arma::mat curtosisEpocas(const EEG& rama);
