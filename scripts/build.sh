#!/usr/bin/env bash
# Cross-builds the four DLLs into dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
for preset in mingw-x86 mingw-x64; do
  cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null
  cmake --build --preset "$preset" 2>&1 | grep -v '^\[' || true
  test "${PIPESTATUS[0]}" -eq 0
done
ls -l dist/x86/*.dll dist/x64/*.dll
