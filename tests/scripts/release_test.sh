#!/usr/bin/env bash
# scripts/release with throwaway certificates from a test CA, made here and
# deleted after, with the machine's osslsigncode and with the release suite's
# when that is another version: each release, signed from a PKCS#12 file and
# from a SoftHSM2 token, is the reproducible build once unsigned; --verify,
# run from another folder with relative paths, accepts the release and names
# its signer, and refuses each copy dressed up to pass; no password or PIN
# is left behind. And a copied checkout builds and releases its own commit.
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
# scripts/release --verify, run from the scratch folder; what it said is in out.
verify() { (cd "$scratch" && "$ROOT/scripts/release" --verify "$@") >"$scratch/out" 2>&1; }
says() { grep -qF -- "$1" "$scratch/out" || { cat "$scratch/out"; return 1; }; }
accepted() { verify "${@:2}" && says "$1"; }  # accepted <what it says> <arguments...>
refused() { ! verify "${@:2}" && says "found $1"; }  # refused <what it found> <arguments...>

password=$(openssl rand -hex 16) pin=$(openssl rand -hex 8)
echo "$password" >"$scratch/password"
echo "$pin" >"$scratch/pin"
cd "$scratch"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Levorn test CA" -keyout ca.key \
  -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign -out ca.pem 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nbasicConstraints=CA:false\n' >leaf.ext
