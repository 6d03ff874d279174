# Sourced: how 32-bit Windows programs run on this machine.  Natively where
# the kernel runs 32-bit code; else under Debian's qemu-i386, registered
# with binfmt_misc for the length of a run (root only); else not at all.
#   wine32_mode       sets VELQUOR_WINE32 to native, emulated or none
#                     (VELQUOR_WINE32_WHY says why none), registering nothing
#   wine32_begin      the same, registering qemu-i386 where that helps
#   wine32_end        removes what wine32_begin registered
# VELQUOR_EMULATE32=1 takes native 32-bit support for absent, so that a
# machine that has it can rehearse one that does not.
wine32=/usr/lib/wine/wine
[ -x "$wine32" ] || wine32=$(command -v wine || echo wine)
binfmt=/proc/sys/fs/binfmt_misc

wine32_starts() { "$wine32" --version >/dev/null 2>&1; }

wine32_mode() {
  export VELQUOR_WINE32=none VELQUOR_WINE32_WHY=
  if [ -e "$binfmt/qemu-i386" ] && wine32_starts; then
    VELQUOR_WINE32=emulated
  elif [ "${VELQUOR_EMULATE32:-0}" = 1 ]; then
    VELQUOR_WINE32_WHY="native 32-bit support is set aside (VELQUOR_EMULATE32=1)"
  elif wine32_starts; then
    VELQUOR_WINE32=native
  else
    VELQUOR_WINE32_WHY="the kernel does not run 32-bit programs"
  fi
}

wine32_begin() {
  wine32_mode
  [ "$VELQUOR_WINE32" = none ] || return 0
  local why=$VELQUOR_WINE32_WHY
  if [ "$(id -u)" -ne 0 ]; then
    VELQUOR_WINE32_WHY="$why, and registering qemu-i386 needs root"
    return 0
  fi
  if [ ! -x /usr/bin/qemu-i386 ]; then
    VELQUOR_WINE32_WHY="$why, and qemu-i386 is not installed"
    return 0
  fi
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null && wine32_mounted=1
  fi
  # ELF, 32-bit, little-endian, executable or shared object, i386; the
  # kernel decodes the escapes.  F: qemu is opened now, so chroots work too.
  if ! echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
    >"$binfmt/register" 2>/dev/null; then
    VELQUOR_WINE32_WHY="$why, and binfmt_misc takes no registration here"
    return 0
  fi
  wine32_registered=1
  if wine32_starts; then
    VELQUOR_WINE32=emulated VELQUOR_WINE32_WHY=
  else
    VELQUOR_WINE32_WHY="$why, and 32-bit Wine does not start under qemu-i386"
  fi
}

wine32_end() {
  if [ "${wine32_registered:-0}" = 1 ]; then
    echo -1 >"$binfmt/qemu-i386" 2>/dev/null || true
    wine32_registered=0
  fi
  if [ "${wine32_mounted:-0}" = 1 ]; then
    umount "$binfmt" 2>/dev/null || true
    wine32_mounted=0
  fi
}
