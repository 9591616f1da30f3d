#!/usr/bin/python3
"""References of the cleaning steps (remuestreo, linea, referencia), computed
with Debian's python3-scipy and python3-mne: the expected numbers of
tests/dsp/remuestreo_test.cpp, tests/filtering/linea_test.cpp and
tests/averaging/referencia_test.cpp.

Synthetic signals are rebuilt by the tests from the same formula (senal):
  x_c(i) = 20 sin(2 pi 10 t + c) + 30 sin(2 pi L t + c/2) + 5 sin(2 pi 2L t + c/4)
           + 8 sin(2 pi 3.3 t + 2c) + 4 sin(2 pi 0.45 fs t),   t = i / fs,
L the line frequency; the last channel is silent (all zeros).

1. scipy.signal.resample_poly(x, up, down, axis=1) with its defaults, up/down
   reduced: synthetic 1000 -> 256, 5000 -> 250 and 512 -> 256 Hz, and the
   first 4 channels, first 1024 samples of p300_8ch.gdf from 256 to 100 Hz.
2. mne.filter.notch_filter(x, fs, freqs, method='fir') with MNE's defaults,
   freqs the multiples k L with k L + k L / 400 + 0.5 < fs / 2; the script
   checks that MNE refuses the next multiple. Synthetic 256 Hz / 50 Hz (20 s)
   and 1000 Hz / 60 Hz (10 s), and p300_8ch.gdf's first 4 channels, first
   30 s, at 60 Hz. Only samples 0-299, 300 from the middle and the last 300
   are kept (parte*.bin): both ends and a stretch far from them.
3. mne.set_eeg_reference on p300_8ch.gdf's first 4 channels (Fz Cz P3 Pz),
   first 256 samples: 'average', ['Cz', 'Pz'] and ['Cz'].

Outputs: Armadillo binary matrices ("ARMA_MAT_BIN_FN008", rows x cols,
doubles, column-major), values in microvolts.
"""
import os
import sys

import numpy as np

AQUI = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(AQUI))
from arma import DATOS, guardar_arma as guardar_en  # noqa: E402


def guardar_arma(nombre, m):
    guardar_en(os.path.join(AQUI, nombre), m)



def senal(fs, n, canales, linea):
    x = np.zeros((canales, n))
    for c in range(canales - 1):
        for i in range(n):
            t = i / fs
            x[c, i] = (20 * np.sin(2 * np.pi * 10 * t + c) + 30 * np.sin(2 * np.pi * linea * t + c / 2)
                       + 5 * np.sin(2 * np.pi * 2 * linea * t + c / 4) + 8 * np.sin(2 * np.pi * 3.3 * t + 2 * c)
                       + 4 * np.sin(2 * np.pi * 0.45 * fs * t))
    return x


def partes(y):
    n = y.shape[1]
    m = n // 2 - 150
    return np.hstack([y[:, :300], y[:, m:m + 300], y[:, n - 300:]])


def armonicos(linea, fs):
    r = []
    f = linea
    while f + f / 400 + 0.5 < fs / 2:
        r.append(f)
        f += linea
    return r


def p300(canales, muestras):
    import mne
    raw = mne.io.read_raw_gdf(os.path.join(DATOS, "p300_8ch.gdf"), preload=True)
    return raw.get_data()[:canales, :muestras] * 1e6, raw.ch_names[:canales]


def remuestreos():
    from math import gcd
    from scipy.signal import resample_poly
    for origen, destino, n in [(1000, 256, 1007), (5000, 250, 5003), (512, 256, 1023)]:
        g = gcd(origen, destino)
        y = resample_poly(senal(origen, n, 3, 50.0), destino // g, origen // g, axis=1)
        guardar_arma("remuestreo_%d_%d.bin" % (origen, destino), y)
    x, _ = p300(4, 1024)
    guardar_arma("remuestreo_p300_256_100.bin", resample_poly(x, 25, 64, axis=1))


def muescas():
    import mne
    casos = [("linea_256_50", 256.0, 50.0, senal(256.0, 5120, 3, 50.0)),
             ("linea_1000_60", 1000.0, 60.0, senal(1000.0, 10000, 2, 60.0)),
             ("linea_p300_60", 256.0, 60.0, p300(4, 7680)[0])]
    for nombre, fs, linea, x in casos:
        f = armonicos(linea, fs)
        y = mne.filter.notch_filter(x, fs, f, method="fir")
        try:
            mne.filter.notch_filter(x, fs, f + [f[-1] + linea], method="fir")
            raise AssertionError("MNE acepta %g Hz a %g Hz" % (f[-1] + linea, fs))
        except ValueError:
            pass
        guardar_arma(nombre + "_tramos.bin", partes(y))


def referencias():
    import mne
    x, nombres = p300(4, 256)
    info = mne.create_info(nombres, 256.0, "eeg")
    for nombre, ref in [("media", "average"), ("Cz_Pz", ["Cz", "Pz"]), ("Cz", ["Cz"])]:
        raw = mne.io.RawArray(x.copy(), info)
        raw, _ = mne.set_eeg_reference(raw, ref, copy=False)
        guardar_arma("referencia_%s.bin" % nombre, raw.get_data())


def main():
    import mne
    import scipy
    mne.set_log_level("ERROR")
    remuestreos()
    muescas()
    referencias()
    with open(os.path.join(AQUI, "versiones.txt"), "w") as f:
        f.write("generar_limpieza.py: MNE %s, scipy %s, numpy %s\n" % (mne.__version__, scipy.__version__,
                                                                      np.__version__))


if __name__ == "__main__":
    sys.exit(main())
