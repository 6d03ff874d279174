#!/usr/bin/env bash
# check-dist.sh DIST VERSION: DIST holds one consistent release.  SHA256SUMS
# verifies and lists exactly the DLLs of DIST/x86 and DIST/x64, their debug
# files, the doctors and the jar; each DLL is stripped and names its debug
# file; the jar is the only one, named for VERSION, its manifest gives
# VERSION and its entries are exactly those DLLs, byte for byte, their
# digests and the Java 8 loader class; the README names it and the
# changelog has its entry.  And the jar and SHA256SUMS are byte for byte
# what scripts/package.sh makes of DIST's DLLs today, so that a changed
# packager or a stale dist/ fails here.
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
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

jars=(velquor-keyboard-natives-*.jar)
if [ "${jars[*]}" != "$jar_name" ]; then
  fail "dist/ holds '${jars[*]}', expected only $jar_name"
fi
dlls=(x86/*.dll x64/*.dll)
[ ${#dlls[@]} -gt 0 ] || fail "no DLLs in dist/x86 or dist/x64"
others=(x86/*.dll.debug x64/*.dll.debug x86/*.exe x64/*.exe)
for doctor in x86/velquor-doctor.exe x64/velquor-doctor.exe; do
  [ -f "$doctor" ] || fail "no $doctor"
done
for dll in "${dlls[@]}"; do
  sections=$(objdump -h "$dll")
  grep -q ' \.debug_' <<<"$sections" && fail "$dll is not stripped"
  [ -f "$dll.debug" ] || fail "no $dll.debug beside $dll"
  objcopy --dump-section .gnu_debuglink="$tmp/link" "$dll" "$tmp/stripped" 2>/dev/null ||
    : >"$tmp/link"
  link=$(head -z -n 1 "$tmp/link" | tr -d '\0')
  [[ $link == "${dll#*/}.debug"* ]] || fail "$dll names '$link' as its debug file"
done

sha256sum --check --strict --quiet SHA256SUMS || fail "SHA256SUMS does not verify"
if ! diff <(awk '{print $2}' SHA256SUMS | sort) \
  <(printf '%s\n' "${dlls[@]}" "${others[@]}" "${jars[@]}" | sort); then
  fail "SHA256SUMS does not list exactly the DLLs, debug files, doctors and jar (< listed, > present)"
fi

if [ -f "$jar_name" ]; then
  (cd "$tmp" && jar --extract --file "$dist/$jar_name")
  entries=()
  for dll in "${dlls[@]}"; do # x86/Tovrik.dll: natives/windows-x86/Tovrik.dll
    entries+=("natives/windows-${dll%%/*}/${dll#*/}")
    cmp -s "$dll" "$tmp/${entries[-1]}" || fail "${entries[-1]} differs from dist/$dll"
  done
  loader=eu/velquor/natives/KeyboardNatives.class
  if ! diff <(jar --list --file "$jar_name" | grep -v '^eu/velquor/natives/KeyboardNatives\$' | sort) \
    <(printf '%s\n' META-INF/ META-INF/MANIFEST.MF "${entries[@]}" $loader \
      natives/windows.sha256 | sort); then
    fail "jar entries differ from the DLLs of dist/ and the loader (< jar, > expected)"
  fi
  # Class file major version 52: Java 8.
  [ "$(od -An -tu1 -j6 -N2 "$tmp/$loader" 2>/dev/null | tr -s ' ')" = " 0 52" ] ||
    fail "$loader is not compiled for Java 8"
  (cd "$tmp/natives" && sed 1d windows.sha256 | sha256sum --check --strict --quiet) ||
    fail "natives/windows.sha256 does not verify the jar's DLLs"
  [ "$(($(wc -l <"$tmp/natives/windows.sha256") - 1))" = ${#dlls[@]} ] ||
    fail "natives/windows.sha256 does not list every DLL"
  if ! tr -d '\r' <"$tmp/META-INF/MANIFEST.MF" | grep -qx "Implementation-Version: $version"; then
    fail "manifest lacks Implementation-Version: $version"
  fi
fi

# lines A B: the lines in which the text files A and B differ.
lines() { diff "$1" "$2" | sed -n -e 's/^</  dist:  /p' -e 's/^>/  packed:/p' || true; }
# differences FILE: the lines or jar entries in which dist/FILE and the
# packed one differ, and the lines of the text entries among them.
differences() {
  if [ "$1" = SHA256SUMS ]; then
    lines "$1" "$tmp/packed/$1"
    return
  fi
  local entries=$tmp/entries entry
  mkdir -p "$entries/dist" "$entries/packed"
  (cd "$entries/dist" && jar --extract --file "$dist/$1")
  (cd "$entries/packed" && jar --extract --file "$tmp/packed/$1")
  diff -rq "$entries/dist" "$entries/packed" |
    sed -e "s|^Files $entries/dist/\(.*\) and .* differ$|entry \1 differs|" \
      -e "s|^Only in $entries/\([a-z]*\)/*\(.*\): |only in the \1 jar: \2/|" || true
  for entry in natives/windows.sha256 META-INF/MANIFEST.MF; do
    lines "$entries/dist/$entry" "$entries/packed/$entry"
  done
  # A class that differs only in its bytes, not its code: another javac.
  for entry in "$entries"/dist/eu/velquor/natives/*.class; do
    entry=${entry#"$entries"/dist/}
    if ! cmp -s "$entries/dist/$entry" "$entries/packed/$entry" &&
      diff -q <(javap -c -p "$entries/dist/$entry") <(javap -c -p "$entries/packed/$entry") >/dev/null; then
      echo "$entry: the same code by javap -c -p, so compiled by another javac than this $(javac -version 2>&1)"
    fi
  done
}
../scripts/package.sh --version "$version" "$tmp/packed" >/dev/null
for file in "$jar_name" SHA256SUMS; do
  if [ -f "$file" ] && ! cmp -s "$file" "$tmp/packed/$file"; then
    fail "dist/$file differs from what scripts/package.sh makes of dist/'s DLLs:"
    differences "$file" | sed 's/^/  /'
  fi
done

grep -q "dist/$jar_name" ../README.md || fail "README.md does not name dist/$jar_name"
grep -qx "## $version" ../CHANGELOG.md || fail "CHANGELOG.md has no entry for $version"

if [ "$failed" -gt 0 ]; then
  echo "dist/ is not the release of $version: scripts/build.sh rebuilds it"
  exit 1
fi
echo "dist/: ${#dlls[@]} DLLs and $jar_name agree"
