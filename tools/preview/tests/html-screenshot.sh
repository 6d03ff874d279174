#!/usr/bin/env bash
# Renders logs recorded from a real preview run of the default session and
# checks the page in headless Chromium (scripts/preview-check.sh).  The one
# recorded run fills both builds' places: the 32-bit run's logs differ only
# in their times and window handles.
#   html-screenshot.sh RENDER-EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$1" --session "$here/../sessions/default.session" \
  --run32 "$here/fixture/x64" --run64 "$here/fixture/x64" --out "$out" >/dev/null
PREVIEW_RENDER=$1 "$here/../../../scripts/preview-check.sh" "$out"
