#pragma once
// FIR filtering by the window method: Hamming window, the four windowed-sinc
// designers, design-and-set-up from limits in Hz, and the filter object that
// runs a design over a signal keeping its state between calls.

#include "dsp/fir/ErrorDisenoFIR.h"
#include "dsp/fir/FiltroFIR.h"
#include "dsp/fir/disenoFIR.h"
#include "dsp/fir/ventanaHamming.h"
#include "dsp/fir/filtroFaseCero.h"
