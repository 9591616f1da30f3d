#!/bin/bash
# The study workflow on a small study (the sample recordings under several
# names, one of them broken), run with `make estudio` on this machine and
# through a one-node Slurm started for the test. For each way it checks that
#   - every good output is byte-identical to a direct `ondelar-cli run`,
#   - the broken recording is in resumen.csv as failed and the others completed,
#   - a second run does nothing,
#   - touching one input redoes that recording (and the table) only;
# and that Slurm saw the jobs and both ways give the same bytes. On this
# machine only, it also checks the study's report (informe.html: the broken
# recording first among the failures, self-contained, rendered by headless
# Chromium into a page that is not blank) and what a configuration may ask
# for: relative paths with the spectrum on, EDF output, a pattern "*" over a
# BrainVision recording, a BIDS dataset in and its derivatives out (names,
# sidecars, dataset_description.json, events and bad channels), and that a
# dry run leaves every file as it was.
#
#   tests/estudios/estudio_test.sh ONDELAR_CLI        (from the project root)
set -u

cli=$(readlink -f "$1")
raiz=$(pwd)
datos=$raiz/../shared/data
[ -x "$cli" ] || { echo "no existe el ejecutable $1"; exit 1; }
[ -f "$datos/p300_8ch.gdf" ] || { echo "faltan los registros de ejemplo en $datos"; exit 1; }
# The study's own make must not inherit the options of a make that runs ctest.
unset MAKEFLAGS MFLAGS MAKELEVEL

tmp=$(mktemp -d /tmp/ondelar-estudio.XXXXXX)
slurm=""
fallos=0
terminar() {
    [ -n "$slurm" ] && "$raiz/flujo/slurm-local.sh" parar "$slurm"
    rm -rf "$tmp"
}
trap terminar EXIT
trap "exit 1" INT TERM

falla() { echo "FALLO: $*"; fallos=$((fallos + 1)); }
ok() { echo "ok: $*"; }

# The study: two formats, a tree of folders, a channel file for one
# recording only, and a GDF file cut inside its header.
mkdir -p "$tmp/datos/s1" "$tmp/datos/s2/sesion"
cp "$datos/p300_8ch.gdf" "$tmp/datos/s1/uno.gdf"
cp "$datos/p300_8ch.ced" "$tmp/datos/s1/uno.ced"
cp "$datos/p300_8ch.dat" "$tmp/datos/s1/dos.dat"
cp "$datos/p300_8ch.gdf" "$tmp/datos/s2/sesion/tres.gdf"
head -c 1000 "$datos/p300_8ch.gdf" >"$tmp/datos/s2/roto.gdf"
buenos="s1/uno s1/dos s2/sesion/tres"
# Cheap steps: the test is about the workflow, not the computation.
pasos=(car filtro:BANDPASS,1,40,40)

configurar() {  # $1 name: writes $tmp/$1.yaml, outputs in $tmp/$1
    cat >"$tmp/$1.yaml" <<EOF
entrada: $tmp/datos
patron: ["**/*.gdf", "**/*.dat"]
ced: "{carpeta}/{nombre}.ced"
pasos: [$(printf '"%s", ' "${pasos[@]}")]
semilla: 7
formato: gdf
salida: $tmp/$1
hilos: 1
espectro: {segmento: 1, bandas: true}
EOF
}

# Modification times of every file of a study's output, one "path time" a line.
instantanea() { find "$tmp/$1" -type f -printf '%P %T@\n' | sort; }

estudio() {  # $1 name, then make's extra variables; output in $tmp/$1.salida
    local nombre=$1; shift
    local t0=$SECONDS r=0
    make -s -C "$raiz" estudio CONFIG="$tmp/$nombre.yaml" CLI="$cli" "$@" >"$tmp/$nombre.salida" 2>&1 || r=$?
    echo "   ($nombre: make estudio, $((SECONDS - t0)) s)"
    return $r
}

