#!/usr/bin/python3
"""Compares the processing and analysis core with OpenCV and libvips.

All three work on the same 6000 x 4000 photo-like image, which our benchmark
program writes as raw pixels. The layer blend works on an 8000 x 6000 image
with three 2000 x 2000 layers at opacity 128, as Flatten does: our figures
come from bench_layers (BM_LayerBlend, one layer; BM_Flatten, three layers
and the grid), OpenCV's from addWeighted with alpha 128/255 on the same
three areas (libvips has no in-place blend of an area and is left out). Every operation is timed in-process, the
operation alone (for the peers: from the call to the finished result in
memory), several times; the table shows medians in milliseconds and the
ratio of our time to OpenCV's single-threaded time on the same pixels.

Run through run.sh, which installs the peers and builds the benchmark:
    bash bench/peers/run.sh [--reps N] [--only REGEX] [--markdown]
"""

import argparse
import json
import os
import platform
import re
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
import cv2

try:
    import gi

    gi.require_version("Vips", "8.0")
    from gi.repository import GObject, Vips
except (ImportError, ValueError):  # the libvips binding is optional
    Vips = None

WIDTH, HEIGHT = 6000, 4000

# name: (kernel rows, divisor, bias), as in the filter table of the core.
FILTERS = {
    "sharpen": ([[-1, -1, -1], [-1, 16, -1], [-1, -1, -1]], 8, 0),
    "unsharp-mask": ([[0, 0, -1, 0, 0], [0, -8, -21, -8, 0], [-1, -21, 299, -21, -1], [0, -8, -21, -8, 0],
                      [0, 0, -1, 0, 0]], 179, 0),
    "soften": ([[1, 1, 1], [1, 10, 1], [1, 1, 1]], 18, 0),
    "soften-5x5": ([[1] * 5] * 5, 25, 0),
    "blur": ([[1, 1, 1], [1, 2, 1], [1, 1, 1]], 10, 0),
    "gaussian-blur": ([[1, 2, 1], [2, 4, 2], [1, 2, 1]], 16, 0),
    "laplace-origin": ([[-1, -1, -1], [-1, 7, -1], [-1, -1, -1]], 1, 0),
    "edge-enhance": ([[0, -1, 0], [-1, 8, -1], [0, -1, 0]], 4, 0),
    "find-edges-up-down": ([[1, 1, 1], [1, -2, 1], [-1, -1, -1]], 1, 0),
    "find-edges-down-up": ([[-1, -1, -1], [1, -2, 1], [1, 1, 1]], 1, 0),
    "laplace": ([[-1, -1, -1], [-1, 8, -1], [-1, -1, -1]], 1, 0),
    "sobel-horizontal": ([[1, 2, 1], [0, 0, 0], [-1, -2, -1]], 1, 0),
    "sobel-vertical": ([[1, 0, -1], [2, 0, -2], [1, 0, -1]], 1, 0),
    "prewit-horizontal": ([[1, 1, 1], [0, 0, 0], [-1, -1, -1]], 1, 0),
    "prewit-vertical": ([[1, 0, -1], [1, 0, -1], [1, 0, -1]], 1, 0),
    "hi-pass": ([[-1, -1, -1], [-1, 9, -1], [-1, -1, -1]], 1, 0),
    "emboss": ([[1, 1, 0], [1, 0, -1], [0, -1, -1]], 1, 128),
    "color-emboss": ([[1, 0, 1], [0, 0, 0], [1, 0, -2]], 1, 0),
    "lap1": ([[0, 1, 0], [1, -4, 1], [0, 1, 0]], 1, 0),
    "hp3": ([[1, -2, 1], [-2, 5, -2], [1, -2, 1]], 1, 0),
}


def timed(fn, reps):
    """Median and fastest wall time of fn() in milliseconds."""
    fn()  # warm up: page in the input, load the code
    times = []
    for _ in range(reps):
        t0 = time.perf_counter()
        fn()
        times.append((time.perf_counter() - t0) * 1000.0)
    return statistics.median(times), min(times)


