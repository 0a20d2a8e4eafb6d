#!/usr/bin/env bash
# The quiet install side by side with its references, at payloads of several sizes:
#   qfsetup   qfsetup.exe /q: the installer, built for that tree
#   required  bench/required_work.cpp: only what an installation must do (the checksum pass, the
#             uninstaller copy by CopyFileW, one painted window with the page's edit box under the
#             installer's manifest, the product's keys and uninstall values, one WriteFile per
#             file, the desktop shortcut); the yardstick
#   bare      bench/bare_writer.cpp: the directories and one WriteFile per file, nothing else
#   silent    qfsetup.exe /silent: the unattended mode, which shows nothing and writes its log
#   windowless  required_work --windowless: the yardstick without its window, for silent
#   nsis      an NSIS stored installer of the same tree (bench/peer.nsi), on the 32-bit road only:
#             NSIS makes 32-bit programs
# Every program but NSIS's is built from the same build of the sources, with the tree's archive
# in its resources, and linked like the installer.
#
# SIZE is one or more of (default all five):
#   single   1 file of 64 KiB                               bench/make_tree.py
#   tenth    1,306 files, 6.7 MB: the shipped shape scaled  make_payload.py --scale 0.1
#   shipped  1,306 files in 5 directories, 66.7 MB          make_payload.py
#   many     20,001 files of 1-8 KiB in 221 directories     bench/make_tree.py
#   large    4 files of 256 MiB                             bench/make_tree.py
# (make_payload.py is the shared folder's, beside the repository, as CI lays it out.)
#
# All run in one Wine prefix of this machine's road, with a persistent wineserver and a desktop
# that stays up, and write to C:\Program Files\Quenfield on a tmpfs mounted on Program Files,
# emptied before every run (and the product's registry keys removed). For each size, after a
# warm-up round, ROUNDS rounds whose order alternates (qfsetup required ..., then the reverse);
# then one more run of each for its memory peak (bench/measure.cpp says what Wine reports).
# Prints, for each size, the medians and the median of the per-round ratios qfsetup/reference.
#   bench/compare_installers.sh [ROUNDS] [SIZE...]     (default 9; needs root for the tmpfs)
# Builds into $QF_BUILD/compare (default build/compare), a build folder per size; "large" needs
# about 10 GB of disk there and 3 GB of memory for its tmpfs.
set -euo pipefail
source "$(dirname "$0")/../scripts/prologue.sh"
rounds=9
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  rounds=$1
  shift
fi
all_sizes=(single tenth shipped many large)
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=("${all_sizes[@]}")
for size in "${sizes[@]}"; do
  case " ${all_sizes[*]} " in
    *" $size "*) ;;
    *) echo "compare_installers: no size '$size' (one of: ${all_sizes[*]})" >&2; exit 2 ;;
  esac
done
work=$build/compare
make_payload=$root/../shared/bench/make_payload.py

if [ ! -f "$make_payload" ]; then
  echo "compare_installers: $make_payload is missing (the shared folder must sit beside the repository)" >&2
  exit 1
fi
names=(qfsetup required bare silent windowless)
if [ "$QF_WINE_ARCH" = win32 ]; then
  command -v makensis >/dev/null || { echo "compare_installers: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }
  names+=(nsis)
  nsis_note=
elif runs_32bit_programs; then
  nsis_note="not run: the 64-bit road was chosen (QF_WINE_ARCH=win64), and NSIS makes 32-bit programs"
else
  nsis_note="cannot run here: NSIS makes 32-bit programs, and this machine runs no 32-bit programs"
fi
wine_road_describe | sed 's/^Windows tests/compare_installers/'

# make_tree SIZE DIR: the payload tree of that size.
make_tree() {
  case $1 in
    tenth) python3 "$make_payload" "$2" --scale 0.1 ;;
    shipped) python3 "$make_payload" "$2" ;;
    *) python3 bench/make_tree.py "$1" "$2" ;;
  esac
}

echo "== payload trees and builds: ${sizes[*]}"
mkdir -p "$work"
[ -f "$work/host/CMakeCache.txt" ] ||
  cmake -S . -B "$work/host" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/host" --target qfpack >/dev/null