comprobar() {  # $1 name, then make's extra variables
    local n=$1; shift
    configurar "$n"
    if ! estudio "$n" "$@"; then
        falla "$n: make estudio termina con error"; tail -n 40 "$tmp/$n.salida"; return
    fi

    # 1. Byte-identical to the runner run by hand.
    mkdir -p "$tmp/directo"
    for r in $buenos; do
        local entrada ced=()
        entrada=$(ls "$tmp/datos/$r".*  | grep -v '\.ced$')
        [ -f "$tmp/datos/$r.ced" ] && ced=(--ced "$tmp/datos/$r.ced")
        local directo="$tmp/directo/$(echo "$r" | tr / _).gdf"
        if [ ! -f "$directo" ]; then
            "$cli" run "$entrada" "${ced[@]}" $(printf -- '--step %s ' "${pasos[@]}") --seed 7 \
                --out "$directo" 2>/dev/null || falla "ondelar-cli run $entrada falla"
        fi
        if cmp -s "$directo" "$tmp/$n/$r.gdf"; then ok "$n: $r.gdf igual a ondelar-cli run"
        else falla "$n: $r.gdf no es igual a ondelar-cli run"; fi
        grep -q '"estado": "completado"' "$tmp/$n/$r.gdf.json" || falla "$n: $r.gdf.json no dice completado"
        [ -s "$tmp/$n/$r.log" ] || falla "$n: falta el log de $r"
    done
    # The provenance's checksums are those of sha256sum, its header figures those of the file.
    local p="$tmp/$n/s1/uno.gdf.json"
    if grep -q "\"sha256\": \"$(sha256sum <"$tmp/datos/s1/uno.gdf" | cut -c1-64)\"" "$p" &&
       grep -q "\"sha256\": \"$(sha256sum <"$tmp/$n/s1/uno.gdf" | cut -c1-64)\"" "$p" &&
       grep -q '"info": {"canales": 8, "frecuencia": 256, "muestras": 56840, "eventos": 720}' "$p" &&
       grep -q '"paso": "filtro:BANDPASS,1,40,40"' "$p" && grep -q '"estadoSalida": 0' "$p" &&
       grep -q "\"version\": \"$("$cli" --version)\"" "$p"; then
        ok "$n: la procedencia tiene versión, sumas, cabecera y tiempos"
    else
        falla "$n: la procedencia no es la esperada"; cat "$p"
    fi
    grep -q '"estadoSalida": 1' "$tmp/$n/s2/roto.gdf.json" || falla "$n: la procedencia del roto no da el estado 1"

    # 2. The broken one is reported, the others completed.
    local csv="$tmp/$n/resumen.csv"
    if [ ! -f "$csv" ]; then falla "$n: no hay resumen.csv"; return; fi
    grep -q '^s2/roto,.*,fallido,.\+' "$csv" && ok "$n: el registro roto consta como fallido con su motivo" \
        || { falla "$n: resumen.csv no da el registro roto como fallido"; cat "$csv"; }
    [ "$(grep -c ',completado,' "$csv")" = 3 ] || { falla "$n: resumen.csv no tiene 3 completados"; cat "$csv"; }
    grep -q '^s1/uno,8,256,56840,720,[0-9.]\+,"\?[0-9.]\+"\?,completado,$' "$csv" \
        || { falla "$n: la fila de s1/uno no es la esperada"; cat "$csv"; }
    [ ! -e "$tmp/$n/s2/roto.gdf" ] || falla "$n: el registro roto dejó una salida"

    # 3. A second run does nothing.
    local antes despues
    antes=$(instantanea "$n")
    estudio "$n" "$@" || falla "$n: la segunda ejecución termina con error"
    despues=$(instantanea "$n")
    if [ "$antes" = "$despues" ] && grep -q 'Nothing to be done' "$tmp/$n.salida"; then
        ok "$n: la segunda ejecución no hace nada"
    else
        falla "$n: la segunda ejecución rehace algo"; diff <(echo "$antes") <(echo "$despues"); tail -n 20 "$tmp/$n.salida"
    fi

    # 4. Touching one input redoes that recording only.
    touch "$tmp/datos/s1/dos.dat"
    antes=$despues
    estudio "$n" "$@" || falla "$n: la ejecución tras touch termina con error"
    despues=$(instantanea "$n")
    local cambiados
    cambiados=$(diff <(echo "$antes") <(echo "$despues") | sed -n 's/^> \([^ ]*\) .*/\1/p' | LC_ALL=C sort | tr '\n' ' ')
    if [ "$cambiados" = "informe.html resumen.csv s1/dos.bandas.csv s1/dos.espectro-inicial.csv s1/dos.espectro.csv s1/dos.gdf s1/dos.gdf.json s1/dos.log " ]; then
        ok "$n: tocar s1/dos.dat rehace solo ese registro y el resumen"
    else
        falla "$n: tocar s1/dos.dat cambia: $cambiados"
    fi
}

