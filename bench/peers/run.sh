#!/usr/bin/env bash
# Compares the processing core with OpenCV and libvips on this machine:
# installs the peers (Debian packages) when missing, builds our benchmark
# programs and runs bench/peers/compare_peers.py with the given options
# (--reps N, --only REGEX, --markdown). Builds bench_processing in
# build-bench (or IVRA_BENCH_BUILD) and, for the layer blend, bench_layers
# in the GUI build build-bench-gui (or IVRA_BENCH_GUI_BUILD; set it to an
# empty string to leave the layer blend out).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh python3-numpy python3-opencv libvips-tools gir1.2-vips-8.0 python3-gi
build="${IVRA_BENCH_BUILD:-build-bench}"
gui_build="${IVRA_BENCH_GUI_BUILD-build-bench-gui}"
if [ "$gui_build" != "$build" ]; then  # one folder may serve both
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DIVRA_GUI=OFF >/dev/null
fi
layers=()
if [ -n "$gui_build" ]; then
  cmake -S . -B "$gui_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DIVRA_GUI=ON -DIVRA_BENCH=ON >/dev/null
  cmake --build "$gui_build" --target bench_layers -j"${IVRA_BENCH_JOBS:-$(nproc)}"
  layers=(--layers-bench "$gui_build/bench/gui/bench_layers")
fi
cmake --build "$build" --target bench_processing -j"${IVRA_BENCH_JOBS:-$(nproc)}"
# Debian's interpreter, which sees the Debian packages of the peers.
exec /usr/bin/python3 bench/peers/compare_peers.py --bench "$build/bench/bench_processing" "${layers[@]}" "$@"
