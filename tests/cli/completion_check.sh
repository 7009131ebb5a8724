#!/usr/bin/env bash
# The bash completion of ivra-cli offers the commands, filter names, options
# and option values of the tool it completes for:
#   completion_check.sh COMPLETION_FILE IVRA_CLI
set -uo pipefail
source "$1"
cli=$2
fails=0
expect() { # WORDS... -- EXPECTED: the completion of the last word, sorted
  local words=() expected
  while [ "$1" != -- ]; do words+=("$1"); shift; done
  shift
  expected=$*
  COMP_WORDS=("$cli" "${words[@]}")
  COMP_CWORD=${#words[@]}
  _ivra_cli
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
  if [ "$got" != "$expected" ]; then
    echo "ivra-cli ${words[*]}<TAB>: got \"$got\", expected \"$expected\""
    fails=$((fails + 1))
  fi
}
expect fi -- filter filters
expect st -- stats stretch
expect --v -- --version
expect filter un -- unsharp-mask
expect filter sobel -- sobel-horizontal sobel-vertical
expect stats --c -- --channels --csv
expect stats --f -- --fail-fast
expect freq --channel s -- saturation
expect stats --channels '' -- gray hsv rgb
expect stats --region '' -- ellipse polygon rect
expect channels x.png --t -- --timing
expect convert --p -- --png-trials
expect stats --decimals '' --
expect info -j '' --
[ "$fails" -eq 0 ]
