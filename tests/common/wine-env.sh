# Sourced by the Wine scripts: a private prefix with the null graphics
# driver and no crash dialog, made once, and a loader for each bitness.
# VELQUOR_WINE_GRAPHICS=x11 (with DISPLAY set, and a prefix of its own in
# VELQUOR_WINEPREFIX) makes the prefix with Wine's X11 driver instead, for
# tests that show windows.
# 64-bit programs go straight to wine64, so nothing 64-bit needs the 32-bit
# half of Wine (which /usr/bin/wine would start every program through).
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX=${VELQUOR_WINEPREFIX:-$repo/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
graphics=${VELQUOR_WINE_GRAPHICS:-null}
if [ "$graphics" = null ]; then unset DISPLAY WAYLAND_DISPLAY; fi
source "$repo/tests/common/wine32.sh"

wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || wine64=$(command -v wine64 || command -v wine)

# pe_bits EXE: 64 or 32, from the machine field of the PE header.
pe_bits() {
  local at machine
  at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' ')
  if [ "$machine" = 8664 ]; then echo 64; else echo 32; fi
}

# wine_exe EXE [ARGS...]: runs a Windows program with its own bitness's loader.
wine_exe() {
  if [ "$(pe_bits "$1")" = 64 ]; then "$wine64" "$@"; else "$wine32" "$@"; fi
}

# The prefix is made once.  Where 32-bit programs cannot run, the 32-bit
# half of the set-up fails and 64-bit programs still work; it is done again
# once they can (natively, or under qemu-i386 registered by wine32_begin).
[ -n "${VELQUOR_WINE32:-}" ] || wine32_mode
# Another prefix of the project (the preview's, the virtual keyboards') is
# a copy of the main one, which is made first: a copy takes seconds, making
# one many seconds, minutes where 32-bit code is emulated.
ready=$WINEPREFIX/.velquor-ready
base=$repo/build/wine-prefix
if [ ! -f "$ready" ]; then
  if [ "$WINEPREFIX" != "$base" ]; then
    (VELQUOR_WINEPREFIX=$base VELQUOR_WINE_GRAPHICS=null source "${BASH_SOURCE[0]}")
    WINEPREFIX=$base wineserver -w
    rm -rf "$WINEPREFIX" && cp -a "$base" "$WINEPREFIX"
  else
    mkdir -p "$WINEPREFIX"
    "$wine64" wineboot -i >/dev/null 2>&1 || true
  fi
  "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null 2>&1
  "$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  echo "$VELQUOR_WINE32" >"$ready"
elif [ "$(cat "$ready")" = none ] && [ "$VELQUOR_WINE32" != none ]; then
  "$wine64" wineboot -u >/dev/null 2>&1 || true
  wineserver -w
  echo "$VELQUOR_WINE32" >"$ready"
fi
