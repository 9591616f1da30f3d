#!/bin/sh
# GDF 2.51 files written by BioSig (Debian's biosig-tools, save2gdf), with
# BioSig's own reading of each as the reference. Run once from the project
# root; the test suite only reads the outputs:
#   tests/data/gdf2/hacer_gdf2_biosig.sh
#
# - bdf_4ch_status_biosig.gdf: the first 2 s of formatos/bdf_4ch_status.bdf
#   (save2gdf's "[0,2]"), 500 Hz, one sample per record of 0.002 s; the cut
#   keeps the whole event table, 6 of whose 9 events lie past the samples.
# - senal_200hz_biosig.gdf: a BrainVision recording of 3 channels at 200 Hz
#   (made below: float32, New Segment dated 2021-06-11 09:30:05.25, four
#   markers) converted by save2gdf: records of one sample, 0.005 s. (BioSig
#   2.5.0 aborts converting an EDF+ with more than one annotation signal,
#   as our writer makes them for events, so the EDF+ step is left out.)
# BioSig stores these durations as a float64 (header bytes 244-251).
#
# referencia_<name>.txt: BioSig's reading, save2gdf -JSON (rate, start,
# labels, events: type, position and duration in seconds, turned into
# columns) and save2gdf -CSV (every sample, in the channel's unit, with the
# six significant digits that BioSig prints), lines
#   fuente biosig
#   forma <channels> <samples>
#   frecuencia <Hz>
#   fecha <StartOfRecording, ISO 8601>
#   tolerancia <relative difference the printed digits allow>
#   etiqueta <channel> <label>
#   valores <channel> <value of column 0> <column 1> ...
#   evento <column> <type> <duration in columns> <channel>
set -eu
DATOS=$(realpath ../shared/data)
AQUI=$(dirname "$(realpath "$0")")
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

save2gdf -f=GDF "[0,2]" "$DATOS/formatos/bdf_4ch_status.bdf" "$AQUI/bdf_4ch_status_biosig.gdf" >/dev/null

/usr/bin/python3 - "$TMP" <<'PY'
import sys
import numpy as np
carpeta = sys.argv[1]
fs, n = 200, 600
t = np.arange(n) / fs
senales = np.array([20 * np.sin(2 * np.pi * 10 * t), 15 * np.cos(2 * np.pi * 3 * t) + 2,
                    5 * np.sin(2 * np.pi * 0.5 * t) - 0.001 * np.arange(n)], dtype="<f4")
senales.T.tofile(carpeta + "/s200.eeg")  # multiplexed
cabecera = ["Brain Vision Data Exchange Header File Version 1.0", "[Common Infos]", "Codepage=UTF-8",
            "DataFile=s200.eeg", "MarkerFile=s200.vmrk", "DataFormat=BINARY", "DataOrientation=MULTIPLEXED",
            "NumberOfChannels=3", "SamplingInterval=5000", "[Binary Infos]", "BinaryFormat=IEEE_FLOAT_32",
            "[Channel Infos]", "Ch1=Fz,,1,µV", "Ch2=Cz,,1,µV", "Ch3=Pz,,1,µV"]
open(carpeta + "/s200.vhdr", "w").write("\r\n".join(cabecera) + "\r\n")
marcas = ["Brain Vision Data Exchange Marker File, Version 1.0", "[Common Infos]", "Codepage=UTF-8",
          "DataFile=s200.eeg", "[Marker Infos]", "Mk1=New Segment,,1,1,0,20210611093005250000",
          "Mk2=Stimulus,S  1,101,1,0", "Mk3=Stimulus,S  2,251,1,0", "Mk4=Stimulus,S  1,401,1,0",
          "Mk5=Response,R  3,500,1,0"]
open(carpeta + "/s200.vmrk", "w").write("\r\n".join(marcas) + "\r\n")
PY
save2gdf -f=GDF "$TMP/s200.vhdr" "$AQUI/senal_200hz_biosig.gdf" >/dev/null

for nombre in bdf_4ch_status_biosig senal_200hz_biosig; do
    save2gdf -JSON "$AQUI/$nombre.gdf" > "$TMP/$nombre.json" 2>/dev/null
    save2gdf -CSV "$AQUI/$nombre.gdf" "$TMP/$nombre.csv" >/dev/null 2>&1
    /usr/bin/python3 - "$TMP/$nombre" "$AQUI/referencia_$nombre.txt" <<'PY'
import csv, json, sys
entrada, salida = sys.argv[1], sys.argv[2]
texto = open(entrada + ".json").read()
cabecera = json.loads(texto[texto.index("{"):])
filas = list(csv.reader(open(entrada + ".csv")))
etiquetas = [c.rsplit(" [", 1)[0] for c in filas[0]]
valores = [[fila[c] for fila in filas[1:] if fila] for c in range(len(etiquetas))]
fs = cabecera["Samplingrate"]
with open(salida, "w") as f:
    f.write("fuente biosig\nforma %d %d\nfrecuencia %g\n" % (len(etiquetas), len(valores[0]), fs))
    f.write("fecha %s\n" % cabecera["StartOfRecording"].replace(" ", "T"))
    f.write("tolerancia 5e-6\n")  # printed with six significant digits
    for c, e in enumerate(etiquetas):
        f.write("etiqueta %d %s\n" % (c, e))
    for c, v in enumerate(valores):
        f.write("valores %d %s\n" % (c, " ".join(v)))
    for e in cabecera.get("EVENT", []):
        f.write("evento %d %d %d %d\n" % (round(e["POS"] * fs), int(e["TYP"], 16), round(e.get("DUR", 0) * fs),
                                          e.get("CHN", 0)))
PY
done
ls -l "$AQUI"
