// The filter object: impulse response, state kept between calls and rows,
// copies that run independently, and the row-by-row matrix filtering.
#include <gtest/gtest.h>

#include "dsp/fir/fir.h"

namespace {

FiltroFIR filtroDe(const arma::vec& b) {
    FiltroFIR f;
    prepararFiltroFIR(f, b);
    return f;
}

// Direct y[n] = sum_k b[k] x[n-k] over one long stream, zero before it.
arma::vec convolucionDirecta(const arma::vec& b, const arma::vec& x) {
    arma::vec y(x.n_elem, arma::fill::zeros);
    for (arma::uword n = 0; n < x.n_elem; ++n)
        for (arma::uword k = 0; k < b.n_elem && k <= n; ++k) y(n) += b(k) * x(n - k);
    return y;
}

}  // namespace

TEST(FiltroFIR, RespuestaAlImpulsoSonLosCoeficientes) {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "BANDPASS");
    arma::vec impulso(30, arma::fill::zeros);
    impulso(0) = 1.0;
    const arma::vec y = filtrarFIR(f, impulso);
    ASSERT_EQ(y.n_elem, 30u);
    for (arma::uword k = 0; k < 19; ++k) EXPECT_EQ(y(k), f.coeficientes(k)) << k;
    for (arma::uword k = 19; k < 30; ++k) EXPECT_EQ(y(k), 0.0) << k;
}

TEST(FiltroFIR, EjemploPequenoCalculadoAMano) {
    // b = [1, 2, 3], x = [1, 1, 1, 0]: y = [1, 3, 6, 5].
    FiltroFIR f = filtroDe({1.0, 2.0, 3.0});
    const arma::vec y = filtrarFIR(f, arma::vec{1.0, 1.0, 1.0, 0.0});
    EXPECT_TRUE(arma::approx_equal(y, arma::vec{1.0, 3.0, 6.0, 5.0}, "absdiff", 0.0));
    // Then x = [0, 0]: the tail of the first call, 3 * 1 + 2 * 0 ... = [3, 0].
    const arma::vec y2 = filtrarFIR(f, arma::vec{0.0, 0.0});
    EXPECT_TRUE(arma::approx_equal(y2, arma::vec{3.0, 0.0}, "absdiff", 0.0));
}

TEST(FiltroFIR, LlamadasSucesivasEquivalenAUnaSola) {
    arma::arma_rng::set_seed(7);
    const arma::vec x = arma::randn(200);
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, "LOW");
    FiltroFIR g = f;
    const arma::vec entero = filtrarFIR(f, x);
    // One call per statement: the calls must run in this order.
    const arma::vec p1 = filtrarFIR(g, x.subvec(0, 4));
    const arma::vec p2 = filtrarFIR(g, x.subvec(5, 120));
    const arma::vec p3 = filtrarFIR(g, x.subvec(121, 199));
    const arma::vec partes = arma::join_cols(p1, p2, p3);
    EXPECT_TRUE(arma::approx_equal(entero, partes, "absdiff", 0.0));
    EXPECT_LE(arma::abs(entero - convolucionDirecta(f.coeficientes, x)).max(), 1e-14);
    EXPECT_EQ(f.posicion, g.posicion);
}

TEST(FiltroFIR, LaCopiaLlevaElEstadoYSigueAparte) {
    FiltroFIR f = filtroDe({0.5, 0.25, 0.25});
    filtrarFIR(f, arma::vec{4.0, 8.0});
    FiltroFIR copia = f;
    FiltroFIR asignada;
    asignada = f;
    EXPECT_EQ(copia.posicion, f.posicion);
    EXPECT_TRUE(arma::approx_equal(copia.estado, f.estado, "absdiff", 0.0));
    // Both continue from x[-1] = 8, x[-2] = 4: y = 0.5*0 + 0.25*8 + 0.25*4 = 3.
    EXPECT_EQ(filtrarFIR(copia, arma::vec{0.0})(0), 3.0);
    EXPECT_EQ(filtrarFIR(asignada, arma::vec{0.0})(0), 3.0);
    // The original has not moved.
    EXPECT_EQ(filtrarFIR(f, arma::vec{0.0})(0), 3.0);
}

TEST(FiltroFIR, EntradaVaciaNoCambiaNada) {
    FiltroFIR f = filtroDe({1.0, 1.0});
    EXPECT_EQ(filtrarFIR(f, arma::vec()).n_elem, 0u);
    EXPECT_EQ(f.posicion, 0u);
}

TEST(FiltroFIR, FiltroInconsistenteSeRechaza) {
    FiltroFIR f = filtroDe({1.0, 1.0});
    f.posicion = 5;
    EXPECT_THROW(filtrarFIR(f, arma::vec{1.0}), std::invalid_argument);
    f = filtroDe({1.0, 1.0});
    f.estado.zeros(1);
    EXPECT_THROW(filtrarFilasFIR(f, arma::mat(2, 2, arma::fill::ones)), std::invalid_argument);
}

