#!/usr/bin/env bash
# One end-to-end preview run under Wine: stages the player and the stand-ins
# in a fresh run folder, plays the session through the DLLs, then checks the
# recorded lighting there as a run of the player's build.
#   wine-e2e.sh RUNDIR CHECK-EXE SESSION -- PLAYER-EXE
#               [player options, with --dvglow DLL to stage the effect library]
# The effect library keeps its file name (DvGlowSDK.dll, or DvGlowSDK64.dll
# in a 64-bit build), in the player's folder where Duvek looks first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../tests/common/wine-env.sh"
# shellcheck source=tools/preview/player-run.sh
source "$here/../player-run.sh"
if [ $# -lt 5 ] || [ "$4" != -- ]; then
  sed -n '2,8p' "$0" >&2
  exit 2
fi
run=$1 check=$2 session=$3
shift 4
player=$1
shift
build=x86
[ "$(pe_bits "$player")" = 64 ] && build=x64
stage_player "$run" "$player" --dvglow "$@"
cd "$run"
export TOVRIK_SERVICE_LOG=tovrik.log DVGLOW_LOG=dvglow.log ULVO_LED_LOG=ulvo.log
wine_exe "./$(basename "$player")" --session "$session" "${player_args[@]}" || true
# A player that ends early leaves no closing line: that is no result to
# check.  Nor does it stop the service it started, which would hold the
# test's output open.
if ! player_ended player.log; then
  echo "the player ended early, after $(player_calls_done player.log) calls"
  wineserver -k 2>/dev/null || true
  exit 1
fi
# The check only reads the logs, so a run of it that ends with no result
# at all (its Wine process died, as now and then on a busy machine) gets
# one more try.  A failed case always prints a result.
for try in 1 2; do
  rc=0
  wine_exe "$check" "$session" "$build" "$run" >check.out 2>&1 || rc=$?
  cat check.out
  if grep -qE '^[0-9]+ passed, [0-9]+ failed' check.out; then exit "$rc"; fi
  echo "check run $try ended with exit code $rc and no result"
done
exit 1
