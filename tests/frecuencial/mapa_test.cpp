// Scalp maps on inputs whose answer is known: a single electrode with power,
// equal power everywhere, and left-right mirrored inputs.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "frecuencial/mapaCuero.h"

namespace {

using Posicion = std::array<double, 3>;

// Eight electrodes of the p300 recording's .CED (x nose, y left, z up, mm).
const std::vector<Posicion> p300 = {{58.512, -0.312, 66.462}, {-9.167, -0.401, 100.244}, {-78.788, 53.007, 55.940},
                                     {-81.115, -0.325, 82.615}, {-78.557, -55.372, 56.561}, {-96.456, 70.116, 15.175},
                                     {-112.6, -0.4, 15.3},      {-96.0, -70.0, 15.0}};

}  // namespace

TEST(MapaCuero, ProjectionPutsNoseUpRightEarRightAndEquatorAtRadiusOne) {
    const PuntoPlano nariz = proyectarPosicion({1, 0, 0});
    const PuntoPlano derecha = proyectarPosicion({0, -1, 0});
    const PuntoPlano vertice = proyectarPosicion({0, 0, 5});
    EXPECT_NEAR(nariz.u, 0.0, 1e-15);
    EXPECT_NEAR(nariz.v, 1.0, 1e-15);
    EXPECT_NEAR(derecha.u, 1.0, 1e-15);
    EXPECT_NEAR(vertice.u * vertice.u + vertice.v * vertice.v, 0.0, 1e-30);
    // 45 degrees above the equator, halfway out.
    EXPECT_NEAR(proyectarPosicion({1, 0, 1}).v, 0.5, 1e-15);
    EXPECT_THROW(proyectarPosicion({0, 0, 0}), std::invalid_argument);
}

TEST(MapaCuero, SingleElectrodeWithPowerIsTheMaximum) {
    const InterpolacionMapa m(p300, 101);
    for (arma::uword k = 0; k < p300.size(); ++k) {
        arma::vec v(p300.size(), arma::fill::zeros);
        v(k) = 1.0;
        const arma::mat mapa = m.interpolar(v);
        // The map takes the electrode's value there, and nothing on the grid rises
        // above the one electrode with power.
        EXPECT_NEAR(m.valorEn(v, p300[k]), 1.0, 1e-9) << k;
        EXPECT_LE(mapa.elem(arma::find_finite(mapa)).max(), 1.0 + 1e-9) << k;
        // The grid's maximum lies within two grid steps of the electrode.
        arma::mat sinHuecos = mapa;
        sinHuecos.replace(arma::datum::nan, -1e300);
        const arma::uword i = sinHuecos.index_max();
        const RejillaMapa& r = m.rejilla();
        const double paso = 2.0 * r.radio / (r.lado - 1);
        const PuntoPlano e = m.electrodos()[k];
        EXPECT_LE(std::hypot(r.u(i / r.lado) - e.u, r.v(i % r.lado) - e.v), 2.0 * paso) << k;
    }
}

TEST(MapaCuero, EqualPowerEverywhereGivesFlatMap) {
    const InterpolacionMapa m(p300, 64);
    const arma::mat mapa = m.interpolar(arma::vec(p300.size(), arma::fill::value(3.5)));
    const arma::vec dentro = mapa.elem(arma::find_finite(mapa));
    ASSERT_GT(dentro.n_elem, 64u * 64u / 2);
    EXPECT_LT(arma::abs(dentro - 3.5).max(), 1e-9);
    // Outside the head's disc there is no map.
    EXPECT_TRUE(std::isnan(mapa(0, 0)));
}

TEST(MapaCuero, MirroredInputsGiveMirroredMaps) {
    // Mirror left-right (y -> -y) with each electrode's value kept: the map
    // is the original seen in a mirror (columns reversed).
    std::vector<Posicion> espejo = p300;
    for (Posicion& p : espejo) p[1] = -p[1];
    const arma::vec v = {1.0, 2.0, 5.0, 0.5, 0.1, 4.0, 3.0, 0.2};
    const arma::mat a = InterpolacionMapa(p300, 75).interpolar(v);
    const arma::mat b = InterpolacionMapa(espejo, 75).interpolar(v);
    const arma::mat bEspejo = arma::fliplr(b);
    const arma::uvec fa = arma::find_finite(a);
    ASSERT_TRUE(arma::all(fa == arma::find_finite(bEspejo)));
    EXPECT_LT(arma::abs(a.elem(fa) - bEspejo.elem(fa)).max(), 1e-9);
    // And the map is not trivially symmetric: P3 (left) and P4 (right) differ.
    EXPECT_GT(arma::abs(a - arma::fliplr(a)).eval().elem(fa).max(), 0.1);
}

TEST(MapaCuero, RefusesFewerThanFourElectrodesOrWrongValueCount) {
    EXPECT_THROW(InterpolacionMapa({p300.begin(), p300.begin() + 3}, 32), std::invalid_argument);
    const InterpolacionMapa m(p300, 32);
    EXPECT_THROW(m.interpolar(arma::vec(3)), std::invalid_argument);
}