echo "== en esta máquina"
comprobar local

# The report of the local study (spectra on, one broken recording): one file
# with nothing to fetch, the failure before the table, and a page Chromium
# renders with its figures and its end marker.
informe=$tmp/local/informe.html
if [ ! -f "$informe" ]; then
    falla "informe: no hay informe.html junto a resumen.csv"
else
    if grep -qiE 'https?://|<script[^>]*src|<link|<img' "$informe"; then
        falla "informe: informe.html hace referencia a algo de fuera"; grep -oiE 'https?://[^" ]*|<script[^>]*src|<link|<img' "$informe" | head
    else
        ok "informe: informe.html es autocontenido"
    fi
    # The failures list comes before the table and names s2/roto with its
    # reason; each completed recording has its spectrum and its alpha map.
    if /usr/bin/python3 - "$informe" <<'PY'
import re, sys
t = open(sys.argv[1], encoding="utf-8").read()
fallos = re.search(r'<ul class="fallos" id="fallos">(.*?)</ul>', t, re.S)
sys.exit(0 if fallos and fallos.start() < t.index("<table") and "<b>s2/roto</b> (fallido): " in fallos.group(1)
         and t.count("<svg") >= 4 and t.count("<polyline") >= 6 else 1)
PY
    then ok "informe: s2/roto encabeza los fallos; espectros y mapas de los tres completados"
    else falla "informe: la lista de fallos, los espectros o los mapas no son los esperados"; fi
    navegador() { timeout 120 chromium --headless --no-sandbox --disable-gpu --user-data-dir="$tmp/chromium" "$@"; }
    if ! command -v chromium >/dev/null; then
        falla "informe: falta chromium (make deps lo instala)"
    else
        navegador --screenshot="$tmp/informe.png" --window-size=1200,1600 "file://$informe" >"$tmp/chromium.salida" 2>&1
        colores=$(/usr/bin/python3 "$raiz/tests/estudios/coloresPNG.py" "$tmp/informe.png" 2>&1)
        if [ -s "$tmp/informe.png" ] && [ "$(stat -c %s "$tmp/informe.png")" -gt 20000 ] &&
           [ "$colores" -gt 50 ] 2>/dev/null; then
            ok "informe: Chromium dibuja la página ($colores colores)"
        else
            falla "informe: la captura de Chromium falta o está en blanco ($colores)"; tail -n 5 "$tmp/chromium.salida"
        fi
        if navegador --dump-dom "file://$informe" 2>/dev/null | grep -q 'id="informe-ondelar-listo"'; then
            ok "informe: Chromium llega a la marca del final"
        else
            falla "informe: el DOM de Chromium no tiene la marca informe-ondelar-listo"
        fi
    fi
fi

# Every file and folder under the folders given, with its time, and each file's checksum.
huella() { find "$@" -printf '%p %y %T@\n' | sort; find "$@" -type f -print0 | sort -z | xargs -0 sha256sum; }

# A study written by hand: $1 name, then the configuration's lines.
configurarCon() { local n=$1; shift; printf '%s\n' "$@" >"$tmp/$n.yaml"; }

# The user's configuration: the sample formats through a path relative to
# the repository (where make runs), outputs through a relative path too,
# and the spectrum with its bands; every recording is processed once.
relativo=$(realpath --relative-to="$raiz" "$tmp")/relativo
configurarCon relativo "entrada: ../shared/data/formatos" 'patron: "*.[gbe]df"' 'ced: ""' \
    'pasos: ["filtro:BANDPASS,1,40,40"]' "semilla: 1" "formato: gdf" "salida: $relativo" "hilos: 1" \
    "espectro: {segmento: 1, bandas: true}"
