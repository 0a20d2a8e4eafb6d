#!/usr/bin/env bash
# Every test: installs what is missing, builds both trees, runs the native unit tests and a
# few seconds of every fuzz target (so that one that no longer builds or fails on its seeds
# fails here), then the Windows integration and end-to-end tests under Wine in a fresh private
# prefix, on the road this machine allows (scripts/wine-road.sh; QF_WINE_ARCH=win64 takes the
# 64-bit one on purpose).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# QF_BUILD: another build folder, so that several builds can live side by side.
build=$(realpath -m "${QF_BUILD:-build}")
start=$(date +%s)
# The whole run, package installation included, whether it passes or stops early.
finish() {
  [ -n "${wine_started:-}" ] && wine_env_stop
  echo "tests finished in $(( $(date +%s) - start )) s"
}
trap finish EXIT
scripts/install-deps.sh
scripts/build.sh

status=0
ctest --test-dir "$build/host" --output-on-failure || status=1
scripts/fuzz.sh 3 || status=1

source scripts/wine-env.sh
wine_road_describe
wine_env_start "$build/test-prefix-$QF_WINE_ARCH"
wine_started=1
trap finish EXIT  # wine_env_start sets its own
ctest --test-dir "$build/$QF_WIN_TREE" --output-on-failure || status=1

exit $status
