#!/usr/bin/env bash
# Cross-builds the DLLs into dist/x86 and dist/x64, then packs them into the
# natives jar and writes dist/SHA256SUMS (scripts/package.sh).  The virtual
# keyboards go to dist/virtual/x86 and dist/virtual/x64, outside the jar.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
mkdir -p build
for preset in mingw-x86 mingw-x64; do
  log=build/$preset-build.log
  if ! { cmake --preset "$preset" >"$log" 2>&1 &&
    cmake --build "build/$preset" -j"$(nproc)" --target dist_files >>"$log" 2>&1; }; then
    tail -n 40 "$log"
    exit 1
  fi
done
ls -l dist/x86/*.dll dist/x64/*.dll dist/virtual/x86/* dist/virtual/x64/*
scripts/package.sh
