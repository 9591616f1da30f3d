// The axis ranges of a plot where the window cannot show them easily: short
// branches, flat or inverted ranges.
#include <gtest/gtest.h>

#include "app/puntosSerie.h"

TEST(PuntosSerie, RangosDeEjes) {
    const RangoEjes r = rangoEjes(1000, 256, 0.0, 62.25, -40.5);
    EXPECT_EQ(r.tMax, 1000.0 / 256);  // 3.906 s, not 3: the last 0.9 s are on the axis
    EXPECT_EQ(r.vMin, -40.5);
    EXPECT_DOUBLE_EQ(rangoEjes(128, 256, 0.2, 1.0, 0.0).tMax, 0.5 - 0.2);
    const RangoEjes invertido = rangoEjes(256, 256, 0.0, -4.0, 6.0);
    EXPECT_EQ(invertido.vMin, -4.0);
    EXPECT_EQ(invertido.vMax, 6.0);
    const RangoEjes plano = rangoEjes(256, 256, 0.0, 0.0, 0.0);
    EXPECT_EQ(plano.vMin, -1.0);
    EXPECT_EQ(plano.vMax, 1.0);
    EXPECT_THROW(rangoEjes(256, 0, 0.0, 1.0, 0.0), std::invalid_argument);
}

// An average of -1000/+1500 ms at 256 Hz holds 641 samples, 2.504 s, from -1 s:
// the axis reaches 1.504 s, not the whole-second 1 s that hid its last half second.
TEST(PuntosSerie, EjeCubreElPromedioEntero) {
    const RangoEjes r = rangoEjes(641, 256, 1.0, 1.0, 0.0);
    EXPECT_EQ(r.tMin, -1.0);
    EXPECT_EQ(r.tMax, 641.0 / 256 - 1.0);
}
