#!/usr/bin/env bash
# Builds everything: the native tree (portable core, unit tests, qfpack) in build/host, then the
# Windows tree (qfsetup.exe, the sample client, the Windows test programs) in build/win
# (under $QF_BUILD instead of build/ when that is set). On the 64-bit road of the Windows tests
# (scripts/wine-road.sh) the shipped 32-bit qfsetup.exe is still built in build/win, and the
# Windows tree the tests run is a 64-bit build of the same sources in build/win64.
# Extra arguments go to the Windows configure step, for example
#   scripts/build.sh -DQF_PAYLOAD_DIR=/path/to/tree -DQF_LICENCE=/path/to/licence.txt
set -euo pipefail
source "$(dirname "$0")/prologue.sh"

[ -f "$build/host"/CMakeCache.txt ] || cmake -S . -B "$build/host" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/host"

# windows_tree FOLDER TOOLCHAIN [TARGET...]: configures (when new or given arguments) and builds.
windows_tree() {
  local dir=$build/$1 toolchain=$2
  shift 2
  if [ ! -f "$dir"/CMakeCache.txt ] || [ ${#configure[@]} -gt 0 ]; then
    cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
      -DQF_QFPACK="$build/host/tools/qfpack/qfpack" "${configure[@]}" >/dev/null
  fi
  cmake --build "$dir" ${1:+--target "$@"}
}
configure=("$@")
if [ "$QF_WINE_ARCH" = win32 ]; then
  windows_tree win mingw-i686.cmake
else
  windows_tree win mingw-i686.cmake qfsetup
  windows_tree win64 mingw-x86_64.cmake
fi
