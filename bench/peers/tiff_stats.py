"""The peers of bench_tiff's statistics: numpy's mean, std, min, max and
median of every channel of a 16-bit RGB array, and OpenCV's meanStdDev of
the same array, on one thread. Reads raw native-endian uint16 samples (rows
from the top, red, green, blue interleaved) and prints one line per peer:
NAME SECONDS (the fastest of REPS runs), or NAME unavailable.

    /usr/bin/python3 tiff_stats.py FILE WIDTH HEIGHT [REPS]
"""
import os
import sys
import time

os.environ.setdefault("OMP_NUM_THREADS", "1")
os.environ.setdefault("OPENBLAS_NUM_THREADS", "1")

import numpy as np  # noqa: E402


def best(fn, reps):
    times = []
    for _ in range(reps):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    reps = int(sys.argv[4]) if len(sys.argv) > 4 else 3
    a = np.fromfile(path, dtype=np.uint16).reshape(height, width, 3)

    def numpy_stats():
        axes = (0, 1)
        a.mean(axis=axes)
        a.std(axis=axes)
        a.min(axis=axes)
        a.max(axis=axes)
        np.median(a, axis=axes)

    print("numpy", best(numpy_stats, reps), flush=True)
    try:
        import cv2

        cv2.setNumThreads(1)
        print("opencv_meanStdDev", best(lambda: cv2.meanStdDev(a), reps), flush=True)
    except ImportError:
        print("opencv_meanStdDev unavailable", flush=True)


if __name__ == "__main__":
    main()
