// Robust distribution fit, clean-window selection and calibration: the
// edge cases worked by hand, and the first minute of p300_8ch.dat against the
// step-by-step transcription in Octave (tests/data/asr/referencia_calibracion.m).
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "asr/ajusteDistribucion.h"
#include "asr/calibracionASR.h"
#include "asr/eliminarDeriva.h"
#include "asr/inversaGamma.h"
#include "asr/seleccionVentanasLimpias.h"
#include "asr/ventanasASR.h"
#include "io/cargarRegistro.h"
#include "referencias.h"

namespace {

// The first `segundos` seconds of p300_8ch.dat as the file's A/D counts,
// which the Octave transcription reads: the reader gives count x 0.019 µV,
// and rounding µV / 0.019 gives back each integer count exactly.
EEG p300(int segundos) {
    EEG todo, e(256, 8, segundos * 256);
    prueba::capturar([&] { todo = cargarRegistro(ONDELAR_RAIZ "/../shared/data/p300_8ch.dat"); });
    e.matrices[0] = arma::round(todo.datos().cols(0, segundos * 256 - 1) / 0.019);
    return e;
}

ContextoASR calibrado(const EEG& eeg) {
    ContextoASR ctx(eeg, OpcionesASR{});
    eliminarDeriva(ctx);
    seleccionarVentanasLimpias(ctx);
    calibrarASR(ctx);
    return ctx;
}

}  // namespace

TEST(AjusteRobusto, RejillaDeTreceFormasYParametrosDeLasVentanasLimpias) {
    EXPECT_NEAR(Pinv(0.5, 1.0), std::log(2.0), 1e-14);  // P(1, x) = 1 - exp(-x)
    for (auto [p, a] : {std::pair{1.5, 1.0}, {-0.1, 1.0}, {0.5, 0.0}, {std::nan(""), 1.0}, {1.0, 1.0}})
        EXPECT_EQ(Pinv(p, a), -1.0) << p << " " << a;
    const EEG eeg(256, 8, 10);
    const ContextoASR ctx(eeg, OpcionesASR{});
    EXPECT_TRUE(arma::approx_equal(ctx.rejillaFormas, arma::regspace(1.7, 0.15, 3.51), "absdiff", 1e-9));
    // RMS of windows of Gaussian noise plus a few loud windows: the fit follows
    // the clean windows' own mean and spread, not the outliers.
    arma::arma_rng::set_seed(42);
    const arma::uword limpias = 1500, ruidosas = 60;
    arma::vec rms(limpias + ruidosas);
    for (arma::uword w = 0; w < limpias; ++w) rms(w) = std::sqrt(arma::mean(arma::square(10.0 * arma::randn<arma::vec>(256))));
    rms.tail(ruidosas) = 50.0 + 30.0 * arma::randu<arma::vec>(ruidosas);
    const arma::vec propias = rms.head(limpias);
    double mu = 0, sig = 0;
    ajusteDistribucionRobusta(arma::shuffle(rms), 0.25, 0.1, ctx, mu, sig);
    EXPECT_NEAR(mu, arma::mean(propias), 0.02 * arma::mean(propias));
    EXPECT_NEAR(sig, arma::stddev(propias), 0.1 * arma::stddev(propias));
    // A NaN, no values, all values equal (a flat channel): refused.
    rms(10) = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(ajusteDistribucionRobusta(rms, 0.25, 0.1, ctx, mu, sig), std::invalid_argument);
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec(), 0.25, 0.1, ctx, mu, sig), std::invalid_argument);
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec(100, arma::fill::value(3.0)), 0.25, 0.1, ctx, mu, sig),
                 std::runtime_error);
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec{1.0, 2.0}, 0.25, 0.1, ctx, mu, sig), std::runtime_error);
}

