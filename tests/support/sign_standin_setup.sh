#!/usr/bin/env bash
# Makes the signed stand-ins of the player setup, at test-build time: a throwaway code-signing
# authority (which the tests add to the trusted roots of their Wine prefix), the stand-in
# setup padded past the 10 MiB a setup must exceed and signed by the build's test publisher,
# and the setups a check must turn away: signed by another publisher, by an untrusted
# authority, and with a certificate that is not for code signing.
#   sign_standin_setup.sh SETUP.exe OUTPUT_DIR PUBLISHER
set -euo pipefail
setup=$1 out=$2 publisher=$3
command -v openssl >/dev/null || { echo "openssl is missing" >&2; exit 1; }
command -v osslsigncode >/dev/null || { echo "osslsigncode is missing" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The authority outlives what it issues: a certificate valid past its issuer's end is not
# time-nested, which a chain check may count against it.
authority() {  # NAME: a self-signed authority NAME.key / NAME.crt
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/$1.key" -out "$work/$1.crt" -days 60 \
    -subj "/CN=VelPlayer stand-in $1" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
issued() {  # NAME AUTHORITY COMMON_NAME USAGE
  printf 'basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$4" \
    >"$work/$1.ext"
  openssl req -new -newkey rsa:2048 -nodes -keyout "$work/$1.key" -out "$work/$1.csr" -subj "/CN=$3" 2>/dev/null
  openssl x509 -req -in "$work/$1.csr" -CA "$work/$2.crt" -CAkey "$work/$2.key" -set_serial "$RANDOM$RANDOM" \
    -days 30 -sha256 -extfile "$work/$1.ext" -out "$work/$1.crt" 2>/dev/null
}
sign() {  # SIGNER INPUT OUTPUT (osslsigncode does not overwrite)
  rm -f "$3"
  osslsigncode sign -certs "$work/$1.crt" -key "$work/$1.key" -n "VelPlayer" -in "$2" -out "$3" >/dev/null
}
padded() {  # BYTES OUTPUT: the setup with zeros after it, which Windows does not read
  cp "$setup" "$2"
  truncate -s "$1" "$2"
}

authority trusted
authority untrusted
issued publisher trusted "$publisher" codeSigning
issued other trusted "Another Publisher Ltd" codeSigning
issued noUsage trusted "$publisher" serverAuth
issued stranger untrusted "$publisher" codeSigning

padded $((11 * 1024 * 1024)) "$work/setup11.exe"
padded $((20 * 1024 * 1024)) "$work/setup20.exe"
sign publisher "$work/setup11.exe" "$out/setup_signed.exe"
sign publisher "$work/setup20.exe" "$out/setup_signed_20m.exe"
sign other "$work/setup11.exe" "$out/setup_other_publisher.exe"
sign noUsage "$work/setup11.exe" "$out/setup_no_code_signing.exe"
sign stranger "$work/setup11.exe" "$out/setup_untrusted_root.exe"
cp "$work/setup11.exe" "$out/setup_unsigned.exe"
openssl x509 -in "$work/trusted.crt" -outform DER -out "$out/authority.der"
