"""The study's report, informe.html beside resumen.csv: the failures first,
then the summary table and, when the configuration asked for spectra, each
recording's spectrum before and after its steps and a scalp map of its alpha
power. One self-contained file (CSS inline, figures as inline SVG, no script
and no link), written with the standard library only: it runs inside
Snakemake's own interpreter, which has no numpy.

Everything shown comes from files the runner wrote (resumen.csv, each
recording's provenance JSON and its spectrum CSVs); a figure the files do not
give is shown as "—", never estimated."""

import csv
import html
import json
import math
import os

# The id the study test looks for once a browser has rendered the page.
ID_MARCA = "informe-ondelar-listo"
SIN_DATO = "—"

# Alpha band of the runner's band table (frecuencial/bandas.cpp: 8-13 Hz).
BANDA_ALFA = "alfa"

# Scalp map: cells per side of the grid and an exponent of 2 in the
# inverse-distance weights, over great-circle angles, as the window's maps
# (frecuencial/mapaCuero.h), so both read alike.
LADO_MAPA = 36
MINIMO_ELECTRODOS = 4

# Colour scale from low to high (a dark-blue-to-yellow ramp that stays
# readable in grey).
ESCALA = [(0.0, (48, 18, 59)), (0.25, (50, 101, 213)), (0.5, (27, 196, 166)),
          (0.75, (190, 220, 60)), (1.0, (250, 240, 90))]

ESTILO = """
body{font-family:sans-serif;margin:24px;color:#222;max-width:1150px}
h1{font-size:22px}h2{font-size:18px;margin-top:28px;border-bottom:1px solid #ccc}
h3{font-size:15px;margin:18px 0 6px}
table{border-collapse:collapse;font-size:13px}
th,td{border:1px solid #bbb;padding:3px 7px;text-align:right}
th{background:#eee}td.t{text-align:left}
tr.fallido td{background:#fde4e1}tr.pendiente td{background:#fff4d6}tr.omitido td{background:#eef}
.fallos li{margin:4px 0}.nota{color:#555;font-size:13px}
.figuras{display:flex;flex-wrap:wrap;gap:18px;align-items:flex-start}
svg text{font-family:sans-serif}
"""


