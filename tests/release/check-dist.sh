#!/usr/bin/env bash
# check-dist.sh DIST VERSION: DIST holds one consistent release.  SHA256SUMS
# verifies and lists exactly the DLLs of DIST/x86 and DIST/x64 and the jar;
# the jar is the only one, named for VERSION, its manifest gives VERSION and
# its entries are exactly those DLLs, byte for byte; the README names it.
set -euo pipefail
shopt -s nullglob
export LC_ALL=C
dist=$(cd "$1" && pwd) version=$2
jar_name=velquor-keyboard-natives-$version.jar
failed=0
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}
cd "$dist"

jars=(velquor-keyboard-natives-*.jar)
if [ "${jars[*]}" != "$jar_name" ]; then
  fail "dist/ holds '${jars[*]}', expected only $jar_name"
fi
dlls=(x86/*.dll x64/*.dll)
[ ${#dlls[@]} -gt 0 ] || fail "no DLLs in dist/x86 or dist/x64"

sha256sum --check --strict --quiet SHA256SUMS || fail "SHA256SUMS does not verify"
if ! diff <(awk '{print $2}' SHA256SUMS | sort) \
  <(printf '%s\n' "${dlls[@]}" "${jars[@]}" | sort); then
  fail "SHA256SUMS does not list exactly the DLLs and the jar (< listed, > present)"
fi

if [ -f "$jar_name" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && jar --extract --file "$dist/$jar_name")
  entries=()
  for dll in "${dlls[@]}"; do # x86/Tovrik.dll: natives/windows-x86/Tovrik.dll
    entries+=("natives/windows-${dll%%/*}/${dll#*/}")
    cmp -s "$dll" "$tmp/${entries[-1]}" || fail "${entries[-1]} differs from dist/$dll"
  done
  if ! diff <(jar --list --file "$jar_name" | sort) \
    <(printf '%s\n' META-INF/ META-INF/MANIFEST.MF "${entries[@]}" | sort); then
    fail "jar entries differ from the DLLs of dist/ (< jar, > expected)"
  fi
  if ! tr -d '\r' <"$tmp/META-INF/MANIFEST.MF" | grep -qx "Implementation-Version: $version"; then
    fail "manifest lacks Implementation-Version: $version"
  fi
fi

grep -q "dist/$jar_name" ../README.md || fail "README.md does not name dist/$jar_name"

if [ "$failed" -gt 0 ]; then
  echo "dist/ is not the release of $version: scripts/build.sh rebuilds it"
  exit 1
fi
echo "dist/: ${#dlls[@]} DLLs and $jar_name agree"
