#!/usr/bin/env python3
"""References for epochs, baseline and peak-to-peak rejection, from MNE-Python.

    /usr/bin/python3 tests/data/epocas/generar_epocas.py

Run by hand from the project root (needs python3-mne and ../shared/data);
the tests read only the small text files it writes here:

- <caso>_corte.txt, <caso>_lineabase.txt: one line per epoch and channel,
  "epoca canal media desviacion primera ultima cero" in µV (population
  standard deviation, first, last and event-time samples), from mne.Epochs
  with baseline=None and with the baseline given;
- <caso>_rechazo.txt: the threshold in µV (the 0.7 quantile of the epochs'
  largest peak to peak after the baseline), then the indices (0-based,
  among the events of the chosen types in file order) of the epochs MNE
  keeps with reject=dict(eeg=threshold) after the baseline;
- <caso>_promedio.txt: "tipo canal media desviacion minimo maximo cero" of
  each kind's average of the kept epochs.

p300_8ch.gdf is read by MNE itself. MNE has no BCI2000 reader, so
motor_64ch.dat is read here with numpy from the format's description: the
header's SourceCh, StatevectorLen and HeaderLen, int16 samples scaled by
SourceChOffset and SourceChGain, and an event where the StimulusCode state
turns from 0 to a code.
"""

import os
import re

import mne
import numpy as np

mne.set_log_level("ERROR")
AQUI = os.path.dirname(os.path.abspath(__file__))
DATOS = os.path.join(AQUI, "..", "..", "..", "..", "shared", "data")


def leer_bci2000(ruta):
    crudo = open(ruta, "rb").read()
    primera = crudo.split(b"\n", 1)[0].decode("latin-1")
    campos = dict(re.findall(r"(\w+)=\s*(\d+)", primera))
    largo, canales, estado = int(campos["HeaderLen"]), int(campos["SourceCh"]), int(campos["StatevectorLen"])
    cabecera = crudo[:largo].decode("latin-1")

    def lista(nombre):
        m = re.search(r"\s" + nombre + r"=\s+(\d+)\s+(.*)", cabecera)
        n = int(m.group(1))
        return [float(v) for v in m.group(2).split()[:n]]

    offset, gain = np.array(lista("SourceChOffset")), np.array(lista("SourceChGain"))
    m = re.search(r"\nStimulusCode\s+(\d+)\s+\d+\s+(\d+)\s+(\d+)", cabecera)
    largo_estado, byte, bit = (int(v) for v in m.groups())
    paso = 2 * canales + estado
    cuerpo = np.frombuffer(crudo[largo:], dtype=np.uint8)
    n = len(cuerpo) // paso
    filas = cuerpo[: n * paso].reshape(n, paso)
    x = filas[:, : 2 * canales].copy().view("<i2").astype(float)
    x = (x - offset) * gain
    # The state's bits, little-endian from its first byte and bit.
    bytes_estado = (bit + largo_estado + 7) // 8
    vector = np.zeros(n, dtype=np.int64)
    for k in range(bytes_estado):
        vector |= filas[:, 2 * canales + byte + k].astype(np.int64) << (8 * k)
    codigo = (vector >> bit) & ((1 << largo_estado) - 1)
    previo = np.concatenate([[0], codigo[:-1]])
    inicios = np.flatnonzero((codigo != 0) & (previo == 0))
    eventos = np.column_stack([inicios, np.zeros_like(inicios), codigo[inicios]])
    return x.T, eventos


def resumen_epocas(datos):
    filas = []
    for e in range(datos.shape[0]):
        for c in range(datos.shape[1]):
            v = datos[e, c]
            filas.append((e, c, v.mean(), v.std(), v[0], v[-1]))
    return filas


def escribir(nombre, filas, cabecera=None):
    with open(os.path.join(AQUI, nombre), "w") as f:
        if cabecera is not None:
            f.write(cabecera + "\n")
        for fila in filas:
            f.write(" ".join(repr(int(v)) if isinstance(v, (int, np.integer)) else repr(float(v)) for v in fila) + "\n")


def caso(nombre, raw, eventos, tipos, tmin, tmax, base, cuantil):
    elegidos = eventos[np.isin(eventos[:, 2], tipos)]
    ids = {str(t): int(t) for t in tipos}
    comun = dict(events=elegidos, event_id=ids, tmin=tmin, tmax=tmax, preload=True)
    cero = int(round(-tmin * raw.info["sfreq"]))

    def con_cero(ep):
        d = ep.get_data() * 1e6
        return [f + (d[f[0], f[1], cero],) for f in resumen_epocas(d)]

    corte = mne.Epochs(raw, baseline=None, **comun)
    escribir(nombre + "_corte.txt", con_cero(corte))
    linea = mne.Epochs(raw, baseline=base, **comun)
    escribir(nombre + "_lineabase.txt", con_cero(linea))
    # The threshold: the given quantile of the epochs' largest peak to peak
    # after the baseline, so that some epochs go and some stay.
    d = linea.get_data() * 1e6
    umbral = float(np.quantile((d.max(axis=2) - d.min(axis=2)).max(axis=1), cuantil))
    rechazo = mne.Epochs(raw, baseline=base, reject=dict(eeg=umbral * 1e-6), **comun)
    escribir(nombre + "_rechazo.txt", [(i,) for i in rechazo.selection], cabecera=repr(float(umbral)))
    promedio = []
    for t in tipos:
        d = rechazo[str(t)].average().data * 1e6
        for c in range(d.shape[0]):
            promedio.append((int(t), c, d[c].mean(), d[c].std(), d[c].min(), d[c].max(), d[c, cero]))
    escribir(nombre + "_promedio.txt", promedio)
    print(nombre, "épocas", len(corte), "de", len(elegidos), "; tras el rechazo", len(rechazo))


raw = mne.io.read_raw_gdf(os.path.join(DATOS, "p300_8ch.gdf"), preload=True)
eventos, codigos = mne.events_from_annotations(raw)
# Back from MNE's ids to the file's type codes.
inverso = {v: int(k) for k, v in codigos.items()}
eventos[:, 2] = [inverso[v] for v in eventos[:, 2]]
caso("p300", raw, eventos, [1, 2], -0.2, 0.8, (-0.2, 0.0), 0.7)

x, eventos = leer_bci2000(os.path.join(DATOS, "motor_64ch.dat"))
info = mne.create_info([f"c{i}" for i in range(x.shape[0])], 160.0, "eeg")
raw = mne.io.RawArray(x * 1e-6, info)
caso("motor", raw, eventos, [1, 2], -1.0, 4.0, (-0.5, 0.0), 0.7)
