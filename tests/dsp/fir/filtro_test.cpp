// The filter object: impulse response, state kept between calls and rows,
// and the row-by-row matrix filtering.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/fir/fir.h"

namespace {

FiltroFIR filtroDe(const arma::vec& b) {
    FiltroFIR f;
    prepararFiltroFIR(f, b);
    return f;
}

// 256 Hz, 1 to 40 Hz, 60 dB: 19 taps for the high-pass, 18 for the low-pass
// (direct path), 699 for the band-pass (FFT path).
FiltroFIR disenado(TipoFiltro tipo) {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, tipo);
    return f;
}

}  // namespace

TEST(FiltroFIR, RespuestaAlImpulsoEstadoEntreLlamadasYEntreFilas) {
    FiltroFIR f = disenado(TipoFiltro::pasaAltos);
    arma::vec impulso(30, arma::fill::zeros);
    impulso(0) = 1.0;
    const arma::vec y = filtrarFIR(f, impulso);
    EXPECT_TRUE(arma::approx_equal(y.head(19), f.coeficientes, "absdiff", 0.0));
    EXPECT_TRUE(arma::all(y.tail(11) == 0.0));
    // b = [1, 2, 3], x = [1, 1, 1, 0]: y = [1, 3, 6, 5]; then x = [0, 0] gives the tail [3, 0].
    FiltroFIR g = filtroDe({1.0, 2.0, 3.0});
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(g, arma::vec{1.0, 1.0, 1.0, 0.0}), arma::vec{1, 3, 6, 5}, "absdiff", 0.0));
    FiltroFIR copia = g;  // a copy carries the state and runs on its own
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(g, arma::vec{0.0, 0.0}), arma::vec{3, 0}, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(copia, arma::vec{0.0, 0.0}), arma::vec{3, 0}, "absdiff", 0.0));
    EXPECT_EQ(filtrarFIR(g, arma::vec()).n_elem, 0u);
    // The rows of a matrix form one stream: row 1's first outputs use row 0's last samples,
    // y(1, 0) = 0.5*10 + 0.3*4 + 0.2*3 = 6.8 (5 from a fresh filter); y(1, 1) = 0.5*20 + 0.3*10 + 0.2*4 = 13.8.
    FiltroFIR filas = filtroDe({0.5, 0.3, 0.2});
    const arma::mat y2 = filtrarFilasFIR(filas, arma::mat{{1.0, 2.0, 3.0, 4.0}, {10.0, 20.0, 30.0, 40.0}});
    EXPECT_NEAR(y2(1, 0), 6.8, 1e-15);
    EXPECT_NEAR(y2(1, 1), 13.8, 1e-15);
    // A long stream in pieces equals the convolution of the whole.
    arma::arma_rng::set_seed(7);
    const arma::vec x = arma::randn(200);
    FiltroFIR h = disenado(TipoFiltro::pasaBajos);
    arma::vec partes = filtrarFIR(h, x.head(5));  // one call per statement: they must run in this order
    partes = arma::join_cols(partes, filtrarFIR(h, x.tail(195)));
    EXPECT_LE(arma::abs(partes - arma::vec(arma::conv(x, h.coeficientes)).head(200)).max(), 1e-14);
}

TEST(FiltrarFilasFIR, IgualQueFilaAFilaConElEstadoArrastrado) {
    arma::arma_rng::set_seed(11);
    const FiltroFIR diseno = disenado(TipoFiltro::pasaAltos);
    // Long rows, rows shorter than the filter, a single sample, one channel, none.
    for (const auto& [canales, muestras] : std::vector<std::pair<arma::uword, arma::uword>>{
             {5, 300}, {7, 10}, {3, 18}, {4, 19}, {6, 1}, {1, 50}, {64, 40}, {0, 10}, {3, 0}}) {
        const arma::mat x = arma::randn(canales, muestras);
        FiltroFIR porFilas = diseno;
        arma::mat esperado(canales, muestras);
        for (arma::uword c = 0; c < canales; ++c)
            if (muestras > 0) esperado.row(c) = filtrarFIR(porFilas, x.row(c).t()).t();
        FiltroFIR rapido = diseno;
        const arma::mat y = filtrarFilasFIR(rapido, x);
        EXPECT_TRUE(arma::approx_equal(y, esperado, "absdiff", 0.0)) << canales << " x " << muestras;
        // Same final state, so a following matrix continues identically.
        EXPECT_EQ(rapido.posicion, porFilas.posicion);
        EXPECT_TRUE(arma::approx_equal(rapido.estado, porFilas.estado, "absdiff", 0.0));
    }
}

