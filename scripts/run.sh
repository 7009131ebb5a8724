#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DIVRA_GUI=ON >/dev/null
cmake --build build -j"$(nproc)" --target ivra ivra-cli
exec build/ivra "$@"
