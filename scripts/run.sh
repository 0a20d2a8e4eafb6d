#!/usr/bin/env bash
# The main job: builds the installer with the sample payload, installs it quietly into a private
# Wine prefix, and reports what it installed.
#   scripts/run.sh            quiet install ("/q") on a headless display, then the report
#   scripts/run.sh --wizard   the two-page wizard on your own display ($DISPLAY), then the report
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$(realpath -m "${QF_BUILD:-build}")
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
wine_env_start "$build/run-prefix"
c="$WINEPREFIX/drive_c"
# A new prefix has no all-users desktop folder; a real Windows machine has one.
mkdir -p "$c/users/All Users/Desktop"
cp "$build/win/qfsetup.exe" "$c/qfsetup.exe"

if [ $mode = quiet ]; then
  echo "Installing quietly: C:\\qfsetup.exe /q"
  wine 'C:\qfsetup.exe' /q
else
  echo "Starting the wizard: C:\\qfsetup.exe"
  wine 'C:\qfsetup.exe'
fi
echo "qfsetup.exe exited with code $?"
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
ls -l "$c/users/All Users/Desktop/" | sed 1d || true
echo
echo "== Registry: HKLM\\Software\\Quenfield\\Lexaris\\2.0"
wine reg query 'HKLM\Software\Quenfield\Lexaris\2.0' /s 2>/dev/null | tr -d '\r' | sed '/^$/d' || echo "(none)"
echo
echo "== Registry: uninstall registration"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ORIN-6' 2>/dev/null | tr -d '\r' | sed '/^$/d' || echo "(none)"
