# shellcheck shell=bash
# Sourced by the scripts that build or run the Windows programs: which road the Windows tests
# take on this machine.
#   win32  the shipped 32-bit installer under 32-bit Wine
#   win64  a 64-bit build of the same sources under 64-bit Wine, for machines whose kernel starts
#          no 32-bit program (32-bit emulation switched off), where 32-bit Wine cannot run
# QF_WINE_ARCH=win32 or win64 chooses the road on purpose; otherwise a tiny 32-bit Linux program
# is started, and the road is win32 exactly when it runs.
# Sets QF_WINE_ARCH, QF_WIN_TREE (the build folder's name under $build) and QF_TOOLCHAIN.

# runs_32bit_programs: true when this kernel starts a 32-bit (i386) Linux program. The program is
# 93 bytes written here (an ELF header, one loadable segment, then exit(0) through int 0x80), so
# the answer depends on the kernel alone, not on any package being installed.
runs_32bit_programs() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}

# wine_road_choose: sets the road once per run (the scripts call one another).
wine_road_choose() {
  if [ -z "${QF_WINE_ARCH:-}" ]; then
    if runs_32bit_programs; then QF_WINE_ARCH=win32; else QF_WINE_ARCH=win64; fi
  fi
  case "$QF_WINE_ARCH" in
    win32) QF_WIN_TREE=win QF_TOOLCHAIN=mingw-i686.cmake ;;
    win64) QF_WIN_TREE=win64 QF_TOOLCHAIN=mingw-x86_64.cmake ;;
    *) echo "QF_WINE_ARCH must be win32 or win64, not '$QF_WINE_ARCH'" >&2; return 2 ;;
  esac
  export QF_WINE_ARCH QF_WIN_TREE QF_TOOLCHAIN
}

# wine_road_describe: the line that says which road a run takes.
wine_road_describe() {
  if [ "$QF_WINE_ARCH" = win32 ]; then
    echo "Windows tests: the 32-bit installer under 32-bit Wine"
  elif runs_32bit_programs; then
    echo "Windows tests: a 64-bit build of the same sources under 64-bit Wine (chosen with QF_WINE_ARCH=win64)"
  else
    echo "Windows tests: a 64-bit build of the same sources under 64-bit Wine (this machine runs no 32-bit programs)"
  fi
}

wine_road_choose
