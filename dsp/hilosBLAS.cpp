#include "dsp/hilosBLAS.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace {
// The two entry points of OpenBLAS's cblas.h, found in whatever the process
// has loaded: Armadillo reaches OpenBLAS through libblas.so.3, which Debian
// may point at another BLAS.
using FijarHilos = void (*)(int);
using LeerHilos = int (*)();

FijarHilos fijarOpenBLAS() {
    static const auto f = reinterpret_cast<FijarHilos>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"));
    return f;
}
LeerHilos leerOpenBLAS() {
    static const auto f = reinterpret_cast<LeerHilos>(dlsym(RTLD_DEFAULT, "openblas_get_num_threads"));
    return f;
}
}  // namespace

int hilosBLASDejandoUnNucleo(unsigned nucleos) { return nucleos > 1 ? static_cast<int>(nucleos - 1) : 1; }

int fijarHilosBLASDelPrograma() {
    // OpenBLAS read these when it was loaded: a count the user gave stays.
    for (const char* variable : {"OPENBLAS_NUM_THREADS", "GOTO_NUM_THREADS", "OMP_NUM_THREADS"})
        if (const char* v = std::getenv(variable); v && *v) return hilosBLAS();
    fijarHilosBLAS(hilosBLASDejandoUnNucleo(std::thread::hardware_concurrency()));
    return hilosBLAS();
}

int hilosBLAS() {
    const LeerHilos leer = leerOpenBLAS();
    return leer && fijarOpenBLAS() ? leer() : 0;
}

void fijarHilosBLAS(int hilos) {
    if (const FijarHilos fijar = fijarOpenBLAS(); fijar && leerOpenBLAS()) fijar(std::max(1, hilos));
}
