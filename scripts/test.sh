#!/usr/bin/env bash
# Runs every test layer: unit tests on the host build (plain, under
# ThreadSanitizer, under AddressSanitizer+UBSan), the real-JVM tests, and the
# Wine tests of the cross-built DLLs.  Ends with a summary line.
#
# 32-bit Windows programs run natively where the kernel allows, else under
# qemu-i386 registered for this run only (as root), else they are skipped;
# the summary says which.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
source tests/common/wine32.sh
# Nothing the run started outlives it: no Wine process, no registration.
trap 'WINEPREFIX=$PWD/build/wine-prefix wineserver -k 2>/dev/null || true; wine32_end' EXIT
trap 'exit 130' INT TERM

summary=()
passed=0 failed=0 skipped=0

# took START BUILT: the time since START, and of it the build's.
took() { echo "in $((SECONDS - $1)) s (build $2 s)"; }

# layer NAME PRESET NOTE [ctest options...]
layer() {
  local name=$1 preset=$2 note=$3 start=$SECONDS built
  shift 3
  local dir=build/$preset log=build/$name.log
  mkdir -p build
  echo "== $name"
  if ! { cmake --preset "$preset" >"$log" 2>&1 &&
    cmake --build "$dir" -j"$(nproc)" >>"$log" 2>&1; }; then
    tail -n 40 "$log"
    summary+=("$name: build failed")
    failed=$((failed + 1))
    return
  fi
  built=$((SECONDS - start))
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee -a "$log" || true
  local line total f s
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    summary+=("$name: no tests ran")
    failed=$((failed + 1))
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  s=$(grep -c '(Skipped)$' "$log" || true)
  summary+=("$name: $((total - f - s)) passed, $f failed, $s skipped $(took "$start" "$built")$note")
  passed=$((passed + total - f - s))
  failed=$((failed + f))
  skipped=$((skipped + s))
}

layer host host "" -j"$(nproc)"
layer tsan host-tsan "" -L unit -j"$(nproc)"
layer asan host-asan "" -L unit -j"$(nproc)"
# fuzz: each libFuzzer target for a bounded time (scripts/fuzz.sh)
echo "== fuzz"
start=$SECONDS
line=$(scripts/fuzz.sh 2>&1 | tee build/fuzz.log | tail -n 1) || true
p=$(grep -oE '^[0-9]+' <<<"$line" || echo 0)
f=$(grep -oE '[0-9]+ failed' <<<"$line" | grep -oE '[0-9]+' || echo 1)
built=$(grep -oE '^built in [0-9]+' build/fuzz.log | grep -oE '[0-9]+$' || echo 0)
summary+=("fuzz: $p passed, $f failed $(took "$start" "$built")")
passed=$((passed + p))
failed=$((failed + f))
wine32_begin
case $VELQUOR_WINE32 in
native) note=" (32-bit programs run natively)" ;;
emulated) note=" (32-bit programs emulated by qemu-i386)" ;;
*) note=" (32-bit programs cannot run here: $VELQUOR_WINE32_WHY)" ;;
esac
# One Wine server for both Wine layers, kept up with Wine's own services
# from program to program, so that these start once rather than with every
# test program.  The prefixes are made first (the virtual keyboards' X11
# one is a copy of the main one, taken while no server uses that), and the
# services start here, where they hold no test's output open.
echo "== wine set-up"
[ -f build/wine-prefix/.velquor-ready ] ||
  echo "making the Wine prefix: seconds, minutes where 32-bit code is emulated"
start=$SECONDS
(
  VELQUOR_WINEPREFIX=$PWD/build/wine-prefix-x11 VELQUOR_WINE_GRAPHICS=x11 \
    source tests/common/wine-env.sh
  source tests/common/wine-env.sh
  wineserver -p && "$wine64" cmd /c exit
) </dev/null >/dev/null 2>&1 || true
summary+=("wine set-up: prefixes and server in $((SECONDS - start)) s")
layer wine-x64 mingw-x64 "$note" -j1
layer wine-x86 mingw-x86 "$note" -j1
wine32_end

echo
echo "== summary"
echo "all layers: $SECONDS s"
printf '%s\n' "${summary[@]}"
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
