// What the extended infomax ICA returns: the sphere, the order of the
// components, the pass limit, restarts and reproducibility.

#include <cmath>
#include <cstdlib>
#include <random>

#include <gtest/gtest.h>

#include "mara/icaExtendida.h"
#include "mara/icaExtendidaDetalle.h"
#include "tests/mara/ica_ayuda.h"

namespace {

// Four mixed sources with channel offsets (the routine removes the means).
arma::mat mezclaConDesplazamientos(arma::uword T, uint32_t semilla) {
    arma::mat X = icaPrueba::mezclaBienCondicionada(4, semilla) * icaPrueba::fuentesConocidas(4, T, semilla);
    X.each_col() += arma::vec{10.0, -3.0, 0.5, 100.0};
    return X;
}

}  // namespace

TEST(IcaExtendidaResultado, FormasDeLasSalidas) {
    arma::mat W, S;
    icaExtendida(mezclaConDesplazamientos(1000, 2), W, S, 0.001, 4, 7u);
    EXPECT_EQ(W.n_rows, 4u);
    EXPECT_EQ(W.n_cols, 4u);
    EXPECT_EQ(S.n_rows, 4u);
    EXPECT_EQ(S.n_cols, 4u);
    EXPECT_TRUE(W.is_finite());
}

TEST(IcaExtendidaResultado, EsferaEsDosVecesLaRaizCuadradaInversaDeLaCovarianza) {
    const arma::mat X = mezclaConDesplazamientos(3000, 3);
    arma::mat W, S;
    icaExtendida(X, W, S, 0.001, 4, 1u);
    // Reference by the eigen-decomposition of the covariance of the
    // mean-removed channels (normalised by T - 1): 2 V diag(1/sqrt(l)) V'.
    arma::mat Xc = X;
    Xc.each_col() -= arma::mean(Xc, 1);
    const arma::mat cov = Xc * Xc.t() / (static_cast<double>(X.n_cols) - 1.0);
    arma::vec l;
    arma::mat V;
    ASSERT_TRUE(arma::eig_sym(l, V, cov));
    const arma::mat referencia = 2.0 * V * arma::diagmat(1.0 / arma::sqrt(l)) * V.t();
    EXPECT_TRUE(arma::approx_equal(S, referencia, "reldiff", 1e-9)) << S << referencia;
    // Hence the sphered data have covariance 4 I.
    EXPECT_TRUE(arma::approx_equal(S * cov * S, 4.0 * arma::eye(4, 4), "absdiff", 1e-9));
}

TEST(IcaExtendidaResultado, ComponentesOrdenadasPorMedidaDeVarianzaDecreciente) {
    const arma::mat X = mezclaConDesplazamientos(3000, 4);
    arma::mat W, S;
    icaExtendida(X, W, S, 0.001, 4, 5u);
    // v_j = sum_i Winv(i,j)^2 * sum_t Z(j,t)^2 / (C T - 1), Z the sphered data.
    arma::mat Z = X;
    Z.each_col() -= arma::mean(Z, 1);
    Z = S * Z;
    const arma::mat Winv = arma::inv(W * S);
    const arma::rowvec v = arma::sum(arma::square(Winv), 0) % arma::sum(arma::square(Z), 1).t() /
                           (4.0 * 3000.0 - 1.0);
    for (arma::uword j = 1; j < v.n_elem; ++j) EXPECT_GE(v(j - 1), v(j)) << v;
    EXPECT_GT(v(0), v(3) * 1.01) << "orden trivial: " << v;
}

