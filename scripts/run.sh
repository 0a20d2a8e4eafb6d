#!/usr/bin/env bash
# The main job: builds the installer with the sample payload, installs it quietly into a private
# Wine prefix, and reports what it installed.
#   scripts/run.sh            quiet install ("/q") on a headless display, then the report
#   scripts/run.sh --wizard   the two-page wizard on your own display ($DISPLAY), then the report
set -euo pipefail
source "$(dirname "$0")/prologue.sh"
mode=quiet
case "${1:-}" in
  "") ;;
  --wizard) mode=wizard ;;
  *) echo "usage: scripts/run.sh [--wizard]" >&2; exit 2 ;;
esac
if [ $mode = wizard ] && [ -z "${DISPLAY:-}" ]; then
  echo "run.sh --wizard needs a display (DISPLAY is not set)" >&2
  exit 2
fi

scripts/install-deps.sh
scripts/build.sh >/dev/null

source scripts/wine-env.sh
[ $mode = wizard ] && export QF_KEEP_DISPLAY=1
if [ "$QF_WINE_ARCH" = win64 ]; then
  echo "Running $build/win64/qfsetup.exe: a 64-bit build of the same sources under 64-bit Wine"
  echo "(this machine runs no 32-bit programs, or QF_WINE_ARCH=win64 asked for it);"
  echo "the shipped 32-bit installer is $build/win/qfsetup.exe"
fi
trap wine_env_stop EXIT
wine_env_start "$build/run-prefix-$QF_WINE_ARCH"
c="$WINEPREFIX/drive_c"
# A new prefix has no all-users desktop folder; a real Windows machine has one.
mkdir -p "$c/users/All Users/Desktop"
cp "$build/$QF_WIN_TREE/qfsetup.exe" "$c/qfsetup.exe"

code=0
if [ $mode = quiet ]; then
  echo "Installing quietly: C:\\qfsetup.exe /q"
  wine 'C:\qfsetup.exe' /q || code=$?
else
  echo "Starting the wizard: C:\\qfsetup.exe"
  wine 'C:\qfsetup.exe' || code=$?
fi
echo "qfsetup.exe exited with code $code"
wineserver -w

target="$c/Program Files/Quenfield"
echo
echo "== Installed files (C:\\Program Files\\Quenfield)"
if [ -d "$target" ]; then
  (cd "$target" && find . -type f -printf '%P  %s bytes\n' | sort)
else
  echo "(none)"
fi
echo
echo "== Desktop shortcut"
# shellcheck disable=SC2012  # a listing for the reader, not for a program
ls -l "$c/users/All Users/Desktop/" | sed 1d || true
echo
echo "== Registry: HKLM\\Software\\Quenfield\\Lexaris\\2.0"
wine reg query 'HKLM\Software\Quenfield\Lexaris\2.0' /s 2>/dev/null | tr -d '\r' | sed '/^$/d' || echo "(none)"
echo
echo "== Registry: uninstall registration"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ORIN-6' 2>/dev/null | tr -d '\r' | sed '/^$/d' || echo "(none)"
