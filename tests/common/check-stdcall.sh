#!/usr/bin/env bash
# check-stdcall.sh DLL: every decorated export _Name@N of a 32-bit DLL
# returns popping exactly N bytes.  Read from the disassembly, so a
# calling-convention slip is caught on machines that cannot run the DLL.
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")
base=$((16#$(awk '$1 == "ImageBase" {print $2}' <<<"$dump")))

# Export index -> RVA, then name -> index.
declare -A rva
while read -r index value; do rva[$index]=$value; done < <(
  awk '/Export Address Table -- Ordinal Base/{on=1; next}
       on && /^\t\[/{gsub(/[][]/, " "); print $1, $4; next} on{exit}' <<<"$dump")
checked=0 bad=0
while read -r index name; do
  [[ $name =~ @([0-9]+)$ ]] || continue
  want=${BASH_REMATCH[1]}
  start=$((base + 16#${rva[$index]}))
  # The function's instructions: from its entry up to the next label.
  rets=$("$objdump" -d --no-show-raw-insn --start-address=$start \
    --stop-address=$((start + 4096)) "$dll" |
    awk '/^[0-9a-f]+ <.*>:$/{labels++} labels == 1 && /\tret/{print $2, $3}')
  if [ -z "$rets" ]; then
    echo "$name: no ret found"
    bad=$((bad + 1))
  elif grep -qv "^ret \$0x$(printf '%x' "$want")\$" <<<"$rets"; then
    echo "$name: returns with '$(tr '\n' ';' <<<"$rets")', expected ret \$0x$(printf '%x' "$want")"
    bad=$((bad + 1))
  fi
  checked=$((checked + 1))
done < <(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next}
              on && /^\t\[/{gsub(/[][]/, " "); print $1, $NF; next} on{exit}' <<<"$dump")
[ "$checked" -gt 0 ] || { echo "$dll: no decorated exports"; exit 1; }
echo "$checked decorated exports of $(basename "$dll") checked"
[ "$bad" -eq 0 ]
