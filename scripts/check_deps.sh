#!/usr/bin/env bash
# Proves that scripts/deps.sh installs everything a build read: every CMake
# package file (the *_DIR entries of CMakeCache.txt), every header (ninja's
# dependency log) and every linked library (the link commands) must belong to
# a package that the list installs, directly or as a dependency. Fails and
# names the missing packages otherwise.
#   check_deps.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# What every build machine has: the C library and the compiler's own files.
exempt='^(libc6|libc6-dev|linux-libc-dev|libcrypt-dev|libcrypt1|libgcc-s1|libstdc\+\+6|libstdc\+\+-[0-9]+-dev|libgcc-[0-9]+-dev|gcc-[0-9]+|g\+\+-[0-9]+|cpp-[0-9]+)$'

list=$(sed -n '/^packages=(/,/^)/p' scripts/deps.sh | sed '1d;$d' | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d')
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
            --no-replaces --no-enhances $list 2>/dev/null | grep -v '^ ' | sed 's/[<>]//g; s/:.*//' | sort -u)
if [ -z "$closure" ]; then
  echo "check_deps: apt-cache knows none of the packages (run apt-get update)"; exit 1
fi

files=$( {
  ninja -C "$build" -t deps 2>/dev/null | grep -E '^ +/usr/' | sed 's/^ *//'
  grep -E '_DIR:PATH=/usr' "$build/CMakeCache.txt" | sed 's/.*=//' | while read -r d; do
    ls -d "$d"/*Config.cmake "$d"/*-config.cmake 2>/dev/null || true
  done
  ninja -C "$build" -t commands 2>/dev/null | grep -oE '/usr/lib/[^ ]+\.(so|a)[.0-9]*' || true
} | sort -u)

# The owner of each file from dpkg's file lists (the same answer as dpkg -S,
# at once for all files). A file may be listed under /usr/lib or, on
# merged-/usr systems, under /lib, and under its own name or its link target.
owners=$( { echo "$files" | while read -r f; do
              [ -n "$f" ] || continue
              real=$(readlink -f "$f")
              printf '%s\t%s\n%s\t%s\n%s\t%s\n%s\t%s\n' "$f" "$f" "$f" "$real" "$f" "${f#/usr}" "$f" "${real#/usr}"
            done; } |
  awk -F'\t' 'FNR == NR { want[$2] = want[$2] ? want[$2] SUBSEP $1 : $1; next }
               ($0 in want) { pkg = FILENAME; sub(/.*\//, "", pkg); sub(/\.list$/, "", pkg); sub(/:.*/, "", pkg)
                              n = split(want[$0], fs, SUBSEP); for (i = 1; i <= n; i++) owner[fs[i]] = pkg }
               END { for (f in owner) print owner[f] ": " f }' - /var/lib/dpkg/info/*.list)
found=$(sed 's/^[^:]*: //' <<<"$owners" | sort -u)
unowned=$(comm -23 <(echo "$files" | sed '/^$/d') <(echo "$found"))
if [ -n "$unowned" ]; then
  echo "check_deps: files of no package:"; echo "$unowned" | sed 's/^/  /'
  exit 1
fi
pkgs=$(sed 's/: .*//; s/, /\n/g; s/:amd64//g' <<<"$owners" | sort -u)
missing=$(comm -23 <(echo "$pkgs") <(echo "$closure") | grep -vE "$exempt" || true)
if [ -n "$missing" ]; then
  echo "check_deps: the build used packages that scripts/deps.sh does not install:"
  echo "$missing" | sed 's/^/  /'
  exit 1
fi
echo "check_deps: $(echo "$files" | wc -l) files of $(echo "$pkgs" | wc -l) packages, all installed by scripts/deps.sh"
