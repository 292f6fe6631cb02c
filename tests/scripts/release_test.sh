#!/usr/bin/env bash
# scripts/release with a throwaway self-signed certificate, made here and
# deleted after: from a PKCS#12 file and from a SoftHSM2 token, each release
# is signed by it and is the reproducible build once unsigned; a signed copy
# with one byte changed is refused; no password or PIN is left behind.
source "$(dirname "$0")/../../scripts/lib.sh"
cd "$ROOT"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
check() {  # check <description> <command...>
  "${@:2}" >"$scratch/said" 2>&1 && return 0
  log "FAILED: $1"; sed 's/^/    /' "$scratch/said" >&2
  failures=$((failures + 1))
}
fails() { ! "$@"; }

password=$(openssl rand -hex 16) pin=$(openssl rand -hex 8)
echo "$password" >"$scratch/password"
echo "$pin" >"$scratch/pin"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Levorn release test" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
  -passout "file:$scratch/password" -out "$scratch/signer.p12"
export SOFTHSM2_CONF=$scratch/softhsm2.conf
mkdir "$scratch/tokens" && echo "directories.tokendir = $scratch/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label levorn-test --so-pin "$pin" --pin "$pin" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$scratch/key.pem" -out "$scratch/key.p8"
softhsm2-util --import "$scratch/key.p8" --token levorn-test --label signer --id 01 \
  --pin "$pin" >/dev/null

release=build/release/LevornSetup.exe
signed_and_proved() {  # signed_and_proved <how> <scripts/release arguments...>
  check "$1: scripts/release succeeds" scripts/release "${@:2}"
  check "$1: the release is signed by the certificate" \
    osslsigncode verify -CAfile "$scratch/cert.pem" -in "$release"
  rm -f "$scratch/unsigned.exe"
  osslsigncode remove-signature -in "$release" -out "$scratch/unsigned.exe" >/dev/null 2>&1 || true
  check "$1: unsigned again, it is the reproducible build" \
    cmp "$scratch/unsigned.exe" build/win32/LevornSetup.exe
}
check "unsigned: scripts/release succeeds" scripts/release
check "unsigned: the release is the reproducible build" cmp "$release" build/win32/LevornSetup.exe
signed_and_proved "PKCS#12" --pkcs12 "$scratch/signer.p12" --password-file "$scratch/password"
signed_and_proved "SoftHSM2" --pkcs11-module /usr/lib/softhsm/libsofthsm2.so \
  --pkcs11-key "pkcs11:token=levorn-test;object=signer;type=private" \
  --cert "$scratch/cert.pem" --pin-file "$scratch/pin"

check "--verify accepts the signed release" scripts/release --verify "$release" --cert "$scratch/cert.pem"
cp "$release" "$scratch/changed.exe"
byte=$(od -An -tu1 -j4096 -N1 "$scratch/changed.exe")
# shellcheck disable=SC2059  # the format is the byte, in octal
printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$scratch/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
check "--verify refuses it with one byte changed" \
  fails scripts/release --verify "$scratch/changed.exe" --cert "$scratch/cert.pem"
check "no password or PIN is left in the checkout" fails grep -rlF -D skip -e "$password" -e "$pin" .

if ((failures)); then log "release: $failures checks FAILED"; exit 1; fi
log "ok: releases signed from a PKCS#12 file and a SoftHSM2 token, verified and proved"
