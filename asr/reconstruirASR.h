#pragma once
// Last part of an ASR run, after calibration: extend the working data at its
// end, process it and trim it back.

#include <optional>

#include "asr/ContextoASR.h"
#include "io/EEG.h"
#include "io/progreso.h"

// Samples of look-ahead P = round(wl srate / 2) of the run (wl the processing
// window length, rounded half away from zero).
long long muestrasAnticipacionASR(const ContextoASR& contexto);

// On a calibrated context (trabajo, M, T, B, A, iirstate set): appends the P
// columns 2 x_S - x_j, j = S-1 down to S-P, to the working data, processes it
// with stepsize = floor(srate wl / 2) (procesarASR), keeps the columns
// P+1 .. S+P of the result and returns them as a record derived from the
// working branch (same channels, sample count and events).
// memoriaLibre: free physical memory in bytes for the chunk count; by default
// what the operating system reports. Throws std::invalid_argument when the
// working data has no more than P samples or a rate too low to take a step.
EEG reconstruirASR(ContextoASR& contexto, std::optional<double> memoriaLibre = std::nullopt,
                   const Avance& avance = Avance());

// The same without copying the working data: ctx.trabajo's matrix is
// reconstructed in place and becomes the result's; ctx.trabajo is left
// without samples.
EEG reconstruirASREnSitio(ContextoASR& contexto, std::optional<double> memoriaLibre = std::nullopt,
                          const Avance& avance = Avance());
