#pragma once
// Removal of mains interference: zero-phase FIR notches at the line frequency
// and its harmonics, the same numbers as mne.filter.notch_filter(x, fs,
// freqs, method='fir') with MNE-Python's defaults, and the choice between 50
// and 60 Hz from the branch's spectrum.

#include <vector>

#include <armadillo>

#include "io/EEG.h"
#include "io/progreso.h"

// Multiples k f of the line frequency f whose stop band and transition stay
// below fs/2: k f + k f / 400 + 0.5 < fs / 2 (MNE refuses any further one).
// Empty when not even f fits. Throws std::invalid_argument for f <= 0 or
// fs <= 0.
std::vector<double> armonicosLinea(double frecuencia, int frecuenciaMuestreo);

// One odd-length linear-phase filter with a notch at each frequency f:
//   b = delta + sum_f [ lp(f - w/2 - 1/4) - lp(f + w/2 + 1/4) ],
// w = f / 200 the stop band, lp(fc) the Hamming-windowed sinc low-pass cut at
// fc Hz with unit gain at 0 Hz, and L = round(6.6 fs) taps made odd: MNE's
// design for a 1 Hz transition, whose cut-offs sit half way into a transition
// of half that width on each side of the stop band. Throws
// std::invalid_argument for no frequency or one outside (0, fs/2).
arma::vec disenoMuescas(const std::vector<double>& frecuencias, int frecuenciaMuestreo);

// 50 or 60: the candidate whose Welch power, summed over channels, stands
// highest above its neighbours (the median of the bins 2 to 5 Hz away on both
// sides). datos: channels x samples. Throws std::invalid_argument when
// neither peak reaches twice its neighbours (nothing to tell them apart by)
// or the rate leaves no room for 50 Hz.
int detectarFrecuenciaLinea(const arma::mat& datos, int frecuenciaMuestreo);

// New branch with every channel filtered by disenoMuescas(armonicosLinea(f))
// with zero phase and reflected ends (filtrarFilasFaseCero), and " N:<f>Hz"
// added to each channel's prefiltering text, as EDF writes it. Events,
// channels and counts stay the branch's. Throws std::invalid_argument for an
// epoched branch, a frequency with no harmonic below Nyquist or no samples.
EEG quitarRuidoLinea(const EEG& eeg, double frecuencia, const Avance& avance = Avance());
