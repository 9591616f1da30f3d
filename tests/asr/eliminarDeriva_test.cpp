#include "asr/eliminarDeriva.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "asr/convolucionCausal.h"
#include "referencias.h"

namespace {

// Each method, and the automatic choice, against Octave's output.
void compararConOctave(const std::string& caso, int32_t srate) {
    const arma::mat entrada = cargarReferencia(caso + "_entrada.bin");
    const arma::mat esperada = cargarReferencia(caso + "_salida.bin");
    for (MetodoConvolucion metodo :
         {MetodoConvolucion::automatico, MetodoConvolucion::directo, MetodoConvolucion::fft}) {
        const arma::mat salida = eliminarDeriva(entrada, srate, metodo);
        ASSERT_EQ(salida.n_rows, entrada.n_rows);
        ASSERT_EQ(salida.n_cols, entrada.n_cols);
        EXPECT_LT(errorRelativo(salida, esperada), 1e-10) << caso << " método " << static_cast<int>(metodo);
    }
}

}  // namespace

TEST(EliminarDeriva, NumeroDeCoeficientes) {
    EXPECT_EQ(nucleoDeriva(256).n_elem, 1287u);
    EXPECT_EQ(nucleoDeriva(250).n_elem, 1257u);
    EXPECT_EQ(nucleoDeriva(500).n_elem, 2511u);
    EXPECT_EQ(nucleoDeriva(100).n_elem, 503u);
}

TEST(EliminarDeriva, NucleoIgualQueOctave) {
    for (int32_t srate : {100, 250, 256, 500})
        EXPECT_LT(errorRelativo(nucleoDeriva(srate), cargarReferencia("nucleo_" + std::to_string(srate) + ".bin")),
                  1e-12)
            << srate;
}

TEST(EliminarDeriva, VariosCanalesIgualQueOctave) {
    compararConOctave("deriva_100", 100);
    compararConOctave("deriva_250", 250);
    compararConOctave("deriva_256", 256);
    compararConOctave("deriva_500", 500);  // 2600 samples, shorter than the 2511-tap kernel doubled
}

TEST(EliminarDeriva, UnCanalIgualQueOctave) { compararConOctave("deriva_256_1canal", 256); }

// 300 samples against 1287 taps, and 7 samples against 503: the reflections wrap.
TEST(EliminarDeriva, RegistroMasCortoQueElNucleo) {
    compararConOctave("deriva_256_corta", 256);
    compararConOctave("deriva_100_minima", 100);
}

TEST(EliminarDeriva, DosVecesDaLoMismo) {
    const arma::mat entrada = cargarReferencia("deriva_256_entrada.bin");
    EXPECT_TRUE(arma::approx_equal(eliminarDeriva(entrada, 256), eliminarDeriva(entrada, 256), "absdiff", 0.0));
}

// The high-pass removes a constant offset and keeps a 10 Hz sine.
TEST(EliminarDeriva, QuitaLaContinuaYConservaLaSenal) {
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, 2559) / 256.0;
    arma::mat x(1, t.n_elem);
    x.row(0) = 100.0 + arma::sin(2 * M_PI * 10 * t);
    const arma::mat y = eliminarDeriva(x, 256);
    const arma::rowvec centro = y.row(0).cols(256, 2303);
    EXPECT_LT(std::abs(arma::mean(centro)), 0.02);  // 80 dB: 100 becomes about 0.01
    EXPECT_NEAR(arma::max(centro), 1.0, 0.03);
}

TEST(EliminarDeriva, SinMuestrasNiCanales) {
    EXPECT_EQ(eliminarDeriva(arma::mat(0, 100), 256).n_rows, 0u);
    EXPECT_EQ(eliminarDeriva(arma::mat(3, 0), 256).n_cols, 0u);
}

TEST(EliminarDeriva, RechazaFrecuenciaDeUnHercio) {
    EXPECT_THROW(nucleoDeriva(1), std::invalid_argument);
    EXPECT_THROW(nucleoDeriva(0), std::invalid_argument);
    EXPECT_NO_THROW(nucleoDeriva(2));
}

