#!/usr/bin/python3
"""Times scipy.signal.resample_poly (Debian python3-scipy) on the shape of
bench_remuestreo: 64 channels x 1 h at 1024 Hz down to 256 Hz (up 1, down 4,
its default Kaiser window), on random normal data.

With --servidor (how bench_remuestreo runs it, through bench/fir/procesoMNE.h):
prints one line describing the versions, then, for each line read on standard
input, runs resample_poly once and prints "wall cpu" in seconds. Without
arguments: five timings, printed.
"""
import sys
import time


def main():
    try:
        import numpy as np
        import scipy
        from scipy.signal import resample_poly
    except ImportError as e:
        print("ERROR %s" % e, flush=True)
        return 0
    x = np.random.default_rng(1).standard_normal((64, 3600 * 1024))

    def medir():
        t0, c0 = time.perf_counter(), time.process_time()
        resample_poly(x, 1, 4, axis=1)
        return time.perf_counter() - t0, time.process_time() - c0

    print("scipy %s, numpy %s, resample_poly(x, 1, 4, axis=1)" % (scipy.__version__, np.__version__), flush=True)
    if len(sys.argv) > 1 and sys.argv[1] == "--servidor":
        for _ in sys.stdin:
            print("%.6f %.6f" % medir(), flush=True)
        return 0
    for _ in range(5):
        print("%.3f s (CPU %.3f s)" % medir(), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
