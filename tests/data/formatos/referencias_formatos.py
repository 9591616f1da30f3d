#!/usr/bin/python3
# Reference values of the sample recordings in ../shared/data/formatos, read
# by MNE-Python (run once; the test suite reads the .tsv files written here).
# Values in microvolts; event columns count from 0; for the BDF file the
# events are the changes of the Status channel's low 16 bits to a non-zero
# value, taken from the channel's values as MNE decodes them.
import sys
import numpy as np
import mne

RAIZ = sys.argv[1] if len(sys.argv) > 1 else "../shared/data/formatos"


def escribir(nombre, raw, eventos, excluir=()):
    datos = raw.get_data() * 1e6
    n = datos.shape[1]
    columnas = [0, 1, n // 2, n - 1]
    with open(nombre, "w") as f:
        f.write("frecuencia\t%r\n" % raw.info["sfreq"])
        f.write("muestras\t%d\n" % n)
        f.write("columnas\t" + "\t".join(str(c) for c in columnas) + "\n")
        for i, etiqueta in enumerate(raw.ch_names):
            if etiqueta in excluir:
                continue
            f.write("canal\t%s\t" % etiqueta + "\t".join(repr(float(datos[i, c])) for c in columnas) + "\n")
        for columna, duracion, texto in eventos:
            f.write("evento\t%d\t%d\t%s\n" % (columna, duracion, texto))


def anotaciones(raw):
    sf = raw.info["sfreq"]
    return [(int(round(a["onset"] * sf)), int(round(a["duration"] * sf)), a["description"]) for a in raw.annotations]


raw = mne.io.read_raw_edf(RAIZ + "/edfplus_139ch.edf", preload=True, verbose="error")
escribir("edfplus_139ch.tsv", raw, anotaciones(raw))

raw = mne.io.read_raw_bdf(RAIZ + "/bdf_4ch_status.bdf", preload=True, verbose="error")
estado = raw.get_data(picks=["Status"])[0].astype(np.int64) & 0xFFFF
eventos = []
anterior = 0
for i, v in enumerate(estado):
    if v != anterior and v != 0:
        eventos.append((i, 0, str(int(v))))
    anterior = v
escribir("bdf_4ch_status.tsv", raw, eventos, excluir=("Status",))

raw = mne.io.read_raw_brainvision(RAIZ + "/test_NO.vhdr", preload=True, verbose="error")
escribir("test_NO.tsv", raw, anotaciones(raw))
