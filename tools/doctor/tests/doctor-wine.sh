#!/usr/bin/env bash
# The doctor's Wine test, then Python's JSON parser on every report it kept.
#   doctor-wine.sh WINE-RUN TEST.exe OUT DOCTOR.exe ... [case...]
set -euo pipefail
run=$1 test=$2 out=$3
shift 3
rm -rf "$out" && mkdir -p "$out"
rc=0
"$run" "$test" "$out" "$@" || rc=$?
[ "$rc" -eq 77 ] && exit 77
python3 "$(dirname "$0")/check-json.py" "$out" || rc=1
exit "$rc"
