// Spherical-spline interpolation against MNE-Python's
// interpolate_bads(mode='accurate', origin=(0, 0, 0)) (tests/data/canales/
// generar_canales.py), and its refusals.
#include <stdexcept>

#include <gtest/gtest.h>

#include "canales/interpolacionEsferica.h"
#include "io/cargarRegistro.h"
#include "io/leerCED.h"
#include "tests/io/capturas.h"

using prueba::contiene;
using prueba::rechazo;

namespace {

arma::mat referencia(const std::string& nombre) {
    arma::mat m;
    EXPECT_TRUE(m.load(ONDELAR_RAIZ "/tests/data/canales/" + nombre, arma::arma_binary)) << nombre;
    return m;
}

double errorRelativo(const arma::mat& a, const arma::mat& b) {
    if (a.n_rows != b.n_rows || a.n_cols != b.n_cols) return INFINITY;
    return arma::abs(a - b).max() / arma::abs(b).max();
}

EEG p300() {
    EEG e = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.gdf",
                           std::optional<std::string>(ONDELAR_RAIZ "/../shared/data/p300_8ch.ced"));
    e.matrices[0] = arma::mat(e.datos().cols(0, 255));
    e.numeroMuestras = 256;
    return e;
}

}  // namespace

TEST(Interpolacion, NucleoDelSplineAMano) {
    // At x = 1 every P_n is 1: g = 1/(4 pi) sum (2n+1)/(n(n+1))^4; the first
    // term alone is 3/16 and the series adds little after it.
    double s = 0;
    for (int n = 1; n <= 50; ++n) s += (2.0 * n + 1) / std::pow(n * (n + 1.0), 4);
    EXPECT_NEAR(nucleoSpline(1.0), s / (4 * M_PI), 1e-15);
    // At x = 0 odd terms vanish; P_2(0) = -1/2, P_4(0) = 3/8, P_6(0) = -5/16,
    // P_8(0) = 35/128; the terms after these add less than 1e-7.
    EXPECT_NEAR(nucleoSpline(0.0) * 4 * M_PI,
                -0.5 * 5 / std::pow(6.0, 4) + 0.375 * 9 / std::pow(20.0, 4) - 0.3125 * 13 / std::pow(42.0, 4) +
                    35.0 / 128 * 17 / std::pow(72.0, 4),
                1e-7);
    // Weights reproduce a constant: each row sums to 1.
    const arma::mat o = arma::normalise(arma::mat{{1.0, 0.0, 0.0, 0.6}, {0.0, 1.0, 0.0, 0.6}, {0.0, 0.0, 1.0, 0.5}});
    const arma::mat W = matrizInterpolacion(o, arma::normalise(arma::mat(arma::vec{1.0, 1.0, 1.0})));
    EXPECT_NEAR(arma::accu(W), 1.0, 1e-12);
}

TEST(Interpolacion, IgualQueInterpolateBadsDeMNE) {
    EEG e = p300();
    e.canalesMalos = {"PO7", "Cz"};
    std::vector<std::string> notas;
    const EEG r = interpolarCanalesMalos(e, notas);
    EXPECT_LE(errorRelativo(r.datos(), referencia("interpolacion_p300.bin")), 1e-9);
    EXPECT_TRUE(r.canalesMalos.empty());
    EXPECT_EQ(e.canalesMalos.size(), 2u);  // the input branch keeps its list
    ASSERT_EQ(notas.size(), 1u);
    EXPECT_NE(notas[0].find("PO7, Cz desde 6"), std::string::npos) << notas[0];

    // 64 channels at motor_64ch.ced's positions, three of them bad.
    EEG m(160, 64, 32);
    m.matrices[0] = referencia("interpolacion_64_entrada.bin");
    ASSERT_EQ(leerCED(m, ONDELAR_RAIZ "/../shared/data/motor_64ch.ced").canalesLeidos, 64u);
    m.canalesMalos = {"C3", "Oz", "T8"};
    EXPECT_LE(errorRelativo(interpolarCanalesMalos(m, notas).datos(), referencia("interpolacion_64.bin")), 1e-9);
}

TEST(Interpolacion, CanalesSinPosicion) {
    EEG e = p300();
    std::vector<std::string> notas;
    auto canales = std::make_shared<std::vector<Canal>>(*e.canales);
    (*canales)[3].localizacion.reset();
    e.canales = canales;
    e.canalesMalos = {"Pz"};
    EXPECT_TRUE(contiene(rechazo<std::invalid_argument>([&] { interpolarCanalesMalos(e, notas); }),
                         "\"Pz\" no tiene posición"));
    // A good channel without position only stays out of the sources.
    e.canalesMalos = {"Cz"};
    notas.clear();
    const EEG r = interpolarCanalesMalos(e, notas);
    EXPECT_NE(notas[0].find("sin posición"), std::string::npos);
    EXPECT_TRUE(arma::approx_equal(r.datos().row(3), e.datos().row(3), "absdiff", 0.0));
    e.canalesMalos = {"Fz", "Cz", "P3", "P4", "PO7"};
    EXPECT_THROW(interpolarCanalesMalos(e, notas), std::invalid_argument);  // 2 good with position left
}
