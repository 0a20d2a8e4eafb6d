#!/usr/bin/env bash
# Pictures of the installer's pages for the README, taken under Wine on a headless display:
# docs/images/*.png.
set -euo pipefail
source "$(dirname "$0")/prologue.sh"
scripts/install-deps.sh
scripts/build.sh >/dev/null
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$build/shots-prefix"
mkdir -p "$WINEPREFIX/drive_c/users/All Users/Desktop" "$build/shots" docs/images
wine "$build/$QF_WIN_TREE/tests/wine/page_shots.exe" "Z:$(echo "$build/shots" | tr / '\\')"
for bmp in "$build"/shots/*.bmp; do
  convert "$bmp" -strip "docs/images/$(basename "${bmp%.bmp}").png"
done
ls -l docs/images