for size in "${sizes[@]}"; do
  dir=$work/$size
  if [ ! -f "$dir/tree.done" ]; then
    rm -rf "$dir/tree"
    make_tree "$size" "$dir/tree"
    touch "$dir/tree.done"
  fi
  [ -f "$dir/tree/qfmgr.exe" ] || { echo "compare_installers: the $size tree has no qfmgr.exe at its top" >&2; exit 1; }
  [ -f "$dir/$QF_WIN_TREE/CMakeCache.txt" ] ||
    cmake -S . -B "$dir/$QF_WIN_TREE" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$QF_TOOLCHAIN" -DQF_QFPACK="$work/host/tools/qfpack/qfpack" \
      -DQF_PAYLOAD_DIR="$dir/tree" -DQF_ADD_SAMPLE_CLIENT=OFF >/dev/null
  cmake --build "$dir/$QF_WIN_TREE" --target qfsetup bare_writer required_work measure >/dev/null
  if [ "$QF_WINE_ARCH" = win32 ] && { [ ! -f "$dir/peer.exe" ] || [ "$dir/tree.done" -nt "$dir/peer.exe" ]; }; then
    makensis -V1 -DTREE="$dir/tree" -DOUT="$dir/peer.exe" bench/peer.nsi >/dev/null
  fi
  echo "$size built"
done

source scripts/wine-env.sh
trap wine_env_stop EXIT
# A tmpfs left mounted by a run that was killed would keep the old prefix from being cleared.
stale="$work/prefix/drive_c/Program Files"
if mountpoint -q "$stale"; then umount "$stale"; fi
wine_env_start "$work/prefix"
# Wine's own shell integration: on saving a shortcut it starts winemenubuilder to mirror it
# into the Linux desktop, which Windows does not do; it would be charged to whoever saves one.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wineserver -p
# A desktop that stays up, as on Windows: without a window open, Wine ends its desktop
# process, and the next program to open one waits for a new desktop to start (about 0.17 s).
wine notepad >/dev/null 2>&1 &
c=$WINEPREFIX/drive_c
# The tmpfs is mounted on Program Files, above the installation directory: the installer
# refuses an installation directory that is itself a link or a mount point. It takes one
# installation at a time: the files and an uninstaller as large as the installer.
tmpfs="$c/Program Files"
cleanup() {
  mountpoint -q "$tmpfs" && umount "$tmpfs"
  wine_env_stop
}
trap cleanup EXIT
largest=0
for size in "${sizes[@]}"; do
  bytes=$(stat -c %s "$work/$size/$QF_WIN_TREE/qfsetup.exe")
  [ "$bytes" -gt "$largest" ] && largest=$bytes
done
mkdir -p "$tmpfs"
mountpoint -q "$tmpfs" || mount -t tmpfs -o size=$(( (2 * largest >> 20) + 64 ))m tmpfs "$tmpfs" ||
  { echo "compare_installers: cannot mount a tmpfs at $tmpfs (needs root)" >&2; exit 1; }
mkdir -p "$c/users/All Users/Desktop"
measure=$work/${sizes[0]}/$QF_WIN_TREE/bench/measure.exe
target='C:\Program Files\Quenfield'
shortcut=$c/users/All\ Users/Desktop/ORIN-6\ Client.lnk
results=$work/results.txt
memory=$work/memory.txt
: >"$results"
: >"$memory"

# One run of contender $1 into an empty target; extra arguments go to measure. Checks that it
# wrote every file of the tree (and the uninstaller and shortcut where it makes them).
run() {
  local name=$1
  shift
  rm -rf "$tmpfs/Quenfield"
  rm -f "$shortcut" "$c/users/Public/Desktop/ORIN-6 Client.lnk"
  local command
  case $name in
    qfsetup) command='C:\bench\qfsetup.exe /q' ;;
    silent) command='C:\bench\qfsetup.exe /silent' ;;
    required) command="C:\\bench\\required_work.exe $target" ;;
    windowless) command="C:\\bench\\required_work.exe --windowless $target" ;;
    bare) command="C:\\bench\\bare_writer.exe $target" ;;
    nsis) command="C:\\bench\\peer.exe /S /D=$target" ;;
  esac
  local line
  # shellcheck disable=SC2086  # a contender's command is its words
  line=$(wine "$measure" --fresh "$@" $command | tr -d '\r')
  local files
  files=$(find "$tmpfs/Quenfield" -type f | wc -l)
  # NSIS puts its shortcut on the common desktop.
  local made=$shortcut
  [ "$name" != nsis ] || made="$c/users/Public/Desktop/ORIN-6 Client.lnk"
  if [[ $line != *" exit 0"* ]] || [ "$files" -lt "$tree_files" ] ||
    { [ "$name" != bare ] && [ ! -f "$made" ]; } ||
    { [[ $name != bare && $name != nsis ]] && [ ! -f "$tmpfs/Quenfield/qfsetup.exe" ]; }; then
    echo "compare_installers: $name did not install the $size tree ($line; $files files of $tree_files)" >&2
    exit 1
  fi
  echo "$line"
}

