#!/usr/bin/env bash
# The signed installer whose copies the tests check: a throwaway certificate made in DIR, and the
# built installer signed with it into SIGNED by `qfpack sign`, as a signed build signs it.
#   signed_installer.sh QFPACK INSTALLER DIR SIGNED
set -euo pipefail
qfpack=$1 installer=$2 dir=$3 signed=$4
bash "$(dirname "$0")/../test_certificate.sh" "$dir"
cp "$installer" "$signed"
QF_SIGN_PASSWORD=$(cat "$dir/password") "$qfpack" sign "$signed" --pkcs12 "$dir/signer.p12"
