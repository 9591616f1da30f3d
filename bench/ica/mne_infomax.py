#!/usr/bin/python3
"""Times MNE-Python's extended infomax on the inputs of bench_ica, once.

    build/bench/ica/bench_ica --exportar CARPETA
    bench/ica/mne_infomax.py CARPETA > bench/ica/mne_infomax.txt

Each input is channel-mean-removed and sphered as our ICA does (2 C^-1/2),
then handed to mne.preprocessing.infomax with our rules where it has them:
learning rate 0.001, our block size, stopping change 1e-6 (1e-7 above 32
components), annealing 60 degrees by 0.98, blow-up 1e9 by 0.8, at most 512
steps, no stop on small angles, seed 1, one BLAS thread. Writes one line per
case: key, steps, CPU seconds per step, CPU seconds, wall seconds.
"""
import os
import sys

os.environ["OPENBLAS_NUM_THREADS"] = "1"
os.environ["OMP_NUM_THREADS"] = "1"

import time  # noqa: E402

import mne  # noqa: E402
import numpy as np  # noqa: E402

CASOS = [("p300_8", 8), ("sintetico_32", 32), ("motor_64", 64)]


def esferado(x):
    x = x - x.mean(axis=0)
    valores, vectores = np.linalg.eigh(np.cov(x, rowvar=False))
    return x @ (2.0 * vectores @ np.diag(valores ** -0.5) @ vectores.T)


def main():
    carpeta = sys.argv[1]
    mne.set_log_level("ERROR")
    print("# MNE-Python %s, numpy %s: clave pasos cpu_por_paso cpu_total pared_total"
          % (mne.__version__, np.__version__))
    for clave, canales in CASOS:
        x = np.fromfile(os.path.join(carpeta, clave + ".f64"), dtype="<f8").reshape(-1, canales)
        datos = esferado(x)
        muestras = datos.shape[0]
        bloque = int(np.ceil(min(5.0 * np.log(muestras), 0.3 * muestras)))
        cpu, pared = time.process_time(), time.perf_counter()
        _, pasos = mne.preprocessing.infomax(
            datos, l_rate=0.001, block=bloque, w_change=1e-7 if canales > 32 else 1e-6,
            anneal_deg=60.0, anneal_step=0.98, extended=True, n_subgauss=1, kurt_size=6000,
            ext_blocks=1, max_iter=512, random_state=1, blowup=1e9, blowup_fac=0.8,
            n_small_angle=None, use_bias=True, return_n_iter=True)
        cpu, pared = time.process_time() - cpu, time.perf_counter() - pared
        print("%s %d %.4f %.2f %.2f" % (clave, pasos, cpu / pasos, cpu, pared), flush=True)


if __name__ == "__main__":
    main()
