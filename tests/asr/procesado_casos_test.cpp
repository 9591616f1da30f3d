// Edge cases of the processing stage: the keep rule with maxdims, the running
// covariance across chunks, the chunk count, trivial runs and the end
// extension of a calibrated context.

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "asr/ContextoASR.h"
#include "asr/covarianzaMovil.h"
#include "asr/procesadoASR.h"
#include "asr/reconstruccionASR.h"
#include "asr/reconstruirASR.h"

namespace {

// Covariance with eigenvalues 1, 2, ..., C along a random orthonormal basis.
arma::mat covarianzaConocida(arma::uword C, arma::mat& V) {
    arma::arma_rng::set_seed(7);
    arma::mat Q, Rq;
    arma::qr(Q, Rq, arma::randn(C, C));
    V = Q;
    return Q * arma::diagmat(arma::regspace(1, static_cast<double>(C))) * Q.t();
}

arma::mat escalar(double v) { return arma::mat(1, 1).fill(v); }

// Context whose thresholds nothing exceeds, so that every update is trivial.
ContextoASR contextoHolgado(arma::uword C) {
    ContextoASR ctx;
    ctx.longitudVentanaProcesado = 0.5;
    ctx.M = arma::eye(C, C);
    ctx.T = 1e6 * arma::eye(C, C);
    ctx.B = {1.0};
    ctx.A = {1.0};
    return ctx;
}

}  // namespace

TEST(ReconstruccionASR, TodoPorDebajoDelUmbralEsLaIdentidad) {
    arma::mat V;
    const arma::mat cov = covarianzaConocida(8, V);
    bool trivial = false;
    const arma::mat R = matrizReconstruccion(cov, arma::eye(8, 8), 10 * arma::eye(8, 8), 5, trivial);
    EXPECT_TRUE(trivial);
    EXPECT_TRUE(arma::approx_equal(R, arma::eye(8, 8), "absdiff", 0.0));
}

// Thresholds that every component exceeds: only the forced components stay.
// With M = I, R = Vk Vkᵀ, the projection onto the kept eigenvectors.
TEST(ReconstruccionASR, OchoCanalesConservanDosYQuitanSeis) {
    arma::mat V;
    const arma::mat cov = covarianzaConocida(8, V);
    bool trivial = true;
    const arma::mat R = matrizReconstruccion(cov, arma::eye(8, 8), arma::zeros(8, 8), std::round(8 * 0.66), trivial);
    EXPECT_FALSE(trivial);
    const arma::mat Vk = V.cols(0, 1);  // eigenvalues 1 and 2, the smallest
    EXPECT_LT(arma::abs(R - Vk * Vk.t()).max(), 1e-12);
    EXPECT_EQ(arma::rank(R), 2u);
}

TEST(ReconstruccionASR, TreintaYDosCanalesConservanDiez) {
    arma::mat V;
    const arma::mat cov = covarianzaConocida(32, V);
    bool trivial = true;
    const double maxdims = std::round(32 * 0.66);
    EXPECT_EQ(maxdims, 21);
    const arma::mat R = matrizReconstruccion(cov, arma::eye(32, 32), arma::zeros(32, 32), maxdims, trivial);
    EXPECT_FALSE(trivial);
    const arma::mat Vk = V.cols(0, 9);
    EXPECT_LT(arma::abs(R - Vk * Vk.t()).max(), 1e-12);
}

TEST(ReconstruccionASR, UnCanalPuedeQuitarseEntero) {
    const double maxdims = std::round(1 * 0.66);
    EXPECT_EQ(maxdims, 1);
    bool trivial = true;
    arma::mat R = matrizReconstruccion(escalar(4.0), escalar(2.0), escalar(1.0), maxdims, trivial);
    EXPECT_FALSE(trivial);
    EXPECT_EQ(R(0, 0), 0.0);
    // Below the threshold (4 < 3²) it stays.
    R = matrizReconstruccion(escalar(4.0), escalar(2.0), escalar(3.0), maxdims, trivial);
    EXPECT_TRUE(trivial);
    EXPECT_EQ(R(0, 0), 1.0);
}

// A removed component is rebuilt from the others through M: with
// M = [1 0.5; 0.5 1] and the large eigen-direction removed, R maps onto the
// range of M times the kept direction; R is idempotent on that subspace.
TEST(ReconstruccionASR, RconMezclaNoIdentidad) {
    const arma::mat cov = {{10.0, 9.0}, {9.0, 10.0}};  // eigenvalues 1 and 19
    const arma::mat M = {{1.0, 0.5}, {0.5, 1.0}};
    bool trivial = true;
    const arma::mat R = matrizReconstruccion(cov, M, arma::eye(2, 2) * 2, 0, trivial);
    EXPECT_FALSE(trivial);
    // Kept v = [1 -1]/√2: R = M pinv(vᵀ M) vᵀ; vᵀ M = [0.5 -0.5]/√2, its
    // pseudo-inverse √2 [1 -1]ᵀ, so R = M [1 -1]ᵀ [1 -1] = 0.5 [1 -1; -1 1].
    const arma::mat esperado = 0.5 * arma::mat{{1.0, -1.0}, {-1.0, 1.0}};
    EXPECT_LT(arma::abs(R - esperado).max(), 1e-14);
}

