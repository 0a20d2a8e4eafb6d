#!/usr/bin/env bash
# A small full-able drive for the full-disk cases (extraction, the uninstaller copy, the
# customised copy): a 256 KiB tmpfs mounted at DIR and mapped as
# drive T: of the test prefix ($WINEPREFIX).
#   full_disk_drive.sh setup DIR | cleanup DIR
# Mounting needs root (or CAP_SYS_ADMIN); where it is refused the drive is simply missing and
# the test that needs it skips. Never fails the run itself.
set -uo pipefail
action=$1
dir=$2
link=${WINEPREFIX:-}/dosdevices/t:

case $action in
  setup)
    if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/dosdevices" ]; then
      echo "full_disk_drive: no test prefix; the full-disk case will skip"
      exit 0
    fi
    mountpoint -q "$dir" && umount "$dir"
    mkdir -p "$dir"
    if mount -t tmpfs -o size=256k tmpfs "$dir" 2>/dev/null; then
      ln -sfn "$dir" "$link"
      echo "full_disk_drive: T: is a 256 KiB tmpfs at $dir"
    else
      echo "full_disk_drive: tmpfs cannot be mounted here; the full-disk case will skip"
    fi
    ;;
  cleanup)
    [ -n "${WINEPREFIX:-}" ] && rm -f "$link"
    mountpoint -q "$dir" && umount "$dir"
    ;;
esac
exit 0
