#include "asr/ajusteDistribucion.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include <boost/math/special_functions/gamma.hpp>
#include <gtest/gtest.h>

#include "asr/inversaGamma.h"

TEST(Pinv, InvierteLaGammaIncompletaRegularizada) {
    for (double a : {1 / 1.7, 1 / 2.0, 1 / 3.5, 1.0, 4.0})
        for (double p : {0.0, 0.2, 0.5, 0.956}) {
            const double x = Pinv(p, a);
            ASSERT_GE(x, 0.0);
            EXPECT_NEAR(boost::math::gamma_p(a, x), p, 1e-12);
        }
    // P(1, x) = 1 - exp(-x): x = -log(1 - p)
    EXPECT_NEAR(Pinv(0.5, 1.0), std::log(2.0), 1e-14);
}

TEST(Pinv, MenosUnoCuandoNoSePuede) {
    EXPECT_EQ(Pinv(1.5, 1.0), -1.0);
    EXPECT_EQ(Pinv(-0.1, 1.0), -1.0);
    EXPECT_EQ(Pinv(0.5, 0.0), -1.0);
    EXPECT_EQ(Pinv(std::nan(""), 1.0), -1.0);
    EXPECT_EQ(Pinv(1.0, 1.0), -1.0);  // no finite x
}

TEST(ContextoASR, RejillaDeTreceFormas) {
    const ContextoASR ctx;
    EXPECT_EQ(ctx.rejillaFormas.n_elem, 0u);  // filled by the run's constructor
    EEG eeg(256, 8, 10);
    const ContextoASR run(eeg, OpcionesASR{});
    ASSERT_EQ(run.rejillaFormas.n_elem, 13u);
    EXPECT_DOUBLE_EQ(run.rejillaFormas(0), 1.7);
    EXPECT_NEAR(run.rejillaFormas(12), 3.5, 1e-9);
    for (arma::uword i = 1; i < 13; ++i) EXPECT_NEAR(run.rejillaFormas(i) - run.rejillaFormas(i - 1), 0.15, 1e-12);
}

namespace {

ParametrosAjuste parametrosASR() {
    EEG eeg(256, 8, 10);
    return parametrosAjuste(ContextoASR(eeg, OpcionesASR{}));
}

}  // namespace

// RMS of windows of Gaussian noise, plus a few loud windows: the fit follows
// the clean windows' own mean and spread, not the outliers.
TEST(AjusteRobusto, RecuperaLosParametrosDeLasVentanasLimpias) {
    arma::arma_rng::set_seed(42);
    const arma::uword limpias = 1500, ruidosas = 60, N = 256;
    arma::vec rms(limpias + ruidosas);
    for (arma::uword w = 0; w < limpias; ++w) rms(w) = std::sqrt(arma::mean(arma::square(10.0 * arma::randn<arma::vec>(N))));
    for (arma::uword w = 0; w < ruidosas; ++w) rms(limpias + w) = 50.0 + 30.0 * arma::randu();
    const arma::vec propias = rms.head(limpias);
    double mu = 0, sig = 0;
    ajusteDistribucionRobusta(arma::shuffle(rms), 0.25, 0.1, parametrosASR(), mu, sig);
    EXPECT_NEAR(mu, arma::mean(propias), 0.02 * arma::mean(propias));
    EXPECT_NEAR(sig, arma::stddev(propias), 0.1 * arma::stddev(propias));
    // The loud windows lie far above: z > 40.
    EXPECT_GT((50.0 - mu) / sig, 40.0);
}

TEST(AjusteRobusto, NoDependeDelOrden) {
    arma::arma_rng::set_seed(7);
    const arma::vec x = 5.0 + arma::randn<arma::vec>(400);
    double mu1, sig1, mu2, sig2;
    ajusteDistribucionRobusta(x, 0.25, 0.1, parametrosASR(), mu1, sig1);
    ajusteDistribucionRobusta(arma::reverse(x), 0.25, 0.1, parametrosASR(), mu2, sig2);
    EXPECT_EQ(mu1, mu2);
    EXPECT_EQ(sig1, sig2);
}

TEST(AjusteRobusto, RechazaNaNYVacio) {
    double mu, sig;
    arma::vec x = arma::linspace(1, 2, 50);
    x(10) = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(ajusteDistribucionRobusta(x, 0.25, 0.1, parametrosASR(), mu, sig), std::invalid_argument);
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec(), 0.25, 0.1, parametrosASR(), mu, sig), std::invalid_argument);
}

// All values equal (a flat channel): zero scale, refused with a clear text.
TEST(AjusteRobusto, ValoresIgualesNoAdmitenAjuste) {
    double mu, sig;
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec(100, arma::fill::value(3.0)), 0.25, 0.1, parametrosASR(), mu, sig),
                 std::runtime_error);
    EXPECT_THROW(ajusteDistribucionRobusta(arma::vec{1.0, 2.0}, 0.25, 0.1, parametrosASR(), mu, sig),
                 std::runtime_error);
}