TEST(FiltrarFilasFIR, SalidaReutilizadaYRechazos) {
    FiltroFIR f = filtroDe({1.0, 1.0});
    arma::mat reutilizada(2, 3, arma::fill::value(7.0)), misma(2, 3, arma::fill::ones);  // stale contents are overwritten
    filtrarFilasFIR(f, arma::mat{{1.0, 2.0, 3.0}, {4.0, 5.0, 6.0}}, reutilizada);
    EXPECT_TRUE(arma::approx_equal(reutilizada, arma::mat{{1.0, 3.0, 5.0}, {7.0, 9.0, 11.0}}, "absdiff", 0.0));
    EXPECT_THROW(filtrarFilasFIR(f, misma, misma), std::invalid_argument);
    // An inconsistent filter is refused instead of reading past its state.
    f.posicion = 5;
    EXPECT_THROW(filtrarFIR(f, arma::vec{1.0}), std::invalid_argument);
    f = filtroDe({1.0, 1.0});
    f.estado.zeros(1);
    EXPECT_THROW(filtrarFilasFIR(f, arma::mat(2, 2, arma::fill::ones)), std::invalid_argument);
}

TEST(FiltrarFilasFIR, SolapamientoFFTIgualQueConvolucionDirectaEntreCanales) {
    arma::arma_rng::set_seed(13);
    const FiltroFIR diseno = disenado(TipoFiltro::pasaBanda);
    ASSERT_GT(diseno.numeroCoeficientes, coeficientesMaximosDirecto);
    // Several blocks per row, more than one stretch between progress reports,
    // rows shorter than the filter (each reaches back over several rows),
    // 8-row groups with a remainder, a single sample.
    for (const auto& [canales, muestras] : std::vector<std::pair<arma::uword, arma::uword>>{
             {3, 20000}, {2, 70000}, {11, 300}, {17, 1500}, {2, 1}, {1, 699}}) {
        // An offset keeps the scale away from zero so the relative bound bites.
        const arma::mat x = 5.0 + arma::randn(canales, muestras);
        FiltroFIR directo = diseno;  // runs the state over a first matrix too
        FiltroFIR fft = diseno;
        const arma::mat previa = arma::randn(2, 50);
        arma::mat esperadoPrevia(2, 50), esperado(canales, muestras);
        for (arma::uword c = 0; c < 2; ++c) esperadoPrevia.row(c) = filtrarFIR(directo, previa.row(c).t()).t();
        for (arma::uword c = 0; c < canales; ++c) esperado.row(c) = filtrarFIR(directo, x.row(c).t()).t();
        const arma::mat yPrevia = filtrarFilasFIR(fft, previa);
        const arma::mat y = filtrarFilasFIR(fft, x);
        const double escala = arma::abs(esperado).max();
        EXPECT_LE(arma::abs(y - esperado).max(), 1e-10 * escala) << canales << " x " << muestras;
        EXPECT_LE(arma::abs(yPrevia - esperadoPrevia).max(), 1e-10 * arma::abs(esperadoPrevia).max());
        EXPECT_EQ(fft.posicion, directo.posicion);
        EXPECT_TRUE(arma::approx_equal(fft.estado, directo.estado, "absdiff", 0.0));
    }
}

TEST(FiltrarFilasFIR, AvanceNoCambiaLosNumeros) {
    arma::arma_rng::set_seed(17);
    const arma::mat x = arma::randn(10, 3000);
    for (TipoFiltro tipo : {TipoFiltro::pasaBanda, TipoFiltro::pasaAltos}) {  // FFT and direct paths
        FiltroFIR sin = disenado(tipo), con = disenado(tipo);
        std::vector<double> fracciones;
        const arma::mat a = filtrarFilasFIR(sin, x);
        const arma::mat b =
            filtrarFilasFIR(con, x, Avance([&](double f, const std::string&) { fracciones.push_back(f); }));
        EXPECT_TRUE(arma::approx_equal(a, b, "absdiff", 0.0));
        ASSERT_FALSE(fracciones.empty());
        EXPECT_TRUE(std::is_sorted(fracciones.begin(), fracciones.end()));
        EXPECT_EQ(fracciones.back(), 1.0);
        // By FFT the rows go in groups of eight: one call per group for rows this short.
        if (tipo == TipoFiltro::pasaBanda) EXPECT_EQ(fracciones.size(), 2u);
    }
    // A reporter that cancels stops the filtering.
    FiltroFIR f = disenado(TipoFiltro::pasaBanda);
    EXPECT_THROW(filtrarFilasFIR(f, x, Avance([](double, const std::string&) { throw Cancelado(); })), Cancelado);
}
