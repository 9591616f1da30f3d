// Time/frequency features: Welch's spectrum, the curve fit, downsampling,
// skewness windows, the fit points and the refusals of the feature rows.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "mara/ajusteCurva.h"
#include "mara/caracteristicasTiempoFrecuencia.h"
#include "mara/periodogramaWelch.h"

using Ventanas = std::vector<std::pair<arma::uword, arma::uword>>;

namespace {

// Welch by the book: overlapping segments, a plain DFT sum, one-sided folding.
arma::vec welchDirecto(const arma::vec& x, arma::uword L, arma::uword nfft, double rate) {
    const arma::uword paso = L - L / 2, K = (x.n_elem - L / 2) / paso;
    arma::vec S(nfft, arma::fill::zeros);
    for (arma::uword k = 0; k < K; ++k)
        for (arma::uword j = 0; j < nfft; ++j) {
            std::complex<double> suma = 0.0;
            for (arma::uword t = 0; t < L && t < nfft; ++t)
                suma += x(k * paso + t) * std::polar(1.0, -2.0 * M_PI * double(j) * double(t) / double(nfft));
            S(j) += std::norm(suma) / double(L) / double(K);
        }
    arma::vec p = S.head(nfft / 2 + 1);
    p.subvec(1, nfft % 2 == 0 ? nfft / 2 - 1 : nfft / 2) *= 2.0;
    return p / rate;
}

const PuntosCurva x6{2.0, 3.0, 7.0, 6.0, 35.0, 36.0};
const PuntosCurva y6{20.0, 15.0, 8.0, 9.0, 2.0, 1.5};

}  // namespace

TEST(EspectroWelch, IgualQueElCalculoDirecto) {
    // 3 V at 10 Hz, 2.5 s at 100 Hz: segments of 100 with 50 overlap, K = 4. Ten whole
    // cycles per segment: all power A^2/2 sits in the 10 Hz bin (1 Hz wide).
    const arma::vec x = 3.0 * arma::sin(2.0 * M_PI * 10.0 * arma::regspace(0, 249) / 100.0 + 0.3);
    const EspectroWelch e = espectroWelch(x, arma::ones(100), 100, 100.0);
    EXPECT_TRUE(arma::approx_equal(e.pxx, welchDirecto(x, 100, 100, 100.0), "absdiff", 1e-10));
    EXPECT_NEAR(e.pxx(10), 4.5, 1e-10);
    EXPECT_DOUBLE_EQ(e.freq(50), 50.0);
    // An odd nfft keeps bins 0 to 2 of 5, only bin 0 not doubled.
    arma::arma_rng::set_seed(7);
    const arma::vec r = arma::randn(23);
    EXPECT_TRUE(arma::approx_equal(espectroWelch(r, arma::ones(5), 5, 5.0).pxx, welchDirecto(r, 5, 5, 5.0), "absdiff", 1e-12));
    EXPECT_THROW(espectroWelch(arma::ones(99), arma::ones(100), 100, 100.0), std::invalid_argument);
    EXPECT_THROW(espectroWelch(arma::ones(10), arma::vec(), 100, 100.0), std::invalid_argument);
    EXPECT_NO_THROW(espectroWelch(arma::ones(100), arma::ones(100), 100, 100.0));  // exactly one segment
}

TEST(AjusteCurva, RecuperacionDeParametros) {
    // Points of 54.6 / x^1.65 - 1 itself: the fit lands within a few hundredths, and
    // from the truth it does not move.
    const ParametrosCurva verdad{3.0, 0.5, 1.0};
    PuntosCurva y;
    for (std::size_t j = 0; j < 6; ++j) y[j] = modeloCurva(verdad, x6[j]);
    std::mt19937 generador(1234);
    const AjusteCurva a = ajusteCurva(x6, y, generador);
    EXPECT_NEAR(a.p[0], 3.0, 0.08);
    EXPECT_NEAR(a.p[1], 0.5, 0.05);
    EXPECT_NEAR(a.p[2], 1.0, 0.08);
    EXPECT_LT(a.coste, 0.005);
    EXPECT_EQ(ajusteCurvaDesde(x6, y, {verdad}).coste, 0.0);
    // The first start with the lowest cost wins; none is refused.
    EXPECT_EQ(ajusteCurvaDesde(x6, y, {verdad, {4.0, 2.0, 5.0}}).p, verdad);
    EXPECT_THROW(ajusteCurvaDesde(x6, y, {}), std::invalid_argument);
    std::mt19937 otro(99), igual(99);
    EXPECT_EQ(ajusteCurva(x6, y6, otro).p, ajusteCurva(x6, y6, igual).p);
    // Small start components are replaced by +-1.
    EXPECT_EQ(ajusteCurvaDesde(x6, y6, {{0.2, -3.0, 54.0}}).p, ajusteCurvaDesde(x6, y6, {{1.0, -3.0, 54.0}}).p);
    EXPECT_EQ(ajusteCurvaDesde(x6, y6, {{-0.39, 0.0, 2.0}}).p, ajusteCurvaDesde(x6, y6, {{-1.0, 1.0, 2.0}}).p);
}