def our_times(bench, reps, filt):
    """Median and fastest real time of our cases matching filt, by name and
    thread argument."""
    out = subprocess.run(
        [bench, "--benchmark_filter=" + filt, "--benchmark_repetitions=%d" % reps,
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json", "--benchmark_min_time=0.05"],
        check=True, capture_output=True, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "aggregate":
            continue
        # "Filter/sharpen/threads:0/avx2:1/min_time:0.500/real_time_median"
        parts = b["run_name"].split("/")
        name = "/".join(p for p in parts if ":" not in p and p != "real_time")
        threads = next(p for p in parts if p.startswith("threads:")).split(":")[1]
        factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        result.setdefault((name, threads), {})[b["aggregate_name"]] = b["real_time"] * factor
    return result


def layer_times(bench, reps):
    """Median real time in ms of BM_LayerBlend and BM_Flatten of bench_layers."""
    out = subprocess.run(
        [bench, "--benchmark_filter=^BM_(LayerBlend|Flatten)", "--benchmark_repetitions=%d" % reps,
         "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "aggregate" and b["aggregate_name"] == "median":
            factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            result[b["run_name"].split("/")[0]] = b["real_time"] * factor
    return result


LAYER_IMAGE = (8000, 6000)
LAYER_SIZE = 2000
# Top-left corners of the three layers, as in BM_Flatten.
LAYER_AT = [(500 + 2200 * i, 1000 + 500 * i) for i in range(3)]


def photo_like(bench, width, height):
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "photo-like.raw")
        subprocess.run([bench, "--write-photo-like", raw, str(width), str(height)], check=True)
        return np.fromfile(raw, dtype=np.uint8).reshape(height, width, 4)


def layer_cases(bench):
    """The blend of the three layer areas with OpenCV: one area (the mean of
    the three) and all three."""
    image = photo_like(bench, *LAYER_IMAGE)
    layers = [photo_like(bench, LAYER_SIZE, LAYER_SIZE) for _ in LAYER_AT]
    alpha = 128.0 / 255.0

    def blend(i):
        x, y = LAYER_AT[i]
        roi = image[y:y + LAYER_SIZE, x:x + LAYER_SIZE]
        cv2.addWeighted(roi, 1.0 - alpha, layers[i], alpha, 0.0, dst=roi)

    def each():
        for i in range(len(LAYER_AT)):
            blend(i)
    return each


class VipsPeer:
    """libvips operations through its GObject binding, one thread, no cache."""

    def __init__(self, bgra):
        Vips.init("compare_peers")
        Vips.cache_set_max(0)
        Vips.concurrency_set(1)
        self.bgra = Vips.Image.new_from_memory_copy(bgra.tobytes(), WIDTH, HEIGHT, 4, Vips.BandFormat.UCHAR)
        self.bgr = self.op("extract_band", **{"in": self.bgra, "band": 0, "n": 3}).copy_memory()

    @staticmethod
    def op(name, **props):
        o = Vips.Operation.new(name)
        for k, v in props.items():
            GObject.Object.set_property(o, k, v)
        o = Vips.cache_operation_build(o)
        return GObject.Object.get_property(o, "out")

    def run(self, name, **props):
        return lambda: self.op(name, **props).copy_memory()

    def conv(self, rows, divisor, bias):
        size = len(rows)
        mask = Vips.Image.new_matrix_from_array(size, size, [float(w) for r in rows for w in r])
        mask.set_double("scale", float(divisor))
        mask.set_double("offset", float(bias))
        return self.run("conv", **{"in": self.bgr, "mask": mask, "precision": Vips.Precision.INTEGER})


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--bench", default="build/bench/bench_processing", help="our benchmark program")
    ap.add_argument("--reps", type=int, default=5, help="runs of each operation (median)")
    ap.add_argument("--only", default="", help="only the operations whose name matches this regular expression")
    ap.add_argument("--markdown", action="store_true", help="print the table as Markdown")
    ap.add_argument("--layers-bench", default="", help="bench_layers of a GUI build, for the layer blend")
    args = ap.parse_args()

    cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
    print("machine: %s, nproc %d, %s; OpenCV %s%s" % (
        cpu, os.cpu_count(), platform.platform(), cv2.__version__,
        ", libvips %s" % Vips.version_string() if Vips and hasattr(Vips, "version_string") else
        (", libvips (GObject binding)" if Vips else ", libvips: binding not installed")), flush=True)

    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, "photo-like.raw")
        subprocess.run([args.bench, "--write-photo-like", raw, str(WIDTH), str(HEIGHT)], check=True)
        bgra = np.fromfile(raw, dtype=np.uint8).reshape(HEIGHT, WIDTH, 4)
    bgr = np.ascontiguousarray(bgra[:, :, :3])
    cv2.setNumThreads(1)
    vips = VipsPeer(bgra) if Vips else None

    def analysis():
        hls = cv2.cvtColor(bgr, cv2.COLOR_BGR2HLS)
        for c in range(3):
            cv2.calcHist([hls], [c], None, [256], [0, 256])

    # (our case, OpenCV operation, libvips operation or None, target ratio or
    #  None, absolute target in ms or None)
    cases = []
    for name, (rows, divisor, bias) in FILTERS.items():
        k = np.array(rows, dtype=np.float32) / divisor
        cases.append(("Filter/" + name,
                      ("filter2D %dx%d BGR" % (len(rows), len(rows)),
                       lambda k=k, bias=bias: cv2.filter2D(bgr, -1, k, delta=bias)),
                      vips.conv(rows, divisor, bias) if vips else None,
                      1.0 if len(rows) == 3 else 0.6, None))
    cases += [
        ("Grayscale", ("cvtColor BGRA2GRAY", lambda: cv2.cvtColor(bgra, cv2.COLOR_BGRA2GRAY)), None, 1.0, None),
        ("Invert", ("bitwise_not BGRA", lambda: cv2.bitwise_not(bgra)),
         vips.run("invert", **{"in": vips.bgra}) if vips else None, 1.0, None),
        ("FlipHorz", ("flip 1 BGRA", lambda: cv2.flip(bgra, 1)),
         vips.run("flip", **{"in": vips.bgra, "direction": Vips.Direction.HORIZONTAL}) if vips else None, 1.0, None),
        ("FlipVert", ("flip 0 BGRA", lambda: cv2.flip(bgra, 0)),
         vips.run("flip", **{"in": vips.bgra, "direction": Vips.Direction.VERTICAL}) if vips else None, 1.0, None),
        ("Rotate180", ("rotate 180 BGRA", lambda: cv2.rotate(bgra, cv2.ROTATE_180)),
         vips.run("rot", **{"in": vips.bgra, "angle": Vips.Angle.D180}) if vips else None, 1.0, None),
        ("Rotate90", ("rotate 90 BGRA", lambda: cv2.rotate(bgra, cv2.ROTATE_90_CLOCKWISE)),
         vips.run("rot", **{"in": vips.bgra, "angle": Vips.Angle.D90}) if vips else None, 1.0, None),
        ("Rotate270", ("rotate 270 BGRA", lambda: cv2.rotate(bgra, cv2.ROTATE_90_COUNTERCLOCKWISE)),
         vips.run("rot", **{"in": vips.bgra, "angle": Vips.Angle.D270}) if vips else None, 1.0, None),
        ("AnalyseImage", ("cvtColor BGR2HLS + 3 calcHist", analysis),
         vips.run("hist_find", **{"in": vips.bgr}) if vips else None, 1.0, None),
        ("CountColors", None, None, None, 60.0),
        ("AdjustLevels", ("LUT BGRA", lambda: cv2.LUT(bgra, np.arange(256, dtype=np.uint8))), None, None, 30.0),
    ]

    # Layer blend: ours from bench_layers; OpenCV's per layer is a third of
    # the three areas. Per layer there is no target of its own (reported);
    # Flatten has its absolute one.
    layer_rows = [r for r in ("LayerBlend", "Flatten") if args.layers_bench and re.search(args.only, r)]

    load_before = open("/proc/loadavg").read().split()[0]
    header = ["operation", "ours (ms)", "ours 1 thread", "OpenCV 1 thread", "peer operation", "libvips 1 thread",
              "ratio", "target", "met"]
    table = []
    failures = 0
    cases = [c for c in cases if re.search(args.only, c[0])]
    for name, cv, vp, target_ratio, target_ms in cases:
        # Ours and the peers one right after the other, so that both see the
        # same load on a shared machine.
        ours = our_times(args.bench, args.reps, "^%s/threads:[01]/avx2:1/" % name)
        mine = ours.get((name, "0"), {}).get("median")
        mine1 = ours.get((name, "1"), {}).get("median")
        cv_ms = timed(cv[1], args.reps)[0] if cv else None
        vp_ms = timed(vp, args.reps)[0] if vp else None
        ratio = mine / cv_ms if (mine and cv_ms and target_ratio is not None) else None
        if target_ratio is not None:
            ok = ratio is not None and ratio <= target_ratio
            target = "<= %.1f" % target_ratio
        else:
            ok = mine is not None and mine <= target_ms
            target = "<= %d ms" % target_ms
        failures += 0 if ok else 1
        fmt = lambda v: "%.1f" % v if v is not None else "-"
        table.append([name, fmt(mine), fmt(mine1), fmt(cv_ms), cv[0] if cv else "-", fmt(vp_ms),
                      "%.2f" % ratio if ratio is not None else "-", target, "yes" if ok else "NO"])
        print("  " + " | ".join(table[-1]), file=sys.stderr, flush=True)

    if layer_rows:
        blend_three = layer_cases(args.bench)
        ours = layer_times(args.layers_bench, args.reps)
        cv3 = timed(blend_three, args.reps)[0]
        for name in layer_rows:
            fmt = lambda v: "%.1f" % v if v is not None else "-"
            if name == "LayerBlend":
                mine, cv_ms, op = ours.get("BM_LayerBlend"), cv3 / 3, "addWeighted 2000x2000 BGRA (1 of 3 areas)"
                ratio = mine / cv_ms if mine else None
                target, ok = "reported", mine is not None
            else:
                mine, cv_ms, op = ours.get("BM_Flatten"), cv3, "addWeighted on the 3 areas (no grid)"
                ratio = mine / cv_ms if mine else None
                target, ok = "<= 120 ms", mine is not None and mine <= 120.0
            failures += 0 if ok else 1
            table.append([name, fmt(mine), fmt(mine), fmt(cv_ms), op, "-",
                          "%.2f" % ratio if ratio is not None else "-", target, "yes" if ok else "NO"])
            print("  " + " | ".join(table[-1]), file=sys.stderr, flush=True)

    if args.markdown:
        print("| " + " | ".join(header) + " |")
        print("|" + "---|" * len(header))
        for row in table:
            print("| " + " | ".join(row) + " |")
    else:
        widths = [max(len(r[i]) for r in table + [header]) for i in range(len(header))]
        for row in [header] + table:
            print("  ".join(c.ljust(w) for c, w in zip(row, widths)))
    print("%d of %d targets met; load average before and after: %s, %s" % (
        len(table) - failures, len(table), load_before, open("/proc/loadavg").read().split()[0]))
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
