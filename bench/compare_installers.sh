#!/usr/bin/env bash
# The quiet install side by side with its two references, on a payload of the shipped
# archive's shape (1,306 files in 5 directories, 66,688,362 archive bytes):
#   A  qfsetup.exe /q                       the installer, built for that tree
#   B  an NSIS stored installer /S /D=...   bench/peer.nsi: same files, registry values,
#                                           uninstaller and desktop shortcut
#   C  bare_writer.exe                      the same archive in one resource, written with
#                                           CreateDirectoryW / CreateFileW + one WriteFile
# All three run in one Wine prefix with a persistent wineserver and a desktop that stays up, and
# write to C:\Program Files\Quenfield on a tmpfs mounted on Program Files, emptied before every run
# (and the product's registry keys removed). After a warm-up round, ROUNDS rounds in rotating
# order; then one more run of each for its memory peak (bench/measure.cpp says what Wine
# reports).
# Prints medians, min-max, the median of the per-round ratios, sizes and memory peaks.
#   bench/compare_installers.sh [ROUNDS]     (default 9; needs root for the tmpfs)
# Builds into $QF_BUILD/compare (default build/compare).
set -euo pipefail
# The NSIS peer and the shipped installer are 32-bit programs: this comparison needs 32-bit Wine.
QF_WINE_ARCH=win32
source "$(dirname "$0")/../scripts/prologue.sh"
rounds=${1:-9}
work=$build/compare
make_payload=$root/../shared/bench/make_payload.py

if [ ! -f "$make_payload" ]; then
  echo "compare_installers: $make_payload is missing (the shared folder must sit beside the repository)" >&2
  exit 1
