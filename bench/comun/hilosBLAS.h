#pragma once
// How many threads OpenBLAS may use. The window benchmark runs ASR and MARA
// again under a cap that leaves the GUI thread a core, to show what it would
// give; no step of the program uses it: the thread count changes how
// OpenBLAS splits a product and so the last bits of ASR's and MARA's results
// (1e-13 relative on motor_64ch.dat), and a step from the window must give
// the runner's branch. Lowering the count once OpenBLAS has started two
// threads did not shorten MARA's 110 ms GUI tick gap either.
//
// OpenBLAS is looked up at run time: with another BLAS these do nothing.

#include <dlfcn.h>

#include <algorithm>

namespace blas {

// The two entry points of OpenBLAS's cblas.h, found in whatever the process
// has loaded: Armadillo reaches OpenBLAS through libblas.so.3, which Debian
// may point at another BLAS.
using FijarHilos = void (*)(int);
using LeerHilos = int (*)();

inline FijarHilos fijarOpenBLAS() {
    static const auto f = reinterpret_cast<FijarHilos>(dlsym(RTLD_DEFAULT, "openblas_set_num_threads"));
    return f;
}
inline LeerHilos leerOpenBLAS() {
    static const auto f = reinterpret_cast<LeerHilos>(dlsym(RTLD_DEFAULT, "openblas_get_num_threads"));
    return f;
}

// max(1, nucleos - 1): what leaves one core free.
inline int hilosBLASDejandoUnNucleo(unsigned nucleos) { return nucleos > 1 ? static_cast<int>(nucleos - 1) : 1; }

// The threads OpenBLAS uses now; 0 when OpenBLAS is not the BLAS in use.
inline int hilosBLAS() {
    const LeerHilos leer = leerOpenBLAS();
    return leer && fijarOpenBLAS() ? leer() : 0;
}

// Sets them (at least 1); nothing without OpenBLAS.
inline void fijarHilosBLAS(int n) {
    if (const FijarHilos fijar = fijarOpenBLAS(); fijar && leerOpenBLAS()) fijar(std::max(1, n));
}

// While alive, OpenBLAS uses at most `maximo` threads (at least 1); the count
// it had before comes back when it goes.
class LimiteHilosBLAS {
public:
    explicit LimiteHilosBLAS(int maximo) : antes_(hilosBLAS()) {
        if (antes_ > std::max(1, maximo)) fijarHilosBLAS(maximo);
    }
    ~LimiteHilosBLAS() {
        if (antes_ > 0 && hilosBLAS() != antes_) fijarHilosBLAS(antes_);
    }
    LimiteHilosBLAS(const LimiteHilosBLAS&) = delete;
    LimiteHilosBLAS& operator=(const LimiteHilosBLAS&) = delete;

private:
    int antes_;
};

}  // namespace blas
