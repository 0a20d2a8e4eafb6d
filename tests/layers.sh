#!/usr/bin/env bash
# The house in layers: a folder of src/ includes only from itself and from the folders below
# it, a portable file (no _win in its name) includes no Win32 header, and a file that includes
# windows.h says so with _win in its name. qfpack, a native program, takes portable code of
# the lower layers only. Prints every breach and fails on any.
#   layers.sh SOURCE_ROOT
set -euo pipefail
root=${1:?source root}
cd "$root"

# Top to bottom. Registration stands above the archive: the uninstall of an installation that
# shares its folder removes only what the archive wrote.
declare -A rank=([startup]=5 [pages]=4 [registration]=3 [archive]=2 [settings]=1 [base]=0)
# What qfpack may take: the portable files of these folders.
tool_layers=" settings archive base "

breaches=0
breach() {
  echo "$1"
  breaches=$((breaches + 1))
}

# includes FILE: the project headers FILE includes, one per line.
includes() { sed -n 's/^#include "\([^"]*\)".*/\1/p' "$1"; }

for file in $(find src -name '*.cpp' -o -name '*.h' | sort); do
  folder=$(cut -d/ -f2 <<<"$file")
  [ -n "${rank[$folder]:-}" ] || { breach "$file: src/$folder is not a layer"; continue; }
  if grep -qE '^#include <windows\.h>' "$file" && [[ $file != *_win.* ]]; then
    breach "$file: includes windows.h without _win in its name"
  fi
  for header in $(includes "$file"); do
    target=${header%%/*}
    [ "$target" != "$header" ] || continue  # beside the file: same folder
    if [ -z "${rank[$target]:-}" ]; then
      breach "$file: includes $header from outside the layers"
    elif [ "$target" != "$folder" ] && [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
      breach "$file ($folder) includes $header ($target): not a lower layer"
    fi
    if [[ $file != *_win.* && $header == *_win.h ]]; then
      breach "$file: portable, but includes the Win32 header $header"
    fi
  done
done

for file in $(find tools/qfpack -name '*.cpp' -o -name '*.h' | sort); do
  for header in $(includes "$file"); do
    target=${header%%/*}
    [ "$target" != "$header" ] || continue
    if [[ $tool_layers != *" $target "* || $header == *_win.h ]]; then
      breach "$file: qfpack includes $header, not portable code of settings, archive or base"
    fi
  done
done

if [ "$breaches" -gt 0 ]; then
  echo "$breaches breach(es) of the layers"
  exit 1
fi
echo "layers: every include points down"
