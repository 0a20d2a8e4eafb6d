#!/usr/bin/env bash
# Two builds of qfsetup.exe, each from its own copy of the sources in its own folder and the
# second started later, must give the same bytes: no time, no folder and no order in which
# files happened to be found may reach the installer. Each folder then builds it again signed
# with a throwaway certificate, the first from the PEM certificate and key, the second from the
# PKCS#12 file: the two signed installers must be the same bytes too, verify against the
# certificate, and fail to verify once a byte of their payload has changed. Builds only what
# qfsetup.exe needs.
#   reproducible_build.sh QFPACK WORKDIR [TOOLCHAIN]   (a file in cmake/; the 32-bit one by default)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qfpack=$1
work=$2
toolchain=${3:-mingw-i686.cmake}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
fail() { echo "reproducible: $* (everything kept under $work)" >&2; exit 1; }

# build DIR [OPTION...]: configures DIR/win from the sources in DIR/source with the options and
# builds qfsetup.exe.
build() {
  local dir=$1
  shift
  cmake -S "$dir/source" -B "$dir/win" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$dir/source/cmake/$toolchain" -DQF_QFPACK="$qfpack" "$@" >/dev/null
  cmake --build "$dir/win" --target qfsetup >/dev/null
}

# unsigned_then_signed DIR SIGNING-OPTION...: copies the sources to DIR/source, builds
# DIR/unsigned.exe, then the same folder signed into DIR/signed.exe.
unsigned_then_signed() {
  local dir=$1
  shift
  mkdir -p "$dir/source"
  (cd "$root" && tar cf - --exclude=./build --exclude=./.git .) | tar xf - -C "$dir/source"
  build "$dir"
  cp "$dir/win/qfsetup.exe" "$dir/unsigned.exe"
  build "$dir" "$@"
  cp "$dir/win/qfsetup.exe" "$dir/signed.exe"
}

rm -rf "$work"
certificate=$work/certificate
bash "$root/tests/test_certificate.sh" "$certificate"
unsigned_then_signed "$work/first" -DQF_SIGN_CERT="$certificate/cert.pem" -DQF_SIGN_KEY="$certificate/key.pem"
sleep 1  # a later second for anything that reads the clock
QF_SIGN_PASSWORD=$(cat "$certificate/password") \
  unsigned_then_signed "$work/second/build" -DQF_SIGN_PKCS12="$certificate/signer.p12"

cmp "$work/first/unsigned.exe" "$work/second/build/unsigned.exe" || fail "the two builds differ"
cmp "$work/first/signed.exe" "$work/second/build/signed.exe" || fail "the two signed builds differ"
osslsigncode verify -CAfile "$certificate/cert.pem" -in "$work/first/signed.exe" > "$work/verify.txt" 2>&1 ||
  fail "the signed build does not verify: $(cat "$work/verify.txt")"
python3 - "$work/first/signed.exe" "$work/first/win/src/payload.bin" "$work/changed.exe" <<'PY'
import sys
image = bytearray(open(sys.argv[1], 'rb').read())
payload = open(sys.argv[2], 'rb').read()
at = image.find(payload)
assert at >= 0, "the payload is not in the signed installer"
image[at + len(payload) // 2] ^= 0x01
open(sys.argv[3], 'wb').write(image)
PY
if osslsigncode verify -CAfile "$certificate/cert.pem" -in "$work/changed.exe" > /dev/null 2>&1; then
  fail "a signed build with a changed payload byte still verifies"
fi
echo "reproducible: two builds give the same $(stat -c %s "$work/first/unsigned.exe") bytes," \
     "signed the same $(stat -c %s "$work/first/signed.exe")"
rm -rf "$work"
