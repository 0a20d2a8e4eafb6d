#!/usr/bin/env bash
# `qfpack customize` against the customisation page: for the choices of e2e_custom_test's
# CopiesCarryTheChoices cases, whose copies that test leaves in C:\qf-parity of the test prefix,
# qfpack writes the same bytes, and `qfpack inspect` reads back what either wrote. A payload
# byte changed in a copy makes inspect say MISMATCH and fail. Of the signed installer, both make
# the same unsigned copy, and qfpack with --sign a copy signed again.
#   custom_parity.sh QFPACK INSTALLER PAYLOAD WORKDIR SIGNED-INSTALLER CERTIFICATE-DIR
set -euo pipefail
qfpack=$1 installer=$2 payload=$3 work=$4 signed=$5 certificate=$6
parity="${WINEPREFIX:?run under the test prefix (scripts/wine-env.sh)}/drive_c/qf-parity"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "$*"; exit 1; }
signer="signature: signed by /CN=ORIN-6 test signer"

# inspect FILE EXPECTED-REPORT [EXPECTED-SIGNATURE]: the report, payload and signature lines
# aside, a verified payload, and the signature line (none by default).
inspect() {
    "$qfpack" inspect "$1" > "$work/report.txt" || fail "$1: inspect failed: $(cat "$work/report.txt")"
    diff -u <(printf '%s\n' "$2") <(head -n -2 "$work/report.txt") || fail "$1: unexpected report"
    tail -n 2 "$work/report.txt" | head -n 1 | grep -q '^payload: [0-9]* bytes, checksum verified$' ||
        fail "$1: payload not verified: $(cat "$work/report.txt")"
    [ "$(tail -n 1 "$work/report.txt")" = "${3:-signature: none}" ] ||
        fail "$1: unexpected signature: $(tail -n 1 "$work/report.txt")"
}

# [source=INSTALLER] same NAME REPORT QFPACK-OPTIONS...: qfpack's copy of the installer (the
# unsigned one unless source names another) equals the page's, and both read back unsigned.
same() {
    local name=$1 report=$2
    shift 2
    "$qfpack" customize "${source:-$installer}" "$@" -o "$work/$name.exe" > /dev/null
    cmp "$work/$name.exe" "$parity/$name-custom.exe" || fail "$name: qfpack and the page wrote different copies"
    inspect "$work/$name.exe" "$report"
    inspect "$parity/$name-custom.exe" "$report"
}

# flip_payload IN OUT: IN with one byte in the middle of its payload changed.
flip_payload() {
    python3 - "$1" "$payload" "$2" <<'PY'
import sys
image = bytearray(open(sys.argv[1], 'rb').read())
payload = open(sys.argv[2], 'rb').read()
at = image.find(payload)
assert at >= 0 and image.find(payload, at + 1) < 0, "the payload is not in the copy exactly once"
image[at + len(payload) // 2] ^= 0x01
open(sys.argv[3], 'wb').write(image)
PY
}

s79=$(printf 's%.0s' {1..79})
d79=$(printf 'd%.0s' {1..79})
lock1=$'customised: yes\nlock mode: 1\nserver: "srv.example"\ndocumentation path: "C:\\docs"'
inspect "$installer" "customised: no"
same lock1 "$lock1" --server srv.example --lock 1 --docpath 'C:\docs'
same doconly $'customised: yes\nlock mode: 10\nserver: (none)\ndocumentation path: "\\\\fileserver\\orin docs"' \
    --docpath '\\fileserver\orin docs'
same lock0 $'customised: yes\nlock mode: 0\nserver: "10.1.2.3"\ndocumentation path: (none)' \
    --server 10.1.2.3
same full "customised: yes"$'\n'"lock mode: 2"$'\n'"server: \"$s79\""$'\n'"documentation path: \"$d79\"" \
    --server "$s79" --lock 2 --docpath "$d79"
# The page takes é in the ANSI code page, qfpack in ISO 8859-1: the same byte E9.
same accented $'customised: yes\nlock mode: 1\nserver: "café"\ndocumentation path: (none)' --server café --lock 1

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

# A signed installer with a byte after its certificate table: the table cannot be cut off
# cleanly, which qfpack tells apart from a missing block, and it writes no copy.
{ cat "$signed"; printf '\0'; } > "$work/followed.exe"
if "$qfpack" customize "$work/followed.exe" --docpath x -o "$work/followed-custom.exe" 2> "$work/err.txt"; then
    fail "a copy was made of an installer whose signature cannot be cut off"
fi
grep -q "certificate table cannot be cut off cleanly" "$work/err.txt" || fail "unexpected refusal: $(cat "$work/err.txt")"
[ ! -e "$work/followed-custom.exe" ] || fail "a refused copy was written"

# One payload byte changed in a copy: the checksum no longer holds.
flip_payload "$parity/lock1-custom.exe" "$work/corrupt.exe"
if "$qfpack" inspect "$work/corrupt.exe" > "$work/report.txt"; then fail "a corrupted payload verified"; fi
grep -q '^payload: [0-9]* bytes, checksum MISMATCH' "$work/report.txt" ||
    fail "corruption not reported: $(cat "$work/report.txt")"

# The signed installer: signed, and changed since it was signed, or not checked without the tool.
inspect "$signed" "customised: no" "$signer"
flip_payload "$signed" "$work/signed-changed.exe"
if "$qfpack" inspect "$work/signed-changed.exe" > "$work/report.txt"; then fail "a changed signed file passed"; fi
[ "$(tail -n 1 "$work/report.txt")" = "signature: MISMATCH (the file has changed since it was signed)" ] ||
    fail "the changed signed file: $(cat "$work/report.txt")"
PATH=/nonexistent "$qfpack" inspect "$signed" > "$work/report.txt" || fail "inspect failed without osslsigncode"
[ "$(tail -n 1 "$work/report.txt")" = "signature: present, not checked (osslsigncode not found on PATH)" ] ||
    fail "without osslsigncode: $(cat "$work/report.txt")"

# Its copies: the same unsigned bytes from qfpack and the page, and with --sign a signed copy
# that verifies; a signing that fails leaves no copy behind.
source=$signed same signed "$lock1" --server srv.example --lock 1 --docpath 'C:\docs'
export QF_SIGN_PASSWORD
QF_SIGN_PASSWORD=$(cat "$certificate/password")
"$qfpack" customize "$signed" --server srv.example --lock 1 --docpath 'C:\docs' -o "$work/resigned.exe" \
    --sign --pkcs12 "$certificate/signer.p12" > /dev/null
osslsigncode verify -CAfile "$certificate/cert.pem" -in "$work/resigned.exe" > "$work/verify.txt" 2>&1 ||
    fail "the signed copy does not verify: $(cat "$work/verify.txt")"
inspect "$work/resigned.exe" "$lock1" "$signer"
QF_SIGN_PASSWORD=wrong
if "$qfpack" customize "$signed" --docpath x -o "$work/unsigned.exe" --sign --pkcs12 "$certificate/signer.p12" \
    2> "$work/err.txt"; then
    fail "signed with a wrong password"
fi
[ ! -e "$work/unsigned.exe" ] || fail "a copy whose signing failed was left behind"
echo "qfpack and the page agree"
