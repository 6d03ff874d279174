#!/usr/bin/env bash
# check-stdcall.sh DLL: every decorated export _Name@N of a 32-bit DLL
# returns popping exactly N bytes.  Read from the disassembly, so a
# calling-convention slip is caught on machines that cannot run the DLL.
# A function ends where the next symbol starts; a stripped DLL's symbols
# come from its debug file beside it (DLL.debug).
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")
base=$((16#$(awk '$1 == "ImageBase" {print $2}' <<<"$dump")))
symbols=$dll
[ -f "$dll.debug" ] && symbols=$dll.debug
mapfile -t starts < <("${objdump%objdump}nm" "$symbols" |
  awk '$2 ~ /^[Tt]$/ {print $1}' | sort -u)
# next_symbol ADDRESS: the first symbol address after ADDRESS.
next_symbol() {
  local s
  for s in "${starts[@]}"; do
    if [ $((16#$s)) -gt "$1" ]; then echo $((16#$s)); return; fi
  done
  echo $(($1 + 4096))
}

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
  # The function's instructions: from its entry up to the next symbol.
  rets=$("$objdump" -d --no-show-raw-insn --start-address=$start \
    --stop-address="$(next_symbol "$start")" "$dll" |
    awk '/\tret/{print $2, $3}')
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