TEST(ReconstruccionASR, CovarianzaNoFinitaSeRechaza) {
    bool trivial;
    arma::mat cov = arma::eye(3, 3);
    cov(1, 1) = arma::datum::nan;
    EXPECT_THROW(matrizReconstruccion(cov, arma::eye(3, 3), arma::eye(3, 3), 2, trivial), std::runtime_error);
    EXPECT_THROW(matrizReconstruccion(arma::eye(3, 3), arma::eye(2, 2), arma::eye(3, 3), 2, trivial),
                 std::invalid_argument);
}

// The running covariance equals the plain mean of the last N outer products
// (zeros before the start), and cutting the signal into chunks of any length,
// even shorter than N, gives the same numbers to rounding.
TEST(CovarianzaMovil, IgualALaMediaDirectaYAlTrocear) {
    arma::arma_rng::set_seed(3);
    const arma::uword C = 3, N = 5, L = 23;
    const arma::mat X = arma::randn(C, L);
    std::vector<arma::uword> todos(L);
    for (arma::uword t = 0; t < L; ++t) todos[t] = t + 1;

    std::vector<arma::mat> entero;
    CovarianzaMovil a(C, N);
    a.avanzar(X, todos, [&](std::size_t, const arma::mat& c) { entero.push_back(c); });
    ASSERT_EQ(entero.size(), L);
    for (arma::uword t = 0; t < L; ++t) {
        arma::mat directa(C, C, arma::fill::zeros);
        for (arma::uword k = (t + 1 >= N ? t + 1 - N : 0); k <= t; ++k) directa += X.col(k) * X.col(k).t();
        directa /= static_cast<double>(N);
        EXPECT_LT(arma::abs(entero[t] - directa).max(), 1e-13) << t;
        EXPECT_TRUE(entero[t].is_symmetric());
    }

    std::vector<arma::mat> troceado;
    CovarianzaMovil b(C, N);
    arma::uword inicio = 0;
    for (arma::uword largo : {2u, 7u, 1u, 4u, 9u}) {
        std::vector<arma::uword> puntos(largo);
        for (arma::uword t = 0; t < largo; ++t) puntos[t] = t + 1;
        b.avanzar(X.cols(inicio, inicio + largo - 1), puntos,
                  [&](std::size_t, const arma::mat& c) { troceado.push_back(c); });
        inicio += largo;
    }
    ASSERT_EQ(troceado.size(), L);
    for (arma::uword t = 0; t < L; ++t) EXPECT_LT(arma::abs(troceado[t] - entero[t]).max(), 1e-13) << t;
}

TEST(CovarianzaMovil, PuntosFueraDelTrozoSeRechazan) {
    CovarianzaMovil a(2, 3);
    const arma::mat X(2, 4, arma::fill::ones);
    auto nada = [](std::size_t, const arma::mat&) {};
    EXPECT_THROW(a.avanzar(X, {5}, nada), std::invalid_argument);
    EXPECT_THROW(a.avanzar(X, {0}, nada), std::invalid_argument);
    EXPECT_THROW(a.avanzar(arma::mat(3, 4, arma::fill::ones), {1}, nada), std::invalid_argument);
    EXPECT_THROW(CovarianzaMovil(0, 3), std::invalid_argument);
}

// 8 channels, S = 1000, stepsize 64, P = 64:
// numerator 64·1000·64 + 64·8·1000/64 + 8·1000·16 + 1000·40
//   = 4096000 + 8000 + 128000 + 40000 = 4272000;
// carried state C² P 24 = 64·64·24 = 98304 bytes.
// 1 GB free: 4272000 / (5e8 - 98304) -> ceil(0.0085) = 1.
// 10 MB free: 4272000 / (5e6 - 98304) = 0.87 -> 1; 1 MB free: 4272000 / 401696 = 10.6 -> 11.
TEST(NumeroTrozosASR, FormulaYLimites) {
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 1e9), 1u);
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 1e7), 1u);
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 1e6), 11u);
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 0.0), 1u);            // no room at all
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 2 * 98304.0), 1u);    // denominator exactly 0
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, 2 * 98304.0 + 2), 1000u);  // clipped to S
    EXPECT_EQ(numeroTrozosASR(8, 1000, 64, 64, arma::datum::inf), 1u);
}

// When nothing exceeds the thresholds the output is the input with the
// reflected prefix, bit for bit, whatever the chunking.
TEST(ProcesadoASR, SinArtefactosDevuelveLaEntrada) {
    arma::arma_rng::set_seed(11);
    const arma::mat x = arma::randn(4, 300);
    for (double memoria : {1e12, 3e5}) {
        ContextoASR ctx = contextoHolgado(4);
        const arma::mat y = procesarASR(x, 128, 32, ctx, memoria);
        ASSERT_EQ(y.n_rows, 4u);
        ASSERT_EQ(y.n_cols, 300u);
        // P = 32: columns 0..31 are 2 x_1 - x_j for j = 33 down to 2 (1-based).
        for (arma::uword j = 0; j < 32; ++j)
            EXPECT_TRUE(arma::approx_equal(y.col(j), 2 * x.col(0) - x.col(32 - j), "absdiff", 0.0)) << j;
        EXPECT_TRUE(arma::approx_equal(y.cols(32, 299), x.cols(0, 267), "absdiff", 0.0));
    }
}

