#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "mara/periodogramaWelch.h"

namespace {

// Welch by the book: overlapping segments, a plain DFT sum, one-sided folding.
arma::vec welchDirecto(const arma::vec& x, arma::uword L, arma::uword nfft, double rate) {
    const arma::uword solape = L / 2, paso = L - solape, K = (x.n_elem - solape) / paso;
    arma::vec S(nfft, arma::fill::zeros);
    for (arma::uword k = 0; k < K; ++k)
        for (arma::uword j = 0; j < nfft; ++j) {
            std::complex<double> suma = 0.0;
            for (arma::uword t = 0; t < L && t < nfft; ++t)
                suma += x(k * paso + t) * std::polar(1.0, -2.0 * M_PI * double(j) * double(t) / double(nfft));
            S(j) += std::norm(suma) / double(L);
        }
    S /= double(K);
    const arma::uword ultimo = nfft / 2;
    arma::vec p = S.head(ultimo + 1);
    for (arma::uword j = 1; j <= ultimo; ++j)
        if (!(nfft % 2 == 0 && j == ultimo)) p(j) *= 2.0;
    return p / rate;
}

}  // namespace

TEST(EspectroWelch, SenoDeAmplitudConocidaIgualQueElCalculoDirecto) {
    // 3 V at 10 Hz, 2.5 s at 100 Hz: segments of 100 with 50 overlap, K = (250 - 50) / 50 = 4.
    const double fs = 100.0, A = 3.0;
    const arma::vec t = arma::regspace(0, 249) / fs;
    const arma::vec x = A * arma::sin(2.0 * M_PI * 10.0 * t + 0.3);
    const EspectroWelch e = espectroWelch(x, arma::ones(100), 100, fs);
    ASSERT_EQ(e.pxx.n_elem, 51u);
    EXPECT_TRUE(arma::approx_equal(e.pxx, welchDirecto(x, 100, 100, fs), "absdiff", 1e-10));
    // Ten whole cycles per segment: all power A^2/2 sits in the 10 Hz bin (1 Hz wide).
    EXPECT_NEAR(e.pxx(10), A * A / 2.0, 1e-10);
    EXPECT_NEAR(arma::accu(e.pxx) - e.pxx(10), 0.0, 1e-10);
    EXPECT_DOUBLE_EQ(e.freq(10), 10.0);
    EXPECT_DOUBLE_EQ(e.freq(50), 50.0);
}

TEST(EspectroWelch, NfftImparSoloConservaElPrimerBinSinDoblar) {
    arma::arma_rng::set_seed(7);
    const arma::vec x = arma::randn(23);
    const EspectroWelch e = espectroWelch(x, arma::ones(5), 5, 5.0);
    ASSERT_EQ(e.pxx.n_elem, 3u);  // bins 0, 1, 2 of 5
    EXPECT_TRUE(arma::approx_equal(e.pxx, welchDirecto(x, 5, 5, 5.0), "absdiff", 1e-12));
}

TEST(EspectroWelch, SenalMasCortaQueLaVentanaSeRechaza) {
    EXPECT_THROW(espectroWelch(arma::ones(99), arma::ones(100), 100, 100.0), std::invalid_argument);
    EXPECT_THROW(espectroWelch(arma::ones(10), arma::vec(), 100, 100.0), std::invalid_argument);
    // Exactly one window long: one segment.
    EXPECT_NO_THROW(espectroWelch(arma::ones(100), arma::ones(100), 100, 100.0));
}
