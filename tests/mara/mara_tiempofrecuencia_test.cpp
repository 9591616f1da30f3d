#include <gtest/gtest.h>

#include <cmath>

#include "mara/caracteristicasTiempoFrecuencia.h"
#include "mara/periodogramaWelch.h"

using Ventanas = std::vector<std::pair<arma::uword, arma::uword>>;

TEST(Diezmado, FactoresYFrecuencias) {
    EXPECT_EQ(factorDiezmado(250), 2);
    EXPECT_EQ(frecuenciaDiezmada(250), 125.0);
    EXPECT_EQ(factorDiezmado(99), 1);
    EXPECT_EQ(frecuenciaDiezmada(99), 99.0);
    EXPECT_EQ(factorDiezmado(256), 2);
    EXPECT_EQ(frecuenciaDiezmada(256), 128.0);
    EXPECT_EQ(factorDiezmado(1000), 10);
    EXPECT_EQ(frecuenciaDiezmada(1000), 100.0);
    EXPECT_EQ(frecuenciaDiezmada(301), 100.0);  // 100.33 rounds down
    EXPECT_EQ(frecuenciaDiezmada(201), 101.0);  // 100.5 rounds away from zero
    // Columns 0, 2, 4, ...: 5 samples keep 0, 2, 4.
    EXPECT_EQ(muestrasDiezmadas(5, 250), 3u);
    EXPECT_EQ(muestrasDiezmadas(4, 250), 2u);
}

TEST(VentanasAsimetria, CuarentaSegundosDanVentanasEn1Y16) {
    // 31 s would exceed 40 - 15 = 25.
    EXPECT_EQ(ventanasAsimetria(4000, 100.0), (Ventanas{{100, 1600}, {1600, 3100}}));
}

TEST(VentanasAsimetria, DiezYMedioSegundosUsanUnaVentanaDe9) {
    // No 15-s window fits; the interval becomes floor(10.5) - 1 = 9 s: one window from 1 s to 10 s.
    EXPECT_EQ(ventanasAsimetria(1050, 100.0), (Ventanas{{100, 1000}}));
}

TEST(VentanasAsimetria, LaUltimaPosicionSeRecortaAlFinal) {
    // 16 s: the window 1..16 s would end at sample 1600, one past the last (1599).
    EXPECT_EQ(ventanasAsimetria(1600, 100.0), (Ventanas{{100, 1599}}));
}

TEST(VentanasAsimetria, MenosDeDosSegundosSeRechazan) {
    EXPECT_EQ(ventanasAsimetria(200, 100.0), (Ventanas{{100, 199}}));  // 2 s: interval 1
    EXPECT_THROW(ventanasAsimetria(199, 100.0), std::invalid_argument);
    EXPECT_THROW(ventanasAsimetria(100, 100.0), std::invalid_argument);
    EXPECT_THROW(ventanasAsimetria(0, 100.0), std::invalid_argument);
}

TEST(EntradaTiempoFrecuencia, CortaOLentaSeRechazaAntesDeCalcular) {
    EXPECT_NO_THROW(comprobarEntradaTiempoFrecuencia(256 * 17, 256));
    EXPECT_THROW(comprobarEntradaTiempoFrecuencia(250 * 1, 250), std::invalid_argument);  // 1 s
    EXPECT_THROW(comprobarEntradaTiempoFrecuencia(64 * 30, 64), std::invalid_argument);   // no 33-40 Hz bins
    EXPECT_THROW(comprobarEntradaTiempoFrecuencia(1000, 0), std::invalid_argument);
    EXPECT_NO_THROW(comprobarEntradaTiempoFrecuencia(80 * 2, 80));
    EXPECT_THROW(comprobarEntradaTiempoFrecuencia(79 * 30, 79), std::invalid_argument);
}

