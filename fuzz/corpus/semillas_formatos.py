#!/usr/bin/env python3
"""Writes the seed corpora of fuzz_edf, fuzz_brainvision_cabecera and
fuzz_brainvision_marcas beside this script. Run from the project root:
    python3 fuzz/corpus/semillas_formatos.py
The files are built byte by byte: small EDF+, BDF+ and EDF files (with
annotations, a Status channel, two rates, a discontinuous one) and
BrainVision header and marker texts of each kind the reader handles."""
import os
import struct

aqui = os.path.dirname(os.path.abspath(__file__))


def escribir(objetivo, nombre, contenido):
    carpeta = os.path.join(aqui, objetivo)
    os.makedirs(carpeta, exist_ok=True)
    with open(os.path.join(carpeta, nombre), 'wb') as f:
        f.write(contenido)


def campo(v, n):
    return str(v).encode('ascii').ljust(n)[:n]


def edf(bdf, senales, registros, anotaciones=None, reservado=b'EDF+C'):
    """senales: (label, samples per record); anotaciones: one TAL text per record."""
    ancho = 3 if bdf else 2
    if anotaciones is not None:
        senales = senales + [((b'BDF' if bdf else b'EDF') + b' Annotations', 30)]
    ns = len(senales)
    b = (b'\xffBIOSEMI' if bdf else campo(0, 8)) + campo('X X X X', 80) + campo('Startdate X X X X', 80)
    b += b'01.01.8500.00.00' + campo(256 * (ns + 1), 8) + campo(reservado.decode(), 44)
    b += campo(registros, 8) + campo(1, 8) + campo(ns, 4)
    b += b''.join(campo(s[0].decode(), 16) for s in senales) + campo('', 80) * ns
    b += b''.join(campo('' if s[0].endswith(b'Annotations') else 'uV', 8) for s in senales)
    b += campo(-100, 8) * ns + campo(100, 8) * ns
    dmin, dmax = (-8388608, 8388607) if bdf else (-32768, 32767)
    b += campo(dmin, 8) * ns + campo(dmax, 8) * ns + campo('', 80) * ns
    b += b''.join(campo(s[1], 8) for s in senales) + campo('', 32) * ns
    for r in range(registros):
        for s in senales:
            if s[0].endswith(b'Annotations'):
                tal = (b'+%d\x14\x14\x00' % r) + (anotaciones[r] if r < len(anotaciones) else b'')
                b += tal.ljust(s[1] * ancho, b'\x00')
            else:
                for k in range(s[1]):
                    v = (r * 37 + k * 11) % 200 - 100
                    b += struct.pack('<i', v)[:ancho]
    return b


anotado = [b'+0.25\x150.5\x14type A\x14\x00', b'+1.5\x14type B\x14type A\x14\x00']
escribir('fuzz_edf', 'edfplus_anotaciones', edf(False, [(b'Fz', 8), (b'Cz', 8)], 2, anotado))
escribir('fuzz_edf', 'bdfplus_status', edf(True, [(b'C3', 8), (b'Status', 8)], 2, [b'', b''], b'BDF+C'))
escribir('fuzz_edf', 'edf_dos_frecuencias', edf(False, [(b'Fz', 8), (b'Resp', 2), (b'Cz', 8)], 3, reservado=b''))
escribir('fuzz_edf', 'edfplus_discontinuo', edf(False, [(b'Fz', 4)], 2, [b'', b''], b'EDF+D'))
escribir('fuzz_edf', 'edf_cortado', edf(False, [(b'Fz', 8), (b'Cz', 8)], 3, reservado=b'')[:-10])

cabecera = '''\ufeffBrain Vision Data Exchange Header File Version 1.0
; comentario

[Common Infos]
Codepage={codepage}
DataFile=d.eeg
MarkerFile=d.vmrk
DataFormat=BINARY
DataOrientation={orientacion}
NumberOfChannels=3
SamplingInterval={intervalo}
{extra}
[Binary Infos]
BinaryFormat={formato}
UseBigEndianOrder={big}

[Channel Infos]
Ch1=Fp1,,0.1,\u00b5V
Ch2=F\\1z,REF,,nV
Ch3=EMG,,2,mV

[Comment]
Ch4=no
'''


def vhdr(codificacion='utf-8', **k):
    v = dict(codepage='UTF-8', orientacion='MULTIPLEXED', intervalo='1000', extra='', formato='INT_16', big='NO')
    v.update(k)
    return cabecera.format(**v).replace('\n', '\r\n').encode(codificacion, errors='replace')


escribir('fuzz_brainvision_cabecera', 'int16_multiplexado', vhdr())
escribir('fuzz_brainvision_cabecera', 'float32_vectorizado_big', vhdr(orientacion='VECTORIZED', formato='IEEE_FLOAT_32',
                                                                      big='YES', extra='DataPoints=100'))
escribir('fuzz_brainvision_cabecera', 'int32_latin1', vhdr('latin-1', codepage='ANSI', formato='INT_32',
                                                           intervalo='333.3333'))

marcas = '''Brain Vision Data Exchange Marker File, Version 1.0

[Common Infos]
Codepage={codepage}
DataFile=d.eeg

[Marker Infos]
Mk1=New Segment,,1,1,0,20200101120000000000
Mk2=Stimulus,S  1,12,1,0
Mk3=Response,R 12,40,1,2
Mk4=Comment,se\u00f1al\\1 dos,50,20,0
Mk5=Stimulus,S255,2000000000,1,0
Mk6=Stimulus,S  x,-4,1,99
'''
escribir('fuzz_brainvision_marcas', 'utf8', marcas.format(codepage='UTF-8').replace('\n', '\r\n').encode('utf-8'))
escribir('fuzz_brainvision_marcas', 'latin1', marcas.format(codepage='ANSI').encode('latin-1'))
