#!/usr/bin/env bash
# Runs one Windows test program under Wine in the project's prefix.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
