#!/usr/bin/python3
"""Times MNE-Python's filter_data (Debian python3-mne) on the shape of
bench_fir: 64 channels x 1 h at 256 Hz, band-pass 1 to 40 Hz, its defaults
(FIR, zero phase, reflect_limited padding, one job), on random normal data.

With --servidor (how bench_fir runs it): prints one line describing the
versions and MNE's filter length, then, for each line read on standard input,
runs filter_data once and prints "wall cpu" in seconds. bench_fir times its own
step between two requests, so both are measured in turn in the same run.
Without arguments: five timings, printed.
"""
import sys
import time


def main():
    try:
        import numpy as np
        import mne
    except ImportError as e:
        print("ERROR %s" % e, flush=True)
        return 0
    mne.set_log_level("ERROR")
    fs = 256.0
    x = np.random.default_rng(1).standard_normal((64, 3600 * 256))
    h = mne.filter.create_filter(x, fs, 1.0, 40.0)

    def medir():
        t0, c0 = time.perf_counter(), time.process_time()
        mne.filter.filter_data(x, fs, 1.0, 40.0, n_jobs=None)
        return time.perf_counter() - t0, time.process_time() - c0

    print("MNE %s, numpy %s, scipy %s, %d coeficientes" % (
        mne.__version__, np.__version__, __import__("scipy").__version__, len(h)), flush=True)
    if len(sys.argv) > 1 and sys.argv[1] == "--servidor":
        for _ in sys.stdin:
            print("%.6f %.6f" % medir(), flush=True)
        return 0
    for _ in range(5):
        print("%.3f s (CPU %.3f s)" % medir(), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
