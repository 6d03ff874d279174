#!/usr/bin/env bash
# Runs every test layer: unit tests on the host build (plain, under
# ThreadSanitizer, under AddressSanitizer+UBSan), the real-JVM tests, and the
# Wine tests of the cross-built DLLs.  Ends with a summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

summary=()
passed=0
failed=0

# layer NAME PRESET [ctest options...]
layer() {
  local name=$1 preset=$2
  shift 2
  local dir=build/$preset log=build/$name.log
  mkdir -p build
  echo "== $name"
  if ! { cmake --preset "$preset" -DBUILD_TESTING=ON >"$log" 2>&1 &&
    cmake --build "$dir" -j"$(nproc)" >>"$log" 2>&1; }; then
    tail -n 40 "$log"
    summary+=("$name: build failed")
    failed=$((failed + 1))
    return
  fi
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee -a "$log" || true
  local line p f
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    summary+=("$name: no tests ran")
    failed=$((failed + 1))
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  p=$(($(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line") - f))
  summary+=("$name: $p passed, $f failed")
  passed=$((passed + p))
  failed=$((failed + f))
}

layer host host -j"$(nproc)"
layer tsan host-tsan -L unit -j"$(nproc)"
layer asan host-asan -L unit -j"$(nproc)"
# fuzz: each libFuzzer target for a bounded time (scripts/fuzz.sh)
echo "== fuzz"
line=$(scripts/fuzz.sh 2>&1 | tee build/fuzz.log | tail -n 1) || true
p=$(grep -oE '^[0-9]+' <<<"$line" || echo 0)
f=$(grep -oE '[0-9]+ failed' <<<"$line" | grep -oE '[0-9]+' || echo 1)
summary+=("fuzz: $p passed, $f failed")
passed=$((passed + p))
failed=$((failed + f))
layer wine-x86 mingw-x86 -j1
layer wine-x64 mingw-x64 -j1

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
