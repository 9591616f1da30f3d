// The detection rules on motor_64ch.dat (64 channels at 160 Hz, .ced
// positions) with one planted fault per rule, and on hand-worked vectors.
#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "canales/canalesMalos.h"
#include "canales/deteccionCanales.h"
#include "io/cargarRegistro.h"

namespace {

EEG motor() {
    return cargarRegistro(ONDELAR_RAIZ "/../shared/data/motor_64ch.dat",
                          std::optional<std::string>(ONDELAR_RAIZ "/../shared/data/motor_64ch.ced"));
}

bool marcadoPor(const DeteccionCanales& d, arma::uword fila, ReglaCanal regla) {
    const auto& r = d.canales[fila].reglas;
    return std::find(r.begin(), r.end(), regla) != r.end();
}

}  // namespace

TEST(CanalesMalos, DesviacionYZRobustasAMano) {
    // 1 2 3 4 100: median 3, |x - 3| = 2 1 0 1 97, MAD 1 -> 1.4826; z(100) = 97 / 1.4826.
    const arma::vec x = {1, 2, 3, 4, 100};
    EXPECT_NEAR(desviacionRobusta(x), 1.4826, 1e-12);
    const arma::vec z = zRobusta(x);
    EXPECT_NEAR(z(4), 97 / 1.4826, 1e-9);
    EXPECT_NEAR(z(0), -2 / 1.4826, 1e-12);
    // No spread: the value above the median is infinitely far, the rest 0.
    const arma::vec iguales = zRobusta(arma::vec{5, 5, 5, 6});
    EXPECT_TRUE(std::isinf(iguales(3)));
    EXPECT_EQ(iguales(0), 0.0);
    EXPECT_EQ(desviacionRobusta(arma::vec()), 0.0);
    // Normal noise: the robust deviation estimates sigma.
    arma::arma_rng::set_seed(3);
    EXPECT_NEAR(desviacionRobusta(arma::vec(100000, arma::fill::randn) * 7.0), 7.0, 0.1);
}

TEST(CanalesMalos, CadaFalloPlantadoPorSuRegla) {
    EEG e = motor();
    ASSERT_EQ(e.datos().n_rows, 64u);
    ASSERT_EQ(e.frecuenciaMuestreo, 160);
    // The clean recording: no channel is marked.
    const DeteccionCanales limpia = detectarCanalesMalos(e);
    EXPECT_TRUE(limpia.marcados().empty()) << tablaCanalesMalos(e, limpia);
    EXPECT_TRUE(limpia.notas.empty());

    arma::mat& X = e.matrices[0];
    const arma::uword n = X.n_cols;
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, n - 1) / 160.0;
    const arma::uword plano = 5, zumbido = 20, deriva = 33, ruido = 50;
    X.row(plano).fill(12.5);
    X.row(zumbido) += 50.0 * arma::sin(2 * M_PI * 50.0 * t);
    // Disconnected: no EEG, a slow drift of 400 µV over the recording and amplifier noise.
    arma::arma_rng::set_seed(11);
    X.row(deriva) = 400.0 * t / t(n - 1) + 0.5 * arma::randn<arma::rowvec>(n);
    // White noise as large as the channel it replaces: only its lack of correlation shows.
    const double sigma = desviacionRobusta(X.row(ruido).t());
    X.row(ruido) = sigma * arma::randn<arma::rowvec>(n);

    const DeteccionCanales d = detectarCanalesMalos(e);
    EXPECT_EQ(d.marcados(), (std::vector<arma::uword>{plano, zumbido, deriva, ruido})) << tablaCanalesMalos(e, d);
    EXPECT_TRUE(marcadoPor(d, plano, ReglaCanal::plano));
    EXPECT_TRUE(marcadoPor(d, zumbido, ReglaCanal::ruidoso));
    EXPECT_TRUE(marcadoPor(d, deriva, ReglaCanal::desviado));
    EXPECT_TRUE(marcadoPor(d, ruido, ReglaCanal::pocoCorrelacionado));
    EXPECT_FALSE(marcadoPor(d, ruido, ReglaCanal::desviado));

    // The branch carries them in its list; its data do not change.
    const EEG r = conCanalesDetectados(e, d);
    EXPECT_EQ(r.canalesMalos, (std::vector<std::string>{(*e.canales)[plano].etiqueta, (*e.canales)[zumbido].etiqueta,
                                                        (*e.canales)[deriva].etiqueta, (*e.canales)[ruido].etiqueta}));
    EXPECT_TRUE(arma::approx_equal(r.datos(), e.datos(), "absdiff", 0.0));
    EXPECT_TRUE(e.canalesMalos.empty());
    const std::string tabla = tablaCanalesMalos(e, d);
    EXPECT_NE(tabla.find((*e.canales)[zumbido].etiqueta), std::string::npos);
    EXPECT_NE(tabla.find("poco correlacionado"), std::string::npos);
}

