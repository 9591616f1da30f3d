"""Studies over an EEG-BIDS dataset (flujo/Snakefile): which recordings a
BIDS root holds, the sidecar files of each, the runner's options they give,
and the derivative dataset's names and JSON files.

A recording is sub-*/[ses-*/]eeg/*_eeg.<ext>. Its sidecars are found by the
inheritance rule of BIDS: the closest folder (the recording's, then up to the
root) holding a file with the sidecar's suffix whose entities are all among
the recording's; among several, the one with most entities. Reading here
never writes: a dry run leaves every folder as it was."""

import csv
import json
import os
from pathlib import Path

# What the runner reads; .set is a BIDS format it does not.
EXTENSIONES_LEIDAS = (".edf", ".bdf", ".vhdr")
EXTENSIONES_BIDS = EXTENSIONES_LEIDAS + (".set",)
DESCRIPCION = "limpio"  # the desc- entity of every output
VERSION_BIDS = "1.9.0"  # written when the raw dataset does not say its own

# The MEG makers' coordinate systems, whose x axis points to the nose (ALS,
# the .CED frame). Without frontal electrodes to tell, every other system,
# "Other" included, is taken as RAS (x to the right ear, y to the nose), the
# frame of CapTrak and of the template spaces.
SISTEMAS_ALS = {"CTF", "4DBti", "KitYokogawa"}
# Electrodes that lie far towards the nose: where they are gives the axis.
PREFIJOS_FRONTALES = ("fp", "af", "nz")
MILIMETROS_POR_UNIDAD = {"m": 1000.0, "cm": 10.0, "mm": 1.0}


class ErrorBIDS(Exception):
    pass


def esRaizBIDS(entrada):
    return os.path.isfile(os.path.join(entrada, "dataset_description.json"))


def entidades(nombre):
    """([(key, value), ...], suffix, extension) of a BIDS file name:
    "sub-01_task-x_eeg.edf" gives ([("sub", "01"), ("task", "x")], "eeg", ".edf").
    None when the name is not of that form."""
    base, punto, ext = nombre.partition(".")
    trozos = base.split("_")
    pares = []
    for t in trozos[:-1]:
        clave, guion, valor = t.partition("-")
        if not guion or not clave or not valor:
            return None
        pares.append((clave, valor))
    return pares, trozos[-1], punto + ext


def _lista(valor, prefijo):
    """A filter of the configuration as labels without their prefix: [1, "sub-02"] -> {"1", "02"}."""
    if valor is None:
        return None
    if isinstance(valor, (str, int)):
        valor = [valor]
    return {str(v)[len(prefijo):] if str(v).startswith(prefijo) else str(v) for v in valor}


def nombreSalida(nombre, formato):
    """The derivative's name: desc-limpio after the recording's entities."""
    pares, sufijo, _ = entidades(nombre)
    pares = [(k, v) for k, v in pares if k != "desc"] + [("desc", DESCRIPCION)]
    return "_".join(f"{k}-{v}" for k, v in pares) + f"_{sufijo}.{formato}"


def registrosBIDS(raiz, sujetos=None, sesiones=None, tareas=None):
    """({id: recording}, {id: why it is skipped}) for the *_eeg recordings
    under the BIDS root `raiz` that pass the filters (lists of labels, with or
    without their sub-/ses-/task- prefix; None lets all through). The id is
    the output's path below the output folder without its extension, so that
    outputs keep the raw tree: sub-01/ses-a/eeg/sub-01_ses-a_task-x_desc-limpio_eeg."""
    raiz = Path(os.path.abspath(raiz))
    filtros = {"sub": _lista(sujetos, "sub-"), "ses": _lista(sesiones, "ses-"), "task": _lista(tareas, "task-")}
    encontrados, omitidos = {}, {}
    candidatos = sorted(raiz.glob("sub-*/eeg/*_eeg.*")) + sorted(raiz.glob("sub-*/ses-*/eeg/*_eeg.*"))
    for ruta in candidatos:
        e = entidades(ruta.name)
        if not ruta.is_file() or e is None or e[2].lower() not in EXTENSIONES_BIDS:
            continue
        pares = dict(e[0])
        if any(f is not None and pares.get(k) not in f for k, f in filtros.items()):
            continue
        ident = str(ruta.parent.relative_to(raiz) / nombreSalida(ruta.name, "x"))[:-2]
        if e[2].lower() not in EXTENSIONES_LEIDAS:
            omitidos[ident] = (f"formato {e[2]}: ondelar-cli no lo lee; "
                               "convierta el registro a EDF, BDF o BrainVision para procesarlo")
            continue
        encontrados[ident] = str(ruta)
    if not encontrados and not omitidos:
        raise ErrorBIDS(f"ningún registro sub-*/[ses-*/]eeg/*_eeg.* en \"{raiz}\" cumple los filtros")
    return encontrados, omitidos


