#!/usr/bin/env bash
# Runs every libFuzzer harness of build-fuzz for SECONDS seconds (default 10)
# over a scratch copy of its seed corpus in tests/fuzz/corpus/NAME.
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${2:-build-fuzz}
status=0
for fuzzer in "$build"/tests/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -r "tests/fuzz/corpus/$name/." "$work/"; fi
  echo "== $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 -print_final_stats=0 \
       -artifact_prefix="$work/" "$work" >"$work.log" 2>&1; then
    echo "FAILED: $name"; tail -n 60 "$work.log"; status=1
  else
    grep -E '^#[0-9]+.*(DONE|pulse)' "$work.log" | tail -n 1 || true
  fi
  rm -rf "$work" "$work.log"
done
exit $status
