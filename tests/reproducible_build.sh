#!/usr/bin/env bash
# Two builds of qfsetup.exe, each from its own copy of the sources in its own folder and the
# second started later, must give the same bytes: no time, no folder and no order in which
# files happened to be found may reach the installer. Builds only what qfsetup.exe needs.
#   reproducible_build.sh QFPACK WORKDIR [TOOLCHAIN]   (a file in cmake/; the 32-bit one by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qfpack=$1
work=$2
toolchain=${3:-mingw-i686.cmake}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

# build DIR: copies the sources to DIR/source and builds qfsetup.exe in DIR/win.
build() {
  local dir=$1
  mkdir -p "$dir/source"
  (cd "$root" && tar cf - --exclude=./build --exclude=./.git .) | tar xf - -C "$dir/source"
  cmake -S "$dir/source" -B "$dir/win" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$dir/source/cmake/$toolchain" -DQF_QFPACK="$qfpack" >/dev/null
  cmake --build "$dir/win" --target qfsetup >/dev/null
}

rm -rf "$work"
build "$work/first"
sleep 1  # a later second for anything that reads the clock
build "$work/second/build"
if cmp "$work/first/win/qfsetup.exe" "$work/second/build/win/qfsetup.exe"; then
  echo "reproducible: two builds give the same $(stat -c %s "$work/first/win/qfsetup.exe") bytes"
  rm -rf "$work"
else
  echo "reproducible: the two builds differ (both kept under $work)" >&2
  exit 1
fi
