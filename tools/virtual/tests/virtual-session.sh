#!/usr/bin/env bash
# Plays a session through the libraries against the virtual keyboards, on a
# private X server (Xvfb) with Wine's X11 driver in a prefix of its own, then
# checks the screenshots each window took of itself.
#   virtual-session.sh RUNDIR CHECK-EXE SESSION PAGE-DIR -- PLAYER-EXE
#       [player options, with --glow DLL: the virtual effect library, staged
#        beside the player where the library search finds it]
# PAGE-DIR gets one screenshot of each window.  Exit 77: skipped (no Xvfb;
# 32-bit programs that do not run natively here).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
run=$1 check=$2 session=$3 page=$4
shift 5
player=$1
shift

command -v Xvfb >/dev/null || {
  echo "skipped: Xvfb is not installed (apt-get install xvfb)"
  exit 77
}
source "$repo/tests/common/wine32.sh"
# The PE header's machine field: 8664 for a 64-bit program.
at=$(od -An -tu4 -j60 -N4 "$player" | tr -d ' ')
if [ "$(od -An -tx2 -j$((at + 4)) -N2 "$player" | tr -d ' ')" != 8664 ]; then
  loader=$wine32
  wine32_mode
  if [ "$VELQUOR_WINE32" != native ]; then
    echo "skipped: 32-bit programs do not run natively here"
    exit 77
  fi
fi

# shellcheck source=tools/preview/player-run.sh
source "$repo/tools/preview/player-run.sh"
stage_player "$run" "$player" --glow "$@"
mkdir -p "$run/shots"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" \
  2>"$run/xvfb.log" &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.1; done
[ -s "$run/display" ] || { cat "$run/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$run/display")
export VELQUOR_WINEPREFIX=${VELQUOR_WINEPREFIX_X11:-$repo/build/wine-prefix-x11}
export VELQUOR_WINE_GRAPHICS=x11
source "$repo/tests/common/wine-env.sh"

cd "$run"
export VIRTUAL_KEYBOARD_SHOTS=shots
timeout -k 10 300 "${loader:-$wine64}" "./$(basename "$player")" --session "$session" "${player_args[@]}" >player.out 2>&1 || true
wineserver -k 2>/dev/null || true
if ! player_ended player.log; then
  cat player.out
  echo "the player ended early, after $(player_calls_done player.log) calls"
  exit 1
fi
mkdir -p "$page"
wine_exe "$check" shots "Z:${page//\//\\}"
