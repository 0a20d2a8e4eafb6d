#!/usr/bin/env bash
# The whole fault sweep: on every road of the installer, each fallible call made to fail and the
# process stopped before each one, every run checked and then repaired (tests/wine/sweep). The
# test command sweeps every 25th call; this sweeps them all, in a Wine prefix of its own, and ends
# with the line "fault sweep: R roads, C calls, 2C runs, B broken".
#   scripts/faults.sh [STRIDE [ROADS]]   ROADS: a comma list of fresh,upgrade,wizard,shared,uninstall,
#                                        shared-uninstall,customise,silent,silent-uninstall
set -euo pipefail
source "$(dirname "$0")/prologue.sh"
source scripts/wine-env.sh
trap wine_env_stop EXIT
scripts/build.sh
wine_road_describe
wine_env_start "$build/faults-prefix-$QF_WINE_ARCH"
QF_SWEEP_STRIDE=${1:-1} QF_SWEEP_ROADS=${2:-} wine "$build/$QF_WIN_TREE/tests/wine/fault_sweep_test.exe"
