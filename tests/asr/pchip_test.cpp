#include "asr/pchip.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "referencias.h"

TEST(Pchip, IgualQueInterp1DeOctave) {
    const arma::vec x = cargarReferencia("pchip_x.bin"), y = cargarReferencia("pchip_y.bin");
    const arma::vec xi = cargarReferencia("pchip_xi.bin");
    EXPECT_LT(errorRelativo(interpolarPchip(x, y, xi), cargarReferencia("pchip_yi.bin")), 1e-14);
}

TEST(Pchip, DosPuntosDanUnaRecta) {
    const arma::vec xi = cargarReferencia("pchip_xi.bin");
    EXPECT_LT(errorRelativo(interpolarPchip({1.0, 3.0}, {2.0, -2.0}, xi), cargarReferencia("pchip2_yi.bin")), 1e-14);
}

// The drift kernel's amplitude: 0 up to lo, a monotone step, 1 from hi on.
TEST(Pchip, EscalonMonotonoSinRebote) {
    const arma::vec yi = interpolarPchip({0, 4, 12, 2048}, {0, 0, 1, 1}, arma::regspace<arma::vec>(0, 20));
    for (arma::uword k = 0; k <= 4; ++k) EXPECT_EQ(yi(k), 0.0);
    for (arma::uword k = 12; k <= 20; ++k) EXPECT_DOUBLE_EQ(yi(k), 1.0);
    for (arma::uword k = 1; k < yi.n_elem; ++k) EXPECT_GE(yi(k), yi(k - 1));
    EXPECT_DOUBLE_EQ(yi(8), 0.5);  // the Hermite step with zero end slopes is symmetric
}

TEST(Pchip, RechazaPuntosNoCrecientes) {
    EXPECT_THROW(interpolarPchip({0, 1, 1}, {0, 1, 2}, {0.5}), std::invalid_argument);
    EXPECT_THROW(interpolarPchip({0}, {0}, {0.5}), std::invalid_argument);
    EXPECT_THROW(interpolarPchip({0, 1}, {0}, {0.5}), std::invalid_argument);
}
