#!/usr/bin/env bash
# `qfpack customize` against the customisation page: for the choices of e2e_custom_test's
# CopiesCarryTheChoices cases, whose copies that test leaves in C:\qf-parity of the test prefix,
# qfpack writes the same bytes, and `qfpack inspect` reads back what either wrote. A payload
# byte changed in a copy makes inspect say MISMATCH and fail.
#   custom_parity.sh QFPACK INSTALLER PAYLOAD WORKDIR
set -euo pipefail
qfpack=$1 installer=$2 payload=$3 work=$4
parity="${WINEPREFIX:?run under the test prefix (scripts/wine-env.sh)}/drive_c/qf-parity"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "$*"; exit 1; }

# inspect FILE EXPECTED-REPORT: the report, payload line aside, and a verified payload.
inspect() {
    "$qfpack" inspect "$1" > "$work/report.txt" || fail "$1: inspect failed: $(cat "$work/report.txt")"
    diff -u <(printf '%s\n' "$2") <(head -n -1 "$work/report.txt") || fail "$1: unexpected report"
    tail -n 1 "$work/report.txt" | grep -q '^payload: [0-9]* bytes, checksum verified$' ||
        fail "$1: payload not verified: $(tail -n 1 "$work/report.txt")"
}

# same NAME REPORT QFPACK-OPTIONS...: qfpack's copy equals the page's, and both read back.
same() {
    local name=$1 report=$2
    shift 2
    "$qfpack" customize "$installer" "$@" -o "$work/$name.exe" > /dev/null
    cmp "$work/$name.exe" "$parity/$name-custom.exe" || fail "$name: qfpack and the page wrote different copies"
    inspect "$work/$name.exe" "$report"
    inspect "$parity/$name-custom.exe" "$report"
}

s79=$(printf 's%.0s' {1..79})
d79=$(printf 'd%.0s' {1..79})
inspect "$installer" "customised: no"
same lock1 $'customised: yes\nlock mode: 1\nserver: "srv.example"\ndocumentation path: "C:\\docs"' \
    --server srv.example --lock 1 --docpath 'C:\docs'
same doconly $'customised: yes\nlock mode: 10\nserver: (none)\ndocumentation path: "\\\\fileserver\\orin docs"' \
    --docpath '\\fileserver\orin docs'
same lock0 $'customised: yes\nlock mode: 0\nserver: "10.1.2.3"\ndocumentation path: (none)' \
    --server 10.1.2.3
same full "customised: yes"$'\n'"lock mode: 2"$'\n'"server: \"$s79\""$'\n'"documentation path: \"$d79\"" \
    --server "$s79" --lock 2 --docpath "$d79"

# A copy is not customised again, and qfpack refuses what the page refuses, with its words.
if "$qfpack" customize "$parity/lock1-custom.exe" --docpath x -o "$work/again.exe" 2> "$work/err.txt"; then
    fail "a customised copy was customised again"
fi
grep -q "already customised" "$work/err.txt" || fail "unexpected refusal: $(cat "$work/err.txt")"
if "$qfpack" customize "$installer" --server "${s79}s" -o "$work/long.exe" 2> "$work/err.txt"; then
    fail "an 80-byte server name was taken"
fi
grep -q "The server name must be less than 79 characters" "$work/err.txt" ||
    fail "unexpected refusal: $(cat "$work/err.txt")"

# One payload byte changed in a copy: the checksum no longer holds.
python3 - "$parity/lock1-custom.exe" "$payload" "$work/corrupt.exe" <<'PY'
import sys
image = bytearray(open(sys.argv[1], 'rb').read())
payload = open(sys.argv[2], 'rb').read()
at = image.find(payload)
assert at >= 0 and image.find(payload, at + 1) < 0, "the payload is not in the copy exactly once"
image[at + len(payload) // 2] ^= 0x01
open(sys.argv[3], 'wb').write(image)
PY
if "$qfpack" inspect "$work/corrupt.exe" > "$work/report.txt"; then fail "a corrupted payload verified"; fi
grep -q '^payload: [0-9]* bytes, checksum MISMATCH' "$work/report.txt" ||
    fail "corruption not reported: $(cat "$work/report.txt")"
echo "qfpack and the page agree"
