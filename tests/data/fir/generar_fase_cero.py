#!/usr/bin/python3
"""Zero-phase filtering and the ERP pipeline on p300_8ch.gdf, computed with
Debian's python3-scipy and python3-mne: the references of
tests/filtering/fase_cero_test.cpp.

1. The filter: scipy.signal.firwin taps for the dialog's default band-pass
   (256 Hz, 1-40 Hz, 60 dB: 699 taps, Hamming window), applied to each channel
   on its own with no delay (output n centred on input n) after padding each
   end by the odd reflection about the end sample, limited to the samples the
   channel has and zero beyond. Before writing, the script checks that this
   padding is what MNE-Python's default FIR filtering does: filter_data with
   its own taps (create_filter) must equal the same padding and centred
   convolution to 1e-12 of the signal's scale.
2. The ERP: the filtered channels as an mne.io.RawArray, the events of one
   type read by MNE from the GDF file, mne.Epochs(..., baseline=None).average()
   from -pre to +post samples (pre = trunc(256 * 100 / 1000) = 25 and
   post = trunc(256 * 600 / 1000) = 153, the averaging step's rule; tmin and
   tmax are given as those sample counts over 256 Hz so both sides cut the
   same samples).

Outputs (Armadillo binary matrices, "ARMA_MAT_BIN_FN008", rows x cols doubles
column-major; values in microvolts):
  p300_filtrado_bordes.bin   8 x 1200: samples 0-399, 28220-28619 and the last 400
  p300_erp_tipo3.bin         8 x 179: the average of the 60 events of type 3
  p300_erp_tipo3.txt         type, pre, post, number of epochs, first event sample
"""
import os
import sys

import numpy as np
from scipy.signal import firwin

AQUI = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(AQUI))
from arma import DATOS, guardar_arma  # noqa: E402
FS = 256.0
TIPO = 3
PRE, POST = 25, 153


def extender(fila, p):
    """The row with p samples before and after: odd reflection about each
    end sample over at most len - 1 samples, zeros beyond."""
    n = len(fila)
    r = min(p, n - 1)
    izq = 2.0 * fila[0] - fila[r:0:-1]
    der = 2.0 * fila[-1] - fila[-2:-r - 2:-1]
    return np.concatenate([np.zeros(p - r), izq, fila, der, np.zeros(p - r)])


def fase_cero(x, h):
    """Each row convolved with h (odd length) centred, after extender."""
    p = len(h) - 1
    centro = (len(h) - 1) // 2
    salida = np.empty_like(x)
    for c in range(x.shape[0]):
        completa = np.convolve(extender(x[c], p), h)
        salida[c] = completa[p + centro:p + centro + x.shape[1]]
    return salida



def main():
    import mne
    mne.set_log_level("ERROR")
    raw = mne.io.read_raw_gdf(os.path.join(DATOS, "p300_8ch.gdf"), preload=True)
    assert raw.info["sfreq"] == FS
    x = raw.get_data() * 1e6  # microvolts

    # The padding is MNE's: its own filter, applied by filter_data and by fase_cero.
    h_mne = mne.filter.create_filter(x, FS, 1.0, 40.0)
    y_mne = mne.filter.filter_data(x, FS, 1.0, 40.0)
    d = np.max(np.abs(y_mne - fase_cero(x, h_mne)))
    assert d < 1e-12 * np.max(np.abs(x)), d

    h = firwin(699, [1.0 / 128.0, 40.0 / 128.0], window="hamming", pass_zero=False, scale=True)
    y = fase_cero(x, h)
    n = x.shape[1]
    guardar_arma(os.path.join(AQUI, "p300_filtrado_bordes.bin"),
                 np.hstack([y[:, :400], y[:, 28220:28620], y[:, n - 400:]]))

    events, ids = mne.events_from_annotations(raw)
    codigo = ids[str(TIPO)] if str(TIPO) in ids else ids[str(float(TIPO))]
    info = mne.create_info(raw.ch_names, FS, "eeg")
    filtrado = mne.io.RawArray(y * 1e-6, info)
    epocas = mne.Epochs(filtrado, events, event_id={"tipo": codigo}, tmin=-PRE / FS, tmax=POST / FS,
                        baseline=None, reject=None, flat=None, detrend=None, reject_by_annotation=False,
                        preload=True)
    assert len(epocas) == 60, len(epocas)
    promedio = epocas.average().get_data() * 1e6
    assert promedio.shape == (8, PRE + 1 + POST), promedio.shape
    guardar_arma(os.path.join(AQUI, "p300_erp_tipo3.bin"), promedio)
    primera = int(events[events[:, 2] == codigo][0, 0])
    with open(os.path.join(AQUI, "p300_erp_tipo3.txt"), "w") as f:
        f.write("# made by generar_fase_cero.py: MNE %s, scipy %s, numpy %s\n"
                % (mne.__version__, __import__("scipy").__version__, np.__version__))
        f.write("tipo %d pre %d post %d epocas %d primera_muestra %d\n" % (TIPO, PRE, POST, len(epocas), primera))
    print("filter_data frente a la extensión propia: %.3g; primera muestra del tipo %d: %d" % (d, TIPO, primera))


if __name__ == "__main__":
    sys.exit(main())
