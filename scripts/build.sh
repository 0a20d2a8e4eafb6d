#!/usr/bin/env bash
# Builds everything: the native tree (portable core, unit tests, qfpack) in build/host, then the
# Windows tree (qfsetup.exe, the sample client, the Windows test programs) in build/win
# (under $QF_BUILD instead of build/ when that is set).
# Extra arguments go to the Windows configure step, for example
#   scripts/build.sh -DQF_PAYLOAD_DIR=/path/to/tree -DQF_LICENCE=/path/to/licence.txt
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# QF_BUILD: another build folder, so that several builds can live side by side.
build=$(realpath -m "${QF_BUILD:-build}")
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

[ -f "$build/host"/CMakeCache.txt ] || cmake -S . -B "$build/host" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/host"

if [ ! -f "$build/win"/CMakeCache.txt ] || [ $# -gt 0 ]; then
  cmake -S . -B "$build/win" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DQF_QFPACK="$build/host/tools/qfpack/qfpack" "$@" >/dev/null
fi
cmake --build "$build/win"
