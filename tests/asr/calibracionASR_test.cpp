#include "asr/calibracionASR.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "asr/eliminarDeriva.h"
#include "asr/medianaGeometrica.h"
#include "asr/seleccionVentanasLimpias.h"
#include "asr/ventanasASR.h"
#include "asr/ajusteDistribucion.h"
#include "io/cargarRegistro.h"
#include "lecturaP300.h"
#include "referencias.h"

TEST(VentanasASR, CanalesMalosPermitidos) {
    EXPECT_EQ(canalesMalosPermitidos(8, 0.075), 1u);  // round(0.6)
    EXPECT_EQ(canalesMalosPermitidos(8, 0.0), 2u);    // round(0.2 * 8) = round(1.6)
    EXPECT_EQ(canalesMalosPermitidos(8, 1.0), 2u);
    EXPECT_EQ(canalesMalosPermitidos(32, 0.075), 2u);  // round(2.4)
    EXPECT_EQ(canalesMalosPermitidos(64, 0.5), 32u);
}

// At 256 Hz: selection windows of 256 samples advance 87.04; calibration
// windows of 128 advance 43.52 (offsets 1, 44.52, 88.04, 131.56 rounded).
TEST(VentanasASR, DesplazamientosA256Hz) {
    const arma::uvec sel = iniciosVentanas(1000, 256, 256 * (1 - 0.66));
    ASSERT_GE(sel.n_elem, 4u);
    EXPECT_EQ(sel(1), 87u);   // 88.04 -> 88, 0-based 87
    EXPECT_EQ(sel(2), 174u);  // 175.08 -> 175
    EXPECT_EQ(sel(3), 261u);  // 262.12 -> 262
    EXPECT_LE(sel(sel.n_elem - 1) + 1, 1000u - 256u);
    const arma::uvec cal = iniciosVentanas(10000, 128, (1 - 0.66) * 128);
    EXPECT_EQ(cal(0), 0u);
    EXPECT_EQ(cal(1), 44u);   // 44.52 -> 45
    EXPECT_EQ(cal(2), 87u);   // 88.04 -> 88
    EXPECT_EQ(cal(3), 131u);  // 131.56 -> 132
    EXPECT_TRUE(iniciosVentanas(256, 256, 87.04).is_empty());
    EXPECT_EQ(iniciosVentanas(257, 256, 87.04).n_elem, 1u);
}

TEST(VentanasASR, RMSPorVentana) {
    const arma::vec x = {3, 4, 0, 0, 1, 1};
    // windows [0,2): sqrt((9+16)/2); [2,4): 0; [4,6): 1
    const arma::vec rms = rmsVentanas(x, arma::uvec{0, 2, 4}, 2);
    EXPECT_DOUBLE_EQ(rms(0), std::sqrt(12.5));
    EXPECT_DOUBLE_EQ(rms(1), 0.0);
    EXPECT_DOUBLE_EQ(rms(2), 1.0);
}

TEST(SeleccionVentanas, MarcaSegunLasDosColas) {
    // 4 channels, b = 1: upper test on sorted row 2, lower on sorted row 1.
    const arma::mat z = {{0, 9, 9, -9, 0}, {0, 9, 0, -9, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, -9}};
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, {-3.5, 5.5}) == arma::uvec{0, 1, 0, 1, 0}));
    // Both thresholds positive: the lower tail is not tested.
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, {2.0, 5.5}) == arma::uvec{0, 1, 0, 0, 0}));
    // b >= C: no test has a row to look at.
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 4, {-3.5, 5.5}) == arma::uvec{0, 0, 0, 0, 0}));
    // An empty pair means the defaults.
    EXPECT_TRUE(arma::all(ventanasMarcadas(z, 1, arma::vec()) == arma::uvec{0, 1, 0, 1, 0}));
}

TEST(MedianaGeometrica, PuntosColinealesYAtipicos) {
    // On a line the geometric median is the ordinary median.
    const arma::mat linea = {{0.0, 1.0, 2.0, 10.0, 100.0}};
    EXPECT_NEAR(medianaGeometrica(linea, arma::vec(), 1e-10, 5000)(0), 2.0, 1e-3);
    // Identical points: the median is that point.
    const arma::mat iguales(3, 4, arma::fill::value(2.5));
    EXPECT_TRUE(arma::approx_equal(medianaGeometrica(iguales), arma::vec(3, arma::fill::value(2.5)), "absdiff", 1e-12));
    // Weighted coordinates: weight 2 on one axis equals that axis scaled by sqrt(2).
    arma::arma_rng::set_seed(3);
    const arma::mat p(2, 30, arma::fill::randn);
    arma::mat escalados = p;
    escalados.row(1) *= std::sqrt(2.0);
    const arma::vec a = medianaGeometrica(p, arma::vec{1.0, 2.0});
    const arma::vec b = medianaGeometrica(escalados);
    EXPECT_NEAR(a(0), b(0), 1e-9);
    EXPECT_NEAR(a(1) * std::sqrt(2.0), b(1), 1e-9);
}

