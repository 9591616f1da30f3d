// The processing stage against reference outputs that core GNU Octave made by
// running the set-up and loop statements verbatim with a fixed free-memory
// figure (tests/data/asr/procesado/generar_referencias.m), and its edge cases.
#include <cmath>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "asr/ContextoASR.h"
#include "asr/covarianzaMovil.h"
#include "asr/procesadoASR.h"
#include "asr/reconstruccionASR.h"
#include "asr/reconstruirASR.h"
#include "referencias.h"

namespace {

// Thresholds nothing exceeds, so that every update is trivial.
ContextoASR holgado(arma::uword C, ContextoASR ctx = {}) {
    ctx.M = arma::eye(C, C);
    ctx.T = 1e6 * arma::eye(C, C);
    ctx.B = ctx.A = arma::vec{1.0};
    return ctx;
}

// The same over a working branch of C x S random samples at `srate`.
ContextoASR contextoCalibrado(arma::uword C, arma::uword S, int srate) {
    EEG entrada(srate, static_cast<uint32_t>(C), static_cast<int64_t>(S));
    arma::arma_rng::set_seed(5);
    entrada.matrices[0] = arma::randn(C, S);
    ContextoASR ctx(entrada, OpcionesASR{});
    ctx.entrada = nullptr;
    ctx.trabajo = derivarEEG(entrada, entrada.datos());
    return holgado(C, ctx);
}

}  // namespace

TEST(ProcesadoASR, IgualQueOctaveConUnoYVariosTrozos) {
    for (const std::string caso : {"c1", "c8", "c32"})
        for (const std::string variante : {"1", "2"}) {
            const std::string prefijo = "procesado/" + caso + "_" + variante;
            std::ifstream f(ONDELAR_RAIZ "/tests/data/asr/" + prefijo + "_param.txt");
            double srate, wl, N, P, stepsize, maxdims, memoria, splits;
            ASSERT_TRUE(f >> srate >> wl >> N >> P >> stepsize >> maxdims >> memoria >> splits) << prefijo;
            const arma::mat datos = cargarReferencia("procesado/" + caso + "_datos.bin");
            const arma::mat referencia = cargarReferencia(prefijo + "_salida.bin");
            ContextoASR ctx;
            ctx.longitudVentanaProcesado = wl;
            ctx.M = cargarReferencia("procesado/" + caso + "_M.bin");
            ctx.T = cargarReferencia("procesado/" + caso + "_T.bin");
            ctx.B = arma::vectorise(cargarReferencia("procesado/" + caso + "_B.bin"));
            ctx.A = arma::vectorise(cargarReferencia("procesado/" + caso + "_A.bin"));
            ctx.iirstate = cargarReferencia("procesado/" + caso + "_iirstate.bin");
            EXPECT_EQ(std::round(datos.n_rows * 0.66), maxdims);
            EXPECT_EQ(numeroTrozosASR(datos.n_rows, datos.n_cols, P, stepsize, memoria), splits) << prefijo;
            EXPECT_LT(errorRelativo(procesarASR(datos, int(srate), int(stepsize), ctx, memoria), referencia), 1e-9)
                << prefijo;
            // The reference does reconstruct something: outside the reflected prefix
            // the output differs clearly from the (finite) input in places.
            arma::mat entrada = datos.cols(0, datos.n_cols - arma::uword(P) - 1);
            entrada.transform([](double v) { return std::isfinite(v) ? v : 0.0; });
            EXPECT_GT(arma::abs(referencia.tail_cols(entrada.n_cols) - entrada).max(), 1.0) << prefijo;
        }
}

TEST(ReconstruccionASR, ReglaDeConservacionConMaxdims) {
    // Covariance with eigenvalues 1, 2, ..., C along a random orthonormal basis V,
    // and thresholds every component exceeds: only the forced components stay,
    // the smallest C - maxdims - 1, and with M = I, R = Vk Vkᵀ.
    for (auto [C, conservadas] : {std::pair<arma::uword, arma::uword>{8, 2}, {32, 10}}) {
        const double maxdims = std::round(C * 0.66);  // 5 and 21
        arma::arma_rng::set_seed(7);
        arma::mat V, Rq;
        arma::qr(V, Rq, arma::randn(C, C));
        const arma::mat cov = V * arma::diagmat(arma::regspace(1, double(C))) * V.t();
        bool trivial = true;
        const arma::mat R = matrizReconstruccion(cov, arma::eye(C, C), arma::zeros(C, C), maxdims, trivial);
        EXPECT_FALSE(trivial);
        const arma::mat Vk = V.head_cols(conservadas);
        EXPECT_LT(arma::abs(R - Vk * Vk.t()).max(), 1e-12) << C;
        // Below every threshold: the identity.
        EXPECT_TRUE(arma::approx_equal(matrizReconstruccion(cov, arma::eye(C, C), 10 * arma::eye(C, C), maxdims, trivial),
                                       arma::eye(C, C), "absdiff", 0.0));
        EXPECT_TRUE(trivial);
    }
    // One channel, maxdims round(0.66) = 1: it can go whole (4 > 1²), or stay (4 < 3²).
    bool trivial = true;
    EXPECT_EQ(matrizReconstruccion(arma::mat{4.0}, arma::mat{2.0}, arma::mat{1.0}, 1, trivial)(0, 0), 0.0);
    EXPECT_EQ(matrizReconstruccion(arma::mat{4.0}, arma::mat{2.0}, arma::mat{3.0}, 1, trivial)(0, 0), 1.0);
    // M = [1 0.5; 0.5 1], the large eigen-direction of cov removed, kept v = [1 -1]/√2:
    // vᵀ M = [0.5 -0.5]/√2, its pseudo-inverse √2 [1 -1]ᵀ, so R = M [1 -1]ᵀ [1 -1] = 0.5 [1 -1; -1 1].
    const arma::mat R = matrizReconstruccion(arma::mat{{10.0, 9.0}, {9.0, 10.0}}, arma::mat{{1.0, 0.5}, {0.5, 1.0}},
                                             2 * arma::eye(2, 2), 0, trivial);
    EXPECT_LT(arma::abs(R - 0.5 * arma::mat{{1.0, -1.0}, {-1.0, 1.0}}).max(), 1e-14);
    // A singular M (calibration data of low rank, as after a common average
    // reference): R is still M pinv(Vkᵀ M) Vkᵀ, with pinv's own truncation.
    {
        arma::arma_rng::set_seed(11);
        const arma::mat A = arma::randn(6, 3);
        const arma::mat M = A * A.t();  // rank 3: Vkᵀ M, 4 x 6, has rank 3
        arma::mat V, Rv;
        arma::qr(V, Rv, arma::randn(6, 6));
        const arma::mat c = V * arma::diagmat(arma::vec{0.5, 0.5, 0.5, 0.5, 50, 60}) * V.t();
        const arma::mat Rs = matrizReconstruccion(c, M, arma::eye(6, 6), 6, trivial);
        EXPECT_FALSE(trivial);
        const arma::mat Vk = V.head_cols(4);
        EXPECT_LT(arma::abs(Rs - M * arma::pinv(Vk.t() * M) * Vk.t()).max(), 1e-9 * arma::abs(M).max());
    }
    arma::mat cov = arma::eye(3, 3);
    cov(1, 1) = arma::datum::nan;
    EXPECT_THROW(matrizReconstruccion(cov, arma::eye(3, 3), arma::eye(3, 3), 2, trivial), std::runtime_error);
    EXPECT_THROW(matrizReconstruccion(arma::eye(3, 3), arma::eye(2, 2), arma::eye(3, 3), 2, trivial),
                 std::invalid_argument);
}

