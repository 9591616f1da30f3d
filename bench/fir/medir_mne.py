#!/usr/bin/python3
"""Times MNE-Python's filter_data (Debian python3-mne) on the shape of
bench_fir: 64 channels x 1 h at 256 Hz, band-pass 1 to 40 Hz, its defaults
(FIR, overlap-add, one job). Run once on the machine where bench_fir runs;
writes mne_filter_data.txt beside this script, which bench_fir prints.

The data are random normal values, as in bench_fir. Each measurement is the
best wall time of three runs, with the CPU time of that run, then the first
run's times and MNE's filter length. It is taken twice, in child processes: with the environment as found
and without OPENBLAS_CORETYPE (OpenBLAS then picks its kernels itself), so
that a forced BLAS core type cannot make MNE look slower than it is.
"""
import os
import platform
import subprocess
import sys
import time

AQUI = os.path.dirname(os.path.abspath(__file__))


def medir():
    import numpy as np
    import mne
    mne.set_log_level("ERROR")
    fs = 256.0
    x = np.random.default_rng(1).standard_normal((64, 3600 * 256))
    h = mne.filter.create_filter(x, fs, 1.0, 40.0)
    mejor = primera = None
    for _ in range(3):
        t0, c0 = time.perf_counter(), time.process_time()
        mne.filter.filter_data(x, fs, 1.0, 40.0, n_jobs=None)
        t1, c1 = time.perf_counter(), time.process_time()
        if primera is None:
            primera = (t1 - t0, c1 - c0)
        if mejor is None or t1 - t0 < mejor[0]:
            mejor = (t1 - t0, c1 - c0)
    print("%.3f s (CPU %.3f s), primera vez %.3f s (CPU %.3f s), %d coeficientes, MNE %s, numpy %s, "
          "OPENBLAS_CORETYPE=%s, %s" % (
        mejor[0], mejor[1], primera[0], primera[1], len(h), mne.__version__, np.__version__,
        os.environ.get("OPENBLAS_CORETYPE", "(sin fijar)"), platform.machine()))


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--medir":
        medir()
        return
    lineas = []
    sin = dict(os.environ)
    sin.pop("OPENBLAS_CORETYPE", None)
    for entorno in (dict(os.environ), sin):
        r = subprocess.run([sys.executable, os.path.abspath(__file__), "--medir"], env=entorno,
                           capture_output=True, text=True, check=True)
        lineas.append(r.stdout.strip())
        print(lineas[-1])
    carga = os.getloadavg()
    with open(os.path.join(AQUI, "mne_filter_data.txt"), "w") as f:
        f.write("# filter_data(x, 256, 1, 40), 64 x 921600, mejor de 3; hecho por medir_mne.py; "
                "carga media al terminar %.1f en %d núcleos\n" % (carga[0], os.cpu_count()))
        f.write("\n".join(lineas) + "\n")


if __name__ == "__main__":
    main()