fi
command -v makensis >/dev/null || { echo "compare_installers: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
if ! runs_32bit_programs; then
  echo "compare_installers: this machine runs no 32-bit programs, so neither the NSIS peer nor the" \
       "shipped installer can run here" >&2
  exit 1
fi

echo "== payload tree and builds"
mkdir -p "$work"
if [ ! -f "$work/tree/qfmgr.exe" ]; then
  rm -rf "$work/tree"
  python3 "$make_payload" "$work/tree"
fi
[ -f "$work/tree/qfmgr.exe" ] || { echo "compare_installers: the payload tree has no qfmgr.exe at its top" >&2; exit 1; }

[ -f "$work/host/CMakeCache.txt" ] ||
  cmake -S . -B "$work/host" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/host" --target qfpack >/dev/null
[ -f "$work/win/CMakeCache.txt" ] ||
  cmake -S . -B "$work/win" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQF_QFPACK="$work/host/tools/qfpack/qfpack" \
    -DQF_PAYLOAD_DIR="$work/tree" -DQF_ADD_SAMPLE_CLIENT=OFF >/dev/null
cmake --build "$work/win" --target qfsetup bare_writer measure >/dev/null
makensis -V1 -DTREE="$work/tree" -DOUT="$work/peer.exe" bench/peer.nsi >/dev/null

source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start "$work/prefix"
# Wine's own shell integration: on saving a shortcut it starts winemenubuilder to mirror it
# into the Linux desktop, which Windows does not do; it would be charged to whoever saves one.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wineserver -p
# A desktop that stays up, as on Windows: without a window open, Wine ends its desktop
# process, and the next program to open one waits for a new desktop to start.
wine notepad >/dev/null 2>&1 &
c=$WINEPREFIX/drive_c
# The tmpfs is mounted on Program Files, above the installation directory: the installer
# refuses an installation directory that is itself a link or a mount point.
tmpfs="$c/Program Files"
cleanup() {
  mountpoint -q "$tmpfs" && umount "$tmpfs"
  wine_env_stop
}
trap cleanup EXIT
mkdir -p "$tmpfs"
mountpoint -q "$tmpfs" || mount -t tmpfs -o size=1g tmpfs "$tmpfs" ||
  { echo "compare_installers: cannot mount a tmpfs at $tmpfs (needs root)" >&2; exit 1; }
mkdir -p "$c/users/All Users/Desktop" "$c/bench"
cp "$work/win/qfsetup.exe" "$work/peer.exe" "$work/win/bench/bare_writer.exe" "$c/bench/"
measure=$work/win/bench/measure.exe
target='C:\Program Files\Quenfield'
names=(qfsetup nsis bare)
commands=('C:\bench\qfsetup.exe /q' "C:\\bench\\peer.exe /S /D=$target" "C:\\bench\\bare_writer.exe $target")

# One run of contender $1 into an empty target; extra arguments go to measure.
run() {
  local k=$1
  shift
  rm -rf "$tmpfs/Quenfield"
  mkdir "$tmpfs/Quenfield"
  rm -f "$c/users/All Users/Desktop/ORIN-6 Client.lnk" "$c/users/Public/Desktop/ORIN-6 Client.lnk"
  local line
  # shellcheck disable=SC2086  # a contender's command is its words
  line=$(wine "$measure" --fresh "$@" ${commands[$k]} | tr -d '\r')
  [ -f "$tmpfs/Quenfield/qfmgr.exe" ] || { echo "compare_installers: ${names[$k]} installed nothing" >&2; exit 1; }
  echo "$line"
}

echo "== quiet install, $rounds rounds after a warm-up"
results=$work/results.txt
: >"$results"
for round in $(seq 0 "$rounds"); do
  for i in 0 1 2; do
    k=$(( (round + i) % 3 ))
    seconds=$(run $k | awk '{print $2}')
    printf 'round %d  %-8s %.3f s\n' "$round" "${names[$k]}" "$seconds"
    [ "$round" -gt 0 ] && echo "$round ${names[$k]} $seconds" >>"$results"
  done
done

echo "== memory peak of one more run each"
memory=$work/memory.txt
: >"$memory"
for k in 0 1 2; do
  echo "${names[$k]} $(run $k --memory)" | tee -a "$memory"
done

python3 - "$results" "$memory" "$work/win/qfsetup.exe" "$work/win/src/payload.bin" \
  "$root/resources/licence.txt" "$work/peer.exe" "$work/tree" "$work/win/bench/bare_writer.exe" <<'PY'
import os, statistics, sys
results, memory, setup, payload, licence, peer, tree, bare = sys.argv[1:]
times = {}
for line in open(results):
    rnd, name, sec = line.split()
    times.setdefault(name, {})[int(rnd)] = float(sec)
def ms(v): return "%.0f ms" % (v * 1000)
for name in ("qfsetup", "nsis", "bare"):
    t = list(times[name].values())
    print("%-8s median %s  min-max %s - %s" % (name, ms(statistics.median(t)), ms(min(t)), ms(max(t))))
for ref in ("nsis", "bare"):
    ratios = [times["qfsetup"][r] / times[ref][r] for r in times["qfsetup"]]
    print("qfsetup / %-5s median of %d per-round ratios %.3f  (min-max %.3f - %.3f)"
          % (ref, len(ratios), statistics.median(ratios), min(ratios), max(ratios)))
size = os.path.getsize
tree_bytes = sum(size(os.path.join(d, f)) for d, _, fs in os.walk(tree) for f in fs)
overhead = size(setup) - size(payload) - size(licence)
print("qfsetup.exe %d bytes: payload %d, licence %d, overhead %d bytes (%.1f KiB)"
      % (size(setup), size(payload), size(licence), overhead, overhead / 1024))
print("NSIS installer %d bytes: %d bytes more than the files it carries" % (size(peer), size(peer) - tree_bytes))
print("bare writer %d bytes: %d bytes more than the payload" % (size(bare), size(bare) - size(payload)))
for line in open(memory):
    f = line.split()
    name, fields = f[0], dict(zip(f[1::2], f[2::2]))
    ws, priv = int(fields["peak_working_set"]), int(fields["peak_private"])
    print("%-8s peak working set %.1f MiB, peak private %.1f MiB" % (name, ws / 2**20, priv / 2**20))
print("qfsetup.exe size + 8 MiB = %.1f MiB" % ((size(setup) + 8 * 2**20) / 2**20))
PY