for size in "${sizes[@]}"; do
  dir=$work/$size
  tree_files=$(find "$dir/tree" -type f | wc -l)
  # The programs are linked into the prefix, not copied: the largest are a gigabyte each.
  rm -rf "$c/bench"
  mkdir -p "$c/bench"
  for program in "$dir/$QF_WIN_TREE/qfsetup.exe" "$dir/$QF_WIN_TREE/bench/required_work.exe" \
    "$dir/$QF_WIN_TREE/bench/bare_writer.exe" "$dir/peer.exe"; do
    [ -f "$program" ] || continue
    ln -f "$program" "$c/bench/" 2>/dev/null || cp "$program" "$c/bench/"
  done
  echo "== $size: $tree_files files, quiet install, $rounds rounds after a warm-up"
  for round in $(seq 0 "$rounds"); do
    order=("${names[@]}")
    if (( round % 2 )); then
      for (( i = 0; i < ${#names[@]}; i++ )); do order[i]=${names[${#names[@]} - 1 - i]}; done
    fi
    for name in "${order[@]}"; do
      line=$(run "$name")
      seconds=$(echo "$line" | awk '{print $2}')
      printf '%-8s round %d  %-8s %.3f s\n' "$size" "$round" "$name" "$seconds"
      [ "$round" -gt 0 ] && echo "$size $round $name $seconds" >>"$results"
    done
  done
  echo "== $size: memory peak of one more run each"
  for name in "${names[@]}"; do
    line=$(run "$name" --memory)
    echo "$size $name $line" | tee -a "$memory"
  done
done
rm -rf "$c/bench" "$tmpfs/Quenfield"

echo "== summary ($QF_WINE_ARCH, $rounds rounds after a warm-up, medians)"
python3 - "$results" "$memory" "$work" "$QF_WIN_TREE" "${nsis_note:-}" <<'PY'
import os, statistics, sys
results, memory, work, win_tree, nsis_note = sys.argv[1:]
times = {}
for line in open(results):
    size, rnd, name, sec = line.split()
    times.setdefault(size, {}).setdefault(name, {})[int(rnd)] = float(sec)
def ratio(size, name, ref):
    t = times[size]
    r = [t[name][k] / t[ref][k] for k in t[name]]
    return statistics.median(r), min(r), max(r)
names = [n for n in ("qfsetup", "required", "bare", "nsis", "silent", "windowless") if any(n in t for t in times.values())]
print("%-8s" % "size" + "".join("%11s" % n for n in names))
for size, t in times.items():
    print("%-8s" % size + "".join("%10.3fs" % statistics.median(t[n].values()) for n in names))
print()
pairs = [("qfsetup", r) for r in ("required", "bare", "nsis") if r in names] + [("silent", "windowless")]
for name, ref in pairs:
    print("%s / %s, median of the per-round ratios (min-max):" % (name, ref))
    for size in times:
        m, lo, hi = ratio(size, name, ref)
        print("  %-8s %.3f  (%.3f - %.3f)" % (size, m, lo, hi))
if nsis_note:
    print("nsis: " + nsis_note)
print()
print("file sizes (bytes):")
for size in times:
    build = os.path.join(work, size, win_tree)
    payload, setup, required = (os.path.getsize(os.path.join(build, p)) for p in
                                ("src/payload.bin", "qfsetup.exe", "bench/required_work.exe"))
    print("  %-8s archive %d, qfsetup.exe %d (+%d), required_work.exe %d (+%d)"
          % (size, payload, setup, setup - payload, required, required - payload))
print()
print("memory peak of one run (working set = VmHWM, image pages included; private = anonymous):")
for line in open(memory):
    f = line.split()
    size, name, fields = f[0], f[1], dict(zip(f[2::2], f[3::2]))
    print("  %-8s %-8s working set %7.1f MiB, private %5.1f MiB"
          % (size, name, int(fields["peak_working_set"]) / 2**20, int(fields["peak_private"]) / 2**20))
PY
