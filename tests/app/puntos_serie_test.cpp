// The axis ranges of a plot where the window cannot show them easily: short
// branches, flat or inverted ranges.
#include <gtest/gtest.h>

#include "app/puntosSerie.h"

TEST(PuntosSerie, RangosDeEjes) {
    const RangoEjes r = rangoEjes(1000, 256, 0.0, 62.25, -40.5);  // 3.9 s shows 0 .. 3
    EXPECT_EQ(r.tMax, 3.0);
    EXPECT_EQ(r.vMin, -40.5);
    // Less than a second: whole seconds would give an empty 0 .. 0 range.
    EXPECT_DOUBLE_EQ(rangoEjes(128, 256, 0.2, 1.0, 0.0).tMax, 0.5 - 0.2);
    const RangoEjes invertido = rangoEjes(256, 256, 0.0, -4.0, 6.0);
    EXPECT_EQ(invertido.vMin, -4.0);
    EXPECT_EQ(invertido.vMax, 6.0);
    const RangoEjes plano = rangoEjes(256, 256, 0.0, 0.0, 0.0);
    EXPECT_EQ(plano.vMin, -1.0);
    EXPECT_EQ(plano.vMax, 1.0);
    EXPECT_THROW(rangoEjes(256, 0, 0.0, 1.0, 0.0), std::invalid_argument);
}
