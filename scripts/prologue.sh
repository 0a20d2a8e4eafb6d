# shellcheck shell=bash
# Sourced first by the scripts that build or run, from wherever they are started:
#   source "$(dirname "$0")/prologue.sh"            (from scripts/; bench/ says ../scripts/)
# Works from the repository's root from then on, and sets
#   root       the repository's root
#   build      the build folder: $QF_BUILD, or build/, so that several builds can live side by side
#   generator  CMake's generator arguments: Ninja when it is installed
# and, through scripts/wine-road.sh, the road of the Windows tests (QF_WINE_ARCH, QF_WIN_TREE).
# A script that needs one road sets QF_WINE_ARCH before it sources this.

# shellcheck disable=SC2034  # root, build and generator are for the scripts that source this
{
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  cd "$root" || return
  build=$(realpath -m "${QF_BUILD:-build}")
  generator=()
  if command -v ninja >/dev/null; then generator=(-G Ninja); fi
}
source scripts/wine-road.sh
