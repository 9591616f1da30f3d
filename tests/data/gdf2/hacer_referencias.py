#!/usr/bin/python3
"""Writes the reference values of the GDF 2 sample files, run once from the
project root: /usr/bin/python3 tests/data/gdf2/hacer_referencias.py

Each file gives referencia_<name>.txt with lines
  fuente <mne|numpy>     who decoded the samples
  forma <channels> <samples>
  frecuencia <Hz>
  etiqueta <channel> <label>
  muestra <channel> <column> <physical value, in the channel's unit>
  evento <column> <type> <duration in columns> <channel>

MNE-Python returns physical values in volts; they are written in each
channel's own unit (its header's physical dimension). Where MNE cannot open a
file, a plain numpy decoding of the byte layout is used instead (the line
"fuente numpy" says so): physmin + (digital - digmin) x (physmax - physmin) /
(digmax - digmin) per channel, lower-rate channels held over the columns of
the fastest one.
"""
import os
import struct

import numpy as np

CARPETA = "../shared/data/formatos"
SALIDA = os.path.dirname(os.path.abspath(__file__))
UNIDADES = {"V": 1.0, "mV": 1e-3, "uV": 1e-6, "µV": 1e-6, "nV": 1e-9}


def cabecera(ruta):
    b = open(ruta, "rb").read()
    ns = struct.unpack_from("<H", b, 252)[0]
    longitud = 256 * struct.unpack_from("<H", b, 184)[0]
    nrec = struct.unpack_from("<q", b, 236)[0]
    o = 256
    etiquetas = [b[o + 16 * i:o + 16 * i + 16].split(b"\0")[0].decode("latin-1").strip() for i in range(ns)]
    o += 96 * ns
    unidades = [b[o + 6 * i:o + 6 * i + 6].split(b"\0")[0].decode("latin-1").strip() for i in range(ns)]
    o += 8 * ns
    campos = [np.frombuffer(b, "<f8", ns, o + 8 * ns * k) for k in range(4)]
    o += 32 * ns + 80 * ns
    spr = np.frombuffer(b, "<u4", ns, o)
    tipo = np.frombuffer(b, "<u4", ns, o + 4 * ns)
    return b, ns, longitud, nrec, etiquetas, unidades, campos, spr, tipo


def eventos_numpy(b, inicio, frecuencia):
    modo = b[inicio]
    n = b[inicio + 1] | (b[inicio + 2] << 8) | (b[inicio + 3] << 16)
    tasa = struct.unpack_from("<f", b, inicio + 4)[0]
    o = inicio + 8
    pos = np.frombuffer(b, "<u4", n, o)
    typ = np.frombuffer(b, "<u2", n, o + 4 * n)
    chn = np.zeros(n, int)
    dur = np.zeros(n, int)
    if modo & 3 == 3:
        chn = np.frombuffer(b, "<u2", n, o + 6 * n)
        dur = np.frombuffer(b, "<u4", n, o + 8 * n)
    escala = frecuencia / tasa if tasa > 0 else 1.0
    return [(int(round((p - 1) * escala)), int(t), int(round(d * escala)), int(c)) for p, t, d, c in zip(pos, typ, dur, chn)]


def escribir(nombre, fuente, forma, frecuencia, etiquetas, fisico, eventos):
    with open(os.path.join(SALIDA, "referencia_" + nombre + ".txt"), "w") as f:
        f.write(f"fuente {fuente}\nforma {forma[0]} {forma[1]}\nfrecuencia {frecuencia:g}\n")
        for c, e in enumerate(etiquetas):
            f.write(f"etiqueta {c} {e}\n")
        canales = sorted(set([0, forma[0] // 3, forma[0] // 2, forma[0] - 1] + list(range(min(forma[0], 12)))))
        columnas = [0, 1, 2, 37, forma[1] // 2, forma[1] - 1]
        for c in canales:
            for k in columnas:
                f.write(f"muestra {c} {k} {fisico[c, k]:.9g}\n")
        for ev in eventos:
            f.write("evento %d %d %d %d\n" % ev)


def con_mne(nombre):
    import mne
    ruta = os.path.join(CARPETA, nombre + ".gdf")
    b, ns, longitud, nrec, etiquetas, unidades, campos, spr, tipo = cabecera(ruta)
    raw = mne.io.read_raw_gdf(ruta, preload=True, verbose="error")
    fisico = raw.get_data() / np.array([UNIDADES.get(u, 1.0) for u in unidades])[:, None]
    eventos = []
    for a in raw.annotations:
        eventos.append((int(round(a["onset"] * raw.info["sfreq"])), int(float(a["description"])),
                        int(round(a["duration"] * raw.info["sfreq"])), 0))
    escribir(nombre, "mne", fisico.shape, raw.info["sfreq"], raw.ch_names, fisico, eventos)


def con_numpy(nombre):
    ruta = os.path.join(CARPETA, nombre + ".gdf")
    b, ns, longitud, nrec, etiquetas, unidades, (pmin, pmax, dmin, dmax), spr, tipo = cabecera(ruta)
    assert set(tipo) == {3}, "only int16 is decoded here"
    duracion = struct.unpack_from("<d", b, 244)[0]  # this file writes it as a float64
    maximo = int(spr.max())
    datos = np.frombuffer(b, "<i2", int(nrec * spr.sum()), longitud).reshape(nrec, int(spr.sum()))
    digital = np.zeros((ns, nrec * maximo))
    inicio = [0] + [int(x) for x in np.cumsum(spr)]
    for c in range(ns):
        trozo = datos[:, inicio[c]:inicio[c + 1]].reshape(-1)
        digital[c] = np.repeat(trozo, maximo // int(spr[c]))
    fisico = pmin[:, None] + (digital - dmin[:, None]) * ((pmax - pmin) / (dmax - dmin))[:, None]
    frecuencia = maximo / duracion
    eventos = eventos_numpy(b, longitud + 2 * int(nrec * spr.sum()), frecuencia)
    escribir(nombre, "numpy", fisico.shape, frecuencia, etiquetas, fisico, eventos)


for nombre in ["gdf2_10_1ch", "gdf2_51_139ch"]:
    try:
        con_mne(nombre)
    except Exception as e:  # MNE 1.3 stops at the 2.51 header extension
        print(nombre, "MNE:", type(e).__name__, e)
        con_numpy(nombre)
