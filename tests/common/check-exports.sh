#!/usr/bin/env bash
# check-exports.sh DLL EXPECTED: the DLL's export table holds exactly the
# names in EXPECTED (one a line), it imports only system DLLs, and a 32-bit
# DLL's decorated exports (when EXPECTED has any) pop the bytes their names
# promise.  Nothing is
# run, so this holds on any machine.
set -euo pipefail
dll=$1 expected=$2
dump=$(objdump -p "$dll")

actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF; next} on{exit}' <<<"$dump" | sort)
if ! diff <(sort "$expected") <(printf '%s\n' "$actual"); then
  echo "exports of $dll differ from $expected (< expected, > actual)"
  exit 1
fi

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt)\.dll$'
bad=$(grep 'DLL Name:' <<<"$dump" | awk '{print $3}' | grep -viE "$allowed" || true)
if [ -n "$bad" ]; then
  echo "$dll imports non-system DLLs: $bad"
  exit 1
fi
# A vendor's plain C entries (the virtual keyboards) carry no decoration.
if grep -q 'file format pei-i386' <<<"$dump" && grep -q '@' "$expected"; then
  "$(dirname "$0")/check-stdcall.sh" "$dll"
fi
echo "1 passed, 0 failed"
