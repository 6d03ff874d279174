#!/usr/bin/env bash
# The lighting preview: builds the DLLs, plays a game session through the
# real dist/ DLLs under Wine against the stand-in service, effect library
# and LED engine, and draws what every keyboard would light.
#
#   scripts/preview.sh [--live] [--emulate32] [--session FILE] [--bench N] [OUTDIR]
#
# OUTDIR defaults to out/preview.  --live also shows the keyboards in the
# terminal (24-bit colour) while the session plays.  --bench N measures N
# Tovrik updates against N bare WM_COPYDATA sends instead of drawing.
# The 32-bit run plays where the kernel runs 32-bit programs; --emulate32
# plays it under qemu-i386 elsewhere (as root; slow).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

live=0 bench=0 emulate32=0 session=tools/preview/sessions/default.session out=out/preview
while [ $# -gt 0 ]; do
  case $1 in
  --live) live=1 ;;
  --emulate32) emulate32=1 ;;
  --session) session=$2; shift ;;
  --bench) bench=$2; shift ;;
  -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
  -*) echo "unknown option $1" >&2; exit 2 ;;
  *) out=$1 ;;
  esac
  shift
done
session=$(realpath "$session")
mkdir -p "$out"
out=$(realpath "$out")
scripts/deps.sh >&2

step() { echo "== $*" >&2; }

# build DIR PRESET [TARGETS...]: configures, then builds the targets, or
# for a MinGW folder the player and the stand-ins (preview_pieces).
build() {
  local dir=$1 preset=$2 log=build/preview-build-$2.log
  shift 2
  mkdir -p build
  # The folder of the preset, shared with scripts/build.sh and scripts/test.sh.
  cmake --preset "$preset" >"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    exit 1
  }
  local targets=("$@")
  [ -f "$dir/preview-paths.sh" ] && targets=(preview_pieces)
  cmake --build "$dir" -j2 --target "${targets[@]}" >>"$log" 2>&1 || {
    grep -E 'error|Error' "$log" | head -n 20 >&2
    echo "build failed, see $log" >&2
    exit 1
  }
}

step "building the renderer and checking $(basename "$session")"
build build/host host preview_render
render=build/host/tools/preview/preview_render
"$render" --session "$session" --check
step "building the DLLs"
scripts/build.sh >/dev/null

export VELQUOR_WINEPREFIX=${VELQUOR_WINEPREFIX:-$repo/build/wp-preview}
source tests/common/wine32.sh
# Nothing started here outlives the command: not the stand-in service of a
# player that died, not a qemu-i386 registration.
trap 'WINEPREFIX=$VELQUOR_WINEPREFIX wineserver -k 2>/dev/null || true; wine32_end' EXIT
trap 'exit 130' INT TERM
if [ "$emulate32" = 1 ]; then wine32_begin; else wine32_mode; fi
source tests/common/wine-env.sh
# shellcheck source=tools/preview/player-run.sh
source tools/preview/player-run.sh
archs=(x64)
case $VELQUOR_WINE32 in
native) archs=(x86 x64) ;;
emulated)
  if [ "$emulate32" = 1 ]; then archs=(x86 x64); else
    echo "the 32-bit run is left out: 32-bit programs run here only under emulation (--emulate32 plays them, slowly)" >&2
  fi ;;
*) echo "the 32-bit run is left out: $VELQUOR_WINE32_WHY" >&2 ;;
esac
[ "$bench" -gt 0 ] && archs=("${archs[0]}")

step "building the player and stand-ins"
for arch in "${archs[@]}"; do
  build "build/mingw-$arch" "mingw-$arch"
done

