"""What the reference scripts under tests/data share: where the sample
recordings are, and how a matrix is written for the tests to read.

The format is Armadillo's binary one: "ARMA_MAT_BIN_FN008", then rows and
columns, then the doubles in column-major order.
"""
import os

import numpy as np

# ../shared/data from the project root.
DATOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "data")


def guardar_arma(ruta, m):
    m = np.asarray(m, dtype=np.float64)
    with open(ruta, "wb") as f:
        f.write(b"ARMA_MAT_BIN_FN008\n%d %d\n" % m.shape)
        f.write(np.asfortranarray(m).tobytes(order="F"))
