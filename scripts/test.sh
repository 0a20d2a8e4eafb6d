#!/usr/bin/env bash
# Every test: installs what is missing, builds both trees, runs the style checks
# (scripts/lint.sh), the native unit tests and a few seconds of every fuzz target (so that one
# that no longer builds or fails on its seeds fails here), then the Windows integration and
# end-to-end tests under Wine in a fresh private prefix, on the road this machine allows
# (scripts/wine-road.sh; QF_WINE_ARCH=win64 takes the 64-bit one on purpose).
set -euo pipefail
source "$(dirname "$0")/prologue.sh"
source scripts/wine-env.sh
start=$(date +%s)
# The whole run, package installation included, whether it passes or stops early; the Wine
# prefix's server and the display go with it.
# shellcheck disable=SC2317  # run by the EXIT trap
finish() {
  wine_env_stop
  echo "tests finished in $(( $(date +%s) - start )) s"
}
trap finish EXIT
scripts/install-deps.sh
scripts/build.sh

status=0
scripts/lint.sh || status=1
ctest --test-dir "$build/host" --output-on-failure || status=1
scripts/fuzz.sh 3 || status=1

wine_road_describe
wine_env_start "$build/test-prefix-$QF_WINE_ARCH"
ctest --test-dir "$build/$QF_WIN_TREE" --output-on-failure || status=1

exit $status