TEST(EliminarDeriva, RegistroDerivadoYContexto) {
    EEG eeg(256, 2, 1200);
    eeg.matrices[0] = cargarReferencia("deriva_256_entrada.bin").rows(0, 1);
    const EEG filtrado = eliminarDeriva(eeg);
    EXPECT_EQ(filtrado.numeroCanales, 2u);
    EXPECT_EQ(filtrado.numeroMuestras, 1200);
    EXPECT_LT(errorRelativo(filtrado.datos(), cargarReferencia("deriva_256_salida.bin").rows(0, 1)), 1e-10);

    ContextoASR ctx(eeg, OpcionesASR{});
    eliminarDeriva(ctx);
    EXPECT_TRUE(arma::approx_equal(ctx.trabajo.datos(), filtrado.datos(), "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(eeg.datos(), cargarReferencia("deriva_256_entrada.bin").rows(0, 1), "absdiff", 0.0));

    ContextoASR vacio;
    EXPECT_THROW(eliminarDeriva(vacio), std::invalid_argument);
    EXPECT_THROW(eliminarDeriva(EEG()), std::invalid_argument);
}

// Both convolution methods give the same causal convolution, for lengths
// around the block size and for an odd number of columns.
TEST(ConvolucionCausal, FFTIgualQueDirecta) {
    arma::arma_rng::set_seed(6);
    const arma::vec b = nucleoDeriva(256);
    for (arma::uword L : {1u, 100u, 1286u, 1287u, 9000u}) {
        const arma::mat X(L, 3, arma::fill::randn);
        const arma::mat directa = convolucionCausalDirecta(b, X);
        EXPECT_LT(errorRelativo(convolucionCausalFFT(b, X), directa), 1e-10) << L;
        EXPECT_LT(errorRelativo(convolucionCausal(b, X), directa), 1e-10) << L;
    }
    const arma::vec corto = {0.5, -1.0, 2.0};
    const arma::mat X = arma::vec{1.0, 2.0, 3.0, 4.0};
    // y = [0.5, 1 - 1, 1.5 - 2 + 2, 2 - 3 + 4] = [0.5, 0, 1.5, 3]
    const arma::mat esperada = arma::vec{0.5, 0.0, 1.5, 3.0};
    EXPECT_LT(errorRelativo(convolucionCausalDirecta(corto, X), esperada), 1e-15);
    EXPECT_LT(errorRelativo(convolucionCausalFFT(corto, X), esperada), 1e-14);
}

TEST(TransformadaFourier, IgualQueLaDeArmadilloEIdaYVuelta) {
    arma::arma_rng::set_seed(11);
    for (std::size_t n : {1u, 2u, 8u, 1024u}) {
        const arma::cx_vec x(n, arma::fill::randn);
        arma::cx_vec y = x;
        const PlanFFT plan(n);
        plan.directa(y.memptr());
        EXPECT_LT(arma::abs(y - arma::fft(x)).max(), 1e-12 * std::max(1.0, arma::abs(x).max() * n)) << n;
        plan.inversa(y.memptr());
        EXPECT_LT(arma::abs(y - x).max(), 1e-13) << n;
    }
    EXPECT_THROW(PlanFFT(12), std::invalid_argument);
    EXPECT_THROW(PlanFFT(0), std::invalid_argument);
}

// Complex input: real and imaginary parts are filtered independently.
TEST(ConvolucionCausal, ParComplejoComoDosSenales) {
    arma::arma_rng::set_seed(12);
    const arma::vec b(300, arma::fill::randn);
    const arma::mat X(5000, 2, arma::fill::randn);
    ConvolucionFFT conv(b);
    std::vector<std::complex<double>> x(5000), y(5000);
    for (arma::uword i = 0; i < 5000; ++i) x[i] = {X(i, 0), X(i, 1)};
    conv.aplicar(x.data(), y.data(), 5000);
    const arma::mat directa = convolucionCausalDirecta(b, X);
    arma::mat Y(5000, 2);
    for (arma::uword i = 0; i < 5000; ++i) Y.row(i) = arma::rowvec{y[i].real(), y[i].imag()};
    EXPECT_LT(errorRelativo(Y, directa), 1e-12);
    EXPECT_THROW(ConvolucionFFT(arma::vec()), std::invalid_argument);
}
