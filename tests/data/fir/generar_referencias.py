#!/usr/bin/python3
"""Reference FIR designs from scipy.signal.firwin (Debian python3-scipy).

Writes referencias_firwin.txt, which tests/dsp/fir/referencias_test.cpp reads.
firwin with window='hamming' and scale=True builds the same windowed-sinc
filters with the same normalisations as our designers:
  low-pass   firwin(M+1, fc)                       unit gain at 0
  high-pass  firwin(M+1, fc, pass_zero=False)      unit gain at Nyquist
  band-pass  firwin(M+1, [f0, f1], pass_zero=False) unit gain at (f0+f1)/2
  band-stop  firwin(M+1, [f0, f1])                 unit gain at 0
(cut-offs normalised to Nyquist, firwin's default fs=2). Before writing, each
design is checked against the textbook formulas evaluated here with numpy, so
the file only holds numbers both agree on.

Line format (blank-separated, numbers with 17 significant digits):
  VENTANA n w0 ... w(n-1)
  <TIPO> orden f0 f1 b0 ... bM       (f1 = 0 for the single-edge types)
"""
import os

import numpy as np
from scipy.signal import firwin
from scipy.signal.windows import hamming

AQUI = os.path.dirname(os.path.abspath(__file__))


def formula(tipo, orden, f0, f1):
    t = np.arange(orden + 1) - orden / 2.0
    w = 0.54 - 0.46 * np.cos(2 * np.pi * np.arange(orden + 1) / orden) if orden > 0 else np.ones(1)
    n = np.arange(orden + 1)
    if tipo == "LOW":
        b = f0 * w * np.sinc(t * f0)
        return b / b.sum()
    if tipo == "HIGH":
        b = w * (np.sinc(t) - f0 * np.sinc(t * f0))
        return b / abs(np.sum(b * np.exp(-1j * np.pi * n)))
    if tipo == "BANDPASS":
        b = w * (f1 * np.sinc(t * f1) - f0 * np.sinc(t * f0))
        return b / abs(np.sum(b * np.exp(-1j * np.pi * n * (f0 + f1) / 2)))
    if tipo == "BANDSTOP":
        b = w * (np.sinc(t) - f1 * np.sinc(t * f1) + f0 * np.sinc(t * f0))
        return b / b.sum()
    raise ValueError(tipo)


def referencia(tipo, orden, f0, f1):
    taps = orden + 1
    if tipo == "LOW":
        return firwin(taps, f0, window="hamming", pass_zero=True, scale=True)
    if tipo == "HIGH":
        return firwin(taps, f0, window="hamming", pass_zero=False, scale=True)
    if tipo == "BANDPASS":
        return firwin(taps, [f0, f1], window="hamming", pass_zero=False, scale=True)
    if tipo == "BANDSTOP":
        return firwin(taps, [f0, f1], window="hamming", pass_zero=True, scale=True)
    raise ValueError(tipo)


# The worked example (256 Hz, 1 to 40 Hz, 60 dB: base order 17) gives the
# normalised edges 1/128 and 40/128; the rest cover short, odd, even and long
# orders and edges near 0 and near Nyquist.
W_LO, W_HI = 1.0 / 128.0, 40.0 / 128.0
CASOS = [
    ("LOW", 17, W_LO, 0.0), ("LOW", 1, 0.3, 0.0), ("LOW", 2, 0.5, 0.0), ("LOW", 30, 0.125, 0.0),
    ("LOW", 63, 0.9, 0.0), ("LOW", 101, 0.02, 0.0),
    ("HIGH", 18, W_LO, 0.0), ("HIGH", 2, 0.5, 0.0), ("HIGH", 40, 0.25, 0.0), ("HIGH", 64, 0.05, 0.0),
    ("HIGH", 100, 0.95, 0.0),
    ("BANDPASS", 18, W_LO, W_HI), ("BANDPASS", 19, 0.2, 0.4), ("BANDPASS", 2, 0.1, 0.9),
    ("BANDPASS", 50, 0.375, 0.4375), ("BANDPASS", 120, 0.01, 0.99),
    ("BANDSTOP", 18, W_LO, W_HI), ("BANDSTOP", 2, 0.3, 0.6), ("BANDSTOP", 40, 0.375, 0.4375),
    ("BANDSTOP", 96, 0.1, 0.8),
]
VENTANAS = [2, 3, 8, 19, 64]


def numeros(v):
    return " ".join("%.17g" % x for x in v)


def main():
    lineas = []
    for n in VENTANAS:
        w = hamming(n, sym=True)
        propia = 0.54 - 0.46 * np.cos(2 * np.pi * np.arange(n) / (n - 1))
        assert np.max(np.abs(w - propia)) < 1e-14, n
        lineas.append("VENTANA %d %s" % (n, numeros(w)))
    for tipo, orden, f0, f1 in CASOS:
        b = referencia(tipo, orden, f0, f1)
        assert len(b) == orden + 1
        d = np.max(np.abs(b - formula(tipo, orden, f0, f1)))
        assert d < 1e-13, (tipo, orden, f0, f1, d)
        lineas.append("%s %d %s %s %s" % (tipo, orden, "%.17g" % f0, "%.17g" % f1, numeros(b)))
    with open(os.path.join(AQUI, "referencias_firwin.txt"), "w") as f:
        f.write("# scipy.signal.firwin %s, window='hamming', scale=True; made by generar_referencias.py\n"
                % __import__("scipy").__version__)
        f.write("\n".join(lineas) + "\n")


if __name__ == "__main__":
    main()
