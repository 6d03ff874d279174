#!/usr/bin/env bash
# The lighting preview: builds the DLLs, plays a game session through the
# real dist/ DLLs under Wine against the stand-in service, effect library
# and LED engine, and draws what every keyboard would light.
#
#   scripts/preview.sh [--live] [--session FILE] [--bench N] [OUTDIR]
#
# OUTDIR defaults to out/preview.  --live also shows the keyboards in the
# terminal (24-bit colour) while the session plays.  --bench N measures N
# Tovrik updates against N bare WM_COPYDATA sends instead of drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

live=0 bench=0 session=tools/preview/sessions/default.session out=out/preview
while [ $# -gt 0 ]; do
  case $1 in
  --live) live=1 ;;
  --session) session=$2; shift ;;
  --bench) bench=$2; shift ;;
  -h | --help) sed -n '2,10p' "$0"; exit 0 ;;
  -*) echo "unknown option $1" >&2; exit 2 ;;
  *) out=$1 ;;
  esac
  shift
done
session=$(realpath "$session")
mkdir -p "$out"
out=$(realpath "$out")

step() { echo "== $*" >&2; }

# build DIR PRESET [TARGETS...]: configures, then builds the targets, or
# for a MinGW folder the player and whichever stand-ins exist in the tree.
build() {
  local dir=$1 preset=$2 log=build/$(basename "$1").log
  shift 2
  mkdir -p build
  # The stand-ins live with the tests, so the MinGW folders need them.
  local testing=ON
  [ "$preset" = host ] && testing=OFF
  cmake --preset "$preset" -B "$dir" -DBUILD_TESTING=$testing >"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    exit 1
  }
  local targets=("$@")
  if [ -f "$dir/preview-paths.sh" ]; then
    targets=(preview_player)
    while IFS== read -r name path; do
      [ -n "$path" ] && [ "$name" != player ] && targets+=("$name")
    done <"$dir/preview-paths.sh"
  fi
  cmake --build "$dir" -j2 --target "${targets[@]}" >>"$log" 2>&1 || {
    grep -E 'error|Error' "$log" | head -n 20 >&2
    echo "build failed, see $log" >&2
    exit 1
  }
}

step "building the renderer and checking $(basename "$session")"
build build/preview-render host preview_render
render=build/preview-render/tools/preview/preview_render
"$render" --session "$session" --check
step "building the DLLs"
scripts/build.sh >/dev/null
step "building the player and stand-ins"
build build/preview-x86 mingw-x86
build build/preview-x64 mingw-x64

export VELQUOR_WINEPREFIX=${VELQUOR_WINEPREFIX:-$repo/build/wp-preview}
source tests/common/wine-env.sh

# run ARCH: stages the player and stand-ins in a run folder and plays.
run() {
  local arch=$1 dir=$out/.run/$1 player= tovrik_service= dvglow_complete= ulvo_engine_complete=
  source "build/preview-$arch/preview-paths.sh"
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$player" "$dir/"
  local args=(--session "$session" --tail 700)
  if [ "$arch" = x86 ]; then
    [ -f dist/x86/Tovrik.dll ] && args+=(--tovrik "$repo/dist/x86/Tovrik.dll")
    [ -n "$tovrik_service" ] && cp "$tovrik_service" "$dir/" &&
      args+=(--service "$dir/$(basename "$tovrik_service")")
    [ -f dist/x86/Duvek.dll ] && args+=(--duvek "$repo/dist/x86/Duvek.dll")
    [ -n "$dvglow_complete" ] && cp "$dvglow_complete" "$dir/DvGlowSDK.dll"
  fi
  [ -f "dist/$arch/UlvoranLedJNI.dll" ] && args+=(--ulvoran "$repo/dist/$arch/UlvoranLedJNI.dll")
  [ -n "$ulvo_engine_complete" ] && cp "$ulvo_engine_complete" "$dir/" &&
    args+=(--engine "$dir/$(basename "$ulvo_engine_complete")")
  [ "$bench" -gt 0 ] && args=(--bench "$bench" "${args[@]:2}")
  cd "$dir"
  export TOVRIK_SERVICE_LOG=tovrik.log DVGLOW_LOG=dvglow.log ULVO_LED_LOG=ulvo.log
  if [ "$live" = 1 ] && [ "$bench" = 0 ]; then
    wine "./$(basename "$player")" "${args[@]}" >player.out 2>&1 &
    local pid=$!
    local follow=--live
    [ "$arch" = x64 ] && follow=--live64
    "$repo/$render" --session "$session" $follow "$dir" || true
    wait "$pid" || { cat player.out >&2; return 1; }
  else
    wine "./$(basename "$player")" "${args[@]}" 2>&1 | tee player.out | grep '^bench' || true
    test "${PIPESTATUS[0]}" -eq 0 || { cat player.out >&2; return 1; }
  fi
  cd "$repo"
}

step "playing $(basename "$session") under Wine (32-bit)"
run x86
if [ "$bench" -gt 0 ]; then
  exit 0
fi
step "playing $(basename "$session") under Wine (64-bit)"
run x64
wineserver -w

"$render" --session "$session" --run32 "$out/.run/x86" --run64 "$out/.run/x64" --out "$out"
echo "preview written to $out/index.html"
