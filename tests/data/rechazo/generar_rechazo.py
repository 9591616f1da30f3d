#!/usr/bin/env python3
"""Joint probability and kurtosis of epochs: a short numpy version of the
rule, with its outputs, for tests/averaging/rechazo_test.cpp.

    /usr/bin/python3 tests/data/rechazo/generar_rechazo.py

Writes epocas.bin: 100 epochs x 3 channels x 128 samples (float32, C order),
seeded Gaussian noise in µV with four bad epochs: a blink on channel 0 of
epoch 7, a jump on channel 1 of epoch 12, a flat epoch 20 and a one-sample
spike on channel 2 of epoch 33. Then
probabilidad.txt and curtosis.txt: one line per channel, one value per epoch.

The rule:
- joint probability: for each channel, a histogram of its values over all
  epochs, 1000 equal bins from its minimum to its maximum (the maximum in the
  last bin); the density of a value is its bin's count / (values x bin
  width); an epoch's score on the channel is the sum of the log densities of
  its samples. A channel that does not vary scores 0;
- kurtosis: m4 / m2^2 - 3 with the epoch's biased central moments; a flat
  epoch counts m4 / m2^2 as 0;
- marking (in the test): z-scores across epochs with the sample standard
  deviation, per channel (local) and of the sum over channels (global); an
  epoch is marked when any |z| exceeds the limit.
"""

import os

import numpy as np

AQUI = os.path.dirname(os.path.abspath(__file__))
rng = np.random.default_rng(20261207)
E, C, W = 100, 3, 128
# Stored as float32, so that numpy and the test read the same doubles.
x = rng.normal(0.0, 10.0, size=(E, C, W)).astype(np.float32).astype(float)
t = np.arange(W)
x[7, 0] += 150.0 * np.exp(-0.5 * ((t - 64) / 6.0) ** 2)  # blink
x[12, 1, 80:] += 120.0                                   # jump
x[33, 2, 70] += 200.0                                    # spike
x[20] = 0.0                                              # flat
x = x.astype(np.float32).astype(float)
x.astype("<f4").tofile(os.path.join(AQUI, "epocas.bin"))

casillas = 1000
prob = np.zeros((C, E))
for c in range(C):
    v = x[:, c, :].ravel()
    lo, hi = v.min(), v.max()
    ancho = (hi - lo) / casillas
    idx = np.minimum(((v - lo) / ancho).astype(np.int64), casillas - 1)
    cuenta = np.bincount(idx, minlength=casillas).astype(float)
    logd = np.log(cuenta / (v.size * ancho))
    prob[c] = logd[idx].reshape(E, W).sum(axis=1)

xc = x - x.mean(axis=2, keepdims=True)
m2 = (xc ** 2).mean(axis=2)
m4 = (xc ** 4).mean(axis=2)
curt = np.where(m2 > 0, m4 / np.where(m2 > 0, m2 ** 2, 1.0), 0.0) - 3.0

np.savetxt(os.path.join(AQUI, "probabilidad.txt"), prob, fmt="%.17g")
np.savetxt(os.path.join(AQUI, "curtosis.txt"), curt.T, fmt="%.17g")


def z(a):
    return (a - a.mean(axis=-1, keepdims=True)) / a.std(axis=-1, ddof=1, keepdims=True)


for nombre, v in (("probabilidad", prob), ("curtosis", curt.T)):
    local = np.abs(z(v)) > 5
    glob = np.abs(z(v.sum(axis=0))) > 5
    print(nombre, "marcadas:", sorted(set(np.flatnonzero(local.any(axis=0))) | set(np.flatnonzero(glob))))
    print(nombre, "z locales del 7, 12, 20:", np.round(z(v)[:, [7, 12, 20, 33]], 2).tolist(),
          "globales:", np.round(z(v.sum(axis=0))[[7, 12, 20, 33]], 2).tolist())
