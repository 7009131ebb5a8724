#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, when any
# of them is missing. Run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev libqt6opengl6-dev
  libjpeg-dev libpng-dev libtiff-dev zlib1g-dev libdeflate-dev libfreetype-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xclip xdotool poppler-utils
  locales
  desktop-file-utils appstream man-db groff-base dpkg-dev file
)
# Extra packages a caller asks for (e.g. the benchmark peers).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number tests run once more under a decimal-comma locale; a fresh
# machine has none, so make it (the locales package holds its source).
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the locale de_DE.UTF-8"
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
