#pragma once
// Clean-window selection: windows of one second whose channel RMS z-scores
// stay within the thresholds (allowing a few bad channels) make up the
// calibration data.

#include <armadillo>

#include "asr/ContextoASR.h"
#include "io/progreso.h"

// z: C x W z-scores (channel by window). Marks window w when, with the
// z-scores of the window sorted ascending, the one at 0-based row C-1-b exceeds
// max(umbrales) > 0, or the one at row b is below min(umbrales) < 0. A test
// whose row does not exist (b >= C) marks nothing. Returns W flags (1 = remove).
arma::uvec ventanasMarcadas(const arma::mat& z, arma::uword b, const arma::vec& umbrales);

// The 0-based columns of ctx.trabajo that no marked window covers, in
// increasing order: the clean samples, found without copying the data. Throws
// as seleccionarVentanasLimpias. avance hears the channels measured.
arma::uvec columnasLimpias(const ContextoASR& ctx, const Avance& avance = Avance());

// Writes ctx.calibracion: ctx.trabajo restricted to the samples of no marked
// window (sample count and end time updated). Throws std::invalid_argument
// for non-finite data, a recording that does not hold one window plus one
// sample, or when every window is marked (the samples no window reaches do not
// count as clean) or no sample is left; std::runtime_error when a channel admits
// no fit.
void seleccionarVentanasLimpias(ContextoASR& ctx);