TEST(CanalesMalos, MuestrasRepetidasYReglasQueNoSeAplican) {
    // Four channels of noise without positions at 64 Hz: neither the
    // correlation nor the noise rule applies, each with its note.
    EEG e(64, 4, 640);
    arma::arma_rng::set_seed(5);
    e.matrices[0].randn();
    e.matrices[0] *= 10.0;
    // Channel 2 held for 3 samples in 4 (a quarter of pairs change): 75 % repeated.
    for (arma::uword i = 0; i < 640; ++i) e.matrices[0](2, i) = e.matrices[0](2, i - i % 4);
    for (int c = 0; c < 4; ++c) (*e.canales)[c].etiqueta = "C" + std::to_string(c + 1);
    const DeteccionCanales d = detectarCanalesMalos(e);
    EXPECT_NEAR(d.canales[2].fraccionRepetidas, 480.0 / 639.0, 1e-12);
    EXPECT_EQ(d.marcados(), (std::vector<arma::uword>{2}));
    EXPECT_TRUE(marcadoPor(d, 2, ReglaCanal::plano));
    ASSERT_EQ(d.notas.size(), 2u);
    EXPECT_NE(d.notas[0].find("ruido"), std::string::npos);
    EXPECT_NE(d.notas[1].find("posiciones"), std::string::npos);
    EXPECT_TRUE(std::isnan(d.canales[0].correlacionVecinos));

    EXPECT_THROW(detectarCanalesMalos(EEG(64, 0, 10)), std::invalid_argument);
    OpcionesCanalesMalos o;
    o.vecinos = 0;
    EXPECT_THROW(detectarCanalesMalos(e, o), std::invalid_argument);
}

TEST(CanalesMalos, MarcarYAlternar) {
    EEG e(100, 3, 10);
    for (int c = 0; c < 3; ++c) (*e.canales)[c].etiqueta = std::string(1, char('A' + c));
    marcarCanalesMalos(e, {"C", "A", "C"});
    EXPECT_EQ(e.canalesMalos, (std::vector<std::string>{"C", "A"}));
    EXPECT_EQ(filasCanalesMalos(e), (std::vector<arma::uword>{0, 2}));
    EXPECT_THROW(marcarCanalesMalos(e, {"B", "Z"}), std::invalid_argument);
    EXPECT_EQ(e.canalesMalos.size(), 2u);  // nothing added when one label is wrong
    EXPECT_FALSE(alternarCanalMalo(e.canalesMalos, "C"));
    EXPECT_TRUE(alternarCanalMalo(e.canalesMalos, "B"));
    EXPECT_EQ(textoCanalesMalos(e.canalesMalos), "A, B");
    EXPECT_EQ(textoCanalesMalos({}), "ninguno");
    // The list travels with every copy of the branch.
    EXPECT_EQ(derivarEEG(e, arma::mat()).canalesMalos, e.canalesMalos);
    EXPECT_EQ(clonarEEG(e)->canalesMalos, e.canalesMalos);
}
