#!/usr/bin/env bash
# Installs what is missing, builds and runs every test:
#  1. the Release build with all unit, batch-tool and GUI tests, the check
#     that scripts/deps.sh installs every package the build used, and the
#     clipboard exchange with another program (xclip) and a real click
#     during a long save (xdotool) under Xvfb;
#  2. the core and batch-tool tests again under AddressSanitizer and
#     UndefinedBehaviorSanitizer;
#  3. each libFuzzer harness for a few seconds over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
passed=0
failed=0

run_ctest() { # dir
  local log
  log=$(mktemp)
  set +e
  ctest --test-dir "$1" --output-on-failure -j"$jobs" --timeout 600 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line total=0 fail=0
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    fail=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - fail))
    failed=$((failed + fail))
  fi
  rm -f "$log"
  # A failing run that counted no failed test (a crash of ctest itself, no
  # tests found) still counts as one failure.
  if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then failed=$((failed + 1)); fi
  return 0
}

echo "== Release build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DIVRA_GUI=ON -DIVRA_TESTS=ON -DIVRA_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
# A fresh machine has only what scripts/deps.sh installs: the build must not
# have used anything else.
if bash scripts/check_deps.sh build; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
run_ctest build

echo "== Clipboard exchange with another program under Xvfb"
if QT_QPA_PLATFORM=xcb timeout 300 xvfb-run -a build/tests/gui/tst_clipboard exchangeWithAnotherProgram; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== A click during a long save under Xvfb (xdotool)"
if QT_QPA_PLATFORM=xcb timeout 300 xvfb-run -a build/tests/gui/tst_imagewin_files longPngSaveShowsProgressAndAnswers; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== Sanitizer build of the core"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIVRA_SANITIZE=ON \
  -DIVRA_GUI=OFF -DIVRA_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest build-asan

echo "== Fuzz harnesses"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIVRA_FUZZ=ON \
  -DIVRA_GUI=OFF -DIVRA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
if bash scripts/fuzz.sh "${IVRA_FUZZ_SECONDS:-10}" build-fuzz; then
  n=$(find build-fuzz/tests -maxdepth 1 -name 'fuzz_*' -type f -executable | wc -l)
  passed=$((passed + n))
else
  failed=$((failed + 1))
fi

echo
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