# stage ARCH: a fresh run folder with the player and the stand-ins; sets
# the player's arguments in `args`.
stage() {
  local arch=$1 dir=$out/.run/$1 player= tovrik_service= dvglow_complete= ulvo_engine_complete=
  source "build/mingw-$arch/preview-paths.sh"
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$player" "$dir/"
  exe=$dir/$(basename "$player")
  args=(--session "$session" --tail 700
    --tovrik "$repo/dist/$arch/Tovrik.dll" --duvek "$repo/dist/$arch/Duvek.dll"
    --ulvoran "$repo/dist/$arch/UlvoranLedJNI.dll")
  # The effect library keeps its file name: the player's folder is on the
  # search path of the bare-name load.
  cp "$tovrik_service" "$dvglow_complete" "$ulvo_engine_complete" "$dir/"
  args+=(--service "$dir/$(basename "$tovrik_service")"
    --engine "$dir/$(basename "$ulvo_engine_complete")")
  [ "$bench" -gt 0 ] && args=(--bench "$bench" "${args[@]:2}")
  return 0
}

# play ARCH: runs the staged player in its run folder.  An emulated 32-bit
# player that hangs is stopped after 10 minutes.
play() {
  local arch=$1 runner=(wine_exe)
  [ "$arch" = x86 ] && [ "$VELQUOR_WINE32" = emulated ] && runner=(timeout -k 10 600 "$wine32")
  cd "$out/.run/$arch"
  export TOVRIK_SERVICE_LOG=tovrik.log DVGLOW_LOG=dvglow.log ULVO_LED_LOG=ulvo.log
  local rc=0
  if [ "$live" = 1 ] && [ "$bench" = 0 ]; then
    "${runner[@]}" "$exe" "${args[@]}" >player.out 2>&1 &
    local pid=$! follow=--live
    [ "$arch" = x64 ] && follow=--live64
    "$repo/$render" --session "$session" $follow . || true
    wait "$pid" || rc=$?
  else
    "${runner[@]}" "$exe" "${args[@]}" >player.out 2>&1 || rc=$?
    grep '^bench' player.out || true
  fi
  cd "$repo"
  return "$rc"
}

# played ARCH: the player reached the session's end.  Says what was played
# when it did not.
played() {
  local log=$out/.run/$1/player.log calls
  [ "$bench" -gt 0 ] && return 0
  player_ended "$log" && return 0
  calls=$(grep -cvE '^[[:space:]]*(#|$)' "$session" || true)
  echo "the $1 player ended early: it played $(player_calls_done "$log") of $calls calls" >&2
  tail -n 5 "$out/.run/$1/player.out" >&2 || true
  return 1
}

for arch in "${archs[@]}"; do
  step "playing $(basename "$session") under Wine ($arch)"
  stage "$arch"
  tries=1
  [ "$arch" = x86 ] && [ "$VELQUOR_WINE32" = emulated ] && tries=2
  for try in $(seq "$tries"); do
    rc=0
    play "$arch" || rc=$?
    wineserver -k 2>/dev/null || true
    if played "$arch"; then break; fi
    [ "$try" -lt "$tries" ] && echo "emulated 32-bit run died: one more try" >&2 && stage "$arch"
  done
  played "$arch" 2>/dev/null || exit 1
  [ "$rc" -eq 0 ] || { tail -n 20 "$out/.run/$arch/player.out" >&2; exit 1; }
done
[ "$bench" -gt 0 ] && exit 0

# The virtual keyboards' windows from the last 64-bit Wine test run, if any.
rm -rf "$out/virtual"
if [ -d build/mingw-x64/virtual-shots ]; then
  cp -r build/mingw-x64/virtual-shots "$out/virtual"
fi
runs=()
[ -d "$out/.run/x86" ] && [[ " ${archs[*]} " == *" x86 "* ]] && runs+=(--run32 "$out/.run/x86")
runs+=(--run64 "$out/.run/x64")
summary=$("$render" --session "$session" "${runs[@]}" --out "$out")
echo "$summary"
echo "preview written to $out/index.html"
# Against the complete stand-ins every library starts: one that did not
# points at a broken build or staging, not at a preview to trust.
failed=$(grep -E '(init|UlvoLedInit) -> false$|init0 -> [^0]' <<<"$summary" || true)
if [ -n "$failed" ]; then
  echo "a library did not start against the stand-ins:" >&2
  echo "$failed" >&2
  exit 1
fi
