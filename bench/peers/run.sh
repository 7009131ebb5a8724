#!/usr/bin/env bash
# Compares the processing core with OpenCV and libvips on this machine:
# installs the peers (Debian packages) when missing, builds our benchmark
# program and runs bench/peers/compare_peers.py with the given options
# (--reps N, --only REGEX, --markdown). Builds in build-bench, or in the
# directory named by IVRA_BENCH_BUILD.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/deps.sh python3-numpy python3-opencv libvips-tools gir1.2-vips-8.0 python3-gi
build="${IVRA_BENCH_BUILD:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DIVRA_GUI=OFF >/dev/null
cmake --build "$build" --target bench_processing -j"$(nproc)"
# Debian's interpreter, which sees the Debian packages of the peers.
exec /usr/bin/python3 bench/peers/compare_peers.py --bench "$build/bench/bench_processing" "$@"