TEST(ProcesadoASR, ValoresNoFinitosCuentanComoCero) {
    arma::mat x(2, 200, arma::fill::ones);
    x(0, 50) = arma::datum::nan;
    x(1, 60) = -arma::datum::inf;
    ContextoASR ctx = contextoHolgado(2);
    const arma::mat y = procesarASR(x, 128, 32, ctx, 1e12);
    EXPECT_TRUE(y.is_finite());
    EXPECT_EQ(y(0, 50 + 32), 0.0);
    EXPECT_EQ(y(1, 60 + 32), 0.0);
}

TEST(ProcesadoASR, ElFiltroContinuaDesdeSuEstado) {
    ContextoASR ctx = contextoHolgado(3);
    ctx.B = {0.5, 0.5};
    ctx.A = {1.0, -0.2};
    ctx.iirstate = arma::mat(1, 3, arma::fill::ones);
    const arma::mat x = arma::ones(3, 100);
    procesarASR(x, 128, 32, ctx, 1e12);
    EXPECT_EQ(ctx.iirstate.n_rows, 1u);
    EXPECT_EQ(ctx.iirstate.n_cols, 3u);
    EXPECT_FALSE(arma::approx_equal(ctx.iirstate, arma::mat(1, 3, arma::fill::ones), "absdiff", 1e-6));
}

TEST(ProcesadoASR, EntradasNoValidasSeRechazan) {
    ContextoASR ctx = contextoHolgado(2);
    EXPECT_THROW(procesarASR(arma::mat(), 128, 32, ctx, 1e9), std::invalid_argument);
    EXPECT_THROW(procesarASR(arma::ones(2, 100), 128, 0, ctx, 1e9), std::invalid_argument);
    EXPECT_THROW(procesarASR(arma::ones(3, 100), 128, 32, ctx, 1e9), std::invalid_argument);
}

namespace {

ContextoASR contextoCalibrado(arma::uword C, arma::uword S, int srate) {
    EEG entrada(srate, static_cast<uint32_t>(C), static_cast<int64_t>(S));
    arma::arma_rng::set_seed(5);
    entrada.matrices[0] = arma::randn(C, S);
    ContextoASR ctx(entrada, OpcionesASR{});
    ctx.entrada = nullptr;
    ctx.trabajo = derivarEEG(entrada, entrada.datos());
    ctx.M = arma::eye(C, C);
    ctx.T = 1e6 * arma::eye(C, C);
    ctx.B = {1.0};
    ctx.A = {1.0};
    return ctx;
}

}  // namespace

// The result has exactly the working branch's channels and samples; with no
// artefact it is the working data itself.
TEST(ReconstruirASR, MismosCanalesYMuestras) {
    ContextoASR ctx = contextoCalibrado(8, 1000, 256);
    EXPECT_EQ(muestrasAnticipacionASR(ctx), 64);
    const EEG r = reconstruirASR(ctx, 1e12);
    EXPECT_EQ(r.numeroCanales, 8u);
    EXPECT_EQ(r.numeroMuestras, 1000);
    EXPECT_EQ(r.frecuenciaMuestreo, 256);
    ASSERT_EQ(r.datos().n_rows, 8u);
    ASSERT_EQ(r.datos().n_cols, 1000u);
    EXPECT_TRUE(arma::approx_equal(r.datos(), ctx.trabajo.datos(), "absdiff", 0.0));
}

// 8 channels at 256 Hz: wl = 0.5 s, P = 64; 64 samples are refused, 65 accepted.
TEST(ReconstruirASR, RegistroNoMasLargoQuePSeRechaza) {
    ContextoASR corto = contextoCalibrado(8, 64, 256);
    try {
        reconstruirASR(corto, 1e12);
        FAIL() << "debía rechazarse";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "El registro es demasiado corto para ASR: tiene 64 muestras por canal y necesita más de 64.");
    }
    ContextoASR justo = contextoCalibrado(8, 65, 256);
    EXPECT_EQ(reconstruirASR(justo, 1e12).datos().n_cols, 65u);
}

// 32 channels at 64 Hz: wl = max(0.5, 0.75) = 0.75 s, P = 24, N = 48.
TEST(ReconstruirASR, VentanaMasLargaConMuchosCanales) {
    ContextoASR ctx = contextoCalibrado(32, 500, 64);
    EXPECT_DOUBLE_EQ(ctx.longitudVentanaProcesado, 0.75);
    EXPECT_EQ(muestrasAnticipacionASR(ctx), 24);
    EXPECT_EQ(reconstruirASR(ctx, 1e12).datos().n_cols, 500u);
}
