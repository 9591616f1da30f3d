#!/usr/bin/python3
"""Reference for removing ICA components: the mixing-matrix arithmetic in numpy.

Run once from this folder with Debian's python3-numpy:  /usr/bin/python3 generar_quitar.py
Writes, for a full-rank decomposition (6 components of 6 channels) and one
reduced to rank 5 (5 of 6, esfera the identity):
  quitar_<caso>.ica         the decomposition in Ondelar's text format
  quitar_datos.txt          the 6 x 120 channel samples (one row per channel)
  quitar_<caso>_esperado.txt  the channels without components 2 and 4 (from 1):
                            pinv(P S)[:, kept] @ ((P S) @ X)[kept, :]
The weights need not come from an ICA: the arithmetic is the same for any.
"""
import numpy as np

rng = np.random.default_rng(20261207)
C, T = 6, 120
etiquetas = ["Fp1", "Fp2", "C3", "C4", "O1", "O2"]
X = rng.standard_normal((C, T)) * 20.0 + rng.standard_normal((C, 1)) * 5.0
np.savetxt("quitar_datos.txt", X, fmt="%.17g", delimiter="\t")


def escribir(nombre, pesos, esfera):
    with open(nombre, "w") as f:
        f.write("ondelar-ica 1\norigen\tprueba\ncanales\t%d\n" % C)
        for i, e in enumerate(etiquetas):
            f.write(e + ("\t%.17g\t%.17g\t%.17g\n" % (i * 0.01, 0.05, 0.08) if i % 2 == 0 else "\n"))
        f.write("componentes\t%d\npesos\n" % pesos.shape[0])
        for fila in pesos:
            f.write("\t".join("%.17g" % v for v in fila) + "\n")
        f.write("esfera\n")
        for fila in esfera:
            f.write("\t".join("%.17g" % v for v in fila) + "\n")


def esperado(pesos, esfera, quitar):
    U = pesos @ esfera
    A = np.linalg.pinv(U)
    act = U @ X
    quedan = [q for q in range(U.shape[0]) if q + 1 not in quitar]
    return A[:, quedan] @ act[quedan, :]


completo_p = rng.standard_normal((C, C))
completo_s = rng.standard_normal((C, C)) * 0.1 + np.eye(C)
reducido_p = rng.standard_normal((C - 1, C))
for caso, p, s in (("completo", completo_p, completo_s), ("reducido", reducido_p, np.eye(C))):
    escribir("quitar_%s.ica" % caso, p, s)
    np.savetxt("quitar_%s_esperado.txt" % caso, esperado(p, s, {2, 4}), fmt="%.17g", delimiter="\t")
