#!/usr/bin/env bash
# package.sh [--version VERSION] [OUT]
# Packs every DLL in dist/x86 and dist/x64 into
# OUT/velquor-keyboard-natives-<version>.jar (under natives/windows-x86/ and
# natives/windows-x64/), with their digests (natives/windows.sha256) and the
# loader eu.velquor.natives.KeyboardNatives compiled for Java 8, and lists
# the DLLs, their debug files, the doctors and the jar in OUT/SHA256SUMS.
# The debug files and the doctors stay outside the jar.  OUT is dist/ unless
# given; the release test packs into a temporary folder and compares.
# VERSION is CMake's PROJECT_VERSION; without it, the one CMake configured
# into the mingw build trees (scripts/build.sh).
# Same DLLs, same jar bytes: entries in name order, one fixed date, our own
# Created-By (jar would write its JDK's), and stored rather than deflated so
# that no zlib version enters the bytes.
set -euo pipefail
shopt -s nullglob
export LC_ALL=C

version=
if [ "${1:-}" = --version ]; then
  version=$2
  shift 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/dist}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$root"

# The version CMake configured into both mingw build trees.
configured_version() {
  local preset v version=
  for preset in mingw-x86 mingw-x64; do
    v=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$preset/CMakeCache.txt" 2>/dev/null)
    if [ -z "$v" ] || { [ -n "$version" ] && [ "$v" != "$version" ]; }; then
      echo "package.sh: build/mingw-* disagree on the version; run scripts/build.sh" >&2
      return 1
    fi
    version=$v
  done
  echo "$version"
}
[ -n "$version" ] || version=$(configured_version)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dlls=() entries=() digests=() others=()
for arch in x86 x64; do
  mkdir -p "$stage/natives/windows-$arch"
  for dll in "dist/$arch"/*.dll; do
    cp "$dll" "$stage/natives/windows-$arch/"
    dlls+=("${dll#dist/}")
    digests+=("windows-$arch/${dll##*/}")
    entries+=(-C "$stage" "natives/windows-$arch/${dll##*/}")
  done
  for file in "dist/$arch"/*.dll.debug "dist/$arch"/*.exe; do
    others+=("${file#dist/}")
  done
done
if [ ${#dlls[@]} -eq 0 ]; then
  echo "package.sh: no DLLs in dist/x86 or dist/x64" >&2
  exit 1
fi

# The loader, and the digests it checks each extracted DLL against.
javac --release 8 -encoding UTF-8 -d "$stage/classes" \
  loader/src/eu/velquor/natives/KeyboardNatives.java
classes=()
for class in "$stage"/classes/eu/velquor/natives/*.class; do
  classes+=(-C "$stage/classes" "${class#"$stage"/classes/}")
done
{
  echo "# velquor-keyboard-natives $version"
  (cd "$stage/natives" && sha256sum "${digests[@]}")
} >"$stage/natives/windows.sha256"
entries=("${classes[@]}" "${entries[@]}" -C "$stage" natives/windows.sha256)

cat >"$stage/MANIFEST.MF" <<MF
Manifest-Version: 1.0
Created-By: velquor scripts/package.sh
Implementation-Title: Velquor keyboard natives
Implementation-Version: $version
Implementation-Vendor: Velquor
MF

jar_name=velquor-keyboard-natives-$version.jar
jar --create --file "$stage/$jar_name" --manifest "$stage/MANIFEST.MF" \
  --date=1980-01-01T00:00:02Z --no-compress "${entries[@]}"
(cd dist && sha256sum "${dlls[@]}" "${others[@]}") >"$stage/SHA256SUMS"
(cd "$stage" && sha256sum "$jar_name") >>"$stage/SHA256SUMS"

rm -f "$out"/velquor-keyboard-natives-*.jar
mv "$stage/$jar_name" "$stage/SHA256SUMS" "$out/"
echo "$out/$jar_name: ${#dlls[@]} DLLs; $out/SHA256SUMS"