TEST(Calibracion, CovarianzaPorBloquesConDiezFases) {
    // 12 samples, 2 channels: 2 blocks; block 1 takes samples 10, 11 and then the last (11) eight times.
    arma::mat X(12, 2);
    for (arma::uword s = 0; s < 12; ++s) {
        X(s, 0) = s + 1.0;
        X(s, 1) = 1.0;
    }
    const arma::mat U = covarianzaBloques(X.t(), 10);
    ASSERT_EQ(U.n_rows, 3u);
    ASSERT_EQ(U.n_cols, 2u);
    // Block 0: samples 1..10: sum x0^2 = 385, sum x0 = 55, sum 1 = 10.
    EXPECT_DOUBLE_EQ(U(0, 0), 385.0);
    EXPECT_DOUBLE_EQ(U(1, 0), 55.0);
    EXPECT_DOUBLE_EQ(U(2, 0), 10.0);
    // Block 1: 11 once, 12 nine times.
    EXPECT_DOUBLE_EQ(U(0, 1), 121.0 + 9 * 144.0);
    EXPECT_DOUBLE_EQ(U(1, 1), 11.0 + 9 * 12.0);
}

namespace {

ContextoASR contextoP300(const EEG& eeg) {
    ContextoASR ctx(eeg, OpcionesASR{});
    eliminarDeriva(ctx);
    seleccionarVentanasLimpias(ctx);
    calibrarASR(ctx);
    return ctx;
}

}  // namespace

