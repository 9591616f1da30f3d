#!/usr/bin/python3
# Reads back with MNE-Python the EDF+ and BDF+ files that ondelar-cli writes
# (run once; its output, releido_mne.txt, is committed beside it):
#   ondelar-cli run ../shared/data/p300_8ch.gdf --out /tmp/p300.edf   (and .bdf)
#   tests/data/formatos/releer_con_mne.py /tmp/p300.edf /tmp/p300.bdf ../shared/data/p300_8ch.gdf
# For each file: rate, shape, labels, the largest difference from the GDF's
# samples (µV) and the number of annotations with their first onsets (columns).
import sys
import numpy as np
import mne

original = mne.io.read_raw_gdf(sys.argv[-1], preload=True, verbose="error")
referencia = original.get_data() * 1e6
for ruta in sys.argv[1:-1]:
    lector = mne.io.read_raw_bdf if ruta.lower().endswith(".bdf") else mne.io.read_raw_edf
    raw = lector(ruta, preload=True, verbose="error")
    datos = raw.get_data() * 1e6
    n = min(datos.shape[1], referencia.shape[1])
    sf = raw.info["sfreq"]
    print(ruta.split("/")[-1], "frecuencia", sf, "forma", datos.shape, "etiquetas", ",".join(raw.ch_names))
    print("  mayor diferencia con el GDF (µV):", float(np.max(np.abs(datos[:, :n] - referencia[:, :n]))))
    columnas = [int(round(a["onset"] * sf)) for a in raw.annotations]
    textos = sorted(set(a["description"] for a in raw.annotations))
    print("  anotaciones:", len(columnas), "primeras columnas:", columnas[:5], "textos:", ",".join(textos))
