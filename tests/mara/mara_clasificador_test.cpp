#include <gtest/gtest.h>

#include <cmath>

#include "mara/clasificarLineal.h"

namespace {
// Group 1 (label 1): a cross around (0, 0); group 2: the same cross around (4, 0).
// Each group's scatter is diag(2, 2), so the pooled covariance is
// diag(4, 4) / (8 - 2) = diag(2/3, 2/3), ln det = 2 ln(2/3), priors 1/2.
const arma::mat entrenamiento = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {3, 0}, {5, 0}, {4, -1}, {4, 1}};
const arma::rowvec etiquetas = {1, 1, 1, 1, 2, 2, 2, 2};

double discriminanteAMano(double d2) { return std::log(0.5) - 0.5 * (1.5 * d2 + 2.0 * std::log(2.0 / 3.0)); }
}  // namespace

TEST(ClasificarLineal, IgualQueElDiscriminanteCalculadoAMano) {
    // (1, 0): squared distances 1 and 9 -> Mahalanobis 1.5 and 13.5 -> group 1.
    // (3, 1): squared distances 10 and 2 -> group 2. (2, 0): a tie -> the first group.
    const arma::mat muestra = {{1, 0}, {3, 1}, {2, 0}};
    const ClasificacionLineal r = clasificarLineal(muestra, entrenamiento, etiquetas);
    EXPECT_EQ(r.clases(0), 0u);
    EXPECT_EQ(r.clases(1), 1u);
    EXPECT_EQ(r.clases(2), 0u);
    const arma::mat esperado = {{discriminanteAMano(1), discriminanteAMano(9)},
                                {discriminanteAMano(10), discriminanteAMano(2)},
                                {discriminanteAMano(4), discriminanteAMano(4)}};
    EXPECT_TRUE(arma::approx_equal(r.discriminante, esperado, "absdiff", 1e-10));
    // Posterior of (1, 0): 1 / (1 + exp(-0.5 * (13.5 - 1.5))).
    EXPECT_NEAR(r.posterior(0, 0), 1.0 / (1.0 + std::exp(-6.0)), 1e-12);
    EXPECT_NEAR(r.posterior(2, 0), 0.5, 1e-12);
    EXPECT_EQ(r.errorEntrenamiento, 0.0);
}

TEST(ClasificarLineal, UnSoloGrupoUsadoLoAsignaTodo) {
    const arma::mat muestra = {{100, 100}};
    const ClasificacionLineal r = clasificarLineal(muestra, entrenamiento.rows(4, 7), etiquetas.cols(4, 7));
    EXPECT_EQ(r.clases(0), 1u);  // label 2 keeps its group index
    EXPECT_NEAR(r.posterior(0, 1), 1.0, 1e-12);
}

TEST(ClasificarLineal, EntradasMalFormadasSeRechazan) {
    const arma::mat muestra = {{1, 0}};
    EXPECT_THROW(clasificarLineal(muestra, entrenamiento, etiquetas.cols(0, 6)), std::invalid_argument);
    EXPECT_THROW(clasificarLineal(arma::mat{{1, 0, 0}}, entrenamiento, etiquetas), std::invalid_argument);
    arma::rowvec otras = etiquetas;
    otras(0) = 3;
    EXPECT_THROW(clasificarLineal(muestra, entrenamiento, otras), std::invalid_argument);
    // One row of each group: fewer rows than features.
    EXPECT_THROW(clasificarLineal(arma::mat{{1, 0, 0}}, arma::mat{{0, 0, 0}, {1, 1, 1}}, arma::rowvec{1, 2}),
                 std::invalid_argument);
}

TEST(ClasificarLineal, SinFilasDeEntrenamientoSeRechaza) {
    EXPECT_THROW(clasificarLineal(arma::mat(1, 2, arma::fill::zeros), arma::mat(0, 2), arma::rowvec()),
                 std::exception);
}
