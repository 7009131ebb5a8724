#!/usr/bin/env bash
# Runs check_globals.sh on its case file: it must fail and report exactly the
# lines marked FLAG.
set -u
here=$(cd "$(dirname "$0")" && pwd)
cases=$here/globals_cases
out=$(bash "$here/check_globals.sh" "$cases")
status=$?
got=$(sed -n 's#^src/measure/Cases.cpp:\([0-9]*\):.*#\1#p' <<<"$out" | sort -n | tr '\n' ' ')
want=$(grep -n '// FLAG' "$cases/measure/Cases.cpp" | cut -d: -f1 | sort -n | tr '\n' ' ')
if [ "$status" -eq 0 ] || [ "$got" != "$want" ]; then
  echo "check_globals.sh status $status; reported lines: $got; marked lines: $want"
  echo "$out"
  exit 1
fi
echo "check_globals.sh reports every marked case and nothing else"
