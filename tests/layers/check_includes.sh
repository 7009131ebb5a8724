#!/usr/bin/env bash
# Fails when a folder of the program includes a header of a layer above it:
# the core sees nothing but itself, the engine the core, the services the
# engine, the windows the services (and the image windows below them), and
# only the shell (src/app) and the program see the shell.
#   check_includes.sh SRC_DIR
set -u
src=${1:?usage: check_includes.sh SRC_DIR}
status=0
windows="imagewin measure processing analysis notepad"
check() { # folder forbidden-prefixes...
  local folder=$1; shift
  [ -d "$src/$folder" ] || return 0
  local prefix hits
  for prefix in "$@"; do
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$prefix/" "$src/$folder" \
             --include='*.h' --include='*.cpp' || true)
    if [ -n "$hits" ]; then
      echo "src/$folder must not include $prefix/ headers:"
      echo "$hits" | sed "s#^$src/#  src/#"
      status=1
    fi
  done
}
check core engine chart services app $windows
check engine chart services app $windows
check chart services app $windows
check services app $windows
check imagewin app measure processing analysis notepad
for w in measure processing analysis notepad; do check "$w" app; done
if [ "$status" -eq 0 ]; then echo "no window folder includes a header of a layer above it"; fi
exit $status