TEST(IcaExtendidaResultado, MismaSemillaMismosPesos) {
    const arma::mat X = mezclaConDesplazamientos(2000, 6);
    arma::mat W1, S1, W2, S2, W3, S3;
    icaExtendida(X, W1, S1, 0.001, 4, 42u);
    icaExtendida(X, W2, S2, 0.001, 4, 42u);
    icaExtendida(X, W3, S3, 0.001, 4, 43u);
    EXPECT_TRUE(arma::approx_equal(W1, W2, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(S1, S2, "absdiff", 0.0));
    EXPECT_FALSE(arma::approx_equal(W1, W3, "absdiff", 0.0));
}

TEST(IcaExtendidaResultado, NoTocaLosGeneradoresGlobales) {
    const arma::mat X = mezclaConDesplazamientos(500, 7);
    arma::mat W, S;
    std::srand(99);
    arma::arma_rng::set_seed(99);
    const int c1 = std::rand();
    const double a1 = arma::randu();
    std::srand(99);
    arma::arma_rng::set_seed(99);
    icaExtendida(X, W, S, 0.001, 4);  // seeded from the clock
    EXPECT_EQ(std::rand(), c1);
    EXPECT_EQ(arma::randu(), a1);
}

TEST(IcaExtendidaResultado, EjecucionQueNoConvergeTerminaTras512Pasadas) {
    // The third channel is the sum of the other two plus noise 1e-12 below
    // them: full rank, but the covariance is so ill-conditioned that the
    // sphered data lack a direction and the weights keep drifting along it.
    arma::mat X = icaPrueba::fuentesConocidas(3, 300, 1);
    std::mt19937 motor(101);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (arma::uword t = 0; t < X.n_cols; ++t) X(2, t) = X(0, t) + X(1, t) + 1e-12 * normal(motor);
    arma::mat W, S;
    const auto informe = icaDetalle::icaExtendidaInforme(X, W, S, 0.001, 3, 1u);
    EXPECT_FALSE(informe.convergio);
    EXPECT_EQ(informe.pasadas, 512);
    EXPECT_GE(informe.pasadasTotales, 512);
    EXPECT_EQ(W.n_rows, 3u);
}

TEST(IcaExtendidaResultado, RatioExcesivoReiniciaYSigue) {
    // With eta = 0.1 and B = 41 each block scales the weights by about
    // 1 + 4.1: they blow past 1e8 and every restart lowers eta by 0.9 until
    // the training is stable; the run then separates as usual.
    const arma::mat S0 = icaPrueba::fuentesConocidas(3, 3000, 9);
    const arma::mat A = icaPrueba::mezclaBienCondicionada(3, 10);
    arma::mat W, S;
    const auto informe = icaDetalle::icaExtendidaInforme(A * S0, W, S, 0.1, 3, 3u);
    EXPECT_GT(informe.reinicios, 0);
    EXPECT_LE(informe.etaFinal, 0.1 * std::pow(0.9, informe.reinicios) * (1 + 1e-12));
    EXPECT_TRUE(W.is_finite());
    EXPECT_LT(icaPrueba::indiceAmari(W * S * A), 0.05);
}

TEST(IcaExtendidaResultado, UnSoloCanal) {
    // C = 1: the default rate would be 0.00065 / ln 1 = infinity.
    const arma::mat X = icaPrueba::fuentesConocidas(1, 500, 12);
    arma::mat W, S;
    const auto informe = icaDetalle::icaExtendidaInforme(X, W, S, 0.5, 1, 2u);
    EXPECT_TRUE(informe.convergio);
    ASSERT_EQ(W.n_elem, 1u);
    EXPECT_TRUE(W.is_finite());
    EXPECT_NEAR(S(0, 0), 2.0, 1e-9);  // unit-variance source
}

TEST(IcaExtendidaResultado, SeisMuestrasBastan) {
    // T = 6: B = ceil(min(8.96, 1.8)) = 2, three blocks per pass.
    const arma::mat X = {{1.0, -2.0, 0.5, 3.0, -1.5, 0.2}, {0.3, 1.0, -2.0, 0.7, 0.1, -1.1}};
    arma::mat W, S;
    const auto informe = icaDetalle::icaExtendidaInforme(X, W, S, 0.001, 2, 1u);
    EXPECT_EQ(informe.tamanoBloque, 2);
    EXPECT_TRUE(W.is_finite());
}
