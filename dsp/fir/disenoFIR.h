#pragma once
// Linear-phase FIR designers by the window method (Hamming window), and the
// design-and-set-up that turns limits in Hz into a ready filter object.
//
// Frequencies given to the designers are normalised to the Nyquist frequency
// (1.0 = half the sampling rate). sinc(x) = sin(pi x) / (pi x), sinc(0) = 1;
// coefficient m (0 ... M) uses t_m = m - M/2 and the window w of length M+1.

#include <string>

#include <armadillo>

#include "dsp/fir/FiltroFIR.h"

// Largest order any designer accepts: beyond it the coefficients alone would
// take megabytes and filtering a recording would take hours.
constexpr int ordenMaximoFIR = 1 << 20;

// Each designer returns M + 1 coefficients. Their own checks (order parity,
// band edges in order) print "FIR Error [...]" and throw ErrorDisenoFIR. A
// negative order or one above ordenMaximoFIR, and a design whose normalising
// gain is zero or not finite (a cut-off of 0, say), throw std::invalid_argument.

// fc w(m) sinc(t_m fc), scaled to unit gain at 0.
arma::vec disenoPasaBajos(int orden, double fc);
// w(m) (sinc(t_m) - fc sinc(t_m fc)), scaled to unit gain at Nyquist. Even order only.
arma::vec disenoPasaAltos(int orden, double fc);
// w(m) (f1 sinc(t_m f1) - f0 sinc(t_m f0)), scaled to unit gain at (f0 + f1) / 2. Needs f0 < f1.
arma::vec disenoPasaBanda(int orden, double f0, double f1);
// w(m) (sinc(t_m) - f1 sinc(t_m f1) + f0 sinc(t_m f0)), scaled to unit gain at 0.
// Even order only; needs f0 < f1.
arma::vec disenoRechazaBanda(int orden, double f0, double f1);

// Base order of a design: the integer part (toward zero) of fs A / (22 (fHi - fLo)),
// a rule of thumb for the Hamming window's transition width. Returned as a
// double so a zero gap (infinite order) can be told apart before converting.
double ordenBaseFIR(double frecInferior, double frecSuperior, int frecuenciaMuestreo, int atenuacionDb);

// Design and set up a filter from limits in Hz. The type name is compared in
// upper case: "HIGH" (even order, cut-off frecInferior), "LOW" (odd order,
// cut-off frecInferior), "BANDPASS" and "BANDSTOP" (even order, edges
// frecInferior and frecSuperior). Any other name leaves an empty filter (no
// coefficients). The order comes from ordenBaseFIR for every type.
// Throws ErrorDisenoFIR from the designers' checks (band edges out of order are
// caught before the order is worked out) and std::invalid_argument for a
// sampling rate of 0 or below or an order that cannot be represented.
void disenarFiltroFIR(FiltroFIR& filtro, double frecInferior, double frecSuperior, int frecuenciaMuestreo,
                      int atenuacionDb, std::string tipo);