TEST(VentanasASR, CanalesMalosDesplazamientosYMarcas) {
    // round(0.6), round(0.2 * 8) for 0 and 1, round(2.4), 32.
    for (auto [C, f, b] : {std::tuple{8u, 0.075, 1u}, {8u, 0.0, 2u}, {8u, 1.0, 2u}, {32u, 0.075, 2u}, {64u, 0.5, 32u}})
        EXPECT_EQ(canalesMalosPermitidos(C, f), b) << C << " " << f;
    // At 256 Hz: selection windows of 256 samples advance 87.04 (starts 1, 88.04,
    // 175.08, 262.12 rounded, 0-based); calibration windows of 128 advance 43.52.
    const arma::uvec sel = iniciosVentanas(1000, 256, 256 * (1 - 0.66));
    EXPECT_TRUE(arma::all(sel == arma::uvec{0, 87, 174, 261, 348, 435, 522, 609, 696}));
    EXPECT_TRUE(arma::all(iniciosVentanas(10000, 128, (1 - 0.66) * 128).head(4) == arma::uvec{0, 44, 87, 131}));
    EXPECT_TRUE(iniciosVentanas(256, 256, 87.04).is_empty());
    EXPECT_EQ(iniciosVentanas(257, 256, 87.04).n_elem, 1u);
    // 4 channels, b = 1: upper test on sorted row 2, lower on sorted row 1.
    const arma::mat z = {{0, 9, 9, -9, 0}, {0, 9, 0, -9, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, -9}};
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, {-3.5, 5.5}) == arma::uvec{0, 1, 0, 1, 0}));
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, arma::vec()) == arma::uvec{0, 1, 0, 1, 0}));  // the defaults
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, {2.0, 5.5}) == arma::uvec{0, 1, 0, 0, 0}));  // no lower tail
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 4, {-3.5, 5.5}) == 0));  // b >= C: no row to test
}

TEST(Calibracion, CovarianzaPorBloquesConDiezFases) {
    // 12 samples, 2 channels: block 0 holds samples 1..10 (sum x0^2 = 385, sum x0 = 55,
    // sum 1 = 10); block 1 takes 11 once and then the last, 12, nine times.
    arma::mat X(2, 12, arma::fill::ones);
    X.row(0) = arma::regspace<arma::rowvec>(1, 12);
    const arma::mat U = covarianzaBloques(X, 10);
    EXPECT_TRUE(arma::approx_equal(U.col(0), arma::vec{385, 55, 10}, "absdiff", 0.0));
    EXPECT_EQ(U(0, 1), 121.0 + 9 * 144.0);
    EXPECT_EQ(U(1, 1), 11.0 + 9 * 12.0);
}

