#!/usr/bin/python3
"""Reference Welch spectra and band powers for the spectrum tests.

Run once from the project root, after building ondelar-cli:
    build-test/ondelar-cli run ../shared/data/p300_8ch.gdf --out /tmp/p300_8ch.csv
    /usr/bin/python3 tests/data/welch/referencias_welch.py /tmp/p300_8ch.csv tests/data/welch
The synthetic signals are closed formulas that the C++ test rebuilds.
"""
import sys

import numpy as np
from scipy.signal import welch

BANDAS = [("delta", 1, 4), ("theta", 4, 8), ("alfa", 8, 13), ("beta", 13, 30), ("gamma", 30, 45)]


def espectro(x, fs, L):
    return welch(x, fs, window="hann", nperseg=L, noverlap=L // 2, detrend="constant", scaling="density", axis=-1)


def integral(f, p, a, b):
    """Trapezoid integral of the density taken as linear between bins."""
    a, b = max(a, f[0]), min(b, f[-1])
    if b <= a:
        return 0.0
    dentro = (f > a) & (f < b)
    xs = np.concatenate(([a], f[dentro], [b]))
    ys = np.concatenate(([np.interp(a, f, p)], p[dentro], [np.interp(b, f, p)]))
    return float(np.sum((xs[1:] - xs[:-1]) * (ys[1:] + ys[:-1]) / 2))


def escribir(ruta, f, P, etiquetas):
    P = np.atleast_2d(P)
    with open(ruta, "w") as s:
        s.write(",".join(["frecuencia"] + etiquetas) + "\n")
        for k in range(len(f)):
            s.write(",".join(repr(float(v)) for v in [f[k]] + list(P[:, k])) + "\n")


def escribir_bandas(ruta, f, P, etiquetas):
    nyq = f[-1]
    bandas = [(n, a, min(b, nyq)) for n, a, b in BANDAS if a < nyq]
    with open(ruta, "w") as s:
        s.write(",".join(["canal"] + [n for n, _, _ in bandas]) + "\n")
        for c, e in enumerate(etiquetas):
            s.write(",".join([e] + [repr(integral(f, P[c], a, b)) for _, a, b in bandas]) + "\n")


def main():
    csv, destino = sys.argv[1], sys.argv[2]
    with open(csv) as s:
        etiquetas = [t.strip('"') for t in s.readline().strip().split(",")]
    datos = np.loadtxt(csv, delimiter=",", skiprows=1).T  # canales x muestras
    f, P = espectro(datos, 256.0, 512)
    escribir(destino + "/p300_8ch_L512.csv", f, P, etiquetas)
    escribir_bandas(destino + "/p300_8ch_L512_bandas.csv", f, P, etiquetas)

    # Pure sinusoid on bin 20 (10 Hz at 256 Hz, L = 512) over an offset that
    # the segment mean removal takes away.
    n = np.arange(4096)
    x = 3.0 * np.sin(2 * np.pi * 10.0 * n / 256.0) + 0.5
    f, P = espectro(x, 256.0, 512)
    escribir(destino + "/seno_10Hz.csv", f, P, ["seno"])

    # Odd segment length: L = 127 at 100 Hz, two tones and a slow trend.
    n = np.arange(1000)
    x = np.sin(2 * np.pi * 7.3 * n / 100.0) + 0.3 * np.cos(2 * np.pi * 23.1 * n / 100.0 + 0.4) + 0.01 * n / 1000.0
    f, P = espectro(x, 100.0, 127)
    escribir(destino + "/impar_L127.csv", f, P, ["impar"])
    escribir_bandas(destino + "/impar_L127_bandas.csv", f, P[np.newaxis, :], ["impar"])

    # Shorter than one segment: 300 samples with the default 512 at 256 Hz;
    # scipy then uses one segment of the whole length.
    n = np.arange(300)
    x = np.sin(2 * np.pi * 12.0 * n / 256.0) + 0.2 * np.sin(2 * np.pi * 40.0 * n / 256.0)
    f, P = espectro(x, 256.0, 512)
    escribir(destino + "/corta_300.csv", f, P, ["corta"])


if __name__ == "__main__":
    main()