TEST(CaracteristicasTiempoFrecuencia, DiezmadoYVentanasDeAsimetria) {
    // 100.33 rounds down, 100.5 away from zero.
    for (auto [fs, factor, diezmada] : {std::tuple{250, 2, 125.0}, {99, 1, 99.0}, {256, 2, 128.0}, {1000, 10, 100.0},
                                        {301, 3, 100.0}, {201, 2, 101.0}}) {
        EXPECT_EQ(factorDiezmado(fs), factor) << fs;
        EXPECT_EQ(frecuenciaDiezmada(fs), diezmada) << fs;
    }
    EXPECT_EQ(muestrasDiezmadas(5, 250), 3u);  // columns 0, 2, 4
    EXPECT_EQ(muestrasDiezmadas(4, 250), 2u);
    // 40 s: windows at 1 and 16 s (31 s would exceed 40 - 15). 10.5 s: no 15-s window
    // fits, the interval becomes floor(10.5) - 1 = 9 s. 16 s: the window 1..16 s would
    // end one past the last sample, so it stops there. 2 s: interval 1.
    EXPECT_EQ(ventanasAsimetria(4000, 100.0), (Ventanas{{100, 1600}, {1600, 3100}}));
    EXPECT_EQ(ventanasAsimetria(1050, 100.0), (Ventanas{{100, 1000}}));
    EXPECT_EQ(ventanasAsimetria(1600, 100.0), (Ventanas{{100, 1599}}));
    EXPECT_EQ(ventanasAsimetria(200, 100.0), (Ventanas{{100, 199}}));
    for (arma::uword n : {199u, 100u, 0u}) EXPECT_THROW(ventanasAsimetria(n, 100.0), std::invalid_argument) << n;
    // Too short or too slow (no 33-40 Hz bins) is refused before any computation.
    EXPECT_NO_THROW(comprobarEntradaTiempoFrecuencia(256 * 17, 256));
    EXPECT_NO_THROW(comprobarEntradaTiempoFrecuencia(80 * 2, 80));
    for (auto [muestras, fs] : {std::pair{250, 250}, {64 * 30, 64}, {1000, 0}, {79 * 30, 79}})
        EXPECT_THROW(comprobarEntradaTiempoFrecuencia(muestras, fs), std::invalid_argument) << muestras << " " << fs;
}

TEST(CaracteristicasTiempoFrecuencia, PuntosDelAjuste) {
    const arma::vec freq = arma::regspace(0, 50);
    arma::vec dB(51, arma::fill::value(5.0));
    dB(2) = 9.0;
    dB(3) = 8.0;
    dB(6) = dB(10) = 1.0;  // two equal minima in 4 < f < 14: the lower frequency
    dB(5) = 3.0;
    dB(36) = 0.5;  // minimum of 32 < f < 40
    dB(37) = 2.0;
    PuntosAjuste p = puntosAjusteCurva(dB, freq);
    EXPECT_EQ(p.x, (std::array<double, 6>{2, 3, 6, 5, 36, 37}));
    EXPECT_EQ(p.y, (std::array<double, 6>{9, 8, 1, 3, 0.5, 2}));
    // The band minimum's value also sits at 1 Hz: the first equal bin of the whole spectrum wins.
    dB.fill(5.0);
    dB(1) = dB(7) = 1.0;
    dB(35) = 0.0;
    p = puntosAjusteCurva(dB, freq);
    EXPECT_EQ(p.x[2], 1.0);
    EXPECT_EQ(p.x[3], 0.0);
}

TEST(CaracteristicasTiempoFrecuencia, TamanosQueNoEncajanSeRechazan) {
    std::mt19937 generador(5);
    const arma::mat X(2, 5000, arma::fill::randn), W = {{1.0, 0.5}, {0.0, 1.0}}, S = 2.0 * arma::eye(2, 2);
    EXPECT_EQ(arma::size(caracteristicasTiempoFrecuencia(X, 250, W, S, generador)), arma::size(4, 2));
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X, 250, arma::eye(2, 1), S, generador), std::invalid_argument);
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X, 250, W, arma::eye(3, 3), generador), std::invalid_argument);
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X.cols(0, 249), 250, W, S, generador), std::invalid_argument);
}
