#!/usr/bin/env bash
# Fuzzes every input the libraries take from outside: builds the libFuzzer
# targets of tests/fuzz with clang under AddressSanitizer and UBSan, runs
# each from its seed corpus, and reports executions and coverage.  A crash
# fails its target; the input is kept in build/fuzz/crashes.
#   scripts/fuzz.sh          5 s a target (the test command's run)
#   scripts/fuzz.sh --long   120 s a target; FUZZ_SECONDS=N sets any time
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-5}
[ "${1:-}" = --long ] && seconds=${FUZZ_SECONDS:-120}
dir=build/fuzz
targets=(fuzz_tovrik_link fuzz_tovrik_frame fuzz_duvek_compose fuzz_led_registry
  fuzz_led_bitmap fuzz_preview_session fuzz_pe_file)
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1 -g"

mkdir -p "$dir/crashes"
start=$SECONDS
cmake --preset host -B "$dir" -DBUILD_TESTING=ON -DVELQUOR_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >"$dir/build.log" 2>&1
cmake --build "$dir" -j2 --target "${targets[@]}" >>"$dir/build.log" 2>&1 ||
  { tail -n 40 "$dir/build.log"; echo "0 passed, ${#targets[@]} failed"; exit 1; }
echo "built in $((SECONDS - start)) s; fuzzing each target for $seconds s"

passed=0
failed=0
for t in "${targets[@]}"; do
  work=$dir/corpus/$t log=$dir/$t.log
  mkdir -p "$work"
  if "$dir/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$dir/crashes/$t-" "$work" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    result=passed
    passed=$((passed + 1))
  else
    result="FAILED, input in $(grep -o "$dir/crashes/$t-[^ ]*" "$log" | tail -n 1)"
    failed=$((failed + 1))
  fi
  execs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
  echo "$t: $execs runs, ${cov:-no coverage line}: $result"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
