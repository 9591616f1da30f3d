#!/usr/bin/env python3
"""Lists the functions of the product code longer than a number of lines.

    python3 tools/funciones_largas.py [--maximo 80] [raiz]

A function's length runs from the first line of its declaration (template
line included) to its closing brace, both counted. Product code is every
.cpp/.h under the root except tests/, bench/, fuzz/ and build folders.

This is a brace counter, not a C++ parser: comments, strings and character
literals are blanked first, then a brace at namespace or class level that
follows a parameter list opens a function. Lambdas and local classes count
as part of the function that holds them. Plain Python 3, no dependencies.
"""

import argparse
import os
import re
import sys

EXTENSIONES = (".cpp", ".cc", ".h", ".hpp")
FUERA = {"tests", "bench", "fuzz", "third_party"}


def blanquear(texto):
    """The text with comments, literals and preprocessor lines as spaces (newlines kept)."""
    salida = []
    i, n = 0, len(texto)
    inicio_linea = True
    while i < n:
        c = texto[i]
        if inicio_linea and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and texto[i] != "\n":
                if texto[i] == "\\" and i + 1 < n and texto[i + 1] == "\n":
                    salida.append(" \n")
                    i += 2
                    continue
                salida.append(" ")
                i += 1
            continue
        if c == "\n":
            inicio_linea = True
            salida.append(c)
            i += 1
            continue
        if not c.isspace():
            inicio_linea = False
        if texto.startswith("//", i):
            while i < n and texto[i] != "\n":
                salida.append(" ")
                i += 1
            continue
        if texto.startswith("/*", i):
            fin = texto.find("*/", i + 2)
            fin = n if fin < 0 else fin + 2
            salida.append(re.sub(r"[^\n]", " ", texto[i:fin]))
            i = fin
            continue
        m = re.match(r'(?:u8|u|U|L)?R"([^()\\ ]{0,16})\(', texto[i:i + 24])
        if m and (i == 0 or not (texto[i - 1].isalnum() or texto[i - 1] == "_")):
            cierre = ")" + m.group(1) + '"'
            fin = texto.find(cierre, i + m.end())
            fin = n if fin < 0 else fin + len(cierre)
            salida.append('"' + re.sub(r"[^\n]", " ", texto[i + 1:fin - 1]) + '"')
            i = fin
            continue
        if c == "'" and i > 0 and texto[i - 1].isalnum() and i + 1 < n and texto[i + 1].isalnum():
            # A digit separator (1'000), when the character before is part of a number.
            j = i - 1
            while j >= 0 and (texto[j].isalnum() or texto[j] in "'."):
                j -= 1
            if texto[j + 1].isdigit():
                salida.append(c)
                i += 1
                continue
        if c in "\"'":
            j = i + 1
            while j < n and texto[j] != c and texto[j] != "\n":
                j += 2 if texto[j] == "\\" else 1
            fin = min(j + 1, n)
            salida.append(c + " " * (fin - i - 2) + c if fin - i >= 2 else c)
            i = fin
            continue
        salida.append(c)
        i += 1
    return "".join(salida)


PALABRAS_CONTROL = {"if", "for", "while", "switch", "catch", "do", "else", "return", "sizeof", "decltype"}
PALABRAS_AMBITO = ("namespace", "class", "struct", "union", "enum", "extern")


def hasta_parentesis(cabecera):
    """Index of the first '(' outside template brackets, or -1."""
    return cabecera.find("(")


def nombre_funcion(cabecera):
    cabecera = re.sub(r"\b(public|private|protected|signals|slots|Q_SLOTS|Q_SIGNALS)\s*:", " ", cabecera)
    cabecera = re.sub(r"\bQ_OBJECT\b", " ", cabecera)
    p = cabecera.find("operator")
    if p >= 0:
        m = re.match(r"operator\s*(\(\)|[^\s(]+)", cabecera[p:])
        previo = re.findall(r"[\w:~]+\s*$", cabecera[:p])
        return (previo[0].strip() if previo else "") + (m.group(0) if m else "operator")
    p = hasta_parentesis(cabecera)
    nombres = re.findall(r"[~\w:]+", cabecera[:p])
    return nombres[-1] if nombres else "?"


