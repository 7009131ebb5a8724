#!/usr/bin/env bash
# Installs what is missing, builds and runs every test:
#  1. the Release build with all unit, batch-tool and GUI tests, the check
#     that scripts/deps.sh installs every package the build used, the
#     clipboard exchange with another program (xclip) and a real click
#     during a long save (xdotool) under Xvfb, and the installed files and
#     the Debian package (desktop entry, AppStream metadata, man pages, the
#     unpacked package's ivra-cli, its dependencies);
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

echo "== Installed files and the Debian package"
check() { # NAME COMMAND...: one counted check
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name"
    failed=$((failed + 1))
  fi
}
# A man page renders without a warning from man and from groff -ww.
man_page_clean() { # PAGE
  local warnings
  warnings=$({ MANWIDTH=80 man --warnings=w -l "$1" >/dev/null; } 2>&1 && groff -ww -man -Tutf8 -z "$1" 2>&1) &&
    [ -z "$warnings" ] || { echo "$warnings"; return 1; }
}
# The package's ivra-cli prints the project's version and measures a sample.
package_runs() { # UNPACKED_ROOT
  local version
  version=$(sed -nE 's/^project\(.* VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
  [ "$("$1/usr/bin/ivra-cli" --version)" = "ivra-cli (Ivra Image Analyser) $version" ] &&
    "$1/usr/bin/ivra-cli" stats "$1/usr/share/ivra/images/micrograph.png" | grep -q micrograph.png &&
    [ "$("$1/usr/bin/ivra" --version)" = "ivra (Ivra Image Analyser) $version" ]
}
# The package depends on Qt and on the image libraries (from dpkg-shlibdeps).
package_depends() { # DEB
  local depends
  depends=$(dpkg-deb --info "$1" | sed -n 's/^ Depends: //p')
  echo "Depends: $depends"
  for lib in libqt6widgets6 libqt6charts6 libqt6svg6 libjpeg62-turbo libpng16-16 libdeflate0 libtiff6; do
    grep -q "$lib" <<<"$depends" || { echo "missing: $lib"; return 1; }
  done
}
# The Debian package in build/ (CPack's messages only when it fails).
make_package() {
  local log
  log=$(cd build && cpack -G DEB 2>&1) || { echo "$log"; return 1; }
}
stage=$(mktemp -d)
check "cmake --install" cmake --install build --prefix "$stage/usr" >/dev/null
check "installed data beside the program" test -f "$stage/usr/share/ivra/help/index.html" -a \
  -f "$stage/usr/share/ivra/images/micrograph.png" -a -f "$stage/usr/share/icons/hicolor/48x48/apps/org.ivra.ImageAnalyser.png"
check "desktop-file-validate" desktop-file-validate "$stage/usr/share/applications/org.ivra.ImageAnalyser.desktop"
check "appstreamcli validate" appstreamcli validate --no-net \
  "$stage/usr/share/metainfo/org.ivra.ImageAnalyser.metainfo.xml"
check "man ivra" man_page_clean "$stage/usr/share/man/man1/ivra.1"
check "man ivra-cli" man_page_clean "$stage/usr/share/man/man1/ivra-cli.1"
rm -f build/ivra_*.deb
check "cpack -G DEB" make_package
deb=$(ls build/ivra_*.deb 2>/dev/null | head -n 1 || true)
check "dpkg-deb -x" dpkg-deb -x "$deb" "$stage/deb"
check "the unpacked package runs" package_runs "$stage/deb"
check "the package's dependencies" package_depends "$deb"
rm -rf "$stage"

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