if ! estudio relativo; then
    falla "relativo: make estudio termina con error"; tail -n 40 "$tmp/relativo.salida"
else
    [ "$(grep -c ',completado,$' "$tmp/relativo/resumen.csv")" = 4 ] \
        && ok "relativo: los cuatro registros completados con rutas relativas y espectro" \
        || { falla "relativo: no se completan los cuatro registros"; cat "$tmp/relativo/resumen.csv"; }
    mkdir -p "$tmp/aparte"
    for f in "$datos"/formatos/*.[gbe]df; do
        r=$(basename "${f%.*}")
        (cd "$tmp/aparte" && "$cli" espectro "$f" --step filtro:BANDPASS,1,40,40 --segmento 1 --out e.csv --bandas b.csv 2>/dev/null)
        if cmp -s "$tmp/aparte/e.csv" "$tmp/relativo/$r.espectro.csv" &&
           cmp -s "$tmp/aparte/b.csv" "$tmp/relativo/$r.bandas.csv"; then
            ok "relativo: $r: espectro y bandas iguales a ondelar-cli espectro"
        else
            falla "relativo: $r: el espectro no es el de ondelar-cli espectro"
        fi
        # One runner per recording, which wrote the spectrum itself.
        grep -q '"--espectro"' "$tmp/relativo/$r.gdf.json" && grep -q '"espectro": {"ruta"' "$tmp/relativo/$r.gdf.json" \
            || falla "relativo: la procedencia de $r no nombra el espectro"
    done
fi

# EDF+ output, byte-identical to the runner's own.
configurarCon edf "entrada: $tmp/datos" 'patron: "**/*.gdf"' 'ced: "{carpeta}/{nombre}.ced"' \
    'pasos: ["car"]' "semilla: 1" "formato: edf" "salida: $tmp/edf" "hilos: 1"
if ! estudio edf; then
    falla "edf: make estudio termina con error"; tail -n 40 "$tmp/edf.salida"
else
    "$cli" run "$tmp/datos/s1/uno.gdf" --ced "$tmp/datos/s1/uno.ced" --step car --seed 1 \
        --out "$tmp/aparte/uno.edf" 2>/dev/null
    if cmp -s "$tmp/aparte/uno.edf" "$tmp/edf/s1/uno.edf" && [ -f "$tmp/edf/s2/sesion/tres.edf" ] &&
       grep -q '^s2/roto,.*,fallido,' "$tmp/edf/resumen.csv" && [ "$(grep -c ',completado,$' "$tmp/edf/resumen.csv")" = 2 ]; then
        ok "edf: salidas EDF+ iguales a ondelar-cli run"
    else
        falla "edf: las salidas EDF+ no son las esperadas"; cat "$tmp/edf/resumen.csv"
    fi
fi

# "*" over a BrainVision recording takes its header only.
mkdir -p "$tmp/brainvision"
cp "$datos"/formatos/test_NO.* "$tmp/brainvision/"
configurarCon brainvision "entrada: $tmp/brainvision" 'patron: "*"' 'ced: ""' "pasos: []" \
    "semilla: null" "formato: gdf" "salida: $tmp/bv" "hilos: 1"
if ! estudio brainvision; then
    falla "brainvision: make estudio termina con error"; tail -n 40 "$tmp/brainvision.salida"
elif [ "$(tail -n +2 "$tmp/bv/resumen.csv" | cut -d, -f1,2)" = "test_NO,65" ] &&
     grep -q ',completado,$' "$tmp/bv/resumen.csv" && [ -f "$tmp/bv/test_NO.gdf" ]; then
    ok "brainvision: \"*\" toma solo test_NO.vhdr"
else
    falla "brainvision: el resumen no es el de un registro"; cat "$tmp/bv/resumen.csv"
fi

