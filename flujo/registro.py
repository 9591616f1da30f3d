#!/usr/bin/env python3
"""One recording of a study: reads its header with `ondelar-cli info`, runs
`ondelar-cli run` on it and writes the provenance record (a JSON sidecar)
beside the output.

A recording that the runner rejects (exit status 1 or 2: a file it cannot
read, a step that fails, a bad option) is a result, not a crash: the sidecar
says "fallido" with the runner's one-line reason, and this script ends well,
so that the study goes on and a later run does not repeat the same failure.
Anything else (the runner killed by a signal or out of memory) ends this
script with an error, so that the workflow reports the job as failed and a
later run tries it again.
"""

import argparse
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

# "paso filtro:BANDPASS,1,40,60: 0.12 s": the step text itself may hold colons.
LINEA_TIEMPO = re.compile(r"^paso (.+): ([0-9]+(?:\.[0-9]+)?) s$")
PREFIJO_ERROR = "ondelar-cli: error: "
# Exit statuses with which the runner reports a recording it cannot process.
FALLOS_DEL_REGISTRO = (1, 2)
SIN_MEMORIA = "no hay memoria suficiente"


def sha256(ruta):
    h = hashlib.sha256()
    with open(ruta, "rb") as f:
        for bloque in iter(lambda: f.read(1 << 20), b""):
            h.update(bloque)
    return h.hexdigest()


def escribirAtomico(ruta, texto):
    temporal = ruta + ".tmp"
    with open(temporal, "w", encoding="utf-8") as f:
        f.write(texto)
    os.replace(temporal, ruta)


def motivoDe(lineas):
    """The runner's one-line reason: its last error line."""
    errores = [l[len(PREFIJO_ERROR):] for l in lineas if l.startswith(PREFIJO_ERROR)]
    return errores[-1] if errores else ""


def fallaElTrabajo(estado, motivo):
    """True for an end that says nothing about the recording (a signal, no
    memory): the job fails and a later run tries again."""
    return estado != 0 and (estado not in FALLOS_DEL_REGISTRO or SIN_MEMORIA in motivo)