def lateral(registro, raiz, sufijo, extension):
    """The sidecar `*_<sufijo><extension>` that applies to `registro`, or None."""
    r = Path(registro)
    propias = set(entidades(r.name)[0])
    raiz = Path(os.path.abspath(raiz))
    carpeta = r.parent
    while True:
        mejores = []
        for f in carpeta.glob(f"*_{sufijo}{extension}"):
            e = entidades(f.name)
            if f.is_file() and e and e[1] == sufijo and e[2] == extension and set(e[0]) <= propias:
                mejores.append((len(e[0]), f.name, str(f)))
        if mejores:
            return max(mejores)[2]
        if carpeta == raiz or raiz not in carpeta.parents:
            return None
        carpeta = carpeta.parent


def leerTSV(ruta):
    """Rows of a BIDS table as dicts (tab-separated, first line the header)."""
    with open(ruta, newline="", encoding="utf-8-sig") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def canalesMalos(channels):
    """Names of the channels whose status is "bad" in a channels.tsv, in its order."""
    if not channels:
        return []
    return [f.get("name", "") for f in leerTSV(channels) if (f.get("status") or "").strip().lower() == "bad"]


def lateralesDe(registro, raiz):
    """Every sidecar the workflow uses for a recording, by role (None when absent)."""
    return {
        "eventos": lateral(registro, raiz, "events", ".tsv"),
        "canales": lateral(registro, raiz, "channels", ".tsv"),
        "electrodos": lateral(registro, raiz, "electrodes", ".tsv"),
        "sistema": lateral(registro, raiz, "coordsystem", ".json"),
        "eeg": lateral(registro, raiz, "eeg", ".json"),
    }


def conPosiciones(laterales):
    """True when the sidecars give positions: a channels.tsv for the order of
    the recording's channels, an electrodes.tsv and a coordsystem.json whose
    units are known."""
    if not (laterales["canales"] and laterales["electrodos"] and laterales["sistema"]):
        return False
    try:
        with open(laterales["sistema"], encoding="utf-8") as f:
            unidades = json.load(f).get("EEGCoordinateUnits")
    except (OSError, ValueError, AttributeError):
        return False
    return unidades in MILIMETROS_POR_UNIDAD


def _numero(texto):
    try:
        return float(texto)
    except (TypeError, ValueError):
        return None


def textoCED(channels, electrodes, coordsystem):
    """A .CED file for the runner's --ced from the BIDS sidecars.

    The runner lays a .CED file onto the channels by order, so its lines
    follow channels.tsv, which BIDS asks to list channels in the data file's
    order; each line gives the channel its channels.tsv name and the position
    of the electrodes.tsv row of that name (letter case aside), or none.
    Positions go to the .CED frame: millimetres (from EEGCoordinateUnits),
    x to the nose, y to the left ear, z up; a RAS system (x right, y nose)
    becomes x = y_bids, y = -x_bids."""
    with open(coordsystem, encoding="utf-8") as f:
        sistema = json.load(f)
    escala = MILIMETROS_POR_UNIDAD[sistema["EEGCoordinateUnits"]]
    posiciones = {}
    for fila in leerTSV(electrodes):
        xyz = [_numero(fila.get(k)) for k in ("x", "y", "z")]
        if (fila.get("name") or "").lower() not in posiciones and None not in xyz:
            posiciones[fila["name"].lower()] = tuple(v * escala for v in xyz)
    frontales = [p for n, p in posiciones.items() if n.startswith(PREFIJOS_FRONTALES)]
    if frontales:
        als = sum(p[0] for p in frontales) > sum(p[1] for p in frontales)
    else:
        als = sistema.get("EEGCoordinateSystem") in SISTEMAS_ALS
    if not als:
        posiciones = {n: (y, -x, z) for n, (x, y, z) in posiciones.items()}
    lineas = ["Number\tlabels\ttype\ttheta\tradius\tX\tY\tZ"]
    for i, fila in enumerate(leerTSV(channels), 1):
        nombre = fila.get("name", "")
        p = posiciones.get(nombre.lower())
        xyz = "\t".join(repr(round(v, 6)) for v in p) if p else "\t\t"
        lineas.append(f"{i}\t{nombre}\t\t\t\t{xyz}")
    return "\n".join(lineas) + "\n"


def argumentosRun(ced, eventos, malos):
    """The runner's options that a recording's sidecars give: positions,
    events and the channels channels.tsv marks bad."""
    return ((["--ced", ced] if ced else []) + (["--eventos", eventos] if eventos else [])
            + (["--malos", ",".join(malos)] if malos else []))