def _leerCSV(ruta):
    with open(ruta, newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def _leerProcedencia(ruta):
    try:
        with open(ruta, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def _numero(texto):
    try:
        v = float(texto)
    except (TypeError, ValueError):
        return None
    return v if math.isfinite(v) else None


def _fmt(v, decimales=2):
    return SIN_DATO if v is None else f"{v:.{decimales}f}"


def _e(texto):
    return html.escape(str(texto), quote=True)


# ---------------------------------------------------------------- the table

def _duracion(info):
    """Seconds of the recording from its samples and rate, or None."""
    if not info:
        return None
    muestras, frecuencia = _numero(info.get("muestras")), _numero(info.get("frecuencia"))
    return muestras / frecuencia if muestras is not None and frecuencia else None


def _filaTabla(fila, p, pasos):
    ident, estado = fila["registro"], fila["estado"]
    info = (p or {}).get("info") or {}
    tiempos = [_numero(t.get("segundos")) for t in (p or {}).get("tiempos", [])]
    tiempos += [None] * (len(pasos) - len(tiempos))
    celdas = ([f'<td class="t">{_e(ident)}</td>', f'<td class="t">{_e(estado)}</td>',
               f"<td>{_e(info.get('canales', SIN_DATO))}</td>",
               f"<td>{_fmt(_duracion(info), 1)}</td>"]
              + [f"<td>{_fmt(t, 3)}</td>" for t in tiempos[:len(pasos)]]
              + [f"<td>{_fmt(_numero((p or {}).get('segundosRun')), 3)}</td>",
                 f"<td>{SIN_DATO}</td>", f"<td>{SIN_DATO}</td>"])
    return f'<tr class="{_e(estado)}">' + "".join(celdas) + "</tr>"


def _tabla(filas, procedencias, pasos):
    # The provenance file does not record how much ASR repaired nor which
    # components MARA removed: their columns stay "—" until it does.
    cabecera = (["registro", "estado", "canales", "duración (s)"] + [f"{_e(p)} (s)" for p in pasos]
                + ["total de la orden (s)", "ASR: datos reparados", "MARA: componentes quitados"])
    partes = ["<table><tr>" + "".join(f"<th>{c}</th>" for c in cabecera) + "</tr>"]
    for fila in filas:
        partes.append(_filaTabla(fila, procedencias.get(fila["registro"]), pasos))
    partes.append("</table>")
    return "\n".join(partes)


def _fallos(filas):
    fallidos = [f for f in filas if f["estado"] == "fallido"]
    pendientes = [f for f in filas if f["estado"] == "pendiente"]
    omitidos = [f for f in filas if f["estado"] == "omitido"]
    if not fallidos and not pendientes and not omitidos:
        return '<p id="fallos">Ningún registro ha fallado.</p>'
    partes = ['<ul class="fallos" id="fallos">']
    for f in fallidos + pendientes + omitidos:
        partes.append(f"<li><b>{_e(f['registro'])}</b> ({_e(f['estado'])}): {_e(f['motivo'])}</li>")
    partes.append("</ul>")
    return "\n".join(partes)


# ---------------------------------------------------------------- spectra

def leerEspectro(ruta):
    """(frequencies, {label: densities}) of a spectrum CSV of the runner."""
    filas = _leerCSV(ruta)
    etiquetas = filas[0][1:]
    frecuencias, columnas = [], [[] for _ in etiquetas]
    for fila in filas[1:]:
        frecuencias.append(float(fila[0]))
        for c, v in enumerate(fila[1:]):
            columnas[c].append(float(v))
    return frecuencias, dict(zip(etiquetas, columnas))


def _mediaLog(espectro):
    """Mean over channels of log10 of the density, per frequency; a zero
    density (a bin a filter emptied) is held at 1e-12 of the channel's
    largest, so that it does not reach minus infinity."""
    frecuencias, canales = espectro
    medias = [0.0] * len(frecuencias)
    for valores in canales.values():
        suelo = max(max(valores, default=0.0), 1e-300) * 1e-12
        for k, v in enumerate(valores):
            medias[k] += math.log10(max(v, suelo))
    n = max(len(canales), 1)
    return [m / n for m in medias]


def _marcas(minimo, maximo, cuantas=6):
    """Round tick values covering [minimo, maximo]."""
    if maximo <= minimo:
        return [minimo]
    paso = 10 ** math.floor(math.log10((maximo - minimo) / cuantas))
    for f in (1, 2, 5, 10):
        if (maximo - minimo) / (paso * f) <= cuantas:
            paso *= f
            break
    primero = math.ceil(minimo / paso) * paso
    return [primero + i * paso for i in range(int((maximo - primero) / paso + 1e-9) + 1)]


def svgEspectros(curvas, ancho=520, alto=300):
    """Log power against Hz: `curvas` is [(name, colour, freqs, log10 values)]."""
    izq, der, arr, aba = 62, 12, 14, 44
    xs = [f for _, _, fr, _ in curvas for f in fr]
    ys = [v for _, _, _, vs in curvas for v in vs]
    x0, x1 = min(xs), max(xs)
    y0, y1 = math.floor(min(ys)), math.ceil(max(ys))
    if y1 <= y0:
        y1 = y0 + 1
    px = lambda x: izq + (x - x0) / ((x1 - x0) or 1) * (ancho - izq - der)
    py = lambda y: arr + (y1 - y) / (y1 - y0) * (alto - arr - aba)
    s = [f'<svg width="{ancho}" height="{alto}" '
         f'viewBox="0 0 {ancho} {alto}" role="img">',
         f'<rect x="{izq}" y="{arr}" width="{ancho - izq - der}" height="{alto - arr - aba}" '
         'fill="#fff" stroke="#888"/>']
    for x in _marcas(x0, x1, 8):
        s.append(f'<line x1="{px(x):.1f}" y1="{arr}" x2="{px(x):.1f}" y2="{alto - aba}" stroke="#eee"/>'
                 f'<text x="{px(x):.1f}" y="{alto - aba + 15}" font-size="11" text-anchor="middle">{x:g}</text>')
    for y in _marcas(y0, y1, 6):
        s.append(f'<line x1="{izq}" y1="{py(y):.1f}" x2="{ancho - der}" y2="{py(y):.1f}" stroke="#eee"/>'
                 f'<text x="{izq - 5}" y="{py(y) + 4:.1f}" font-size="11" text-anchor="end">1e{y:g}</text>')
    s.append(f'<text x="{(izq + ancho - der) / 2}" y="{alto - 8}" font-size="12" text-anchor="middle">'
             'frecuencia (Hz)</text>')
    s.append(f'<text x="14" y="{(arr + alto - aba) / 2}" font-size="12" text-anchor="middle" '
             f'transform="rotate(-90 14 {(arr + alto - aba) / 2})">densidad (µV²/Hz)</text>')
    for i, (nombre, color, fr, vs) in enumerate(curvas):
        puntos = " ".join(f"{px(x):.1f},{py(y):.1f}" for x, y in zip(fr, vs))
        s.append(f'<polyline fill="none" stroke="{color}" stroke-width="1.6" points="{puntos}"/>')
        s.append(f'<line x1="{ancho - der - 130}" y1="{arr + 14 + 16 * i}" x2="{ancho - der - 110}" '
                 f'y2="{arr + 14 + 16 * i}" stroke="{color}" stroke-width="2"/>'
                 f'<text x="{ancho - der - 104}" y="{arr + 18 + 16 * i}" font-size="11">{_e(nombre)}</text>')
    s.append("</svg>")
    return "\n".join(s)


# ---------------------------------------------------------------- scalp map

def proyectar(xyz):
    """.CED axes (x nose, y left ear, z up) to the map's plane (u right ear,
    v nose, head radius 1 at the ear-nose circle): the azimuthal equidistant
    projection from the vertex, as the window's maps."""
    x, y, z = xyz
    rho = math.hypot(x, y)
    r = math.atan2(rho, z) / (math.pi / 2)
    return (0.0, 0.0) if rho == 0 else (-y / rho * r, x / rho * r)


def _unitario(xyz):
    n = math.sqrt(sum(c * c for c in xyz))
    return tuple(c / n for c in xyz)


def _desdePlano(u, v):
    """The direction on the head of a point of the map's plane."""
    r = math.hypot(u, v)
    polar = r * math.pi / 2
    if r == 0:
        return (0.0, 0.0, 1.0)
    return (math.sin(polar) * v / r, -math.sin(polar) * u / r, math.cos(polar))


def _color(t):
    t = min(max(t, 0.0), 1.0)
    for (a, ca), (b, cb) in zip(ESCALA, ESCALA[1:]):
        if t <= b:
            f = (t - a) / (b - a)
            return "#%02x%02x%02x" % tuple(round(x + f * (y - x)) for x, y in zip(ca, cb))
    return "#%02x%02x%02x" % ESCALA[-1][1]


def svgMapa(electrodos, valores, titulo, lado_px=300):
    """Scalp map of `valores` ({label: µV²}) over `electrodos` ([(label,
    xyz)]): a grid of small rectangles coloured by inverse-distance weighting
    of the electrodes (1/angle², the electrode's own value at its position),
    the head circle, the nose, the electrodes and a colour bar."""
    puntos = [(e, _unitario(p), proyectar(p)) for e, p in electrodos if e in valores]
    vals = [valores[e] for e, _, _ in puntos]
    vmin, vmax = min(vals), max(vals)
    radio = max(1.1, 1.05 * max(math.hypot(*pl) for _, _, pl in puntos))
    margen, barra = 20, 70
    escala = (lado_px - 2 * margen) / (2 * radio)
    cx = cy = lado_px / 2
    X = lambda u: cx + u * escala
    Y = lambda v: cy - v * escala
    s = [f'<svg width="{lado_px + barra}" height="{lado_px + 24}" '
         f'viewBox="0 0 {lado_px + barra} {lado_px + 24}" role="img">',
         f'<text x="{cx}" y="14" font-size="12" text-anchor="middle">{_e(titulo)}</text>',
         '<g transform="translate(0 18)">']
    celda = 2 * radio / LADO_MAPA
    for fila in range(LADO_MAPA):
        v = radio - (fila + 0.5) * celda
        for col in range(LADO_MAPA):
            u = -radio + (col + 0.5) * celda
            if math.hypot(u, v) > radio:
                continue
            d = _desdePlano(u, v)
            num = den = 0.0
            exacto = None
            for (_, unit, _), val in zip(puntos, vals):
                angulo = math.acos(max(-1.0, min(1.0, sum(a * b for a, b in zip(d, unit)))))
                if angulo < 1e-9:
                    exacto = val
                    break
                w = 1.0 / (angulo * angulo)
                num += w * val
                den += w
            valor = exacto if exacto is not None else num / den
            t = (valor - vmin) / (vmax - vmin) if vmax > vmin else 0.5
            s.append(f'<rect x="{X(u - celda / 2):.1f}" y="{Y(v + celda / 2):.1f}" width="{celda * escala + 0.4:.1f}" '
                     f'height="{celda * escala + 0.4:.1f}" fill="{_color(t)}"/>')
    # The head (ear-nose circle), the nose at the top and the ears.
    s.append(f'<circle cx="{cx}" cy="{cy}" r="{escala:.1f}" fill="none" stroke="#222" stroke-width="2"/>')
    s.append(f'<polyline fill="none" stroke="#222" stroke-width="2" points="{X(-0.12):.1f},{Y(0.99):.1f} '
             f'{X(0):.1f},{Y(1.12):.1f} {X(0.12):.1f},{Y(0.99):.1f}"/>')
    for lado in (-1, 1):
        s.append(f'<ellipse cx="{X(lado * 1.03):.1f}" cy="{cy}" rx="{0.05 * escala:.1f}" ry="{0.14 * escala:.1f}" '
                 'fill="none" stroke="#222" stroke-width="2"/>')
    for e, _, (u, v) in puntos:
        s.append(f'<circle cx="{X(u):.1f}" cy="{Y(v):.1f}" r="2.6" fill="#000"><title>{_e(e)}: '
                 f'{valores[e]:.4g} µV²</title></circle>')
        if len(puntos) <= 32:
            s.append(f'<text x="{X(u):.1f}" y="{Y(v) - 4:.1f}" font-size="9" text-anchor="middle" '
                     f'stroke="#fff" stroke-width="2.5" paint-order="stroke">{_e(e)}</text>')
    # Colour bar, µV².
    bx, by, bh = lado_px + 10, margen, lado_px - 2 * margen
    pasos = 40
    for i in range(pasos):
        s.append(f'<rect x="{bx}" y="{by + bh * i / pasos:.1f}" width="14" height="{bh / pasos + 0.4:.1f}" '
                 f'fill="{_color(1 - (i + 0.5) / pasos)}"/>')
    s.append(f'<rect x="{bx}" y="{by}" width="14" height="{bh}" fill="none" stroke="#444"/>')
    s.append(f'<text x="{bx + 18}" y="{by + 8}" font-size="10">{vmax:.3g}</text>'
             f'<text x="{bx + 18}" y="{by + bh}" font-size="10">{vmin:.3g}</text>'
             f'<text x="{bx + 18}" y="{by + bh / 2 + 4}" font-size="10">µV²</text>')
    s.append("</g></svg>")
    return "\n".join(s)


def leerBandas(ruta, banda):
    """{label: power} of one band from a band table of the runner."""
    filas = _leerCSV(ruta)
    columna = filas[0].index(banda)
    return {f[0]: float(f[columna]) for f in filas[1:] if _numero(f[columna]) is not None}


# ---------------------------------------------------------------- per recording

def _archivo(p, clave):
    a = p.get(clave)
    ruta = a.get("ruta") if isinstance(a, dict) else None
    return ruta if ruta and os.path.isfile(ruta) else None


def _seccionRegistro(ident, p):
    partes = [f"<h3>{_e(ident)}</h3>", '<div class="figuras">']
    despues, antes = _archivo(p, "espectro"), _archivo(p, "espectroInicial")
    curvas = []
    if antes:
        fr, _ = e = leerEspectro(antes)
        curvas.append(("antes de los pasos", "#8a8a8a", fr, _mediaLog(e)))
    if despues:
        fr, _ = e = leerEspectro(despues)
        curvas.append(("después de los pasos", "#1f5fbf", fr, _mediaLog(e)))
    if curvas:
        partes.append("<div>" + svgEspectros(curvas) + '<p class="nota">Media de log10 de la densidad sobre '
                      "los canales.</p></div>")
    else:
        partes.append(f'<p class="nota">Sin archivos de espectro para {_e(ident)}.</p>')
    bandas = _archivo(p, "bandas")
    electrodos = [(e.get("etiqueta"), e.get("posicion")) for e in p.get("electrodos") or []
                  if isinstance(e.get("posicion"), list) and len(e["posicion"]) == 3
                  and any(c != 0 for c in e["posicion"])]
    if not bandas:
        partes.append('<p class="nota">Sin tabla de bandas (espectro: {bandas: true} la pide): sin mapa alfa.</p>')
    else:
        alfa = leerBandas(bandas, BANDA_ALFA)
        conPosicion = [(e, pos) for e, pos in electrodos if e in alfa]
        if len(conPosicion) < MINIMO_ELECTRODOS:
            partes.append(f'<p class="nota">Solo {len(conPosicion)} canales con posición: sin mapa alfa.</p>')
        else:
            partes.append("<div>" + svgMapa(conPosicion, alfa, "potencia alfa (8-13 Hz) después de los pasos")
                          + "</div>")
    partes.append("</div>")
    return "\n".join(partes)


def _espectros(filas, procedencias, espectro):
    if espectro is None:
        return '<p class="nota">No se pidieron espectros en la configuración (espectro: vacío).</p>'
    completados = [f["registro"] for f in filas if f["estado"] == "completado"]
    if not completados:
        return '<p class="nota">Ningún registro completado.</p>'
    return "\n".join(_seccionSegura(i, procedencias[i]) for i in completados if procedencias.get(i))


def _seccionSegura(ident, p):
    """A recording's figures, or why they are missing: a spectrum file
    edited or cut by hand costs its figures, not the whole report."""
    try:
        return _seccionRegistro(ident, p)
    except (OSError, ValueError, IndexError, KeyError, ZeroDivisionError) as e:
        return f'<h3>{_e(ident)}</h3><p class="nota">No se pudieron leer sus espectros: {_e(e)}</p>'


# ---------------------------------------------------------------- the page

def _omitidos(n):
    return f", {n} omitidos (formato que ondelar-cli no lee)" if n else ""


def informeHTML(rutaResumen, ids, rutasProcedencia, pasos, espectro):
    with open(rutaResumen, newline="", encoding="utf-8") as f:
        filas = list(csv.DictReader(f))
    procedencias = {i: _leerProcedencia(r) for i, r in zip(ids, rutasProcedencia)}
    cuenta = {e: sum(1 for f in filas if f["estado"] == e)
              for e in ("completado", "fallido", "pendiente", "omitido")}
    return "\n".join([
        "<!DOCTYPE html>", '<html lang="es"><head><meta charset="utf-8">',
        "<title>Informe del estudio</title>", f"<style>{ESTILO}</style></head><body>",
        "<h1>Informe del estudio</h1>",
        f'<p class="nota">{len(filas)} registros: {cuenta["completado"]} completados, {cuenta["fallido"]} '
        f'fallidos, {cuenta["pendiente"]} pendientes{_omitidos(cuenta["omitido"])}. Pasos: {_e(", ".join(pasos) or "ninguno")}.</p>',
        "<h2>Fallos</h2>", _fallos(filas),
        "<h2>Resumen</h2>", _tabla(filas, procedencias, pasos),
        '<p class="nota">La duración es muestras / frecuencia; los tiempos, los de la procedencia de cada '
        f"registro. {SIN_DATO}: la procedencia no lo da.</p>",
        "<h2>Espectros y mapas alfa</h2>", _espectros(filas, procedencias, espectro),
        f'<div id="{ID_MARCA}"></div>', "</body></html>", ""])


def escribirInforme(ruta, rutaResumen, ids, rutasProcedencia, pasos, espectro):
    texto = informeHTML(rutaResumen, ids, rutasProcedencia, pasos, espectro)
    temporal = ruta + ".tmp"
    with open(temporal, "w", encoding="utf-8") as f:
        f.write(texto)
    os.replace(temporal, ruta)
