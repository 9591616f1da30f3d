#pragma once
// How many threads OpenBLAS uses, with no Qt. The window and the runner both
// start with one core fewer than the machine has (unless the environment
// names a count), for two reasons:
// - a window step leaves the GUI thread a core: with OpenBLAS on both cores
//   of a two-core machine, MARA's ICA held the GUI thread's ticks 110 ms
//   apart, 13 ms with one BLAS thread;
// - the count changes how OpenBLAS splits a product and so the last bits of
//   ASR's and MARA's results (5.7e-12 of values up to 116 on
//   motor_64ch.dat), and a step from the window must give the runner's
//   branch: both must compute with the same count.
//
// OpenBLAS is looked up at run time: with another BLAS these do nothing.

// max(1, nucleos - 1): what leaves one core free.
int hilosBLASDejandoUnNucleo(unsigned nucleos);

// At program start: when none of OPENBLAS_NUM_THREADS, GOTO_NUM_THREADS and
// OMP_NUM_THREADS is set, OpenBLAS gets hilosBLASDejandoUnNucleo(cores).
// Returns the count OpenBLAS then uses (0 without OpenBLAS).
int fijarHilosBLASDelPrograma();

// The threads OpenBLAS uses now; 0 when OpenBLAS is not the BLAS in use.
int hilosBLAS();
// Sets them (at least 1); nothing without OpenBLAS.
void fijarHilosBLAS(int hilos);
