#!/usr/bin/env bash
# Screenshots of every window and dialog of the program under a real X
# server, at the default font and at 1.25 x, for looking at them:
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
# writes OUT_DIR/scale-1/NAME.png and OUT_DIR/scale-1.25/NAME.png (needs
# xvfb-run; the check that no text is cut runs too and reports any).
#
# The README's picture of the program at work (the sample micrograph with a
# calibrated measurement, the histogram and the spreadsheet):
#   tools/screenshots.sh --readme [BUILD_DIR]
# writes docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--readme" ]; then
  build=${2:-build}
  cmake --build "$build" --target readme_screenshot >/dev/null
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x960x24" \
    "$build/tests/gui/readme_screenshot" images docs/screenshot.png
  echo "docs/screenshot.png"
  exit 0
fi
build=${1:-build}
out=${2:-screenshots}
for scale in 1 1.25; do
  echo "== scale $scale"
  QT_SCALE_FACTOR=$scale IVRA_SHOTS_DIR="$out/scale-$scale" \
    xvfb-run -a -s "-screen 0 1600x1000x24" "$build/tests/gui/tst_layout" || true
done
echo "screenshots in $out/"
