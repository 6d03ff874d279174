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

# layer NAME PRESET NOTE [ctest options...]
layer() {
  local name=$1 preset=$2 note=$3
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
  summary+=("$name: $((total - f - s)) passed, $f failed, $s skipped$note")
  passed=$((passed + total - f - s))
  failed=$((failed + f))
  skipped=$((skipped + s))
}

layer host host "" -j"$(nproc)"
layer tsan host-tsan "" -L unit -j"$(nproc)"
layer asan host-asan "" -L unit -j"$(nproc)"
# fuzz: each libFuzzer target for a bounded time (scripts/fuzz.sh)
echo "== fuzz"
line=$(scripts/fuzz.sh 2>&1 | tee build/fuzz.log | tail -n 1) || true
p=$(grep -oE '^[0-9]+' <<<"$line" || echo 0)
f=$(grep -oE '[0-9]+ failed' <<<"$line" | grep -oE '[0-9]+' || echo 1)
summary+=("fuzz: $p passed, $f failed")
passed=$((passed + p))
failed=$((failed + f))
wine32_begin
case $VELQUOR_WINE32 in
native) note=" (32-bit programs run natively)" ;;
emulated) note=" (32-bit programs emulated by qemu-i386)" ;;
*) note=" (32-bit programs cannot run here: $VELQUOR_WINE32_WHY)" ;;
esac
layer wine-x64 mingw-x64 "$note" -j1
layer wine-x86 mingw-x86 "$note" -j1
wine32_end

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
