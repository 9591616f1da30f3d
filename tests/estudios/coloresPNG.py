"""Prints the number of distinct colours of a PNG file (8-bit greyscale, RGB
or RGBA, not interlaced: what Chromium writes), decoded with the standard
library only, so that the study test needs no imaging package.

    python3 tests/estudios/coloresPNG.py CAPTURA.png"""

import struct
import sys
import zlib

CANALES = {0: 1, 2: 3, 4: 2, 6: 4}  # colour type -> bytes per pixel at 8 bits


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def colores(ruta):
    with open(ruta, "rb") as f:
        datos = f.read()
    if datos[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no es un PNG")
    pos, idat = 8, b""
    ancho = alto = bpp = None
    while pos < len(datos):
        largo, tipo = struct.unpack(">I4s", datos[pos:pos + 8])
        cuerpo = datos[pos + 8:pos + 8 + largo]
        if tipo == b"IHDR":
            ancho, alto, bits, color, _, _, entrelazado = struct.unpack(">IIBBBBB", cuerpo)
            if bits != 8 or color not in CANALES or entrelazado:
                raise ValueError(f"PNG no admitido: {bits} bits, tipo {color}, entrelazado {entrelazado}")
            bpp = CANALES[color]
        elif tipo == b"IDAT":
            idat += cuerpo
        pos += 12 + largo
    crudo = zlib.decompress(idat)
    fila = ancho * bpp
    anterior = bytearray(fila)
    vistos = set()
    for y in range(alto):
        filtro = crudo[y * (fila + 1)]
        linea = bytearray(crudo[y * (fila + 1) + 1:(y + 1) * (fila + 1)])
        for i in range(fila):
            a = linea[i - bpp] if i >= bpp else 0
            b = anterior[i]
            c = anterior[i - bpp] if i >= bpp else 0
            if filtro == 1:
                linea[i] = (linea[i] + a) & 255
            elif filtro == 2:
                linea[i] = (linea[i] + b) & 255
            elif filtro == 3:
                linea[i] = (linea[i] + (a + b) // 2) & 255
            elif filtro == 4:
                linea[i] = (linea[i] + paeth(a, b, c)) & 255
        vistos.update(bytes(linea[i:i + bpp]) for i in range(0, fila, bpp))
        anterior = linea
    return len(vistos)


if __name__ == "__main__":
    print(colores(sys.argv[1]))