# A BIDS dataset made here with the runner from the sample recordings: two
# subjects (the second with a session and a run), sidecars for the first
# (a bad channel, events by trial_type, electrodes in metres in CapTrak, at
# the subject's level so that they are inherited), integer values in the
# second's events, a .set the runner cannot read, and a third
# subject that the filter leaves out (its file is broken: were it processed,
# the study would list a failure).
b=$tmp/bids
mkdir -p "$b/sub-01/eeg" "$b/sub-02/ses-a/eeg" "$b/sub-03/eeg"
printf '{"Name": "Prueba BIDS de Ondelar", "BIDSVersion": "1.9.0", "DatasetType": "raw"}\n' >"$b/dataset_description.json"
printf 'participant_id\nsub-01\nsub-02\nsub-03\n' >"$b/participants.tsv"
e1=$b/sub-01/eeg/sub-01_task-p300
"$cli" run "$datos/p300_8ch.gdf" --out "$e1"_eeg.edf 2>/dev/null
"$cli" run "$datos/p300_8ch.gdf" --out "$b/sub-02/ses-a/eeg/sub-02_ses-a_task-p300_run-1_eeg.bdf" 2>/dev/null
printf 'no es un .set' >"$b/sub-02/ses-a/eeg/sub-02_ses-a_task-rest_eeg.set"
head -c 1000 "$e1"_eeg.edf >"$b/sub-03/eeg/sub-03_task-p300_eeg.edf"
printf '{"TaskName": "p300", "SamplingFrequency": 256, "EEGReference": "Cz", "PowerLineFrequency": 50, "SoftwareFilters": "n/a"}\n' \
    >"$e1"_eeg.json
{ printf 'name\ttype\tunits\tstatus\n'
  for c in Fz Cz P3 Pz P4 PO7 Oz PO8; do printf '%s\tEEG\tuV\t%s\n' $c "$([ $c = Pz ] && echo bad || echo good)"; done
} >"$e1"_channels.tsv
printf 'onset\tduration\ttrial_type\n10.0\tn/a\testimulo\n20.5\t0.5\trespuesta\n30.0\tn/a\testimulo\n' >"$e1"_events.tsv
# The .ced positions (mm; x nose, y left ear) in CapTrak (m; x right ear, y nose).
awk -F'\t' 'NR == 1 { print "name\tx\ty\tz"; next } { printf "%s\t%.6f\t%.6f\t%.6f\n", $2, -$7 / 1000, $6 / 1000, $8 / 1000 }' \
    "$datos/p300_8ch.ced" >"$b/sub-01/eeg/sub-01_electrodes.tsv"
printf '{"EEGCoordinateSystem": "CapTrak", "EEGCoordinateUnits": "m"}\n' >"$b/sub-01/eeg/sub-01_coordsystem.json"
printf 'onset\tduration\tvalue\ttrial_type\n5\tn/a\t3\tobjetivo\n6\tn/a\t4\tn/a\n' \
    >"$b/sub-02/ses-a/eeg/sub-02_ses-a_task-p300_run-1_events.tsv"
configurarCon bids "entrada: $b" 'sujetos: ["01", "sub-02"]' 'pasos: ["filtro:BANDPASS,1,40,40"]' \
    "semilla: 1" "formato: edf" "hilos: 1"
d=$b/derivatives/ondelar
if ! estudio bids; then
    falla "bids: make estudio termina con error"; tail -n 40 "$tmp/bids.salida"
else
    # Names, sidecars and dataset_description.json by the BIDS rules, written
    # out here: every file outside .bidsignore is sub-<l>/[ses-<l>/]eeg/ with
    # the same sub (and ses) in its name, key-value entities, the eeg suffix.
    if /usr/bin/python3 - "$d" "$("$cli" --version)" "$datos/p300_8ch.ced" <<'PY'
import csv, fnmatch, json, os, re, sys
d, version, ced = sys.argv[1], sys.argv[2].split(" ", 1)[1], sys.argv[3]
fallos = []
def exige(cond, texto):
    if not cond: fallos.append(texto)
