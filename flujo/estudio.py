"""Helpers of the study workflow (flujo/Snakefile): which recordings a
configuration names, where each one's output goes, how much memory its job
asks for, and the study's summary table."""

import csv
import io
import json
import math
import os
import subprocess
from pathlib import Path

# Memory a step needs, as a multiple of the recording held as doubles, comes
# from the runner's own step catalogue (`ondelar-cli pasos --json`); a name
# the catalogue does not know (an error the runner reports) and a run without
# steps get this.
MULTIPLO_SIN_PASOS = 2
# A file holds at worst 16-bit samples: as doubles it is at most 4 times larger.
DOBLES_POR_BYTE = 4
MEMORIA_BASE_MB = 256


class ErrorConfiguracion(Exception):
    pass


# Files a pattern may match that are not recordings on their own: channel
# files, and the data and marker files of a BrainVision recording, which is
# read through its header (.vhdr).
EXTENSION_CANALES = ".ced"
EXTENSIONES_BRAINVISION = (".eeg", ".vmrk")


def cabecerasBrainVision(carpeta):
    """{data or marker file: its header} for the BrainVision headers in
    `carpeta`, from their DataFile= and MarkerFile= lines."""
    companeros = {}
    for cabecera in sorted(carpeta.iterdir()):
        if cabecera.suffix.lower() != ".vhdr" or not cabecera.is_file():
            continue
        try:
            with open(cabecera, encoding="utf-8-sig", errors="replace") as f:
                for linea in f:
                    clave, igual, valor = linea.strip().partition("=")
                    if igual and clave.strip().lower() in ("datafile", "markerfile") and valor.strip():
                        companeros[carpeta / valor.strip()] = cabecera
        except OSError:
            continue
    return companeros


def registros(entrada, patron):
    """{recording id: file} for every file under `entrada` matching the glob
    `patron` (or any glob of a list), with absolute paths, so that a job finds
    its input whatever folder it runs in. The id is the path below `entrada`
    without its extension, so outputs mirror the input tree; two files that
    differ only in their extension would share an output and are refused.
    Channel files (.ced) are skipped, and a BrainVision data or marker file
    stands for its header: the recording is taken once, through the .vhdr."""
    raiz = Path(os.path.abspath(entrada))
    if not raiz.is_dir():
        raise ErrorConfiguracion(f"la carpeta de entrada \"{entrada}\" no existe")
    patrones = [patron] if isinstance(patron, str) else list(patron)
    cabeceras = {}
    elegidos = set()
    for ruta in {r for p in patrones for r in raiz.glob(p)}:
        if not ruta.is_file() or ruta.suffix.lower() == EXTENSION_CANALES:
            continue
        if ruta.suffix.lower() in EXTENSIONES_BRAINVISION:
            if ruta.parent not in cabeceras:
                cabeceras[ruta.parent] = cabecerasBrainVision(ruta.parent)
            # Without a header naming it, the file stays: the runner then
            # says why it cannot read it, in the summary.
            ruta = cabeceras[ruta.parent].get(ruta, ruta)
        elegidos.add(ruta)
    encontrados = {}
    for ruta in sorted(elegidos):
        ident = str(ruta.relative_to(raiz).with_suffix(""))
        if ident in encontrados:
            raise ErrorConfiguracion(
                f"\"{encontrados[ident]}\" y \"{ruta}\" darían la misma salida; acote el patrón")
        encontrados[ident] = str(ruta)
    if not encontrados:
        raise ErrorConfiguracion(f"ningún archivo de \"{entrada}\" cumple el patrón {patrones}")
    return encontrados


def opcionesEspectro(valor):
    """The `espectro` setting: empty or false for none, true for the
    command's defaults, or {segmento: SECONDS, bandas: true|false}."""
    if not valor:
        return None
    if valor is True:
        return {}
    if not isinstance(valor, dict) or set(valor) - {"segmento", "bandas"}:
        raise ErrorConfiguracion("\"espectro\" debe ser vacío, true o {segmento: SEGUNDOS, bandas: true}")
    return dict(valor)


def argumentosEspectro(espectro, salida):
    """The runner's options that write the spectrum beside `salida` (and the
    bands, when asked for) in the same run, with the spectrum of the
    recording as read, before the steps, for the study's report."""
    if espectro is None:
        return []
    espectroCSV, bandasCSV = rutasEspectro(salida)
    return (["--espectro", espectroCSV] + (["--bandas", bandasCSV] if espectro.get("bandas") else [])
            + ["--espectro-inicial", rutaEspectroInicial(salida)]
            + (["--segmento", str(espectro["segmento"])] if "segmento" in espectro else []))


def rutasEspectro(salida):
    """The spectrum and band files of an output: registro.espectro.csv and
    registro.bandas.csv beside registro.gdf."""
    base = os.path.splitext(salida)[0]
    return base + ".espectro.csv", base + ".bandas.csv"


def rutaEspectroInicial(salida):
    """The spectrum before the steps: registro.espectro-inicial.csv."""
    return os.path.splitext(salida)[0] + ".espectro-inicial.csv"


def rutaSalida(salida, ident, formato):
    return f"{salida}/{ident}.{formato}"


