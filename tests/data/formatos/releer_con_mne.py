#!/usr/bin/python3
# Reads back with MNE-Python the EDF+ and BDF+ files that ondelar-cli writes
# (run once; its output, releido_mne.txt, is committed beside it):
#   ondelar-cli run ../shared/data/p300_8ch.gdf --out /tmp/p300.edf   (and .bdf, .bin)
#   tests/data/formatos/releer_con_mne.py /tmp/p300.edf /tmp/p300.bdf /tmp/p300.bin
# For each file: rate, shape, labels, the largest difference from the branch
# as written (the .bin, Armadillo's binary matrix) against half a step of the
# widest channel range, and the annotations with their first onsets (columns).
import sys
import numpy as np
import mne

with open(sys.argv[-1], "rb") as f:
    f.readline()
    filas, columnas = (int(v) for v in f.readline().split())
    referencia = np.frombuffer(f.read(), dtype="<f8").reshape(columnas, filas).T
rango = float(np.max(referencia.max(axis=1) - referencia.min(axis=1)))
for ruta in sys.argv[1:-1]:
    lector = mne.io.read_raw_bdf if ruta.lower().endswith(".bdf") else mne.io.read_raw_edf
    raw = lector(ruta, preload=True, verbose="error")
    datos = raw.get_data() * 1e6
    n = min(datos.shape[1], referencia.shape[1])
    sf = raw.info["sfreq"]
    print(ruta.split("/")[-1], "frecuencia", sf, "forma", datos.shape, "etiquetas", ",".join(raw.ch_names))
    pasos = 16777215 if ruta.lower().endswith(".bdf") else 65535
    print("  mayor diferencia con la rama:", float(np.max(np.abs(datos[:, :n] - referencia[:, :n]))),
          "medio paso del rango más ancho:", rango / pasos / 2)
    columnas = [int(round(a["onset"] * sf)) for a in raw.annotations]
    textos = sorted(set(a["description"] for a in raw.annotations))
    print("  anotaciones:", len(columnas), "primeras columnas:", columnas[:5], "textos:", ",".join(textos))