TEST(ProcesadoASR, NumeroDeTrozos) {
    // 8 channels, S = 1000, stepsize 64, P = 64: numerator 64·1000·64 + 64·8·1000/64
    // + 8·1000·16 + 1000·40 = 4272000; carried state C² P 24 = 98304 bytes.
    // 1 MB free: 4272000 / (5e5 - 98304) = 10.6 -> 11; 10 MB free: 0.87 -> 1.
    for (auto [memoria, trozos] : {std::pair{1e9, 1u}, {1e7, 1u}, {1e6, 11u}, {0.0, 1u},  // no room at all
                                   {2 * 98304.0, 1u},                                     // denominator exactly 0
                                   {2 * 98304.0 + 2, 1000u},                              // clipped to S
                                   {arma::datum::inf, 1u}})
        EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, memoria), trozos) << memoria;
}

TEST(ProcesadoASR, EntradasImposiblesSeRechazan) {
    // The reflected prefix and non-finite values are in the Octave references.
    ContextoASR ctx = holgado(2);
    EXPECT_THROW(procesarASR(arma::mat(), 128, 32, ctx, 1e9), std::invalid_argument);
    EXPECT_THROW(procesarASR(arma::ones(2, 100), 128, 0, ctx, 1e9), std::invalid_argument);
    EXPECT_THROW(procesarASR(arma::ones(3, 100), 128, 32, ctx, 1e9), std::invalid_argument);
    const auto nada = [](std::size_t, const arma::mat&) {};
    CovarianzaMovil c(2, 3);
    EXPECT_THROW(c.avanzar(arma::ones(2, 4), {5}, nada), std::invalid_argument);  // points outside the chunk
    EXPECT_THROW(c.avanzar(arma::ones(2, 4), {0}, nada), std::invalid_argument);
    EXPECT_THROW(c.avanzar(arma::ones(3, 4), {1}, nada), std::invalid_argument);
    EXPECT_THROW(CovarianzaMovil(0, 3), std::invalid_argument);
}

TEST(ReconstruirASR, MismosCanalesYMuestrasYRegistroDemasiadoCorto) {
    // 8 channels at 256 Hz: wl = 0.5 s, P = 64; with no artefact the result is the working data.
    ContextoASR ctx = contextoCalibrado(8, 1000, 256);
    EXPECT_EQ(muestrasAnticipacionASR(ctx), 64);
    const EEG r = reconstruirASR(ctx, 1e12);
    EXPECT_EQ(r.numeroCanales, 8u);
    EXPECT_EQ(r.numeroMuestras, 1000);
    EXPECT_TRUE(arma::approx_equal(r.datos(), ctx.trabajo.datos(), "absdiff", 0.0));
    // 64 samples are refused, 65 accepted.
    ContextoASR corto = contextoCalibrado(8, 64, 256);
    EXPECT_EQ(prueba::capturar([&] { reconstruirASR(corto, 1e12); }).excepcion,
              "El registro es demasiado corto para ASR: tiene 64 muestras por canal y necesita más de 64.");
    ContextoASR justo = contextoCalibrado(8, 65, 256);
    EXPECT_EQ(reconstruirASR(justo, 1e12).datos().n_cols, 65u);
    // 32 channels at 64 Hz: wl = max(0.5, 0.75) = 0.75 s, P = 24.
    ContextoASR muchos = contextoCalibrado(32, 500, 64);
    EXPECT_DOUBLE_EQ(muchos.longitudVentanaProcesado, 0.75);
    EXPECT_EQ(muestrasAnticipacionASR(muchos), 24);
    EXPECT_EQ(reconstruirASR(muchos, 1e12).datos().n_cols, 500u);
}
