#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets (fuzz_dat, fuzz_gdf,
fuzz_ced) beside this script. Run from the project root:
    python3 fuzz/corpus/generar_semillas.py
The GDF and .CED seeds start from the sample recordings in ../shared/data."""
import os
import struct

aqui = os.path.dirname(os.path.abspath(__file__))
datos = os.path.join(aqui, '..', '..', '..', 'shared', 'data')


def escribir(objetivo, nombre, contenido):
    carpeta = os.path.join(aqui, objetivo)
    os.makedirs(carpeta, exist_ok=True)
    with open(os.path.join(carpeta, nombre), 'wb') as f:
        f.write(contenido)


def dat(canales, estado, parametros, muestras, formato='<h'):
    resto = '[ State Vector Definition ]\r\nRunning 1 0 0 0\r\n[ Parameter Definition ]\r\n'
    resto += ''.join(p + '\r\n' for p in parametros) + '\r\n'
    primera = lambda n: 'HeaderLen= %6d SourceCh= %d StatevectorLen= %d\r\n' % (n, canales, estado)
    cab = (primera(len(primera(0)) + len(resto)) + resto).encode()
    cuerpo = b''.join(b''.join(struct.pack(formato, v) for v in s) + b'\x01' * estado for s in muestras)
    return cab + cuerpo


escribir('fuzz_dat', 'int16', dat(2, 1, ['Source int SamplingRate= 256Hz 256Hz 1 % // rate',
                                        'Source list ChannelNames= 2 Fz Cz // names',
                                        'Storage string SubjectSession= 001 % % //', 'Storage string SubjectRun= 02 %'],
                                  [[1, -1], [300, -300], [32767, -32768]]))
escribir('fuzz_dat', 'int32', dat(1, 2, ['x string DataFormat= int32', 'x int SamplingRate= % 300Hz',
                                        'x int NumberOfTrials= 4 a'], [[70000], [-70000]], '<i'))
escribir('fuzz_dat', 'float32', dat(3, 0, ['x string DataFormat= float32', 'x int SamplingRate= 160 128 1 4000',
                                          'x string SubjectName= PXB', 'x string StorageTime= %'],
                                    [[1.5, 2.5, -3.0]] * 4, '<f'))

# Version 1.1 first line (data format there) and a StimulusCode state whose
# onsets become events.
resto = ('[ State Vector Definition ]\r\nStimulusCode 5 0 0 3\r\n[ Parameter Definition ]\r\n'
         'x int SamplingRate= 1kHz // r\r\nx int NumberOfTrials= % // t\r\nx list ChannelNames= 1 F%20z\r\n\r\n')
primera = lambda n: 'BCI2000V= 1.1 HeaderLen= %6d SourceCh= 1 StatevectorLen= 2 DataFormat= float32\r\n' % n
cab = (primera(len(primera(0)) + len(resto)) + resto).encode()
escribir('fuzz_dat', 'v11_estimulos', cab + b''.join(struct.pack('<fH', 0.5, c << 3) for c in [0, 3, 3, 0, 5]))


def gdf_p300(registros, eventos):
    g = open(os.path.join(datos, 'p300_8ch.gdf'), 'rb').read()
    cab = bytearray(g[:2304])
    cab[236:244] = struct.pack('<q', registros)
    cuerpo = g[2304:2304 + 16 * registros]
    tabla = bytes([1, 0, 1, 0]) + struct.pack('<I', len(eventos))
    tabla += b''.join(struct.pack('<I', p) for p, _ in eventos) + b''.join(struct.pack('<H', t) for _, t in eventos)
    return bytes(cab) + cuerpo + tabla


escribir('fuzz_gdf', 'p300_recortado', gdf_p300(6, [(1, 9), (3, 768), (5, 9)]))


def gdf_sintetico(tipos, spr, registros, modo, eventos):
    ns = len(tipos)
    b = b'GDF 1.25' + b'sujeto'.ljust(80) + b'registro'.ljust(80) + b'2009030511562400'
    b += struct.pack('<qQQQ', 256 * (ns + 1), 1, 2, 3) + b' ' * 20
    b += struct.pack('<qIII', registros, 1, 1, ns)
    b += b''.join(b'C%d' % i + b' ' * (14 if i < 10 else 13) for i in range(ns))
    b += b' ' * (80 * ns) + b'uV'.ljust(8) * ns
    b += struct.pack('<%dd' % ns, *[-1000.0] * ns) + struct.pack('<%dd' % ns, *[1000.0] * ns)
    b += struct.pack('<%dq' % ns, *[-32768] * ns) + struct.pack('<%dq' % ns, *[32767] * ns)
    b += b' ' * (80 * ns) + struct.pack('<%dI' % ns, *[spr] * ns) + struct.pack('<%dI' % ns, *tipos) + b'\0' * (32 * ns)
    tam = {1: 1, 2: 1, 3: 2, 4: 2, 5: 4, 6: 4, 7: 8, 16: 4, 17: 8}
    for r in range(registros):
        for t in tipos:
            b += bytes((r * 7 + k) % 256 for k in range(tam[t] * spr))
    b += bytes([modo, 0, 1, 0]) + struct.pack('<I', len(eventos))
    b += b''.join(struct.pack('<I', e[0]) for e in eventos) + b''.join(struct.pack('<H', e[1]) for e in eventos)
    if modo == 3:
        b += b''.join(struct.pack('<H', e[2]) for e in eventos) + b''.join(struct.pack('<I', e[3]) for e in eventos)
    return b


escribir('fuzz_gdf', 'tipos_mezclados', gdf_sintetico([1, 2, 3, 4, 5, 6, 7, 16, 17], 1, 3, 1, [(1, 768), (2, 769)]))
escribir('fuzz_gdf', 'varias_por_registro_modo3', gdf_sintetico([3, 16], 4, 3, 3, [(2, 1, 1, 10), (0, 2, 0, 0)]))
escribir('fuzz_gdf', 'version2', b'GDF 2.10' + gdf_sintetico([3], 1, 2, 1, [])[8:])

ced = open(os.path.join(datos, 'p300_8ch.ced'), 'rb').read()
escribir('fuzz_ced', 'p300', ced)
lineas = ced.split(b'\n')
escribir('fuzz_ced', 'con_tipo_crlf', b'\r\n'.join(l.replace(b'\t\t', b'\tEEG\t', 1) for l in lineas[:5]))
escribir('fuzz_ced', 'coordenada_mala', b'\n'.join(lineas[:3] + [b'3\tP3\t\t0\t0\tx\t1\t2']))


def pasos(texto, *enteros):
    return texto.encode() + b'\n' + b''.join(struct.pack('<i', v) for v in enteros)


escribir('fuzz_pasos', 'promediado', pasos('promediado:1.1+2.1,100,600', 256, 100, 600, 56840, 2312, 2400, 56800))
escribir('fuzz_pasos', 'promediado_fuera', pasos('promediado:1.1,100,1000000', 1000000000, 0, 20000, 1000, 500))
