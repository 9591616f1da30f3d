// The program's OpenBLAS thread count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "dsp/hilosBLAS.h"

TEST(HilosBLAS, DejaUnNucleoYNuncaMenosDeUnHilo) {
    EXPECT_EQ(hilosBLASDejandoUnNucleo(0), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(1), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(2), 1);
    EXPECT_EQ(hilosBLASDejandoUnNucleo(8), 7);
}

// The count the environment gives stays; without one, a core is left free.
TEST(HilosBLAS, ElProgramaDejaUnNucleoSalvoQueElEntornoDigaOtraCosa) {
    const int original = hilosBLAS();
    if (original == 0) GTEST_SKIP() << "la BLAS en uso no es OpenBLAS";
    const char* antes = std::getenv("OPENBLAS_NUM_THREADS");
    const std::string guardada = antes ? antes : "";
    setenv("OPENBLAS_NUM_THREADS", "1", 1);
    fijarHilosBLAS(2);
    const int dos = hilosBLAS();
    EXPECT_EQ(fijarHilosBLASDelPrograma(), dos);  // untouched
    unsetenv("OPENBLAS_NUM_THREADS");
    unsetenv("GOTO_NUM_THREADS");
    unsetenv("OMP_NUM_THREADS");
    const int esperado = std::min(dos, hilosBLASDejandoUnNucleo(std::thread::hardware_concurrency()));
    EXPECT_EQ(fijarHilosBLASDelPrograma(), esperado);
    if (antes) setenv("OPENBLAS_NUM_THREADS", guardada.c_str(), 1);
    fijarHilosBLAS(original);
}
