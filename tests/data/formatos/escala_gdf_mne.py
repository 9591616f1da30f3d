#!/usr/bin/python3
"""How an independent reader (MNE-Python) scales GDF samples, run once from
the project root: /usr/bin/python3 tests/data/formatos/escala_gdf_mne.py
Its output, escala_gdf_mne.txt, is committed beside it.

Two one-channel GDF 1.25 files are written to a temporary folder with the
same ranges (physical -100..100 uV over digital -1000..1000, 0.1 uV per
step): one of int16 samples, one of float64 samples (type 17). A third line
reads the P300 recording of the shared data. Values are printed in uV."""
import os
import struct
import tempfile

import mne


def gdf1(ruta, tipo, formato, valores):
    cabecera = b"GDF 1.25" + b" " * 176
    cabecera += struct.pack("<q", 512) + struct.pack("<QQQ", 0, 0, 0) + b"\0" * 20
    cabecera += struct.pack("<qIII", len(valores), 1, 100, 1)
    cabecera += b"Cz".ljust(16) + b" " * 80 + b"uV".ljust(8)
    cabecera += struct.pack("<ddqq", -100.0, 100.0, -1000, 1000) + b" " * 80
    cabecera += struct.pack("<II", 1, tipo) + b"\0" * 32
    datos = b"".join(struct.pack(formato, v) for v in valores)
    with open(ruta, "wb") as f:
        f.write(cabecera + datos + bytes([1, 0, 0, 0]) + struct.pack("<I", 0))


with tempfile.TemporaryDirectory() as carpeta, open(
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "escala_gdf_mne.txt"), "w") as salida:
    casos = [("int16", 3, "<h", [1, -2, 1000]), ("float64", 17, "<d", [1.5, -2.0, 1000.0])]
    for nombre, tipo, formato, valores in casos:
        ruta = os.path.join(carpeta, nombre + ".gdf")
        gdf1(ruta, tipo, formato, valores)
        raw = mne.io.read_raw_gdf(ruta, preload=True, verbose="error")
        salida.write("%s guardados %s fisicos %s\n" % (nombre, valores, [round(v, 12) for v in raw.get_data()[0] * 1e6]))
    raw = mne.io.read_raw_gdf("../shared/data/p300_8ch.gdf", preload=True, verbose="error")
    salida.write("p300_8ch.gdf Fz columnas 0..2 fisicos %s\n" % [round(v, 12) for v in raw.get_data()[0, :3] * 1e6])
