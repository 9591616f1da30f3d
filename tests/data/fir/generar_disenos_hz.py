#!/usr/bin/python3
"""Reference designs from limits in Hz, with the transition-width rule, made
with scipy.signal.firwin (Debian python3-scipy); and their magnitude responses
at chosen frequencies, evaluated here with numpy from firwin's coefficients.

Writes disenos_hz.txt (tests/dsp/fir/diseno_test.cpp) and respuestas_hz.txt
(tests/dsp/fir/diseno_test.cpp and the README's table).

The order rule, written here from its statement:
  dl(f) = min(max(0.25 f, 2), f),  dh(f) = min(max(0.25 f, 2), fs/2 - f)
  high-pass: d = min(fHi - fLo, dl(fLo)); low-pass: d = min(fHi - fLo, dh(fLo))
  band-pass, band-stop: d = min(fHi - fLo, dl(fLo), dh(fHi))
  M0 = trunc(fs A / (22 d)), made even for every type (M0 + 1 when odd);
  cut-offs at the limits (LOW and HIGH at fLo), normalised to fs/2, Hamming
  window, scale=True.

disenos_hz.txt, one design a line:
  <TIPO> fs A fLo fHi orden b0 ... bM
respuestas_hz.txt, one frequency a line:
  <TIPO> fs A fLo fHi f dB
"""
import math
import os

import numpy as np
from scipy.signal import firwin

AQUI = os.path.dirname(os.path.abspath(__file__))


def ancho(tipo, fs, f_lo, f_hi):
    dl = min(max(0.25 * f_lo, 2.0), f_lo)
    if tipo == "HIGH":
        return min(f_hi - f_lo, dl)
    if tipo == "LOW":
        return min(f_hi - f_lo, min(max(0.25 * f_lo, 2.0), fs / 2.0 - f_lo))
    dh = min(max(0.25 * f_hi, 2.0), fs / 2.0 - f_hi)
    return min(f_hi - f_lo, dl, dh)


def orden(tipo, fs, a, f_lo, f_hi):
    m0 = math.trunc(fs * a / (22.0 * ancho(tipo, fs, f_lo, f_hi)))
    return m0 + 1 if m0 % 2 == 1 else m0


def disenar(tipo, fs, a, f_lo, f_hi):
    taps = orden(tipo, fs, a, f_lo, f_hi) + 1
    ny = fs / 2.0
    if tipo == "LOW":
        return firwin(taps, f_lo / ny, window="hamming", pass_zero=True, scale=True)
    if tipo == "HIGH":
        return firwin(taps, f_lo / ny, window="hamming", pass_zero=False, scale=True)
    if tipo == "BANDPASS":
        return firwin(taps, [f_lo / ny, f_hi / ny], window="hamming", pass_zero=False, scale=True)
    return firwin(taps, [f_lo / ny, f_hi / ny], window="hamming", pass_zero=True, scale=True)


def db(b, fs, f):
    n = np.arange(len(b))
    return 20.0 * np.log10(abs(np.sum(b * np.exp(-2j * np.pi * f * n / fs))))


# The dialog's default, the usual EEG bands, a narrow notch (unchanged by the
# rule), an upper edge near Nyquist, another rate, and the single-edge types.
DISENOS = [
    ("BANDPASS", 256, 60, 1.0, 40.0), ("BANDPASS", 256, 60, 0.5, 30.0), ("BANDPASS", 256, 60, 8.0, 13.0),
    ("BANDPASS", 256, 60, 48.0, 52.0), ("BANDSTOP", 256, 60, 48.0, 52.0), ("BANDSTOP", 256, 40, 1.0, 40.0),
    ("BANDPASS", 256, 60, 100.0, 120.0), ("BANDPASS", 500, 50, 1.0, 40.0),
    ("HIGH", 256, 60, 1.0, 40.0), ("LOW", 256, 60, 30.0, 40.0),
    ("HIGH", 256, 60, 0.5, 40.0), ("HIGH", 256, 60, 8.0, 9.0), ("LOW", 256, 60, 40.0, 60.0),
    ("LOW", 256, 60, 120.0, 127.0),
]
# Responses: DC, half the lower edge, the edges, the band centre and beyond
# the upper edge by its own transition width.
TABLA = [("BANDPASS", 256, 60, 1.0, 40.0), ("BANDPASS", 256, 60, 0.5, 30.0), ("BANDPASS", 256, 60, 8.0, 13.0),
         ("BANDPASS", 256, 60, 48.0, 52.0), ("HIGH", 256, 60, 0.5, 40.0)]


def main():
    lineas = []
    for tipo, fs, a, f_lo, f_hi in DISENOS:
        b = disenar(tipo, fs, a, f_lo, f_hi)
        lineas.append("%s %d %d %.17g %.17g %d %s" % (tipo, fs, a, f_lo, f_hi, len(b) - 1,
                                                      " ".join("%.17g" % x for x in b)))
    cabecera = "# scipy.signal.firwin %s, window='hamming', scale=True; made by generar_disenos_hz.py\n" % (
        __import__("scipy").__version__)
    with open(os.path.join(AQUI, "disenos_hz.txt"), "w") as f:
        f.write(cabecera + "\n".join(lineas) + "\n")

    lineas = []
    for tipo, fs, a, f_lo, f_hi in TABLA:
        b = disenar(tipo, fs, a, f_lo, f_hi)
        dh = min(max(0.25 * f_hi, 2.0), fs / 2.0 - f_hi)
        for f in (0.0, f_lo / 2.0, f_lo, (f_lo + f_hi) / 2.0, f_hi, f_hi + dh):
            lineas.append("%s %d %d %.17g %.17g %.17g %.17g" % (tipo, fs, a, f_lo, f_hi, f, db(b, fs, f)))
    with open(os.path.join(AQUI, "respuestas_hz.txt"), "w") as f:
        f.write(cabecera + "\n".join(lineas) + "\n")


if __name__ == "__main__":
    main()