def versionCLI(cli):
    """"X" of `ondelar-cli --version` ("ondelar-cli X")."""
    import subprocess
    try:
        r = subprocess.run([cli, "--version"], capture_output=True, text=True, check=True)
    except (OSError, subprocess.CalledProcessError) as e:
        raise ErrorBIDS(f"no se pudo leer la versión de \"{cli}\": {e}")
    return r.stdout.strip().removeprefix("ondelar-cli").strip()


def descripcionDerivado(raiz, version):
    """dataset_description.json of the derivative dataset."""
    try:
        with open(os.path.join(raiz, "dataset_description.json"), encoding="utf-8") as f:
            origen = json.load(f)
    except (OSError, ValueError):
        origen = {}
    if not isinstance(origen, dict):
        origen = {}
    nombre = origen.get("Name") or os.path.basename(os.path.abspath(raiz))
    return {
        "Name": f"{nombre}: registros limpios con Ondelar",
        "BIDSVersion": origen.get("BIDSVersion") or VERSION_BIDS,
        "DatasetType": "derivative",
        "GeneratedBy": [{"Name": "Ondelar", "Version": version,
                         "Description": "Preprocesado de EEG con ondelar-cli run (flujo de estudios de Ondelar)"}],
    }


# Files of the workflow's own in the derivative folder, outside BIDS naming:
# the runner's provenance and log of each recording, the positions given to
# it, the spectra and the study's table and report.
BIDSIGNORE = """resumen.csv
informe.html
*.log
*.ced
*.csv
*_eeg.*.json
*.epocas
"""


def referenciaTrasPasos(pasos, inicial):
    """EEGReference after the steps: the last re-referencing step decides."""
    for p in reversed(pasos):
        nombre, _, valor = p.partition(":")
        if nombre == "car" or (nombre == "referencia" and valor == "media"):
            return "media de todos los canales"
        if nombre == "referencia" and valor:
            return valor
    return inicial


def sidecarDerivado(procedencia, laterales, registro, raiz, pasos, semilla):
    """The *_desc-limpio_eeg.json of a completed recording: the raw one's
    fields, then the rate and reference of the output, the processing chain
    and the bad channels."""
    origen = {}
    if laterales.get("eeg"):
        try:
            with open(laterales["eeg"], encoding="utf-8") as f:
                origen = json.load(f)
        except (OSError, ValueError):
            origen = {}
    j = dict(origen) if isinstance(origen, dict) else {}
    # Fields an EEG sidecar must have, for a raw dataset that lacks its own.
    tarea = dict(entidades(os.path.basename(registro))[0]).get("task")
    if tarea:
        j.setdefault("TaskName", tarea)
    j.setdefault("PowerLineFrequency", "n/a")
    j.setdefault("SoftwareFilters", "n/a")
    info = procedencia.get("infoSalida") or procedencia.get("info") or {}
    if info.get("frecuencia") is not None:
        j["SamplingFrequency"] = info["frecuencia"]
    j["EEGReference"] = referenciaTrasPasos(pasos, j.get("EEGReference", "n/a"))
    j["Description"] = ("Registro procesado con Ondelar: " + (", ".join(pasos) if pasos else "sin pasos")
                        + ". Los canales malos de channels.tsv se marcaron como malos: la referencia media los"
                        " deja fuera e interpolar los sustituye.")
    j["CadenaProcesado"] = list(pasos)
    j["Semilla"] = semilla
    j["CanalesMalos"] = canalesMalos(laterales.get("canales"))
    j["RegistroOrigen"] = os.path.relpath(registro, raiz)
    j["TablaEventos"] = os.path.relpath(laterales["eventos"], raiz) if laterales.get("eventos") else None
    j["GeneradoPor"] = procedencia.get("version")
    return j


def escribirSiCambia(ruta, texto):
    """Writes `texto` at `ruta` unless it already holds it: a summary run
    leaves the sidecars of recordings that did not change untouched."""
    try:
        with open(ruta, encoding="utf-8") as f:
            if f.read() == texto:
                return
    except OSError:
        pass
    escribir(ruta, texto)


def escribir(ruta, texto):
    """Writes through a temporary file, so that a reader never sees half of it."""
    os.makedirs(os.path.dirname(ruta), exist_ok=True)
    temporal = ruta + ".tmp"
    with open(temporal, "w", encoding="utf-8") as f:
        f.write(texto)
    os.replace(temporal, ruta)


def textoJSON(objeto):
    return json.dumps(objeto, ensure_ascii=False, indent=2) + "\n"
