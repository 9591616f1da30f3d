// Separation of known sources by the extended infomax ICA.

#include <gtest/gtest.h>

#include "mara/icaExtendida.h"
#include "mara/icaExtendidaDetalle.h"
#include "tests/mara/ica_ayuda.h"

namespace {

// Mixes n known sources of 10000 samples, runs the ICA and returns the Amari
// index of (weights x sphere) x mixing, which is 0 for a perfect separation.
double amariTrasSeparar(arma::uword n, uint32_t semilla) {
    const arma::mat S = icaPrueba::fuentesConocidas(n, 10000, semilla);
    const arma::mat A = icaPrueba::mezclaBienCondicionada(n, semilla + 1);
    arma::mat pesos, esfera;
    const auto informe = icaDetalle::icaExtendidaInforme(A * S, pesos, esfera, 0.001,
                                                         static_cast<int>(n), semilla + 2);
    EXPECT_EQ(pesos.n_rows, n);
    EXPECT_EQ(pesos.n_cols, n);
    EXPECT_TRUE(informe.convergio);
    return icaPrueba::indiceAmari(pesos * esfera * A);
}

}  // namespace

TEST(IcaExtendidaSeparacion, CuatroFuentesLaplaceUniformeSenoCuadrada) {
    EXPECT_LT(amariTrasSeparar(4, 11), 0.05);
}

TEST(IcaExtendidaSeparacion, SeisFuentes) { EXPECT_LT(amariTrasSeparar(6, 23), 0.05); }

TEST(IcaExtendidaSeparacion, OchoFuentes) { EXPECT_LT(amariTrasSeparar(8, 37), 0.05); }

TEST(IcaExtendidaSeparacion, AmariDeUnaPermutacionEscaladaEsCeroYDeUnaMezclaNo) {
    // The yardstick itself: a scaled permutation scores 0, a full mixing does not.
    const arma::mat P = {{0.0, 2.0, 0.0}, {-3.0, 0.0, 0.0}, {0.0, 0.0, 0.5}};
    EXPECT_DOUBLE_EQ(icaPrueba::indiceAmari(P), 0.0);
    EXPECT_GT(icaPrueba::indiceAmari(icaPrueba::mezclaBienCondicionada(3, 5)), 0.1);
}
