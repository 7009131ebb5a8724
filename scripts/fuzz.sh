#!/usr/bin/env bash
# Runs every libFuzzer harness of build-fuzz for SECONDS seconds (default 10)
# over a scratch copy of its seed corpus in tests/fuzz/corpus/NAME, and
# prints the inputs per second each reached.
#   scripts/fuzz.sh [SECONDS] [BUILD_DIR]
#
# Memory limits: any single allocation above MALLOC_LIMIT_MB (64) and a
# resident size above RSS_LIMIT_MB (1024) fail the run. The decoder harnesses
# skip images whose header claims more than 2^20 pixels (tests/fuzz/
# FuzzDecode.h), so the largest legitimate allocation is a 4 MiB bitmap plus
# the decoders' working memory (libjpeg's coefficient arrays, at most about
# 12 MiB there); a reader that sizes a buffer from a forged count, or keeps
# inflated text, goes past 64 MB at once. That is also the bound no bad
# input under 1 MB may exceed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
build=${2:-build-fuzz}
malloc_limit_mb=${MALLOC_LIMIT_MB:-64}
rss_limit_mb=${RSS_LIMIT_MB:-1024}
status=0
for fuzzer in "$build"/tests/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  if [ -d "tests/fuzz/corpus/$name" ]; then cp -r "tests/fuzz/corpus/$name/." "$work/"; fi
  # RTF inputs are text read character by character: the mutations stay
  # within 4 KB, which holds every construct of the seeds, so that the
  # harness keeps its pace.
  extra=()
  if [ "$name" = fuzz_rtf ]; then extra=(-max_len=4096); fi
  echo "== $name for ${seconds}s"
  if ! "$fuzzer" "${extra[@]}" -max_total_time="$seconds" -malloc_limit_mb="$malloc_limit_mb" -rss_limit_mb="$rss_limit_mb" \
       -timeout=20 -print_final_stats=1 -artifact_prefix="$work/" "$work" >"$work.log" 2>&1; then
    echo "FAILED: $name"; tail -n 60 "$work.log"; status=1
  else
    grep -E '^#[0-9]+.*(DONE|pulse)' "$work.log" | tail -n 1 || true
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$work.log" | tail -n 1)
    if [ -n "$runs" ]; then echo "$name: $((runs / seconds)) inputs/s"; fi
  fi
  rm -rf "$work" "$work.log"
done
exit $status
