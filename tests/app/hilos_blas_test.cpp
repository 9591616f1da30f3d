// The cap on OpenBLAS's threads and its undoing.
#include <gtest/gtest.h>

#include "app/hilosBLAS.h"

TEST(HilosBLAS, DejaUnNucleoYNuncaMenosDeUnHilo) {
    EXPECT_EQ(hilosBLASDejandoUnNucleo(0), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(1), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(2), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(8), 7);
}

TEST(HilosBLAS, ElLimiteSeDeshaceAlTerminar) {
    const int original = hilosBLAS();
    if (original == 0) GTEST_SKIP() << "la BLAS en uso no es OpenBLAS";
    fijarHilosBLAS(2);
    const int dos = hilosBLAS();  // OpenBLAS may hold fewer threads than asked on a one-core machine
    {
        const LimiteHilosBLAS limite(1);
        EXPECT_EQ(hilosBLAS(), 1);
        const LimiteHilosBLAS mayor(4);  // a cap above the count leaves it
        EXPECT_EQ(hilosBLAS(), 1);
    }
    EXPECT_EQ(hilosBLAS(), dos);
    fijarHilosBLAS(original);
}
