#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: when everything is
# present it prints one line and changes nothing.
set -euo pipefail

packages=(
  cmake ninja-build make python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  wine wine32:i386 xvfb xauth x11-apps imagemagick
  nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
