#!/usr/bin/env bash
# The style checks, which change no file: clang-format (.clang-format) over the C++ of the
# folders below, and shellcheck (.shellcheckrc) over every shell script. Fails on the first
# tool that finds something, naming the file and line. A few seconds; scripts/test.sh runs it.
#   scripts/lint.sh
set -euo pipefail
source "$(dirname "$0")/prologue.sh"

# The folders whose C++ keeps to .clang-format. The sample client, a program of its own that the
# payload carries, keeps its own layout.
format_dirs=(src tools tests bench)

# listed PATTERN...: the files of the tree with these names, build folders left out.
listed() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- "$@"
  else
    local names=() pattern
    for pattern in "$@"; do names+=(-o -path "./$pattern"); done
    find . -path ./build -prune -o \( -false "${names[@]}" \) -type f -print | sed 's|^\./||'
  fi | sort
}

mapfile -t cpp < <(listed "${format_dirs[@]/%//*.cpp}" "${format_dirs[@]/%//*.h}")
mapfile -t shell < <(listed '*.sh')
clang-format --dry-run --Werror "${cpp[@]}"
shellcheck "${shell[@]}"
echo "lint: ${#cpp[@]} C++ files and ${#shell[@]} shell scripts keep to the style"