desc = json.load(open(f"{d}/dataset_description.json"))
exige(desc.get("DatasetType") == "derivative" and desc.get("BIDSVersion") == "1.9.0" and desc.get("Name"),
      f"dataset_description.json: {desc}")
exige(desc.get("GeneratedBy", [{}])[0].get("Name") == "Ondelar" and desc["GeneratedBy"][0].get("Version") == version,
      f"GeneratedBy: {desc.get('GeneratedBy')}")
ignorados = [l for l in open(f"{d}/.bidsignore").read().split("\n") if l]
nombre = re.compile(r"^(sub-[A-Za-z0-9]+)/(?:(ses-[A-Za-z0-9]+)/)?eeg/((?:[a-z]+-[A-Za-z0-9]+_)+eeg\.(?:edf|json))$")
bids = []
for carpeta, _, archivos in os.walk(d):
    for a in archivos:
        r = os.path.relpath(os.path.join(carpeta, a), d)
        if r in ("dataset_description.json", ".bidsignore") or any(fnmatch.fnmatch(a, p) for p in ignorados):
            continue
        m = nombre.match(r)
        prefijo = m and "_".join(x for x in m.groups()[:2] if x) + "_"
        exige(m and m.group(3).startswith(prefijo), f"nombre fuera de BIDS: {r}")
        bids.append(r)
esperados = ["sub-01/eeg/sub-01_task-p300_desc-limpio_eeg.edf", "sub-01/eeg/sub-01_task-p300_desc-limpio_eeg.json",
             "sub-02/ses-a/eeg/sub-02_ses-a_task-p300_run-1_desc-limpio_eeg.edf",
             "sub-02/ses-a/eeg/sub-02_ses-a_task-p300_run-1_desc-limpio_eeg.json"]
exige(sorted(bids) == esperados, f"archivos BIDS: {sorted(bids)}")
uno = json.load(open(f"{d}/{esperados[1]}"))
exige(uno.get("SamplingFrequency") == 256 and uno.get("TaskName") == "p300" and uno.get("PowerLineFrequency") == 50,
      f"sidecar de sub-01: {uno}")
exige(uno.get("CanalesMalos") == ["Pz"] and uno.get("CadenaProcesado") == ["filtro:BANDPASS,1,40,40"],
      f"canales malos o cadena de sub-01: {uno}")
exige(uno.get("TablaEventos") == "sub-01/eeg/sub-01_task-p300_events.tsv", f"tabla de eventos: {uno}")
dos = json.load(open(f"{d}/{esperados[3]}"))
exige(dos.get("CanalesMalos") == [] and dos.get("SamplingFrequency") == 256, f"sidecar de sub-02: {dos}")
# Provenance: the events table, and the positions of the .ced back from electrodes.tsv.
p = json.load(open(f"{d}/{esperados[0]}.json"))
exige(p["estado"] == "completado" and p["eventosTSV"]["ruta"].endswith("sub-01_task-p300_events.tsv"), "procedencia: eventos")
exige(p.get("canalesMalos") == ["Pz"], f"procedencia: el canal malo de channels.tsv llega al ejecutor: {p.get('canalesMalos')}")
exige(p["info"]["eventos"] == 3 and p["infoSalida"]["frecuencia"] == 256, f"procedencia: {p['info']} {p['infoSalida']}")
filas = list(csv.reader(open(ced), delimiter="\t"))[1:]
for (etiqueta, x, y, z), e in zip([(f[1], f[5], f[6], f[7]) for f in filas], p["electrodos"]):
    exige(e["etiqueta"] == etiqueta and e["posicion"] and
          max(abs(a - float(b)) for a, b in zip(e["posicion"], (x, y, z))) < 1e-2, f"electrodo {e} frente a {etiqueta}")
exige(len(p["electrodos"]) == 8, "ocho electrodos")
for f in fallos: print(f)
sys.exit(1 if fallos else 0)
PY
    then ok "bids: nombres, sidecars, dataset_description.json, eventos y posiciones según BIDS"
    else falla "bids: la salida no cumple lo esperado"; fi
    # The events of the table reach the output, with their names and at their samples.
    sal=$d/sub-01/eeg/sub-01_task-p300_desc-limpio_eeg.edf
    if "$cli" info "$sal" 2>/dev/null | /usr/bin/python3 -c '
