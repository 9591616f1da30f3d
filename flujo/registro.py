#!/usr/bin/env python3
"""One recording of a study with its spectrum: `ondelar-cli run` (which
writes the provenance record itself), then `ondelar-cli espectro` on the
same steps, whose outcome is added to the record.

Without a spectrum the workflow calls the runner directly; this wrapper
exists only because the spectrum is a second command. A recording the
runner rejects is a result (the record says "fallido"); a run that left no
record (a signal, no memory) ends this script with an error, so that the
workflow reports the job as failed and a later run tries it again.
"""

import argparse
import json
import os
import shlex
import subprocess
import sys
import tempfile

PREFIJO_ERROR = "ondelar-cli: error: "


def motivoDe(texto):
    """The runner's one-line reason: its last error line."""
    errores = [l[len(PREFIJO_ERROR):] for l in texto.splitlines() if l.startswith(PREFIJO_ERROR)]
    return errores[-1] if errores else ""


def main():
    a = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for opcion in ("--cli", "--registro", "--salida", "--epocas", "--procedencia", "--log"):
        a.add_argument(opcion, required=True)
    a.add_argument("--ced")
    a.add_argument("--step", action="append", default=[])
    a.add_argument("--seed")
    a.add_argument("--hilos", default="1")
    a.add_argument("--espectro", action="store_true")
    a.add_argument("--segmento", help="segundos de cada segmento del espectro")
    a.add_argument("--bandas", action="store_true", help="también la tabla de bandas del espectro")
    o = a.parse_args()

    base = os.path.splitext(o.salida)[0]
    espectro, bandas = base + ".espectro.csv", base + ".bandas.csv"
    for viejo in (espectro, bandas):
        if os.path.exists(viejo):
            os.remove(viejo)

    comunes = (["--ced", o.ced] if o.ced else []) + [x for p in o.step for x in ("--step", p)]
    orden = ([o.cli, "run", "--procedencia", o.procedencia, o.registro] + comunes
             + (["--seed", o.seed] if o.seed is not None else []) + ["--epocas", o.epocas, "--out", o.salida])
    entorno = dict(os.environ, OPENBLAS_NUM_THREADS=o.hilos)
    with open(o.log, "wb") as log:
        r = subprocess.run(orden, stdout=subprocess.DEVNULL, stderr=log, env=entorno)
    if not os.path.isfile(o.procedencia):
        print(f"registro.py: {o.registro}: ondelar-cli terminó con estado {r.returncode} sin procedencia;"
              f" vea {o.log}", file=sys.stderr)
        return 1
    with open(o.procedencia, encoding="utf-8") as f:
        procedencia = json.load(f)
    if procedencia["estado"] != "completado":
        return 0

    # The spectrum of the last branch: the same steps again, then the
    # spectrum, in a folder of its own (averaging writes there too).
    ordenEspectro = ([o.cli, "espectro", o.registro] + comunes
                     + (["--segmento", o.segmento] if o.segmento else []) + ["--out", espectro]
                     + (["--bandas", bandas] if o.bandas else []))
    with tempfile.TemporaryDirectory(dir=os.path.dirname(os.path.abspath(o.salida))) as aparte:
        e = subprocess.run(ordenEspectro, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                           env=entorno, cwd=aparte)
    with open(o.log, "ab") as log:
        log.write(e.stderr)
    procedencia["espectro"] = {"comando": shlex.join(ordenEspectro), "estadoSalida": e.returncode,
                               "salidas": [f for f in (espectro, bandas) if os.path.isfile(f)]}
    if e.returncode != 0:
        motivo = motivoDe(e.stderr.decode("utf-8", "replace"))
        if e.returncode not in (1, 2) or "no hay memoria suficiente" in motivo:
            print(f"registro.py: {o.registro}: ondelar-cli espectro terminó con estado {e.returncode};"
                  f" vea {o.log}", file=sys.stderr)
            os.remove(o.procedencia)
            return 1
        # A failed recording has no outputs, even when only its spectrum failed.
        for f in (o.salida, espectro, bandas):
            if os.path.exists(f):
                os.remove(f)
        procedencia.update(estadoSalida=e.returncode, estado="fallido", motivo="espectro: " + motivo, salida=None)
    temporal = o.procedencia + ".tmp"
    with open(temporal, "w", encoding="utf-8") as f:
        f.write(json.dumps(procedencia, indent=2, ensure_ascii=False) + "\n")
    os.replace(temporal, o.procedencia)
    return 0


if __name__ == "__main__":
    sys.exit(main())
