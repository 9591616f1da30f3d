#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include <armadillo>

#include "averaging/car.h"
#include "io/EEG.h"

namespace {

// The reference definition, row by row: mean of the other n - 1 rows.
arma::mat carDirecto(const arma::mat& X) {
    arma::mat Y(arma::size(X));
    for (arma::uword i = 0; i < X.n_rows; ++i) {
        arma::uvec otros(X.n_rows - 1);
        arma::uword k = 0;
        for (arma::uword j = 0; j < X.n_rows; ++j)
            if (j != i) otros(k++) = j;
        Y.row(i) = X.row(i) - arma::mean(X.rows(otros), 0);
    }
    return Y;
}

// |a - b| within `tolerancia` of the largest magnitude among the other
// channels at that sample (the scale of the mean being subtracted).
void esperarIgualACarDirecto(const arma::mat& X, double tolerancia) {
    const arma::mat Y = referenciaPromedioComun(X);
    const arma::mat D = carDirecto(X);
    ASSERT_EQ(Y.n_rows, D.n_rows);
    ASSERT_EQ(Y.n_cols, D.n_cols);
    for (arma::uword t = 0; t < X.n_cols; ++t)
        for (arma::uword i = 0; i < X.n_rows; ++i) {
            double escala = 0.0;
            for (arma::uword j = 0; j < X.n_rows; ++j)
                if (j != i) escala = std::max(escala, std::abs(X(j, t)));
            ASSERT_LE(std::abs(Y(i, t) - D(i, t)), tolerancia * escala) << "canal " << i << ", muestra " << t;
        }
}

}  // namespace

TEST(CommonAverageReference, TwoChannelsGiveTheirDifferences) {
    // Y = (a - b, b - a).
    const arma::mat X = {{1.0, 5.0, -2.0}, {4.0, 1.5, 3.0}};
    const arma::mat Y = referenciaPromedioComun(X);
    const arma::mat esperado = {{-3.0, 3.5, -5.0}, {3.0, -3.5, 5.0}};
    EXPECT_TRUE(arma::approx_equal(Y, esperado, "absdiff", 1e-15));
}

TEST(CommonAverageReference, ThreeChannelsUseTheOtherTwo) {
    // 1 - (2+6)/2 = -3, 2 - (1+6)/2 = -1.5, 6 - (1+2)/2 = 4.5; the mean of all
    // three would have given -2, -1, 3.
    const arma::mat X = arma::colvec{1.0, 2.0, 6.0};
    const arma::mat Y = referenciaPromedioComun(X);
    EXPECT_DOUBLE_EQ(Y(0, 0), -3.0);
    EXPECT_DOUBLE_EQ(Y(1, 0), -1.5);
    EXPECT_DOUBLE_EQ(Y(2, 0), 4.5);
}

TEST(CommonAverageReference, ConstantOffsetDisappears) {
    arma::arma_rng::set_seed(11);
    const arma::mat X = arma::randn(6, 200);
    const arma::mat Y = referenciaPromedioComun(X + 1234.5);
    EXPECT_TRUE(arma::approx_equal(Y, referenciaPromedioComun(X), "absdiff", 1e-10));
}

TEST(CommonAverageReference, AgreesWithDirectMeanOnRandomData) {
    arma::arma_rng::set_seed(12);
    esperarIgualACarDirecto(arma::randn(64, 300) * 50.0 + 20.0, 1e-12);
    esperarIgualACarDirecto(arma::randn(2, 50), 1e-12);
    esperarIgualACarDirecto(arma::randn(3, 50), 1e-12);
}

TEST(CommonAverageReference, AgreesWithDirectMeanWhenOneChannelDominates) {
    // A detached electrode a million times larger than the rest: its own
    // reference (the mean of the small channels) must not drown in it.
    arma::arma_rng::set_seed(13);
    arma::mat X = arma::randn(32, 200) * 10.0;
    X.row(7) = arma::randn(1, 200) * 1e9 + 3e9;
    esperarIgualACarDirecto(X, 1e-12);
}

TEST(CommonAverageReference, LargeOffsetWithSmallSignals) {
    arma::arma_rng::set_seed(14);
    esperarIgualACarDirecto(arma::randn(16, 200) * 1e-3 + 1e6, 1e-12);
}

TEST(CommonAverageReference, OneChannelIsRefused) {
    EXPECT_THROW(referenciaPromedioComun(arma::mat(1, 10, arma::fill::ones)), std::invalid_argument);
}

TEST(CommonAverageReference, NoChannelsGiveAnEmptyResult) {
    const arma::mat Y = referenciaPromedioComun(arma::mat(0, 10));
    EXPECT_EQ(Y.n_rows, 0u);
    EXPECT_EQ(Y.n_cols, 10u);
}

TEST(CommonAverageReference, NoSamplesGiveAnEmptyResult) {
    const arma::mat Y = referenciaPromedioComun(arma::mat(4, 0));
    EXPECT_EQ(Y.n_rows, 4u);
    EXPECT_EQ(Y.n_cols, 0u);
}

TEST(CommonAverageReference, BranchKeepsEventsRateLabelsAndSampleCount) {
    EEG eeg(250, 3, 4);
    eeg.matrices.front() = {{1, 2, 3, 4}, {2, 2, 2, 2}, {6, 0, 1, 5}};
    (*eeg.canales)[0].etiqueta = "Fz";
    (*eeg.canales)[2].etiqueta = "Oz";
    eeg.historia = " ASR";
    eeg.tablaEventos = std::make_shared<TablaEventos>();
    fijarEvento(*eeg.tablaEventos, Evento{768, 2, 1, 0, 0, 0, 0, 0}, 0);

    const EEG r = aplicarCAR(eeg);
    EXPECT_EQ(r.frecuenciaMuestreo, 250);
    EXPECT_EQ(r.numeroMuestras, 4);
    EXPECT_EQ(r.numeroCanales, 3u);
    EXPECT_EQ(r.historia, " ASR");
    EXPECT_EQ((*r.canales)[0].etiqueta, "Fz");
    EXPECT_EQ((*r.canales)[2].etiqueta, "Oz");
    ASSERT_TRUE(r.tieneEventos());
    EXPECT_EQ(r.tablaEventos->eventos.size(), 1u);
    EXPECT_EQ(r.tablaEventos->eventos[0].tipo, 768);
    EXPECT_TRUE(arma::approx_equal(r.datos(), carDirecto(eeg.datos()), "absdiff", 1e-14));
    // The source is read, never written.
    EXPECT_EQ(eeg.datos()(2, 0), 6.0);
}

TEST(CommonAverageReference, BranchWithoutSamplesIsRefused) {
    EXPECT_THROW(aplicarCAR(EEG()), std::out_of_range);
}

TEST(CommonAverageReference, SingleChannelBranchIsRefused) {
    EXPECT_THROW(aplicarCAR(EEG(256, 1, 100)), std::invalid_argument);
}
