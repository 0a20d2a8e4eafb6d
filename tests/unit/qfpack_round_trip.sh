#!/usr/bin/env bash
# qfpack end to end: pack a tree with mixed-case names and nested directories, list it in the
# writing order, verify it, catch a one-byte change, and refuse trees the installer cannot take.
set -euo pipefail
qfpack=$1
work=$2
rm -rf "$work"
mkdir -p "$work/tree/Docs/guide/img" "$work/tree/docs2" "$work/tree/zeta"
printf 'top' > "$work/tree/B.txt"
printf 'a' > "$work/tree/a.txt"
printf '' > "$work/tree/Docs/empty.html"
printf 'index' > "$work/tree/Docs/Index.html"
printf 'gif' > "$work/tree/Docs/guide/img/Logo.GIF"
printf 'c' > "$work/tree/Docs/guide/c.html"
printf 'z' > "$work/tree/zeta/z"
printf 'd2' > "$work/tree/docs2/x"

"$qfpack" pack "$work/tree" "$work/a.bin"
"$qfpack" list "$work/a.bin" > "$work/list.txt"
cat > "$work/expected.txt" <<'LIST'
file a.txt 1
file B.txt 3
dir  Docs
file Docs\empty.html 0
dir  Docs\guide
file Docs\guide\c.html 1
dir  Docs\guide\img
file Docs\guide\img\Logo.GIF 3
file Docs\Index.html 5
dir  docs2
file docs2\x 2
dir  zeta
file zeta\z 1
LIST
diff -u "$work/expected.txt" "$work/list.txt"
"$qfpack" verify "$work/a.bin" >/dev/null

# Any one byte changed after the checksum fails verification.
cp "$work/a.bin" "$work/b.bin"
printf '\x7f' | dd of="$work/b.bin" bs=1 seek=40 conv=notrunc status=none
if "$qfpack" verify "$work/b.bin" 2>/dev/null; then echo "changed archive verified"; exit 1; fi

refuse() {  # refuse WHAT EXPECTED-TEXT: the tree in $work/bad must be refused with that text
    if "$qfpack" pack "$work/bad" "$work/bad.bin" 2>"$work/err.txt"; then echo "packed: $1"; exit 1; fi
    grep -q "$2" "$work/err.txt" || { echo "$1: unexpected message:"; cat "$work/err.txt"; exit 1; }
    [ ! -e "$work/bad.bin" ] || { echo "$1: left an archive"; exit 1; }
    rm -rf "$work/bad"
}
mkdir -p "$work/bad" && touch "$work/bad/a:b" && refuse colon "cannot be written on Windows"
mkdir -p "$work/bad" && touch "$work/bad/A" "$work/bad/a" && refuse case "only in case"
mkdir -p "$work/bad/$(printf 'd%.0s' {1..100})" && touch "$work/bad/$(printf 'd%.0s' {1..100})/$(printf 'f%.0s' {1..60})" && refuse long "does not fit"
mkdir -p "$work/bad" && ln -s /etc/hostname "$work/bad/out" && refuse outside "leaves the tree"
mkdir -p "$work/bad/sub" && ln -s .. "$work/bad/sub/up" && refuse loop "repeat forever"
mkdir -p "$work/bad" && touch "$work/bad/$(printf 'caf\xe9')" && refuse latin1 "cannot be written"
mkdir -p "$work/bad/docs" && touch "$work/bad/docs/nul.txt" && refuse device "device name"
mkdir -p "$work/bad/Com1" && refuse device-folder "device name"
mkdir -p "$work/bad" && touch "$work/bad/QfSetup.Exe" && refuse uninstaller "write over the uninstaller"
mkdir -p "$work/bad/qfsetup.tmp" && refuse uninstaller-copy "write over the uninstaller"

# The uninstaller's name below the top, or as part of a longer name, is an ordinary file.
mkdir -p "$work/good/docs" && touch "$work/good/docs/qfsetup.exe" "$work/good/qfsetup.exe.bak"
"$qfpack" pack "$work/good" "$work/good.bin"
"$qfpack" list "$work/good.bin" > "$work/list.txt"
printf '%s\n' 'dir  docs' 'file docs\qfsetup.exe 0' 'file qfsetup.exe.bak 0' | diff -u - "$work/list.txt"
echo "qfpack round trip passed"
