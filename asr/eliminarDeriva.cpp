#include "asr/eliminarDeriva.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/math/special_functions/bessel.hpp>

#include "asr/convolucionCausal.h"
#include "asr/pchip.h"
#include "dsp/fir/filtroFaseCero.h"

arma::vec nucleoDeriva(int32_t frecuencia) {
    if (frecuencia <= 1)
        throw std::invalid_argument("la frecuencia de muestreo (" + std::to_string(frecuencia) +
                                    " Hz) es demasiado baja para una transición de 0,25 a 0,75 Hz");
    const double srate = frecuencia;
    const double lo = 2 * 0.25 / srate, hi = 2 * 0.75 / srate;
    const double atten = 80;
    const double beta = 0.1102 * (atten - 8.7);
    // std::round rounds half away from zero, like the engine's round.
    long long taps = std::llround((atten - 7.95) / (2 * M_PI * 2.285 * (hi - lo))) + 1;
    if (taps % 2 == 0) ++taps;
    const arma::uword L = static_cast<arma::uword>(taps);

    // Kaiser window: I0(beta sqrt(1 - (2p - 1)^2)) / I0(beta), p = k / (L - 1).
    arma::vec ventana(L);
    const double i0beta = boost::math::cyl_bessel_i(0, beta);
    for (arma::uword k = 0; k < L; ++k) {
        const double p = static_cast<double>(k) / static_cast<double>(L - 1);
        ventana(k) = boost::math::cyl_bessel_i(0, beta * std::sqrt(1 - (2 * p - 1) * (2 * p - 1))) / i0beta;
    }

    // Frequency sampling: amplitude 0, 0, 1, 1 at 0, lo, hi, 1 on Nfft + 1 points.
    const arma::uword n = L - 1;
    const arma::uword nfft = std::max<arma::uword>(
        512, static_cast<arma::uword>(std::pow(2.0, std::ceil(std::log(static_cast<double>(n)) / std::log(2.0)))));
    const arma::vec puntos = arma::round(arma::vec{0.0, lo, hi, 1.0} * static_cast<double>(nfft));
    if (!(puntos(0) < puntos(1) && puntos(1) < puntos(2) && puntos(2) < puntos(3)))
        throw std::invalid_argument("la frecuencia de muestreo (" + std::to_string(frecuencia) +
                                    " Hz) no permite diseñar el filtro de deriva");
    const arma::vec amplitud =
        interpolarPchip(puntos, arma::vec{0.0, 0.0, 1.0, 1.0}, arma::regspace<arma::vec>(0, static_cast<double>(nfft)));

    // Delay of n/2 samples, then the conjugate-symmetric spectrum of 2 Nfft points.
    arma::cx_vec espectro(2 * nfft);
    for (arma::uword k = 0; k <= nfft; ++k) {
        const double fase = -(0.5 * static_cast<double>(n)) * M_PI * static_cast<double>(k) / static_cast<double>(nfft);
        espectro(k) = amplitud(k) * std::complex<double>(std::cos(fase), std::sin(fase));
    }
    for (arma::uword k = 1; k < nfft; ++k) espectro(nfft + k) = std::conj(espectro(nfft - k));
    const arma::vec respuesta = arma::real(arma::ifft(espectro));
    return respuesta.head(L) % ventana;
}

namespace {

// Floored modulo, as the engine's mod for a positive divisor.
arma::uword moduloPositivo(long long a, long long t) {
    const long long r = a % t;
    return static_cast<arma::uword>(r < 0 ? r + t : r);
}

// Signal x (S samples, consecutive ones `salto` apart) with w odd reflections
// before and after it; the reflected indices wrap modulo S when w >= S.
void rellenarReflejado(const double* x, arma::uword salto, arma::uword S, arma::uword w, double* salida) {
    const long long t = static_cast<long long>(S);
    const auto en = [&](arma::uword i) { return x[i * salto]; };
    for (arma::uword i = 0; i < w; ++i) salida[i] = 2 * en(0) - en(moduloPositivo(static_cast<long long>(w - i), t));
    for (arma::uword i = 0; i < S; ++i) salida[w + i] = en(i);
    for (arma::uword i = 0; i < w; ++i)
        salida[w + S + i] = 2 * en(S - 1) - en(moduloPositivo(t - 2 - static_cast<long long>(i), t));
}

}  // namespace

arma::mat eliminarDeriva(const arma::mat& datos, int32_t frecuencia, MetodoConvolucion metodo) {
    arma::mat salida;
    eliminarDeriva(datos, frecuencia, salida, metodo);
    return salida;
}

void eliminarDeriva(const arma::mat& datos, int32_t frecuencia, arma::mat& salida, MetodoConvolucion metodo,
                    const Avance& avance) {
    const arma::vec B = nucleoDeriva(frecuencia);
    if (datos.is_empty()) {
        salida.set_size(datos.n_rows, datos.n_cols);
        return;
    }
    const arma::uword C = datos.n_rows, S = datos.n_cols, w = B.n_elem;
    // The forward and backward passes over the w-sample reflections equal, on
    // the kept samples, one centred convolution with B's autocorrelation
    // (2w - 1 taps) over the reflections of the zero-phase filter: the same
    // padding while the recording is at least as long as the kernel.
    if (metodo != MetodoConvolucion::directo && S >= w) {
        filtrarFilasFaseCero(arma::conv(B, arma::flipud(B)), datos, salida, avance);
        return;
    }
    // Forward pass, reversal, second pass, reversal, trimming; one padded
    // channel at a time (short recordings wrap their reflections).
    const arma::uword L = S + 2 * w;
    salida.set_size(C, S);
    arma::mat relleno(L, 1);
    for (arma::uword c = 0; c < C; ++c) {
        rellenarReflejado(datos.memptr() + c, C, S, w, relleno.memptr());
        arma::mat X = arma::flipud(convolucionCausalDirecta(B, relleno));
        X = arma::flipud(convolucionCausalDirecta(B, X));
        salida.row(c) = X.rows(w, w + S - 1).t();
        avance(static_cast<double>(c + 1), static_cast<double>(C));
    }
}

EEG eliminarDeriva(const EEG& eeg, const Avance& avance) {
    if (eeg.matrices.empty()) throw std::invalid_argument("el registro no tiene datos");
    // The filtered matrix moves into the record: no second copy of the data.
    EEG r = derivarEEG(eeg, arma::mat());
    eliminarDeriva(eeg.datos(), eeg.frecuenciaMuestreo, r.matrices[0], MetodoConvolucion::automatico, avance);
    return r;
}

void eliminarDeriva(ContextoASR& ctx, const Avance& avance) {
    if (ctx.entrada == nullptr) throw std::invalid_argument("el contexto ASR no tiene registro de entrada");
    ctx.trabajo = eliminarDeriva(*ctx.entrada, avance);
}
