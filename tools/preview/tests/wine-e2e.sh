#!/usr/bin/env bash
# One end-to-end preview run under Wine: stages the player and the stand-ins
# in a fresh run folder, plays the session through the DLLs, then checks the
# recorded lighting there.
#   wine-e2e.sh RUNDIR CHECK-EXE SESSION [RUN32] -- PLAYER-EXE
#               [player options, with --dvglow DLL to stage DvGlowSDK.dll]
# With RUN32 given ("-" for none) the run is checked as a 64-bit one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../tests/common/wine-env.sh"
run=$1 check=$2 session=$3
shift 3
run32=
if [ "$1" != -- ]; then run32=$1; shift; fi
shift
player=$1
shift
rm -rf "$run" && mkdir -p "$run"
cp "$player" "$run/"
args=()
while [ $# -gt 0 ]; do
  if [ "$1" = --dvglow ]; then cp "$2" "$run/DvGlowSDK.dll"; shift 2; continue; fi
  args+=("$1")
  shift
done
cd "$run"
export TOVRIK_SERVICE_LOG=tovrik.log DVGLOW_LOG=dvglow.log ULVO_LED_LOG=ulvo.log
wine_exe "./$(basename "$player")" --session "$session" "${args[@]}" || true
# A player that ends early leaves no closing line: that is no result to check.
if ! tr -d '\r' <player.log 2>/dev/null | grep -q ' end$'; then
  echo "the player ended early, after $(awk '/ done /{n++} END{print n+0}' player.log 2>/dev/null) calls"
  exit 1
fi
if [ -n "$run32" ]; then
  wine_exe "$check" "$session" "$run32" "$run"
else
  wine_exe "$check" "$session" "$run"
fi
