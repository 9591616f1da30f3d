#pragma once
// Linear-phase FIR designers by the window method (Hamming window), and the
// design-and-set-up that turns limits in Hz into a ready filter object.
//
// Frequencies given to the designers are normalised to the Nyquist frequency
// (1.0 = half the sampling rate). sinc(x) = sin(pi x) / (pi x), sinc(0) = 1;
// coefficient m (0 ... M) uses t_m = m - M/2 and the window w of length M+1.

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

// The four designs, down to the designers. The values are the dialog's type
// codes; a value outside them is refused, never turned into an empty filter.
enum class TipoFiltro { pasaAltos = 0, pasaBajos = 1, pasaBanda = 2, rechazaBanda = 3 };

// Transition width (Hz) the order formula uses: the narrowest of the gap
// between the limits and what each edge allows,
//   lower edge f: d(f) = min(max(0.25 f, 2 Hz), f)
//   upper edge f: d(f) = min(max(0.25 f, 2 Hz), fs/2 - f)
// band-pass and band-stop: min(fHi - fLo, d_lower(fLo), d_upper(fHi));
// high-pass: min(fHi - fLo, d_lower(fLo)); low-pass: min(fHi - fLo, d_upper(fLo))
// (the single-edge types cut at fLo). So an edge at 1 Hz gets a 1 Hz
// transition instead of the width of the band, a high-pass at 0.5 Hz really
// removes what lies below it, and a user's narrower gap still sets the width.
// Throws std::invalid_argument for a type outside TipoFiltro.
double anchoTransicionFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo);

// Which limit fixes anchoTransicionFIR: the gap between both, the lower edge,
// the upper edge, or a low-pass cut-off so near fs/2 that its room to Nyquist
// does. The refusals use it to say which limit to move.
enum class LimiteTransicion { separacion, inferior, superior, corteCercaDeNyquist };
LimiteTransicion limiteTransicionFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo);

// Base order of a design: the integer part (toward zero) of fs A / (22 d),
// d = anchoTransicionFIR, a rule of thumb for the Hamming window's transition
// width. Returned as a double so a zero width (infinite order) can be told
// apart before converting.
double ordenBaseFIR(TipoFiltro tipo, double frecInferior, double frecSuperior, int frecuenciaMuestreo,
                    int atenuacionDb);

// Design and set up a filter from limits in Hz: pasaAltos and pasaBajos
// (cut-off frecInferior), pasaBanda and rechazaBanda (edges frecInferior and
// frecSuperior); the order from ordenBaseFIR, made even (M0 + 1 when odd) for
// every type, so the filter has an odd number of taps and a centre sample.
// Throws ErrorDisenoFIR from the designers' checks (band edges out of order are
// caught before the order is worked out) and std::invalid_argument for a type
// outside TipoFiltro, a sampling rate of 0 or below or an order that cannot be
// represented.
void disenarFiltroFIR(FiltroFIR& filtro, double frecInferior, double frecSuperior, int frecuenciaMuestreo,
                      int atenuacionDb, TipoFiltro tipo);

// Magnitude response |sum_n b[n] e^(-i 2 pi f n / fs)| in dB at `puntos`
// frequencies evenly spread from 0 to fs/2 (both included): one column of
// frequencies in Hz, one of dB. Magnitudes below 1e-15 are drawn as -300 dB.
// Throws std::invalid_argument for no coefficients, fs <= 0 or fewer than 2 points.
struct RespuestaFIR {
    arma::vec frecuenciasHz;
    arma::vec magnitudDb;
};
RespuestaFIR respuestaFIR(const arma::vec& coeficientes, int frecuenciaMuestreo, arma::uword puntos);

// Magnitude response in dB, as respuestaFIR, at the given frequencies (Hz, any
// order or spacing): the sum itself when it is short enough, else the nearest
// bin of one zero-padded FFT fine enough (at least 4 bins per coefficient).
// Throws std::invalid_argument as respuestaFIR.
arma::vec respuestaFIREn(const arma::vec& coeficientes, int frecuenciaMuestreo, const arma::vec& frecuenciasHz);
