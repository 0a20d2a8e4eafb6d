#!/usr/bin/env bash
# A throwaway code-signing certificate for the tests, made now:
#   DIR/cert.pem, DIR/key.pem    the certificate and its RSA key, unencrypted
#   DIR/signer.p12               both in a PKCS#12 file, encrypted with the password in
#   DIR/password                 (for QF_SIGN_PASSWORD)
# RSA, because its signatures (PKCS#1 v1.5) are the same every time, so that two signings of the
# same bytes can be compared; an EC key's are not.
#   test_certificate.sh DIR
set -euo pipefail
dir=$1
rm -rf "$dir"
mkdir -p "$dir"
printf 'throwaway' > "$dir/password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" -days 2 \
  -subj "/CN=ORIN-6 test signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/cert.pem" -out "$dir/signer.p12" \
  -passout "file:$dir/password"
