// The filter object (a causal stream with its state) and the zero-phase
// filtering of a matrix's rows, each on its own, with reflected ends.
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

// 256 Hz, 1 to 40 Hz, 60 dB: the dialog's default band-pass, 699 taps.
arma::vec pasaBanda() {
    FiltroFIR f;
    disenarFiltroFIR(f, 1.0, 40.0, 256, 60, TipoFiltro::pasaBanda);
    return f.coeficientes;
}

// Row r filtered centred, by the direct sum, where it needs no extension.
arma::rowvec centradaDirecta(const arma::rowvec& x, const arma::vec& b) {
    const arma::rowvec completa = arma::conv(x, b.t());
    return completa.cols(b.n_elem / 2, b.n_elem / 2 + x.n_elem - 1);
}

}  // namespace

TEST(FiltroFIR, RespuestaAlImpulsoYEstadoEntreLlamadas) {
    FiltroFIR f = filtroDe(pasaBanda());
    arma::vec impulso(800, arma::fill::zeros);
    impulso(0) = 1.0;
    const arma::vec y = filtrarFIR(f, impulso);
    EXPECT_TRUE(arma::approx_equal(y.head(699), f.coeficientes, "absdiff", 0.0));
    EXPECT_TRUE(arma::all(y.tail(101) == 0.0));
    // b = [1, 2, 3], x = [1, 1, 1, 0]: y = [1, 3, 6, 5]; then x = [0, 0] gives the tail [3, 0].
    FiltroFIR g = filtroDe({1.0, 2.0, 3.0});
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(g, arma::vec{1.0, 1.0, 1.0, 0.0}), arma::vec{1, 3, 6, 5}, "absdiff", 0.0));
    FiltroFIR copia = g;  // a copy carries the state and runs on its own
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(g, arma::vec{0.0, 0.0}), arma::vec{3, 0}, "absdiff", 0.0));
    EXPECT_TRUE(arma::approx_equal(filtrarFIR(copia, arma::vec{0.0, 0.0}), arma::vec{3, 0}, "absdiff", 0.0));
    EXPECT_EQ(filtrarFIR(g, arma::vec()).n_elem, 0u);
    FiltroFIR vacio;
    EXPECT_THROW(filtrarFIR(vacio, arma::vec{1.0}), std::invalid_argument);
}

TEST(FiltrarFilasFaseCero, CentradaYPorCanalIgualQueLaSumaDirecta) {
    // Away from the ends, each row equals its own centred convolution with the
    // taps; rows of every count around the groups of eight, short and long.
    arma::arma_rng::set_seed(11);
    const arma::vec b = pasaBanda();
    for (const arma::uword canales : {1u, 7u, 9u}) {
        for (const arma::uword muestras : {700u, 20000u}) {
            const arma::mat x = 50.0 * arma::randn(canales, muestras);
            const arma::mat y = filtrarFilasFaseCero(b, x);
            ASSERT_EQ(y.n_rows, canales);
            ASSERT_EQ(y.n_cols, muestras);
            for (arma::uword c = 0; c < canales; ++c) {
                const arma::rowvec esperado = centradaDirecta(x.row(c), b);
                const arma::uword h = b.n_elem / 2;
                if (muestras <= 2 * h) continue;
                EXPECT_LE(arma::abs(y.row(c).cols(h, muestras - 1 - h) - esperado.cols(h, muestras - 1 - h)).max(),
                          1e-12 * 50.0)
                    << canales << " canales, " << muestras << " muestras, fila " << c;
            }
            // The same bits on a second run, whichever thread took which stretch.
            EXPECT_TRUE(arma::approx_equal(filtrarFilasFaseCero(b, x), y, "absdiff", 0.0));
        }
    }
}

