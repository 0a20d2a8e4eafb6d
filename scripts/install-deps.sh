#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: when everything is
# present it prints one line and changes nothing. The Wine packages and the 64-bit compiler are
# those of the road the Windows tests take on this machine (scripts/wine-road.sh).
set -euo pipefail
source "$(dirname "$0")/wine-road.sh"

packages=(
  cmake ninja-build make python3
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  wine xvfb xauth x11-apps imagemagick
  nsis osslsigncode openssl
  clang-format shellcheck
)
if [ "$QF_WINE_ARCH" = win32 ]; then
  packages+=(wine32:i386)
else
  packages+=(wine64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
fi

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
if [ "$QF_WINE_ARCH" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
