// Fixed rules of the extended infomax ICA: learning rate, block size,
// stopping tolerance, kurtosis positions and the private generator.

#include <algorithm>
#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "mara/icaExtendida.h"
#include "mara/icaExtendidaDetalle.h"
#include "tests/mara/ica_ayuda.h"

using icaDetalle::GeneradorICA;

TEST(IcaExtendidaReglas, RatioDentroDelRangoSeUsaTalCual) {
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(0.001, 8), 0.001);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(1e-6, 8), 1e-6);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(0.1, 8), 0.1);
}

TEST(IcaExtendidaReglas, RatioFueraDelRangoSeSustituyePorElDefecto) {
    // 0.00065 / ln 8 = 0.00065 / 2.0794415 = 3.1258e-4
    const double defecto = 0.00065 / std::log(8.0);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(0.5, 8), defecto);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(0.0, 8), defecto);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(-0.01, 8), defecto);
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(std::nan(""), 8), defecto);
}

TEST(IcaExtendidaReglas, RatioPorDefectoDeUnCanalEsFinito) {
    // ln 1 = 0 would give an infinite rate and endless restarts.
    EXPECT_DOUBLE_EQ(icaDetalle::ratioAprendizaje(0.5, 1), 0.00065 / std::log(2.0));
}

TEST(IcaExtendidaReglas, ElRatioDeLaEjecucionSigueLaRegla) {
    const arma::mat X = icaPrueba::fuentesConocidas(3, 400, 3);
    arma::mat W, S;
    EXPECT_DOUBLE_EQ(icaDetalle::icaExtendidaInforme(X, W, S, 0.001, 3, 1u).etaInicial, 0.001);
    EXPECT_DOUBLE_EQ(icaDetalle::icaExtendidaInforme(X, W, S, 0.5, 3, 1u).etaInicial,
                     0.00065 / std::log(3.0));
    EXPECT_DOUBLE_EQ(icaDetalle::icaExtendidaInforme(X, W, S, 0.0, 3, 1u).etaInicial,
                     0.00065 / std::log(3.0));
}

TEST(IcaExtendidaReglas, TamanoDeBloque) {
    EXPECT_EQ(icaDetalle::tamanoBloque(3), 1);      // ceil(min(5.49, 0.9))
    EXPECT_EQ(icaDetalle::tamanoBloque(6), 2);      // ceil(min(8.96, 1.8))
    EXPECT_EQ(icaDetalle::tamanoBloque(100), 24);   // ceil(min(23.03, 30))
    EXPECT_EQ(icaDetalle::tamanoBloque(56840), 55); // ceil(5 ln 56840 = 54.74)
    EXPECT_EQ(icaDetalle::tamanoBloque(1), 0);
    EXPECT_EQ(icaDetalle::tamanoBloque(0), 0);
}

TEST(IcaExtendidaReglas, ToleranciaSegunComponentes) {
    EXPECT_DOUBLE_EQ(icaDetalle::toleranciaParada(32), 1e-6);
    EXPECT_DOUBLE_EQ(icaDetalle::toleranciaParada(33), 1e-7);
}

TEST(IcaExtendidaReglas, ToleranciaDeLaEjecucionCon32Y33Componentes) {
    // 33 x 33 needs T >= 33; little data keeps it quick, convergence is not the point.
    for (int Q : {32, 33}) {
        std::mt19937 motor(static_cast<uint32_t>(Q));
        std::uniform_real_distribution<double> uni(-1.0, 1.0);
        arma::mat X(Q, 200);
        for (double& x : X) x = uni(motor);
        arma::mat W, S;
        const auto informe = icaDetalle::icaExtendidaInforme(X, W, S, 0.001, Q, 4u);
        EXPECT_DOUBLE_EQ(informe.tolerancia, Q == 33 ? 1e-7 : 1e-6) << Q;
    }
}

TEST(IcaExtendidaReglas, CurtosisConTodasLasMuestrasHasta6000) {
    EXPECT_TRUE(icaDetalle::curtosisConTodas(6000));
    EXPECT_FALSE(icaDetalle::curtosisConTodas(6001));
}

TEST(IcaExtendidaReglas, EjecucionCon6000Y6001Muestras) {
    const arma::mat X = icaPrueba::fuentesConocidas(2, 6001, 8);
    arma::mat W, S;
    EXPECT_TRUE(icaDetalle::icaExtendidaInforme(X.cols(0, 5999), W, S, 0.001, 2, 2u).curtosisConTodas);
    EXPECT_FALSE(icaDetalle::icaExtendidaInforme(X, W, S, 0.001, 2, 2u).curtosisConTodas);
}

TEST(IcaExtendidaReglas, SeisMilPosicionesAleatoriasNuncaCero) {
    // With T = 6001 each draw is 0 with probability 1/6001, so a set of 6000
    // draws holds a 0 about 63% of the time: over 40 seeds some certainly do.
    int repetidas = 0;
    for (uint32_t semilla = 0; semilla < 40; ++semilla) {
        GeneradorICA generador(semilla);
        std::vector<arma::uword> pos;
        icaDetalle::sortearPosicionesCurtosis(6001, generador, pos);
        ASSERT_EQ(pos.size(), 6000u);
        for (arma::uword p : pos) {
            ASSERT_GE(p, 1u);
            ASSERT_LE(p, 6000u);
        }
        if (std::set<arma::uword>(pos.begin(), pos.end()).size() < pos.size()) ++repetidas;
    }
    EXPECT_GT(repetidas, 0);  // positions may repeat
}

TEST(IcaExtendidaReglas, GeneradorReproducibleYUniforme) {
    GeneradorICA a(5), b(5), c(6);
    double suma = 0.0;
    bool distinto = false;
    for (int i = 0; i < 10000; ++i) {
        const double x = a.uniforme();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        ASSERT_EQ(x, b.uniforme());
        distinto = distinto || x != c.uniforme();
        suma += x;
    }
    EXPECT_TRUE(distinto);
    EXPECT_NEAR(suma / 10000.0, 0.5, 0.01);
}

TEST(IcaExtendidaReglas, PermutacionContieneCadaIndiceUnaVez) {
    GeneradorICA generador(9);
    std::vector<arma::uword> orden(1000);
    generador.permutacion(orden);
    std::vector<arma::uword> ordenado = orden;
    std::sort(ordenado.begin(), ordenado.end());
    for (arma::uword i = 0; i < ordenado.size(); ++i) ASSERT_EQ(ordenado[i], i);
    EXPECT_FALSE(std::is_sorted(orden.begin(), orden.end()));
    std::vector<arma::uword> vacio;
    generador.permutacion(vacio);
    EXPECT_TRUE(vacio.empty());
}

TEST(IcaExtendidaReglas, SemillaDelRelojEsSegundosPorCien) {
    const auto antes = static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) * 100u);
    const uint32_t semilla = icaDetalle::semillaDelReloj();
    const auto despues = static_cast<uint32_t>(static_cast<uint64_t>(std::time(nullptr)) * 100u);
    EXPECT_TRUE(semilla == antes || semilla == despues);
}

TEST(IcaExtendidaReglas, RangoNumerico) {
    arma::mat X = icaPrueba::fuentesConocidas(3, 100, 2);
    EXPECT_EQ(icaDetalle::rangoNumerico(X), 3u);
    X.row(2) = X.row(0) + 2.0 * X.row(1);
    EXPECT_EQ(icaDetalle::rangoNumerico(X), 2u);
    EXPECT_EQ(icaDetalle::rangoNumerico(arma::zeros(2, 5)), 0u);
}
