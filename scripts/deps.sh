#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

# libclang-rt-14-dev: clang's sanitizer and libFuzzer runtimes (only
# recommended by clang, and recommends are not installed).
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
  openjdk-17-jdk-headless junit5 g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine32 wine64 qemu-user libstb-dev binutils-mingw-w64-i686 file chromium
  xvfb nlohmann-json3-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
# wine32 is an i386 package.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
echo "installing ${#missing[@]} Debian packages: ${missing[*]}" >&2
echo "(a first run downloads and installs them; this takes a few minutes)" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "packages installed in $SECONDS s" >&2
