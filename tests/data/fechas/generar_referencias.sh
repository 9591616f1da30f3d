#!/bin/sh
# Writes referencias.txt beside this script: the start date that outside
# readers take from recordings converted by ondelar-cli. Run once from the
# project root after building the runner (needs python3-mne and
# biosig-tools; the test suite only reads the committed output):
#   tests/data/fechas/generar_referencias.sh build-test/ondelar-cli
#
# p300_8ch.dat (StorageTime "Thu Mar 05 11:56:24 2009") becomes p300_8ch.gdf
# (GDF 1.25), .edf (EDF+) and .bdf (BDF+); test_NO.vhdr, whose New Segment
# marker has no date, becomes sin_fecha.edf. Each line of the output:
#   <file> <mne|biosig> <date as ISO 8601 local time, or None>
# MNE: mne.io.read_raw_gdf/edf/bdf(...).info["meas_date"] (UTC, written
# without the zone); BioSig: "StartOfRecording" of save2gdf -JSON.
set -eu
CLI=$(realpath "${1:-build/ondelar-cli}")
DATOS=$(realpath ../shared/data)
SALIDA=$(dirname "$(realpath "$0")")/referencias.txt
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

for ext in gdf edf bdf; do
    "$CLI" run "$DATOS/p300_8ch.dat" --ced "$DATOS/p300_8ch.ced" --out "$TMP/p300_8ch.$ext" 2>/dev/null
done
"$CLI" run "$DATOS/formatos/test_NO.vhdr" --out "$TMP/sin_fecha.edf" 2>/dev/null

{
    echo "# written by tests/data/fechas/generar_referencias.sh (MNE $(/usr/bin/python3 -c 'import mne; print(mne.__version__)'), biosig-tools $(dpkg-query -W -f='${Version}' biosig-tools))"
    /usr/bin/python3 - "$TMP" <<'PY'
import sys, mne
carpeta = sys.argv[1]
leer = {"gdf": mne.io.read_raw_gdf, "edf": mne.io.read_raw_edf, "bdf": mne.io.read_raw_bdf}
for nombre in ["p300_8ch.gdf", "p300_8ch.edf", "p300_8ch.bdf", "sin_fecha.edf"]:
    fecha = leer[nombre[-3:]](carpeta + "/" + nombre, verbose="error").info["meas_date"]
    print(nombre, "mne", fecha.replace(tzinfo=None).isoformat() if fecha else None)
PY
    for nombre in p300_8ch.gdf p300_8ch.edf p300_8ch.bdf sin_fecha.edf; do
        fecha=$(cd "$TMP" && save2gdf -JSON "$nombre" 2>/dev/null | sed -n 's/.*"StartOfRecording"[^"]*"\([^"]*\)".*/\1/p' | tr ' ' 'T')
        echo "$nombre biosig ${fecha:-None}"
    done
} > "$SALIDA"
cat "$SALIDA"