import json, sys
e = json.load(sys.stdin)["eventos"]
sys.exit(0 if e["total"] == 3 and [t["nombre"] for t in e["tipos"]] == ["1.1 (estimulo)", "2.1 (respuesta)"] else 1)'
    then ok "bids: los eventos de events.tsv llegan a la salida con sus nombres"
    else falla "bids: los eventos de la salida no son los de events.tsv"; "$cli" info "$sal" 2>&1 | tail -n 20; fi
    "$cli" info "$d/sub-02/ses-a/eeg/sub-02_ses-a_task-p300_run-1_desc-limpio_eeg.edf" 2>/dev/null |
        grep -q '"nombre": "3.1 (objetivo)"' || falla "bids: el value 3 de sub-02 no es el tipo 3.1 (objetivo)"
    csv=$d/resumen.csv
    if [ "$(grep -c ',completado,$' "$csv")" = 2 ] && grep -q '^sub-02/ses-a/eeg/sub-02_ses-a_task-rest_desc-limpio_eeg,.*,omitido,.*\.set' "$csv" &&
       ! grep -q sub-03 "$csv" && grep -q 'omitidos' "$d/informe.html"; then
        ok "bids: resumen.csv con dos completados y el .set omitido con su motivo; sub-03 fuera por el filtro"
    else
        falla "bids: resumen.csv no es el esperado"; cat "$csv"
    fi
    antes=$(instantanea bids/derivatives/ondelar)
    estudio bids || falla "bids: la segunda ejecución termina con error"
    [ "$antes" = "$(instantanea bids/derivatives/ondelar)" ] && ok "bids: la segunda ejecución no hace nada" \
        || falla "bids: la segunda ejecución rehace algo"
    # A sidecar is an input: a changed events.tsv (one event more) redoes its
    # recording only. Snakemake compares the contents of small files, so the
    # file is edited, not touched. The dry run before changes nothing, though
    # dataset_description.json is gone.
    printf '40\tn/a\testimulo\n' >>"$e1"_events.tsv
    rm "$d/dataset_description.json"
    antes=$(huella "$b")
    if (cd "$raiz" && snakemake --snakefile flujo/Snakefile --directory "$raiz" --configfile "$tmp/bids.yaml" \
            --config ondelar_cli="$cli" --cores 1 -n >"$tmp/bids-seco.salida" 2>&1) &&
       [ "$antes" = "$(huella "$b")" ] && grep -q 'descripcion' "$tmp/bids-seco.salida"; then
        ok "bids: snakemake -n no cambia nada"
    else
        falla "bids: snakemake -n cambia archivos o falla"; tail -n 20 "$tmp/bids-seco.salida"
    fi
    antes=$(instantanea bids/derivatives/ondelar)
    estudio bids || falla "bids: la ejecución tras cambiar events.tsv termina con error"
    cambiados=$(diff <(echo "$antes") <(instantanea bids/derivatives/ondelar) | sed -n 's/^> \([^ ]*\) .*/\1/p' |
        grep -c 'sub-02\|^sub-01.*\.edf')
    if [ -f "$d/dataset_description.json" ] && [ "$cambiados" = 2 ] &&
       grep -q '^sub-01/eeg/sub-01_task-p300_desc-limpio_eeg,8,256,56840,4,' "$d/resumen.csv"; then
        ok "bids: cambiar events.tsv rehace sub-01 solo; dataset_description.json vuelve"
    else
        falla "bids: tras cambiar events.tsv cambian $cambiados archivos de salida"; cat "$d/resumen.csv"
    fi
fi

# A dry run on a study with work to do (an output deleted, an input
# touched) changes nothing; the real run then redoes both.
rm "$tmp/local/s1/uno.gdf"
touch "$tmp/datos/s2/sesion/tres.gdf"
antes=$(huella "$tmp/local" "$tmp/datos")
if ! (cd "$raiz" && snakemake --snakefile flujo/Snakefile --directory "$raiz" --configfile "$tmp/local.yaml" \
        --config ondelar_cli="$cli" --cores 1 -n >"$tmp/seco.salida" 2>&1); then
    falla "seco: snakemake -n termina con error"; tail -n 20 "$tmp/seco.salida"