TEST(FiltrarFilasFaseCero, ExtremosReflejadosCalculadosAMano) {
    // b = [1, 1, 1] / 3, x = [1, 2, 4]: the row extends to 2*1-2 = 0 on the
    // left and 2*4-2 = 6 on the right: y = [(0+1+2)/3, (1+2+4)/3, (2+4+6)/3].
    const arma::vec media = arma::vec{1.0, 1.0, 1.0} / 3.0;
    const arma::mat y = filtrarFilasFaseCero(media, arma::mat{{1.0, 2.0, 4.0}});
    EXPECT_NEAR(y(0, 0), 1.0, 1e-14);
    EXPECT_NEAR(y(0, 1), 7.0 / 3.0, 1e-14);
    EXPECT_NEAR(y(0, 2), 4.0, 1e-14);
    // One sample has nothing to reflect: zeros beyond it, y = x / 3.
    EXPECT_NEAR(filtrarFilasFaseCero(media, arma::mat(1, 1, arma::fill::value(6.0)))(0, 0), 2.0, 1e-14);
    // Two samples with five taps: x = [1, 3] extends to 0 0 | -1 | 1 3 | 5 | 0 0
    // (reflection over one sample, then zeros): y(0) = (0 - 1 + 1 + 3 + 5) / 5.
    const arma::mat y2 = filtrarFilasFaseCero(arma::vec(5, arma::fill::value(0.2)), arma::mat{{1.0, 3.0}});
    EXPECT_NEAR(y2(0, 0), 8.0 / 5.0, 1e-14);
    EXPECT_NEAR(y2(0, 1), (-1.0 + 1.0 + 3.0 + 5.0) / 5.0, 1e-14);
    EXPECT_EQ(filtrarFilasFaseCero(media, arma::mat(3, 0)).n_cols, 0u);
}

TEST(FiltrarFilasFaseCero, CanalSilenciosoTrasUnoRuidosoYDesplazamientoSinTransitorio) {
    // Channel 0 ends on a 1000 uV oscillation; channel 1 is silent and must
    // stay exactly silent. Channel 2 is channel 3 (a 20 uV 10 Hz wave) plus a
    // 1000 uV offset: the offset adds nothing but the design's gain at 0 Hz
    // (-56.6 dB, 1.5 uV) anywhere, ends included; zero padding would leave a
    // transient of about 500 uV at each end.
    const arma::vec b = pasaBanda();
    const arma::uword n = 5000;
    const arma::rowvec t = arma::regspace<arma::rowvec>(0, n - 1) / 256.0;
    arma::mat x(4, n, arma::fill::zeros);
    x.row(0) = 1000.0 * arma::sin(2 * M_PI * 10.0 * t);
    x.row(3) = 20.0 * arma::sin(2 * M_PI * 10.0 * t);
    x.row(2) = 1000.0 + x.row(3);
    const arma::mat y = filtrarFilasFaseCero(b, x);
    EXPECT_EQ(arma::abs(y.row(1)).max(), 0.0);
    EXPECT_LE(arma::abs(y.row(2) - y.row(3)).max(), 2.0);
    EXPECT_GE(arma::abs(y.row(2) - y.row(3)).min(), 1.0);  // the 1.5 uV of the design, not a transient
}

TEST(FiltrarFilasFaseCero, UnaRafagaSigueSobreSuEvento) {
    // A 5 Hz burst centred on sample 3000 (a Gaussian envelope of 0.2 s):
    // after the band-pass its envelope still peaks there, not 349 samples later.
    const arma::uword n = 6000, evento = 3000;
    const arma::rowvec k = arma::regspace<arma::rowvec>(0, n - 1) - static_cast<double>(evento);
    const arma::rowvec rafaga = arma::exp(-arma::square(k / (0.2 * 256))) % arma::cos(2 * M_PI * 5.0 * k / 256.0);
    const arma::mat y = filtrarFilasFaseCero(pasaBanda(), arma::mat(rafaga));
    EXPECT_EQ(arma::index_max(arma::abs(y.row(0))), evento);
    EXPECT_LE(arma::abs(y.row(0) - rafaga).max(), 0.01);  // 5 Hz lies in the pass band
}

TEST(FiltrarFilasFaseCero, AvanceCancelacionYRechazos) {
    arma::arma_rng::set_seed(5);
    const arma::mat x = arma::randn(4, 300000);
    std::vector<double> fracciones;
    const arma::mat con = filtrarFilasFaseCero(pasaBanda(), x, Avance([&](double f, const std::string&) {
                                                   fracciones.push_back(f);
                                               }));
    ASSERT_GE(fracciones.size(), 2u);
    EXPECT_TRUE(std::is_sorted(fracciones.begin(), fracciones.end()));
    EXPECT_EQ(fracciones.back(), 1.0);
    EXPECT_TRUE(arma::approx_equal(con, filtrarFilasFaseCero(pasaBanda(), x), "absdiff", 0.0));
    EXPECT_THROW(filtrarFilasFaseCero(pasaBanda(), x, Avance([](double, const std::string&) { throw Cancelado(); })),
                 Cancelado);
    EXPECT_THROW(filtrarFilasFaseCero(arma::vec{0.5, 0.5}, x), std::invalid_argument);  // no centre sample
    EXPECT_THROW(filtrarFilasFaseCero(arma::vec(), x), std::invalid_argument);
    arma::mat misma = x;
    EXPECT_THROW(filtrarFilasFaseCero(pasaBanda(), misma, misma), std::invalid_argument);
}
