#!/usr/bin/python3
# A small EDF+ in the form of BCI2000's own export (that of the public
# motor-imagery recordings): dotted labels ("C3..", "Af3."), a transducer
# text and the dimension "-" on the annotation signal, annotations T0/T1/T2
# with durations; 4 channels at 160 Hz, three 1 s records. Writes
# bci2000_edfplus.edf and, as MNE-Python reads it, bci2000_edfplus.tsv
# (the format of referencias_formatos.py). Run once from this folder.
import struct
import numpy as np
import mne

ETIQUETAS = ["Fc5.", "C3..", "Af3.", "Iz.."]
FS, REGISTROS, BYTES_TAL = 160, 3, 120


def campo(texto, n):
    return texto.encode("ascii")[:n].ljust(n, b" ")


def cabecera():
    ns = len(ETIQUETAS) + 1
    h = campo("0", 8) + campo("X X X X", 80) + campo("Startdate 12-AUG-2009 X X BCI2000", 80)
    h += campo("12.08.09", 8) + campo("16.15.00", 8) + campo(str(256 * (ns + 1)), 8) + campo("EDF+C", 44)
    h += campo(str(REGISTROS), 8) + campo("1", 8) + campo(str(ns), 4)
    porSenal = [
        (16, ETIQUETAS, "EDF Annotations"), (80, [""] * 4, "BCI2000 event annotations"), (8, ["uV"] * 4, "-"),
        (8, ["-8092"] * 4, "-1"), (8, ["8092"] * 4, "1"), (8, ["-8092"] * 4, "-32768"), (8, ["8092"] * 4, "32767"),
        (80, ["HP:0Hz LP:0Hz N:0Hz"] * 4, ""), (8, [str(FS)] * 4, str(BYTES_TAL // 2)), (32, [""] * 4, ""),
    ]
    for ancho, datos, anotaciones in porSenal:
        h += b"".join(campo(t, ancho) for t in datos) + campo(anotaciones, ancho)
    return h


def registros():
    anotaciones = {0: [(0.0, 1.0, "T0")], 1: [(1.25, 1.5, "T2")], 2: [(2.5, 0.5, "T1")]}
    d = b""
    for r in range(REGISTROS):
        for s in range(len(ETIQUETAS)):
            valores = [((r * 997 + s * 131 + k * 37) % 16185) - 8092 for k in range(FS)]
            d += struct.pack("<%dh" % FS, *valores)
        tal = ("+%d\x14\x14\x00" % r).encode()
        for inicio, duracion, texto in anotaciones[r]:
            tal += ("+%g\x15%g\x14%s\x14\x00" % (inicio, duracion, texto)).encode()
        d += tal.ljust(BYTES_TAL, b"\x00")
    return d


open("bci2000_edfplus.edf", "wb").write(cabecera() + registros())
raw = mne.io.read_raw_edf("bci2000_edfplus.edf", preload=True, verbose=False)
datos = raw.get_data() * 1e6
n = datos.shape[1]
columnas = [0, 1, 161, n // 2, n - 1]
with open("bci2000_edfplus.tsv", "w") as f:
    f.write("frecuencia\t%r\n" % raw.info["sfreq"])
    f.write("muestras\t%d\n" % n)
    f.write("columnas\t" + "\t".join(str(c) for c in columnas) + "\n")
    for i, etiqueta in enumerate(raw.ch_names):
        f.write("canal\t%s\t" % etiqueta + "\t".join(repr(float(datos[i, c])) for c in columnas) + "\n")
    for a in raw.annotations:
        f.write("evento\t%d\t%d\t%s\n" % (round(a["onset"] * FS), round(a["duration"] * FS), a["description"]))