TEST(FiltrarFilasFIR, IgualQueFilaAFilaConElEstadoArrastrado) {
    arma::arma_rng::set_seed(11);
    FiltroFIR diseno;
    disenarFiltroFIR(diseno, 1.0, 40.0, 256, 60, "BANDPASS");
    // Long rows, rows shorter than the filter, a single sample, one channel.
    for (const auto& [canales, muestras] : std::vector<std::pair<arma::uword, arma::uword>>{
             {5, 300}, {7, 10}, {3, 18}, {4, 19}, {6, 1}, {1, 50}, {64, 40}}) {
        const arma::mat x = arma::randn(canales, muestras);
        FiltroFIR porFilas = diseno;
        arma::mat esperado(canales, muestras);
        for (arma::uword c = 0; c < canales; ++c) esperado.row(c) = filtrarFIR(porFilas, x.row(c).t()).t();
        FiltroFIR rapido = diseno;
        const arma::mat y = filtrarFilasFIR(rapido, x);
        EXPECT_TRUE(arma::approx_equal(y, esperado, "absdiff", 0.0)) << canales << " x " << muestras;
        // Same final state, so a following matrix continues identically.
        EXPECT_EQ(rapido.posicion, porFilas.posicion);
        EXPECT_TRUE(arma::approx_equal(rapido.estado, porFilas.estado, "absdiff", 0.0));
    }
}

TEST(FiltrarFilasFIR, LaSegundaFilaEmpiezaConLaColaDeLaPrimera) {
    // The rows form one stream: row 1's first outputs use row 0's last samples.
    const arma::vec b{0.5, 0.3, 0.2};
    FiltroFIR f = filtroDe(b);
    const arma::mat x{{1.0, 2.0, 3.0, 4.0}, {10.0, 20.0, 30.0, 40.0}};
    const arma::mat y = filtrarFilasFIR(f, x);
    // y(1, 0) = 0.5*10 + 0.3*4 + 0.2*3 = 6.8; y(1, 1) = 0.5*20 + 0.3*10 + 0.2*4 = 13.8.
    EXPECT_NEAR(y(1, 0), 6.8, 1e-15);
    EXPECT_NEAR(y(1, 1), 13.8, 1e-15);
    EXPECT_NEAR(y(1, 2), 0.5 * 30 + 0.3 * 20 + 0.2 * 10, 1e-15);
    // Filtering row 1 alone from a fresh filter starts from zeros instead.
    FiltroFIR solo = filtroDe(b);
    const arma::vec aislada = filtrarFIR(solo, x.row(1).t());
    EXPECT_NEAR(aislada(0), 5.0, 1e-15);
    EXPECT_NE(y(1, 0), aislada(0));
    EXPECT_NE(y(1, 1), aislada(1));
    EXPECT_EQ(y(1, 2), aislada(2));
    const arma::vec flujo = convolucionDirecta(b, arma::vectorise(x.t()));
    EXPECT_LE(arma::abs(arma::vectorise(y.t()) - flujo).max(), 1e-14);
}

TEST(FiltrarFilasFIR, MatrizVaciaDevuelveVacia) {
    FiltroFIR f = filtroDe({1.0});
    EXPECT_EQ(filtrarFilasFIR(f, arma::mat(0, 10)).n_cols, 10u);
    EXPECT_EQ(filtrarFilasFIR(f, arma::mat(3, 0)).n_rows, 3u);
}

TEST(FiltrarFilasFIR, SalidaReutilizadaDaLoMismo) {
    arma::arma_rng::set_seed(13);
    const arma::mat x = arma::randn(9, 120);
    FiltroFIR diseno;
    disenarFiltroFIR(diseno, 1.0, 40.0, 256, 60, "BANDSTOP");
    FiltroFIR a = diseno, b = diseno;
    const arma::mat nueva = filtrarFilasFIR(a, x);
    arma::mat reutilizada(9, 120, arma::fill::value(7.0));  // stale contents are overwritten
    const double* memoria = reutilizada.memptr();
    filtrarFilasFIR(b, x, reutilizada);
    EXPECT_EQ(reutilizada.memptr(), memoria);
    EXPECT_TRUE(arma::approx_equal(nueva, reutilizada, "absdiff", 0.0));
    arma::mat otraForma(2, 2);
    filtrarFilasFIR(b, x, otraForma);
    EXPECT_EQ(otraForma.n_rows, 9u);
    EXPECT_EQ(otraForma.n_cols, 120u);
    arma::mat misma = x;
    EXPECT_THROW(filtrarFilasFIR(b, misma, misma), std::invalid_argument);
}