elif [ "$antes" != "$(huella "$tmp/local" "$tmp/datos")" ]; then
    falla "seco: snakemake -n cambia archivos"; diff <(echo "$antes") <(huella "$tmp/local" "$tmp/datos")
elif ! grep -q 'recuperar' "$tmp/seco.salida" || ! grep -q 'procesar' "$tmp/seco.salida"; then
    falla "seco: snakemake -n no anuncia los dos trabajos"; cat "$tmp/seco.salida"
else
    ok "seco: snakemake -n no cambia nada y anuncia lo que haría"
fi
if estudio local && cmp -s "$tmp/directo/s1_uno.gdf" "$tmp/local/s1/uno.gdf" &&
   [ "$tmp/local/s2/sesion/tres.gdf.json" -nt "$tmp/datos/s2/sesion/tres.gdf" ]; then
    ok "seco: la ejecución de verdad rehace la salida borrada y el registro tocado"
else
    falla "seco: la ejecución de verdad no rehace lo pendiente"; tail -n 30 "$tmp/local.salida"
fi

echo "== en Slurm"
slurm=$tmp/cluster
if ! "$raiz/flujo/slurm-local.sh" arrancar "$slurm" >"$tmp/slurm.salida" 2>&1; then
    cat "$tmp/slurm.salida"
    echo "FALLO: no se pudo arrancar Slurm en esta máquina (munged, slurmctld y slurmd como root)," \
         "así que la ruta del clúster no se ha probado"
    slurm=""
    exit 1
fi
export SLURM_CONF=$slurm/slurm.conf
comprobar slurm PERFIL=flujo/slurm
# The same study by plain sbatch submission: one Snakemake per Slurm job, the
# group's recordings in parallel inside it.
comprobar sbatch PERFIL=flujo/slurm-sbatch
# Its status script, for the states a real cluster gives: a job Slurm kills
# (time, memory) must read as failed, or Snakemake would wait for it forever.
mkdir -p "$tmp/falso"
bien=1
for par in COMPLETED:success RUNNING:running PENDING:running TIMEOUT:failed OUT_OF_MEMORY:failed CANCELLED:failed; do
    printf '#!/bin/sh\necho "JobId=$1 JobName=x JobState=%s Reason=None"\n' "${par%%:*}" >"$tmp/falso/scontrol"
    chmod +x "$tmp/falso/scontrol"
    dice=$(PATH="$tmp/falso:$PATH" "$raiz/flujo/slurm-sbatch/estado.sh" 7)
    [ "$dice" = "${par#*:}" ] || { falla "estado.sh da \"$dice\" para ${par%%:*} (se esperaba ${par#*:})"; bien=0; }
done
[ $bien = 0 ] || ok "estado.sh: terminado, en cola o en marcha, y fallido por tiempo, memoria o cancelación"

# Slurm ran the jobs: its job completion file lists the study's jobs (the
# profile groups the four recordings into fewer jobs) and the one redone.
trabajos=$(sacct -c -n -P -o JobName,State 2>&1)
if [ "$(echo "$trabajos" | grep -c '|COMPLETED')" -ge 2 ]; then
    ok "sacct vio los trabajos: $(echo "$trabajos" | wc -l)"
else
    falla "sacct no ve los trabajos del estudio: $trabajos"
fi

for r in $buenos; do
    cmp -s "$tmp/local/$r.gdf" "$tmp/slurm/$r.gdf" || falla "$r.gdf difiere entre esta máquina y Slurm"
    cmp -s "$tmp/local/$r.gdf" "$tmp/sbatch/$r.gdf" || falla "$r.gdf difiere entre esta máquina y Slurm por sbatch"
done

[ $fallos = 0 ] && echo "todo bien" || echo "$fallos fallos"
[ $fallos = 0 ]