def rutaProcedencia(salida, ident, formato):
    return rutaSalida(salida, ident, formato) + ".json"


def rutaEpocas(salida, ident):
    return f"{salida}/{ident}.epocas"


def cedDe(plantilla, registro):
    """The channel file of a recording: one path for all, or a template with
    {carpeta} (the recording's folder) and {nombre} (its name without
    extension), used when that file exists. None when there is none."""
    if not plantilla:
        return None
    r = Path(registro)
    ruta = plantilla.format(carpeta=str(r.parent), nombre=r.stem)
    if ruta == plantilla:
        if not os.path.isfile(ruta):
            raise ErrorConfiguracion(f"el archivo de canales \"{ruta}\" no existe")
        return ruta
    return ruta if os.path.isfile(ruta) else None


def bytesRegistro(registro):
    """The recording's size on disk: its file, and for a BrainVision header
    the files beside it with the same name (its data and markers)."""
    r = Path(registro)
    if r.suffix.lower() != ".vhdr":
        return r.stat().st_size
    return sum(f.stat().st_size for f in r.parent.glob(glob_escape(r.stem) + ".*")
               if f.is_file() and f.suffix.lower() != ".ced") or r.stat().st_size


def glob_escape(texto):
    return "".join(f"[{c}]" if c in "*?[" else c for c in texto)


def multiplosPaso(cli):
    """Each step's memory multiple, from the runner's catalogue."""
    try:
        r = subprocess.run([cli, "pasos", "--json"], capture_output=True, text=True, check=True)
        return {p["nombre"]: int(p["multiploMemoria"]) for p in json.loads(r.stdout)}
    except (OSError, subprocess.CalledProcessError, ValueError, KeyError, TypeError) as e:
        raise ErrorConfiguracion(f"no se pudo leer el catálogo de pasos de \"{cli}\" (ondelar-cli pasos --json): {e}")


def memoriaMB(bytesEntrada, pasos, multiplos):
    """A job's memory request from the recording's size and its steps."""
    nombres = [p.split(":", 1)[0] for p in pasos]
    multiplo = max([multiplos.get(n, MULTIPLO_SIN_PASOS) for n in nombres], default=MULTIPLO_SIN_PASOS)
    return MEMORIA_BASE_MB + math.ceil(bytesEntrada / 2**20 * DOBLES_POR_BYTE * multiplo)


def columnasTiempo(pasos):
    return [f"t{i} {p} (s)" for i, p in enumerate(pasos, 1)]


def leerProcedencia(ruta):
    """A provenance record, or None when it is missing or unreadable."""
    try:
        with open(ruta, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def resumenCSV(ids, procedencias, pasos, omitidos=None):
    """The study's table, one row per recording in `ids` order, then the
    recordings skipped ({id: reason}) as "omitido". A recording without a
    provenance file (its job did not finish) is listed as "pendiente"."""
    texto = io.StringIO()
    w = csv.writer(texto, lineterminator="\n")
    w.writerow(["registro", "canales", "frecuencia", "muestras", "eventos"] + columnasTiempo(pasos)
               + ["estado", "motivo"])
    for ident, ruta in zip(ids, procedencias):
        if not os.path.isfile(ruta):
            w.writerow([ident, "", "", "", ""] + [""] * len(pasos)
                       + ["pendiente", "el trabajo no terminó; vea su log"])
            continue
        with open(ruta, encoding="utf-8") as f:
            p = json.load(f)
        info = p.get("info") or {}
        tiempos = [t["segundos"] for t in p.get("tiempos", [])]
        tiempos += [""] * (len(pasos) - len(tiempos))
        w.writerow([ident] + [info.get(k, "") for k in ("canales", "frecuencia", "muestras", "eventos")]
                   + tiempos[:len(pasos)] + [p["estado"], p.get("motivo", "")])
    for ident, motivo in sorted((omitidos or {}).items()):
        w.writerow([ident, "", "", "", ""] + [""] * len(pasos) + ["omitido", motivo])
    return texto.getvalue()


def escribirResumen(ruta, ids, procedencias, pasos, omitidos=None):
    os.makedirs(os.path.dirname(os.path.abspath(ruta)), exist_ok=True)
    temporal = ruta + ".tmp"
    with open(temporal, "w", encoding="utf-8") as f:
        f.write(resumenCSV(ids, procedencias, pasos, omitidos))
    os.replace(temporal, ruta)


def salidasPerdidas(procedencia, salidas):
    """The files among `salidas` (what the configuration asks of a recording)
    that its provenance file says a completed run wrote and that are gone
    since: the recording must be processed again. Only reads; the
    provenance file is opened only when something is missing, since every
    job's Snakemake reads this for the whole study."""
    if all(os.path.isfile(f) for f in salidas):
        return []
    try:
        with open(procedencia, encoding="utf-8") as f:
            p = json.load(f)
    except (OSError, ValueError):
        return []
    if p.get("estado") != "completado":
        return []
    escritos = {os.path.abspath(a["ruta"])
                for a in (p.get(k) for k in ("salida", "espectro", "bandas", "espectroInicial"))
                if isinstance(a, dict) and a.get("ruta")}
    return [f for f in salidas if os.path.abspath(f) in escritos and not os.path.isfile(f)]
