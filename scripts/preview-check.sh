#!/usr/bin/env bash
# Opens a preview's index.html in headless Chromium, takes a screenshot and
# checks that it shows the keyboards: dark key faces, the green movement
# keys of the default session's start and the page's own background.
#
#   scripts/preview-check.sh [OUTDIR]     (default out/preview)
#
# Run scripts/preview.sh first.  Needs Debian's chromium package.  PREVIEW_RENDER
# names the preview_render to count pixels with (default: the preview's).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath "${1:-out/preview}")
render=${PREVIEW_RENDER:-build/host/tools/preview/preview_render}
[ -f "$out/index.html" ] || { echo "no $out/index.html: run scripts/preview.sh" >&2; exit 1; }
[ -x "$render" ] || { echo "no $render: run scripts/preview.sh" >&2; exit 1; }
command -v chromium >/dev/null || { echo "chromium is not installed (apt-get install chromium)" >&2; exit 1; }

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
shot=$out/screenshot.png
rm -f "$shot"
start=$(date +%s)
timeout 120 chromium --headless --no-sandbox --disable-gpu \
  --disable-background-networking --disable-component-update --disable-sync \
  --no-first-run --user-data-dir="$profile" --hide-scrollbars \
  --window-size=1100,2400 --screenshot="$shot" "file://$out/index.html" \
  >"$profile/chromium.log" 2>&1 || true
[ -f "$shot" ] || { cat "$profile/chromium.log" >&2; echo "FAIL: no screenshot" >&2; exit 1; }

# Colours: dark key face, lit green key, page background.
read -r _ keys < <("$render" --pixels "$shot" 303036)
read -r _ green < <("$render" --pixels "$shot" 00ff00)
read -r _ page < <("$render" --pixels "$shot" 111111)
echo "screenshot $shot ($(($(date +%s) - start)) s): $keys key-face, $green green, $page page pixels"
if [ "$keys" -gt 20000 ] && [ "$green" -gt 2000 ] && [ "$page" -gt 10000 ]; then
  echo "PASS: the page shows the keyboards"
else
  echo "FAIL: the screenshot does not show the keyboards" >&2
  exit 1
fi