TEST(Calibracion, PrimerMinutoDeP300IgualQueOctave) {
    const EEG eeg = p300(60);
    const ContextoASR ctx = calibrado(eeg);
    // M symmetric positive definite up to rounding, T finite.
    ASSERT_EQ(ctx.M.n_rows, 8u);
    EXPECT_LT(arma::abs(ctx.M - ctx.M.t()).max(), 1e-9 * arma::abs(ctx.M).max());
    EXPECT_GT(arma::eig_sym(arma::symmatu(ctx.M)).min(), 0.0);
    EXPECT_TRUE(ctx.T.is_finite());
    // Against the Octave transcription, whose shaping filter is the reference
    // design (equal to ours within 1e-9). Rows of V' have unit norm, so the
    // thresholds are the norms of T's rows.
    EXPECT_EQ(static_cast<double>(ctx.calibracion.numeroMuestras), cargarReferencia("calibracion_p300_limpias.bin")(0, 0));
    EXPECT_LT(errorRelativo(ctx.M, cargarReferencia("calibracion_p300_M.bin")), 1e-7);
    EXPECT_LT(errorRelativo(ctx.T.t() * ctx.T, cargarReferencia("calibracion_p300_TtT.bin")), 1e-7);
    EXPECT_LT(errorRelativo(arma::sort(arma::sqrt(arma::sum(arma::square(ctx.T), 1))),
                            cargarReferencia("calibracion_p300_umbrales.bin")),
              1e-7);
    EXPECT_LT(errorRelativo(ctx.iirstate, cargarReferencia("calibracion_p300_iirstate.bin")), 1e-7);
    // The per-channel fits of clean-window selection.
    const arma::mat ajustes = cargarReferencia("calibracion_p300_ajusteSeleccion.bin");
    const arma::uvec inicios = iniciosVentanas(60 * 256, 256, 256 * (1 - 0.66));
    for (arma::uword c = 0; c < 8; ++c) {
        double mu, sig;
        ajusteDistribucionRobusta(rmsVentanas(ctx.trabajo.datos().row(c).t(), inicios, 256), 0.25, 0.1, ctx, mu, sig);
        EXPECT_NEAR(mu, ajustes(c, 0), 1e-9 * std::abs(ajustes(c, 0))) << c;
        EXPECT_NEAR(sig, ajustes(c, 1), 1e-9 * std::abs(ajustes(c, 1))) << c;
    }
    // The same input gives the same output.
    const ContextoASR otra = calibrado(eeg);
    EXPECT_TRUE(arma::approx_equal(ctx.M, otra.M, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(ctx.T, otra.T, "absdiff", 0.0));
}

TEST(SeleccionVentanas, DatosSinAjustePosibleSeRechazan) {
    arma::arma_rng::set_seed(5);
    auto registro = [](uint32_t C, int64_t S) {
        EEG e(256, C, S);
        e.matrices[0].randn();
        return e;
    };
    EEG conNaN = registro(2, 2000), plano = registro(3, 20 * 256);
    conNaN.matrices[0](1, 500) = arma::datum::nan;
    plano.matrices[0].row(1).zeros();  // no spread to fit
    struct Caso {
        EEG eeg;
        OpcionesASR opciones;
        std::string fragmento;
    };
    for (const Caso& c : {Caso{registro(2, 256), {}, "más corto que una ventana"},
                          Caso{conNaN, {}, "no finitos"}, Caso{plano, {}, "canal 2"},
                          Caso{p300(20), {5, 0.075, -1e-6, 1e-6}, "ninguna ventana"}}) {
        ContextoASR ctx(c.eeg, c.opciones);
        ctx.trabajo = c.eeg;
        const std::string texto = prueba::capturar([&] { seleccionarVentanasLimpias(ctx); }).excepcion;
        EXPECT_NE(texto.find(c.fragmento), std::string::npos) << c.fragmento << ": " << texto;
    }
}

TEST(Calibracion, Rechazos) {
    arma::arma_rng::set_seed(1);
    const arma::mat datos(4, 5000, arma::fill::randn);
    const EEG eeg(256, 4, 5000);
    const ContextoASR ctx(eeg, OpcionesASR{});
    EXPECT_THROW(calibrarASR(datos, 81, 5, ctx), std::invalid_argument);               // below 82 Hz
    EXPECT_THROW(calibrarASR(datos.cols(0, 99), 256, 5, ctx), std::invalid_argument);  // no 128-sample window
    EXPECT_THROW(calibrarASR(arma::mat(4, 0), 256, 5, ctx), std::invalid_argument);
    ContextoASR sinDatos;
    EXPECT_THROW(calibrarASR(sinDatos), std::invalid_argument);
}

TEST(Calibracion, EnSitioSobreLasColumnasLimpiasIgualQueSobreSuCopia) {
    // The working data of the first minute, a third of its columns dropped as if
    // marked: calibrating in place over the kept columns gives what calibrating
    // a copy of them gives, and a reporter changes nothing.
    const EEG eeg = p300(60);
    ContextoASR ctx(eeg, OpcionesASR{});
    eliminarDeriva(ctx);
    const arma::mat& trabajo = ctx.trabajo.datos();
    std::vector<arma::uword> columnas;
    for (arma::uword j = 0; j < trabajo.n_cols; ++j)
        if (j % 3 != 1) columnas.push_back(j);
    const arma::uvec limpias(columnas);
    const CalibracionASR copia = calibrarASR(arma::mat(trabajo.cols(limpias)), 256, 5, ctx);
    std::vector<double> fracciones;
    std::set<std::string> etapas;
    arma::mat enSitio = trabajo;
    const CalibracionASR r = calibrarASREnSitio(enSitio, limpias, 256, 5, ctx, Avance([&](double f, const std::string& e) {
                                                    fracciones.push_back(f);
                                                    etapas.insert(e);
                                                }));
    EXPECT_LE(errorRelativo(r.M, copia.M), 1e-12);
    EXPECT_LE(errorRelativo(r.T, copia.T), 1e-12);
    EXPECT_LE(errorRelativo(r.iirstate, copia.iirstate), 1e-12);
    EXPECT_EQ(etapas, std::set<std::string>{"calibrando"});
    ASSERT_FALSE(fracciones.empty());
    EXPECT_TRUE(std::is_sorted(fracciones.begin(), fracciones.end()));
    EXPECT_EQ(fracciones.back(), 1.0);
    arma::mat sinAvance = trabajo;
    const CalibracionASR s = calibrarASREnSitio(sinAvance, limpias, 256, 5, ctx);
    EXPECT_TRUE(arma::approx_equal(s.M, r.M, "absdiff", 0.0) && arma::approx_equal(s.T, r.T, "absdiff", 0.0));
    // Columns out of order or past the end are refused.
    arma::mat otra = trabajo;
    EXPECT_THROW(calibrarASREnSitio(otra, arma::uvec{5, 3}, 256, 5, ctx), std::invalid_argument);
    EXPECT_THROW(calibrarASREnSitio(otra, arma::uvec{trabajo.n_cols}, 256, 5, ctx), std::invalid_argument);
}
