#pragma once
// How many threads OpenBLAS may use, with no Qt. Meant to leave the GUI
// thread a core while a window step runs, but no step uses it: the thread
// count changes how OpenBLAS splits a product and so the last bits of ASR's
// and MARA's results (1e-13 relative on motor_64ch.dat), and a step from the
// window must give the runner's branch. Lowering the count once OpenBLAS has
// started two threads did not shorten MARA's 110 ms GUI tick gap either
// (bench/app/bench_segundo_plano measures both).
//
// OpenBLAS is looked up at run time: with another BLAS these do nothing.

// max(1, nucleos - 1): what leaves one core free.
int hilosBLASDejandoUnNucleo(unsigned nucleos);

// The threads OpenBLAS uses now; 0 when OpenBLAS is not the BLAS in use.
int hilosBLAS();
// Sets them (at least 1); nothing without OpenBLAS.
void fijarHilosBLAS(int hilos);

// While alive, OpenBLAS uses at most `maximo` threads (at least 1); the count
// it had before comes back when it goes.
class LimiteHilosBLAS {
public:
    explicit LimiteHilosBLAS(int maximo);
    ~LimiteHilosBLAS();
    LimiteHilosBLAS(const LimiteHilosBLAS&) = delete;
    LimiteHilosBLAS& operator=(const LimiteHilosBLAS&) = delete;

private:
    int antes_;
};
