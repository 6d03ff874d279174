#!/usr/bin/env bash
# Runs Windows test programs under Wine in the project's prefix.
#   wine-run.sh EXE [ARGS...]      one program, with its own bitness's loader
#   wine-run.sh --32 CMD [ARGS...] a script, or a 64-bit EXE, that starts
#                                  32-bit programs itself
#   wine-run.sh --measure EXE ...  a measurement: a 32-bit one runs only
#                                  where 32-bit code runs natively
#   wine-run.sh --stress --32 ...  many threads at once (overlapping flash
#                                  workers): likewise, as emulated 32-bit
#                                  Wine is not reliable with them
#   wine-run.sh --many-processes EXE ...  a program that starts many 32-bit
#                                  processes: likewise, as each takes most
#                                  of a minute to start under emulation
# 32-bit programs run as VELQUOR_WINE32 says (found out here when unset).
# Natively, as they are.  Emulated, the programs leave out their timing
# checks and stress cases, and a run that ends without any result (no
# closing "N passed, N failed" and no failed case), or hangs past
# VELQUOR_EMULATED_LIMIT seconds, gets one more try, then counts as
# skipped.  Where they cannot run at all, skipped.  Exit 77: skipped.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
native_only=
case $1 in
--measure) native_only="a measurement" && shift ;;
--stress) native_only="many threads in one process" && shift ;;
--many-processes) native_only="many 32-bit processes" && shift ;;
esac
if [ "$1" = --32 ]; then
  shift
  case $1 in *.exe) set -- "$wine64" "$@" ;; esac
elif [ "$(pe_bits "$1")" = 64 ]; then
  exec "$wine64" "$@"
else
  set -- "$wine32" "$@"
fi

[ -n "${VELQUOR_WINE32:-}" ] || wine32_mode
case $VELQUOR_WINE32 in
native) exec "$@" ;;
none)
  echo "skipped: 32-bit programs cannot run here: $VELQUOR_WINE32_WHY"
  exit 77
  ;;
esac
if [ -n "$native_only" ]; then
  echo "skipped: $native_only, and 32-bit programs are only emulated here"
  exit 77
fi

export VELQUOR_WINE_EMULATED=1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Output goes to a file, not a pipe: a process the dead run left behind (a
# stand-in service, say) would hold a pipe open until it is killed.
for try in 1 2; do
  rc=0
  timeout -k 10 "${VELQUOR_EMULATED_LIMIT:-300}" "$@" >"$out" 2>&1 || rc=$?
  cat "$out"
  if grep -qE '^[0-9]+ passed, [0-9]+ failed|^\[FAIL\]' "$out"; then
    exit "$rc"
  fi
  echo "emulated run $try ended without a result (exit $rc)"
  wineserver -k 2>/dev/null || true # what the dead run left behind
done
echo "skipped: emulation died"
exit 77