for who in "Levorn release test" "Another company"; do
  key=${who// /-}
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$who" -keyout "$key.key" 2>/dev/null |
    openssl x509 -req -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile leaf.ext \
      -out "$key.pem" 2>/dev/null
done
cat Levorn-release-test.pem ca.pem >chain.pem
openssl pkcs12 -export -inkey Levorn-release-test.key -in Levorn-release-test.pem -certfile ca.pem \
  -passout file:password -out signer.p12
export SOFTHSM2_CONF=$scratch/softhsm2.conf
mkdir tokens && echo "directories.tokendir = $scratch/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label levorn-test --so-pin "$pin" --pin "$pin" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in Levorn-release-test.key -out key.p8
softhsm2-util --import key.p8 --token levorn-test --label signer --id 01 --pin "$pin" >/dev/null
# bookworm's osslsigncode writes what it extracts in another form than later
# ones: where the machine has another version than the release suite's, the
# suite's, unpacked here, runs a second pass.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
suite=$(apt-cache madison osslsigncode | awk -v suite=" $codename/" 'index($0, suite) { print $3; exit }')
passes=("")
if [[ -n $suite && $suite != "$(dpkg-query -W -f '${Version}' osslsigncode)" ]]; then
  check "the release suite's osslsigncode $suite is unpacked" bash -c \
    "apt-get download -qq osslsigncode=$suite && dpkg-deb -x osslsigncode_*.deb suite"
  passes+=("$scratch/suite/usr/bin")
fi
cd "$ROOT"

release=build/release/LevornSetup.exe built=build/release-tree/source/build/win32/LevornSetup.exe
put32() {  # put32 <file> <offset> <value>: a little-endian 32-bit word
  local hex
  hex=$(printf %08x "$3")
  printf %b "\\x${hex:6:2}\\x${hex:4:2}\\x${hex:2:2}\\x${hex:0:2}" |
    dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
u32() { od -An -tu4 --endian=little -j "$2" -N4 "$1" | tr -d ' '; }
sign() { osslsigncode sign -certs "$1.pem" -key "$1.key" -h sha256 "${@:2}"; }
# Copies of the signed release $1, each dressed up to pass for it.
dress_up() {
  local signed=$1 pe table entry
  cd "$scratch"
  rm -f changed.exe not-the-build.exe another-signer.exe blob.exe nested.exe  # osslsigncode 2.5 overwrites none
  cp "$ROOT/$built" changed.exe
  put32 changed.exe 4096 $(($(u32 changed.exe 4096) ^ 1))
  sign Levorn-release-test -in changed.exe -out not-the-build.exe
  sign Another-company -in "$ROOT/$built" -out another-signer.exe
  osslsigncode add -addUnauthenticatedBlob -in "$signed" -out blob.exe
  sign Another-company -nest -in "$signed" -out nested.exe
  pe=$(u32 "$signed" 60)
  table=$((pe + 152)) entry=$(u32 "$signed" $((pe + 152)))  # the certificate table
  cp "$signed" padded.exe
  head -c 512 /dev/zero >>padded.exe
  put32 padded.exe $((table + 4)) $(($(u32 "$signed" $((table + 4))) + 512))
  put32 padded.exe "$entry" $(($(u32 "$signed" "$entry") + 512))
  cp "$signed" checksum.exe
  put32 checksum.exe $((pe + 88)) 0xdeadbeef
  cd "$ROOT"
} >/dev/null

signed_and_proved() {  # signed_and_proved <how> <scripts/release arguments...>
  check "$1: scripts/release succeeds" scripts/release "${@:2}"
  check "$1: the release is signed by the certificate" \
    osslsigncode verify -CAfile "$scratch/ca.pem" -in "$release"
  rm -f "$scratch/unsigned.exe"
  osslsigncode remove-signature -in "$release" -out "$scratch/unsigned.exe" >/dev/null 2>&1 || true
  check "$1: unsigned again, it is the reproducible build" cmp "$scratch/unsigned.exe" "$built"
}

for tools in "${passes[@]}"; do
  PATH=$tools${tools:+:}$PATH
  log "the release test with $(osslsigncode --version | head -n 1)"
  check "unsigned: scripts/release succeeds" scripts/release
  check "unsigned: the release is the reproducible build" cmp "$release" "$built"
  signed_and_proved "SoftHSM2" --pkcs11-module /usr/lib/softhsm/libsofthsm2.so \
    --pkcs11-key "pkcs11:token=levorn-test;object=signer;type=private" \
    --cert "$scratch/chain.pem" --pin-file "$scratch/pin"
  signed_and_proved "PKCS#12" --pkcs12 "$scratch/signer.p12" --password-file "$scratch/password"

  cp "$release" "$scratch/LevornSetup.exe"
  check "--verify from another folder accepts the release, naming its signer" \
    accepted "signed by: CN = Levorn release test" LevornSetup.exe --cert chain.pem
  check "--verify names the signer's fingerprint" says "fingerprint: $(openssl x509 -noout \
    -in "$scratch/chain.pem" -fingerprint -sha256 | sed 's/.*=//')"
  SSL_CERT_FILE=$scratch/ca.pem check \
    "--verify without --cert checks the system's CAs alone, and says it did not check the publisher" \
    accepted "the publisher was NOT checked" LevornSetup.exe
  dress_up "$scratch/LevornSetup.exe"
  while read -r copy finding; do
    check "--verify refuses $copy.exe, finding $finding" refused "$finding" "$copy.exe" --cert chain.pem
  done <<'ROWS'
not-the-build   other bytes
another-signer  another signer: not the pinned CN = Levorn release test
padded          padding: its certificate table holds 512 bytes more
blob            an unsigned attribute: 1.3.6.1.4.1.42921.1.2.1
nested          a nested signature
checksum        a changed checksum: DEADBEEF
ROWS
done
check "no password or PIN is left in the checkout" fails grep -rlF -D skip -e "$password" -e "$pin" .

# A copied checkout, with a commit of its own, builds and releases that
# commit, not the one of the checkout it was copied from.
copy=$scratch/copy
mkdir "$copy"
tar -C "$ROOT" --exclude=./build/host --exclude=./build/win32/wineprefix --exclude=./build/win32/e2e \
  --exclude=./build/win64 -c . | tar -x -C "$copy"
sed -i 's/kMainCaption\[\] = "Levorn Setup"/kMainCaption[] = "Levorn Copy"/' "$copy/app/layout.h"
git -C "$copy" -c user.name=test -c user.email=test@localhost commit -qam "The copy's caption"
check "a copied checkout builds its own commit" bash -c "source '$copy/scripts/lib.sh' &&
  build_preset win32 --target LevornSetup && grep -qaF 'Levorn Copy' '$copy/build/win32/LevornSetup.exe'"
check "a copied checkout releases its own commit" bash -c "'$copy/scripts/release' &&
  grep -qaF 'Levorn Copy' '$copy/$release'"

if ((failures)); then log "release: $failures checks FAILED"; exit 1; fi
log "ok: releases signed from a PKCS#12 file and a SoftHSM2 token, proved and verified"