TEST(PuntosAjuste, EmpateDeMinimosTomaLaFrecuenciaMasBaja) {
    const arma::vec freq = arma::regspace(0, 50);
    arma::vec dB(51, arma::fill::value(5.0));
    dB(2) = 9.0;
    dB(3) = 8.0;
    dB(6) = 1.0;   // two equal minima in 4 < f < 14
    dB(10) = 1.0;
    dB(5) = 3.0;
    dB(36) = 0.5;  // minimum of 32 < f < 40
    dB(37) = 2.0;
    const PuntosAjuste p = puntosAjusteCurva(dB, freq);
    EXPECT_EQ(p.x, (std::array<double, 6>{2, 3, 6, 5, 36, 37}));
    EXPECT_EQ(p.y, (std::array<double, 6>{9, 8, 1, 3, 0.5, 2}));
}

TEST(PuntosAjuste, ElMinimoSeBuscaEnTodoElEspectro) {
    // The band minimum's value also sits at 1 Hz: the first equal bin of the whole spectrum wins.
    const arma::vec freq = arma::regspace(0, 50);
    arma::vec dB(51, arma::fill::value(5.0));
    dB(1) = 1.0;
    dB(7) = 1.0;
    dB(35) = 0.0;
    const PuntosAjuste p = puntosAjusteCurva(dB, freq);
    EXPECT_EQ(p.x[2], 1.0);
    EXPECT_EQ(p.x[3], 0.0);
}

TEST(CaracteristicasTiempoFrecuencia, CoincidenConElCalculoPasoAPaso) {
    // 2 components, 20 s at 250 Hz: downsampled by 2 to 125 Hz, 2500 samples,
    // one skewness window (1 s to 16 s: samples 125 to 2000).
    const int fs = 250;
    arma::arma_rng::set_seed(11);
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, 4999) / fs;
    arma::mat X(2, 5000);
    X.row(0) = 5.0 * arma::sin(2.0 * M_PI * 10.0 * t) + arma::randn<arma::rowvec>(5000);
    X.row(1) = arma::randn<arma::rowvec>(5000) + 3.0;
    const arma::mat W = {{1.0, 0.5}, {0.0, 1.0}};
    const arma::mat S = 2.0 * arma::eye(2, 2);
    std::mt19937 generador(5);
    const arma::mat F = caracteristicasTiempoFrecuencia(X, fs, W, S, generador);
    ASSERT_EQ(F.n_rows, 4u);
    ASSERT_EQ(F.n_cols, 2u);
    EXPECT_TRUE(F.is_finite());

    const arma::uvec cols = arma::regspace<arma::uvec>(0, 2, 4999);
    arma::mat act = W * S * X.cols(cols);
    for (arma::uword c = 0; c < 2; ++c) {
        const arma::rowvec x = act.row(c) / arma::stddev(act.row(c));
        const EspectroWelch e = espectroWelch(x.t(), arma::ones(125), 125, 125.0);
        const arma::vec dB = 10.0 * arma::log10(e.pxx * 125.0 / 2.0);
        EXPECT_NEAR(F(2, c), arma::mean(dB.subvec(8, 13)), 1e-9);

        const arma::rowvec v = x.subvec(125, 2000);
        const arma::rowvec d = v - arma::mean(v);
        const double m2 = arma::mean(d % d), m3 = arma::mean(d % d % d);
        EXPECT_NEAR(F(0, c), std::log(std::abs(m3 / std::pow(m2, 1.5))), 1e-9);
    }
}

TEST(CaracteristicasTiempoFrecuencia, TamanosQueNoEncajanSeRechazan) {
    std::mt19937 generador(1);
    const arma::mat X(3, 2560, arma::fill::randn);
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X, 256, arma::eye(3, 2), arma::eye(3, 3), generador),
                 std::invalid_argument);
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X, 256, arma::eye(3, 3), arma::eye(2, 2), generador),
                 std::invalid_argument);
    EXPECT_THROW(caracteristicasTiempoFrecuencia(X.cols(0, 255), 256, arma::eye(3, 3), arma::eye(3, 3), generador),
                 std::invalid_argument);
}
