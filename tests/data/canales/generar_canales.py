#!/usr/bin/python3
"""References of the bad-channel steps, computed with Debian's python3-mne:
the expected numbers of tests/canales/interpolacion_test.cpp and of the
re-referencing with bad channels in tests/averaging/referencia_test.cpp.

1. mne.set_eeg_reference on p300_8ch.gdf's first 4 channels (Fz Cz P3 Pz),
   first 256 samples, with info['bads'] = ['Pz']: 'average' and ['Cz'].
   MNE 1.3 leaves the bad channel as it was; the test checks the others.
2. inst.interpolate_bads(mode='accurate', origin=(0, 0, 0), reset_bads=True)
   with the positions of the .ced files (their X, Y, Z given to MNE as metres
   after dividing by 1000: only directions from the origin matter):
   - p300_8ch.gdf, the 8 channels, first 256 samples, bads Cz and PO7;
   - 64 channels at motor_64ch.ced's positions, 32 samples of seeded normal
     noise (numpy default_rng(64), 20 µV), bads C3, Oz and T8; the input is
     saved too (interpolacion_64_entrada.bin).

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



def leer_ced(nombre):
    lineas = [l.split("\t") for l in open(os.path.join(DATOS, nombre)).read().splitlines()[1:] if l.strip()]
    return [l[1] for l in lineas], np.array([[float(l[5]), float(l[6]), float(l[7])] for l in lineas])


def p300(canales, muestras):
    import mne
    raw = mne.io.read_raw_gdf(os.path.join(DATOS, "p300_8ch.gdf"), preload=True)
    return raw.get_data()[:canales, :muestras] * 1e6, raw.ch_names[:canales]


def interpolado(x, nombres, posiciones, malos):
    import mne
    raw = mne.io.RawArray(x * 1e-6, mne.create_info(nombres, 256.0, "eeg"))
    raw.set_montage(mne.channels.make_dig_montage(ch_pos=dict(zip(nombres, posiciones / 1000.0)),
                                                  coord_frame="head"))
    raw.info["bads"] = list(malos)
    raw.interpolate_bads(mode="accurate", origin=(0.0, 0.0, 0.0), reset_bads=True)
    assert raw.info["bads"] == []
    return raw.get_data() * 1e6


def referencias():
    import mne
    x, nombres = p300(4, 256)
    for nombre, ref in [("media", "average"), ("Cz", ["Cz"])]:
        raw = mne.io.RawArray(x.copy(), mne.create_info(nombres, 256.0, "eeg"))
        raw.info["bads"] = ["Pz"]
        raw, _ = mne.set_eeg_reference(raw, ref, copy=False)
        guardar_arma("referencia_malos_%s.bin" % nombre, raw.get_data())


def interpolaciones():
    nombres, posiciones = leer_ced("p300_8ch.ced")
    x, _ = p300(8, 256)
    guardar_arma("interpolacion_p300.bin", interpolado(x, nombres, posiciones, ["Cz", "PO7"]))
    nombres, posiciones = leer_ced("motor_64ch.ced")
    x = np.random.default_rng(64).normal(scale=20.0, size=(64, 32))
    guardar_arma("interpolacion_64_entrada.bin", x)
    guardar_arma("interpolacion_64.bin", interpolado(x, nombres, posiciones, ["C3", "Oz", "T8"]))


def main():
    import mne
    mne.set_log_level("ERROR")
    referencias()
    interpolaciones()
    with open(os.path.join(AQUI, "versiones.txt"), "w") as f:
        f.write("generar_canales.py: MNE %s, numpy %s\n" % (mne.__version__, np.__version__))


if __name__ == "__main__":
    sys.exit(main())