TEST(Calibracion, PrimerMinutoDeP300) {
    EEG eeg(256, 8, 60 * 256);
    eeg.matrices[0] = leerP300(60 * 256);
    ASSERT_EQ(eeg.datos().n_cols, 60u * 256u);
    const ContextoASR ctx = contextoP300(eeg);

    const arma::uword C = 8;
    EXPECT_GT(ctx.calibracion.numeroMuestras, 0);
    EXPECT_LE(ctx.calibracion.numeroMuestras, 60 * 256);
    EXPECT_EQ(ctx.calibracion.datos().n_cols, static_cast<arma::uword>(ctx.calibracion.numeroMuestras));
    ASSERT_EQ(ctx.M.n_rows, C);
    ASSERT_EQ(ctx.M.n_cols, C);
    EXPECT_LT(arma::abs(ctx.M - ctx.M.t()).max(), 1e-9 * arma::abs(ctx.M).max());
    const arma::vec valores = arma::eig_sym(arma::symmatu(ctx.M));
    EXPECT_GT(valores.min(), 0.0);
    ASSERT_EQ(ctx.T.n_rows, C);
    ASSERT_EQ(ctx.T.n_cols, C);
    EXPECT_TRUE(ctx.T.is_finite());
    EXPECT_EQ(ctx.B.n_elem, 9u);
    EXPECT_EQ(ctx.A.n_elem, 9u);
    EXPECT_EQ(ctx.iirstate.n_rows, 8u);
    EXPECT_EQ(ctx.iirstate.n_cols, C);
    EXPECT_TRUE(ctx.iirstate.is_finite());

    // Against the step-by-step transcription in Octave (referencia_calibracion.m),
    // whose shaping filter is the reference design (equal to ours within 1e-9).
    EXPECT_EQ(static_cast<double>(ctx.calibracion.numeroMuestras), cargarReferencia("calibracion_p300_limpias.bin")(0, 0));
    EXPECT_LT(errorRelativo(ctx.M, cargarReferencia("calibracion_p300_M.bin")), 1e-7);
    EXPECT_LT(errorRelativo(ctx.T.t() * ctx.T, cargarReferencia("calibracion_p300_TtT.bin")), 1e-7);
    arma::vec umbrales(C);
    for (arma::uword c = 0; c < C; ++c) umbrales(c) = arma::norm(ctx.T.row(c));  // rows of V' have unit norm
    EXPECT_LT(errorRelativo(arma::sort(umbrales), cargarReferencia("calibracion_p300_umbrales.bin")), 1e-7);
    EXPECT_LT(errorRelativo(ctx.iirstate, cargarReferencia("calibracion_p300_iirstate.bin")), 1e-7);

    // The same input gives the same output.
    const ContextoASR otra = contextoP300(eeg);
    EXPECT_TRUE(arma::approx_equal(ctx.M, otra.M, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(ctx.T, otra.T, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(ctx.iirstate, otra.iirstate, "absdiff", 0.0));
}

// The recording reader gives the same first minute as the local reader used above,
// so the calibration figures hold for a loaded recording too.
TEST(Calibracion, LectorDelProgramaDaLosMismosDatos) {
    const EEG eeg = cargarRegistro(std::string(ONDELAR_RAIZ) + "/../shared/data/p300_8ch.dat");
    ASSERT_EQ(eeg.frecuenciaMuestreo, 256);
    ASSERT_GE(eeg.datos().n_cols, 60u * 256u);
    EXPECT_TRUE(arma::approx_equal(eeg.datos().cols(0, 60 * 256 - 1), leerP300(60 * 256), "absdiff", 0.0));
}

// The per-channel fits of clean-window selection, against the Octave transcription.
TEST(SeleccionVentanas, AjustesPorCanalComoEnOctave) {
    EEG eeg(256, 8, 60 * 256);
    eeg.matrices[0] = leerP300(60 * 256);
    const EEG trabajo = eliminarDeriva(eeg);
    const arma::mat esperado = cargarReferencia("calibracion_p300_ajusteSeleccion.bin");
    const arma::uvec inicios = iniciosVentanas(60 * 256, 256, 256 * (1 - 0.66));
    const ContextoASR ctx(eeg, OpcionesASR{});
    for (arma::uword c = 0; c < 8; ++c) {
        double mu, sig;
        ajusteDistribucionRobusta(rmsVentanas(trabajo.datos().row(c).t(), inicios, 256), 0.25, 0.1, ctx, mu, sig);
        EXPECT_NEAR(mu, esperado(c, 0), 1e-9 * std::abs(esperado(c, 0))) << c;
        EXPECT_NEAR(sig, esperado(c, 1), 1e-9 * std::abs(esperado(c, 1))) << c;
    }
}

// Thresholds nobody exceeds keep every sample: S' = S.
TEST(SeleccionVentanas, SinVentanasMalasConservaTodo) {
    EEG eeg(256, 8, 20 * 256);
    eeg.matrices[0] = leerP300(20 * 256);
    ContextoASR ctx(eeg, OpcionesASR{5, 0.075, -1000.0, 1000.0});
    eliminarDeriva(ctx);
    seleccionarVentanasLimpias(ctx);
    EXPECT_EQ(ctx.calibracion.numeroMuestras, 20 * 256);
    EXPECT_TRUE(arma::approx_equal(ctx.calibracion.datos(), ctx.trabajo.datos(), "absdiff", 0.0));
    EXPECT_DOUBLE_EQ(ctx.calibracion.tiempoFin, 19.0);
}

TEST(SeleccionVentanas, Rechazos) {
    // Shorter than one window plus one sample.
    EEG corto(256, 2, 256);
    corto.matrices[0].randn();
    ContextoASR ctxCorto(corto, OpcionesASR{});
    ctxCorto.trabajo = corto;
    EXPECT_THROW(seleccionarVentanasLimpias(ctxCorto), std::invalid_argument);

    // Thresholds so tight that every window is out: nothing is left.
    EEG eeg(256, 8, 20 * 256);
    eeg.matrices[0] = leerP300(20 * 256);
    ContextoASR ctx(eeg, OpcionesASR{5, 0.075, -1e-6, 1e-6});
    eliminarDeriva(ctx);
    try {
        seleccionarVentanasLimpias(ctx);
        ADD_FAILURE() << "debería rechazarse";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("ninguna ventana"), std::string::npos);
    }

    // A NaN in the data.
    EEG conNaN(256, 2, 2000);
    conNaN.matrices[0].randn();
    conNaN.matrices[0](1, 500) = arma::datum::nan;
    ContextoASR ctxNaN(conNaN, OpcionesASR{});
    ctxNaN.trabajo = conNaN;
    EXPECT_THROW(seleccionarVentanasLimpias(ctxNaN), std::invalid_argument);
}

// A flat channel has no spread to fit: refused, naming the channel.
TEST(SeleccionVentanas, CanalPlanoRechazado) {
    arma::arma_rng::set_seed(5);
    EEG eeg(256, 3, 20 * 256);
    eeg.matrices[0].randn();
    eeg.matrices[0].row(1).zeros();
    ContextoASR ctx(eeg, OpcionesASR{});
    ctx.trabajo = eeg;
    try {
        seleccionarVentanasLimpias(ctx);
        ADD_FAILURE() << "debería rechazarse";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("canal 2"), std::string::npos) << e.what();
    }
}

TEST(Calibracion, Rechazos) {
    arma::arma_rng::set_seed(1);
    const arma::mat datos(4, 5000, arma::fill::randn);
    ContextoASR ctx;
    EEG eeg(256, 4, 5000);
    ctx = ContextoASR(eeg, OpcionesASR{});
    EXPECT_THROW(calibrarASR(datos, 81, 5, ctx), std::invalid_argument);   // below 82 Hz
    EXPECT_THROW(calibrarASR(datos.cols(0, 99), 256, 5, ctx), std::invalid_argument);  // no 128-sample window
    EXPECT_THROW(calibrarASR(arma::mat(4, 0), 256, 5, ctx), std::invalid_argument);
    EXPECT_NO_THROW(calibrarASR(datos, 256, 5, ctx));
    ContextoASR sinDatos;
    EXPECT_THROW(calibrarASR(sinDatos), std::invalid_argument);
}