def leerInfo(cli, registro, ced, log):
    """The header summary as `ondelar-cli info` reports it, or None."""
    orden = [cli, "info", registro] + (["--ced", ced] if ced else [])
    r = subprocess.run(orden, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    log.write(r.stderr)
    if r.returncode != 0:
        return None
    try:
        info = json.loads(r.stdout.decode("utf-8"))
    except ValueError:
        return None
    eventos = info.get("eventos")
    return {
        "canales": info.get("numeroCanales"),
        "frecuencia": info.get("frecuenciaMuestreo"),
        "muestras": info.get("muestras"),
        "eventos": eventos.get("total") if isinstance(eventos, dict) else 0,
    }


def main():
    a = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    a.add_argument("--cli", required=True)
    a.add_argument("--registro", required=True)
    a.add_argument("--ced")
    a.add_argument("--step", action="append", default=[])
    a.add_argument("--seed", type=int)
    a.add_argument("--salida", required=True)
    a.add_argument("--procedencia", required=True)
    a.add_argument("--log", required=True)
    a.add_argument("--hilos", type=int, default=1)
    a.add_argument("--espectro", action="store_true", help="también ondelar-cli espectro")
    a.add_argument("--segmento", help="segundos de cada segmento del espectro")
    a.add_argument("--bandas", action="store_true", help="también la tabla de bandas del espectro")
    o = a.parse_args()
    # The runner works in the output's folder (see below): paths are made absolute.
    o.registro = os.path.abspath(o.registro)
    o.salida = os.path.abspath(o.salida)
    if os.sep in o.cli:
        o.cli = os.path.abspath(o.cli)
    if o.ced:
        o.ced = os.path.abspath(o.ced)

    os.makedirs(os.path.dirname(o.salida), exist_ok=True)
    # Averaging writes its epoch files into the current folder: each
    # recording gets its own, kept beside the output when a step wrote there.
    epocas = os.path.splitext(o.salida)[0] + ".epocas"
    trabajo = epocas + ".tmp"
    # Stale results of an earlier configuration must not survive a failure.
    for viejo in (epocas, trabajo):
        shutil.rmtree(viejo, ignore_errors=True)
    base = os.path.splitext(o.salida)[0]
    espectro, bandas = base + ".espectro.csv", base + ".bandas.csv"
    for viejo in (o.salida, espectro, bandas):
        if os.path.exists(viejo):
            os.remove(viejo)
    os.makedirs(trabajo)

    version = subprocess.run([o.cli, "--version"], stdout=subprocess.PIPE, check=True).stdout
    comunes = (["--ced", o.ced] if o.ced else []) + [a for p in o.step for a in ("--step", p)]
    orden = [o.cli, "run", o.registro] + comunes
    if o.seed is not None:
        orden += ["--seed", str(o.seed)]
    orden += ["--out", o.salida]

    with open(o.log, "wb") as log:
        info = leerInfo(o.cli, o.registro, o.ced, log)
        log.flush()
        entorno = dict(os.environ, OPENBLAS_NUM_THREADS=str(o.hilos))
        inicio = time.monotonic()
        r = subprocess.run(orden, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=entorno, cwd=trabajo)
        segundos = time.monotonic() - inicio
        log.write(r.stderr)
        # The spectrum of the last branch: the same steps again, then the
        # spectrum, in a folder of its own (averaging writes there too).
        e = None
        if o.espectro and r.returncode == 0:
            ordenEspectro = ([o.cli, "espectro", o.registro] + comunes
                             + (["--segmento", o.segmento] if o.segmento else []) + ["--out", espectro]
                             + (["--bandas", bandas] if o.bandas else []))
            with tempfile.TemporaryDirectory(dir=os.path.dirname(o.salida)) as aparte:
                e = subprocess.run(ordenEspectro, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   env=entorno, cwd=aparte)
            log.write(e.stderr)
    if os.listdir(trabajo):
        os.replace(trabajo, epocas)
    else:
        os.rmdir(trabajo)

    lineas = r.stderr.decode("utf-8", "replace").splitlines()
    tiempos = []
    for linea in lineas:
        m = LINEA_TIEMPO.match(linea)
        if m:
            tiempos.append({"paso": m.group(1), "segundos": float(m.group(2))})
    estado, motivo = r.returncode, motivoDe(lineas)
    if e is not None and e.returncode != 0:
        estado = e.returncode
        motivo = "espectro: " + motivoDe(e.stderr.decode("utf-8", "replace").splitlines())
    if fallaElTrabajo(estado, motivo):
        print(f"registro.py: {o.registro}: ondelar-cli terminó con estado {estado}"
              f"{': ' + motivo if motivo else ''}; vea {o.log}", file=sys.stderr)
        return 1

    completado = estado == 0
    if not completado:
        motivo = motivo or f"ondelar-cli terminó con estado {estado}"
        # A failed recording has no outputs, even when only its spectrum failed.
        for f in (o.salida, espectro, bandas):
            if os.path.exists(f):
                os.remove(f)
    procedencia = {
        "version": version.decode("utf-8").strip(),
        "comando": shlex.join(orden),
        "argumentos": orden,
        "pasos": o.step,
        "semilla": o.seed,
        "hilos": o.hilos,
        "entrada": {"ruta": o.registro, "bytes": os.path.getsize(o.registro), "sha256": sha256(o.registro)},
        "ced": o.ced,
        "info": info,
        "tiempos": tiempos,
        "segundosRun": round(segundos, 3),
        "epocas": sorted(os.listdir(epocas)) if os.path.isdir(epocas) else [],
        "estadoSalida": estado,
        "estado": "completado" if completado else "fallido",
        "motivo": motivo,
        "salida": ({"ruta": o.salida, "bytes": os.path.getsize(o.salida), "sha256": sha256(o.salida)}
                   if completado else None),
        "espectro": ({"comando": shlex.join(e.args), "estadoSalida": e.returncode,
                      "salidas": [f for f in (espectro, bandas) if os.path.isfile(f)]}
                     if e is not None else None),
    }
    escribirAtomico(o.procedencia, json.dumps(procedencia, indent=2, ensure_ascii=False) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