def es_cuerpo_de_funcion(cabecera):
    """'funcion', 'ambito' (namespace, class) or 'otro' (an initialiser) for a brace after `cabecera`."""
    limpia = re.sub(r"\b(public|private|protected|signals|slots|Q_SLOTS|Q_SIGNALS)\s*:", " ", cabecera)
    limpia = re.sub(r"\bQ_OBJECT\b", " ", limpia).strip()
    primera = re.match(r"[A-Za-z_]\w*", limpia)
    if primera and primera.group(0) in PALABRAS_CONTROL:
        return "otro"
    if re.match(r"(template\s*<[^{]*>\s*)?(namespace|class|struct|union|enum|extern)\b", limpia) and "(" not in limpia:
        return "ambito"
    if re.match(r"(namespace|extern)\b", limpia):
        return "ambito"
    # An '=' outside parentheses (not operator=, ==, <=, >=, !=) makes an initialiser.
    profundidad = 0
    for k, c in enumerate(limpia):
        if c == "(":
            profundidad += 1
        elif c == ")":
            profundidad -= 1
        elif c == "=" and profundidad == 0:
            antes = limpia[k - 1] if k > 0 else ""
            despues = limpia[k + 1] if k + 1 < len(limpia) else ""
            if antes not in "=<>!" and despues != "=" and not limpia[:k].rstrip().endswith("operator"):
                return "otro"
    if "(" in limpia:
        return "funcion"
    return "ambito"


def en_lista_de_inicio(cabecera):
    """True when the header's text ends inside a constructor's initialiser list."""
    cierre = cabecera.rfind(")")
    profundidad = 0
    for k, c in enumerate(cabecera):
        if c == "(":
            profundidad += 1
        elif c == ")":
            profundidad -= 1
            if profundidad == 0:
                resto = cabecera[k + 1:]
                m = re.match(r"\s*(const|noexcept|override|final|\s)*:(?!:)", resto)
                if m:
                    return True
                break
    del cierre
    return False


def funciones(texto):
    """(first line, last line, name) of every function body in the blanked text."""
    resultado = []
    pila = []  # entries: [kind, start line, name]
    cabecera = []
    linea_cabecera = None
    linea = 1
    for c in texto:
        if c == "\n":
            linea += 1
        dentro = pila and pila[-1][0] in ("funcion", "otro")
        if dentro:
            if c == "{":
                pila.append(["otro", linea, ""])
            elif c == "}":
                tipo, desde, nombre = pila.pop()
                if tipo == "funcion":
                    resultado.append((desde, linea, nombre))
                    cabecera, linea_cabecera = [], None
            continue
        if c == "{":
            texto_cabecera = "".join(cabecera)
            previo = texto_cabecera.rstrip()[-1:] if texto_cabecera.strip() else ""
            if en_lista_de_inicio(texto_cabecera) and (previo.isalnum() or previo in "_>"):
                # A member's brace initialiser before the constructor's body.
                pila.append(["inicio", linea, ""])
                cabecera.append(c)
                continue
            tipo = es_cuerpo_de_funcion(texto_cabecera)
            nombre = nombre_funcion(texto_cabecera) if tipo == "funcion" else ""
            if tipo == "ambito":
                m = re.search(r"\b(class|struct|union)\s+(?:\w+\s+)*?(\w+)\s*(?:final\s*)?(?::[^:]|$)",
                              texto_cabecera.strip() + " ")
                nombre = m.group(2) if m else ""
            elif tipo == "funcion":
                clases = [e[2] for e in pila if e[0] == "ambito" and e[2]]
                if clases and "::" not in nombre:
                    nombre = "::".join(clases) + "::" + nombre
            pila.append([tipo, linea_cabecera or linea, nombre])
            cabecera, linea_cabecera = [], None
            continue
        if c == "}":
            if pila and pila[-1][0] == "inicio":
                pila.pop()
                cabecera.append(c)
                continue
            if pila:
                pila.pop()
            cabecera, linea_cabecera = [], None
            continue
        if c == ";":
            cabecera, linea_cabecera = [], None
            continue
        if linea_cabecera is None and not c.isspace():
            linea_cabecera = linea
        cabecera.append(c)
    return resultado


def archivos(raiz):
    for carpeta, subcarpetas, nombres in os.walk(raiz):
        relativa = os.path.relpath(carpeta, raiz)
        subcarpetas[:] = sorted(
            s for s in subcarpetas
            if not s.startswith(".") and not s.startswith("build") and not (relativa == "." and s in FUERA))
        for nombre in sorted(nombres):
            if nombre.endswith(EXTENSIONES):
                yield os.path.join(carpeta, nombre)


def main():
    argumentos = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    argumentos.add_argument("raiz", nargs="?", default=".", help="the repository root (default: .)")
    argumentos.add_argument("--maximo", type=int, default=80, help="list functions longer than this (default: 80)")
    opciones = argumentos.parse_args()
    largas = []
    for ruta in archivos(opciones.raiz):
        with open(ruta, encoding="utf-8", errors="replace") as f:
            texto = blanquear(f.read())
        for desde, hasta, nombre in funciones(texto):
            lineas = hasta - desde + 1
            if lineas > opciones.maximo:
                largas.append((lineas, os.path.relpath(ruta, opciones.raiz), desde, nombre))
    largas.sort(key=lambda x: (-x[0], x[1], x[2]))
    for lineas, ruta, desde, nombre in largas:
        print(f"{lineas:5d}  {ruta}:{desde}  {nombre}")
    print(f"{len(largas)} functions over {opciones.maximo} lines", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
