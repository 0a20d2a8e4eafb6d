#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. The prefix and display come from scripts/test.sh
# (wine-env.sh); without them it refuses rather than touch the user's own prefix.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: run the Windows tests through scripts/test.sh (no private prefix set)" >&2
  exit 1
fi
exec wine "$@"
