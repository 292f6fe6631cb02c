#!/usr/bin/env bash
# scripts/release with throwaway certificates shaped like a public CA's (a
# root trusted as the system's CA through SSL_CERT_FILE, an intermediate, two
# companies' leaves whose CRL and OCSP addresses are on a loopback port where
# nothing listens, a time-stamping authority and one nothing trusts, on a
# responder on 127.0.0.1), made here and deleted after, with the machine's
# osslsigncode and with the release suite's when that is another version.
# Each release, signed from a PKCS#12 file and from a SoftHSM2 token, is the
# reproducible build once unsigned; --verify, run from another folder with
# relative paths, accepts the release and names its signer and timestamp,
# and refuses each copy dressed up to pass; a failed signing keeps the last
# release; no password or PIN is left behind. And a copied checkout builds
# and releases its own commit.
#
# Run as root where unshare works, it runs in a network namespace of its own
# with loopback alone, which is what shows that nothing is fetched; the
# release suite's osslsigncode is fetched once before, and kept in build/.
source "$(dirname "$0")/../../scripts/lib.sh"
cd "$ROOT"

# The release suite's osslsigncode, when the machine has another version:
# bookworm's writes what it extracts in another form than later ones.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
suite=$(apt-cache madison osslsigncode | awk -v suite=" $codename/" 'index($0, suite) { print $3; exit }')
passes=("")
if [[ -n $suite && $suite != "$(dpkg-query -W -f '${Version}' osslsigncode)" ]]; then
  kept=$ROOT/build/osslsigncode-$suite
  if [[ ! -x $kept/usr/bin/osslsigncode ]]; then
    log "fetching the release suite's osslsigncode $suite, once, into ${kept#"$ROOT/"}"
    fetch=$(mktemp -d)
    (cd "$fetch" && apt-get download -qq -o APT::Sandbox::User=root "osslsigncode=$suite" && dpkg-deb -x osslsigncode_*.deb unpacked)
    # Whole or not at all; a folder of that name that is not ours stops it.
    mkdir -p build && mv -T "$fetch/unpacked" "$kept" && rm -rf "$fetch"
  fi
  passes+=("$kept/usr/bin")
fi
if [[ ${LEVORN_RELEASE_OFFLINE:-} != 1 ]]; then
  if ((EUID == 0)) && unshare -n true 2>/dev/null; then
    log "the release test, in a network namespace with loopback alone"
    # shellcheck disable=SC2016  # $0 is the inner shell's
    exec env LEVORN_RELEASE_OFFLINE=1 unshare -n -- bash -c 'ip link set lo up && exec "$0"' \
      "$ROOT/tests/scripts/release_test.sh"
  fi
  log "the release test runs with the machine's network: unshare -n is not permitted here"
fi

scratch=$(mktemp -d)
trap 'kill "${responder:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
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
refused() { ! verify "${@:2}" && says "$1"; }  # refused <what it says> <arguments...>
# The proof that --verify runs, run directly on a copy (pinned to the publisher).
proof_refuses() {  # proof_refuses <what it says> <copy>
  ! build/release-tree/source/build/host/levorn_verify --build "$built" --copy "$scratch/$2" \
    --description "Levorn Setup" --publisher "$scratch/chain.pem" >"$scratch/out" 2>&1 && says "$1"
}

password=$(openssl rand -hex 16) pin=$(openssl rand -hex 8)
echo "$password" >"$scratch/password"
echo "$pin" >"$scratch/pin"
echo "not the password" >"$scratch/wrong"
cd "$scratch"
# issue <name> <subject> <issuer, or - for itself> <extension...>
issue() {
  local -a by=(-CA "$3.pem" -CAkey "$3.key" -CAcreateserial)
  [[ $3 != - ]] || by=(-signkey "$1.key")
  openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1.key" 2>/dev/null
  openssl req -new -key "$1.key" -subj "/CN=$2" |
    openssl x509 -req "${by[@]}" -days 30 -extfile <(printf '%s\n' "${@:4}") -out "$1.pem" 2>/dev/null
}
# shellcheck disable=SC2054  # each element is one extension, its values comma-separated
ca=(basicConstraints=critical,CA:true keyUsage=critical,keyCertSign,cRLSign subjectKeyIdentifier=hash)
nowhere=http://127.0.0.1:9  # the discard port: nothing answers there
# shellcheck disable=SC2054
leaf=(basicConstraints=CA:false keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning
  "crlDistributionPoints=URI:$nowhere/intermediate.crl" "authorityInfoAccess=OCSP;URI:$nowhere/ocsp")
# shellcheck disable=SC2054
stamping=(basicConstraints=CA:false keyUsage=critical,digitalSignature
  extendedKeyUsage=critical,timeStamping "crlDistributionPoints=URI:$nowhere/intermediate.crl")
issue root "Levorn Test Root" - "${ca[@]}"
issue intermediate "Levorn Test Code Signing CA" root "${ca[@]}" authorityKeyIdentifier=keyid
issue Levorn-release-test "Levorn release test" intermediate "${leaf[@]}"
issue Another-company "Another company" intermediate "${leaf[@]}"
issue stranger "Stranger Root" - "${ca[@]}"
mkdir -p authorities/trusted authorities/stranger
issue authorities/trusted/tsa "Levorn Test TSA" intermediate "${stamping[@]}"
cp intermediate.pem authorities/trusted/chain.pem
issue authorities/stranger/tsa "Stranger TSA" stranger "${stamping[@]}"
cp stranger.pem authorities/stranger/chain.pem
for authority in authorities/*; do
  printf '%s\n' "[tsa]" "default_tsa = config" "[config]" "serial = $scratch/$authority/serial" \
    "signer_digest = sha256" "default_policy = 1.3.6.1.4.1.4146.2.3" "digests = sha256" \
    "ess_cert_id_alg = sha256" "accuracy = secs:1" >"$authority/tsa.cnf"
done
python3 "$ROOT/tests/scripts/tsa_responder.py" "$scratch/authorities" "$scratch/port" 300 &
responder=$!
for _ in $(seq 50); do [[ -f port ]] && break; sleep 0.1; done
tsa=http://127.0.0.1:$(cat port)
export SSL_CERT_FILE=$scratch/root.pem
for who in Levorn-release-test Another-company; do cat "$who.pem" intermediate.pem >"$who-chain.pem"; done
cp Levorn-release-test-chain.pem chain.pem
openssl pkcs12 -export -inkey Levorn-release-test.key -in Levorn-release-test.pem \
  -certfile intermediate.pem -passout file:password -out signer.p12
export SOFTHSM2_CONF=$scratch/softhsm2.conf
mkdir tokens && echo "directories.tokendir = $scratch/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label levorn-test --so-pin "$pin" --pin "$pin" >/dev/null
openssl pkcs8 -topk8 -nocrypt -in Levorn-release-test.key -out key.p8
softhsm2-util --import key.p8 --token levorn-test --label signer --id 01 --pin "$pin" >/dev/null
cd "$ROOT"

release=build/release/LevornSetup.exe built=build/release-tree/source/build/win32/LevornSetup.exe
put32() {  # put32 <file> <offset> <value>: a little-endian 32-bit word
  local hex
  hex=$(printf %08x "$3")
  printf %b "\\x${hex:6:2}\\x${hex:4:2}\\x${hex:2:2}\\x${hex:0:2}" |
    dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null
}
u32() { od -An -tu4 --endian=little -j "$2" -N4 "$1" | tr -d ' '; }
sign() { osslsigncode sign -certs "$1-chain.pem" -key "$1.key" "${@:2}"; }
# Copies of the signed release $1 (not timestamped), each dressed up to pass for it.
dress_up() {
  local signed=$1 pe table entry der
  cd "$scratch"
  rm -f ./*.exe  # osslsigncode 2.5 overwrites none
  cp "$ROOT/$built" changed.exe
  put32 changed.exe 4096 $(($(u32 changed.exe 4096) ^ 1))
  sign Levorn-release-test -h sha256 -n "Levorn Setup" -in changed.exe -out not-the-build.exe
  sign Another-company -h sha256 -n "Levorn Setup" -in "$ROOT/$built" -out another-signer.exe
  sign Levorn-release-test -h sha256 -n "Levorn Setup" -ph -in "$ROOT/$built" -out page-hashes.exe
  sign Levorn-release-test -h sha1 -n "Levorn Setup" -in "$ROOT/$built" -out sha1.exe
  sign Levorn-release-test -h sha256 -in "$ROOT/$built" -out no-description.exe
  sign Levorn-release-test -h sha256 -n "Levorn Setup" -i https://example.invalid/ \
    -in "$ROOT/$built" -out url.exe
  sign Levorn-release-test -h sha256 -n "Levorn Setup" -ts "$tsa/stranger" \
    -in "$ROOT/$built" -out stranger-timestamp.exe
  osslsigncode add -addUnauthenticatedBlob -in "$signed" -out blob.exe
  sign Another-company -h sha256 -nest -in "$signed" -out nested.exe
  pe=$(u32 "$signed" 60)
  table=$((pe + 152)) entry=$(u32 "$signed" $((pe + 152)))  # the certificate table
  cp "$signed" padded.exe
  head -c 512 /dev/zero >>padded.exe
  put32 padded.exe $((table + 4)) $(($(u32 "$signed" $((table + 4))) + 512))
  put32 padded.exe "$entry" $(($(u32 "$signed" "$entry") + 512))
  cp "$signed" checksum.exe
  put32 checksum.exe $((pe + 88)) 0xdeadbeef
  # The signature value is the signature's last element: its last byte stands
  # just before the padding to 8 bytes.
  der=$(($(od -An -tu1 -j $((entry + 10)) -N2 "$signed" | awk '{ print $1 * 256 + $2 }') + 4))
  cp "$signed" flipped.exe
  local at=$((entry + 8 + der - 1))
  printf %b "\\x$(printf %02x $(($(od -An -tu1 -j "$at" -N1 "$signed") ^ 1)))" |
    dd of=flipped.exe bs=1 seek="$at" conv=notrunc 2>/dev/null
  cd "$ROOT"
} >/dev/null 2>&1

signed_and_proved() {  # signed_and_proved <how> <scripts/release arguments...>
  check "$1: scripts/release succeeds" scripts/release "${@:2}"
  local help
  local -a offline=(-CAfile "$SSL_CERT_FILE" -TSA-CAfile "$SSL_CERT_FILE")
  help=$(osslsigncode verify --help 2>&1 || true)
  [[ $help != *-ignore-cdp* ]] || offline+=(-ignore-cdp -ignore-crl)
  check "$1: osslsigncode too finds the release signed by the certificate" \
    osslsigncode verify "${offline[@]}" -in "$release"
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
  signed_and_proved "PKCS#12, timestamped" --pkcs12 "$scratch/signer.p12" \
    --password-file "$scratch/password" --timestamp "$tsa/trusted"
  cp "$release" "$scratch/LevornSetup.exe"
  check "--verify from another folder accepts the timestamped release, naming signer and time" \
    accepted "signed by: CN=Levorn release test" LevornSetup.exe --cert chain.pem
  check "--verify names the timestamp's time and authority" says " UTC, by CN=Levorn Test TSA"
  check "--verify names the signer's fingerprint" says "fingerprint: $(openssl x509 -noout \
    -in "$scratch/chain.pem" -fingerprint -sha256 | sed 's/.*=//')"
  check "--verify without --cert checks the system's CAs alone, and says it did not check the publisher" \
    accepted "the publisher was NOT checked" LevornSetup.exe
  check "a failed signing (a wrong password) fails" fails scripts/release \
    --pkcs12 "$scratch/signer.p12" --password-file "$scratch/wrong"
  check "a failed signing keeps the last release" cmp "$release" "$scratch/LevornSetup.exe"
  cp "$scratch/LevornSetup.exe" "$scratch/-starts-with-a-dash.exe"
  check "a name beginning with - is taken as a name" accepted "verified: -starts-with-a-dash.exe" \
    -starts-with-a-dash.exe
  check "a name holding a newline is refused" refused "a file name with a control character" \
    $'LevornSetup.exe\n'

  check "scripts/release signs without a timestamp" scripts/release --pkcs12 "$scratch/signer.p12" \
    --password-file "$scratch/password"
  dress_up "$ROOT/$release"
  while read -r copy finding; do
    check "the proof refuses $copy.exe, finding $finding" proof_refuses "found $finding" "$copy.exe"
  done <<'ROWS'
not-the-build       other bytes
another-signer      another signer: not the pinned CN=Levorn release test
page-hashes         signed content of another shape
sha1                digest algorithms other than SHA-256 alone
no-description      4 signed attributes, where signing writes 5
url                 a description other than "Levorn Setup"
stranger-timestamp  a timestamp that does not verify
padded              padding: its certificate table holds 512 bytes more
blob                an unsigned attribute: 1.3.6.1.4.1.42921.1.2.1
nested              an unsigned attribute: 1.3.6.1.4.1.311.2.4.1
checksum            a changed checksum: DEADBEEF
ROWS
  check "--verify refuses the release with one bit of its signature value flipped" \
    refused "found a signature value that does not verify" flipped.exe --cert chain.pem
done
check "no password or PIN is left in the checkout" fails grep -rlF -D skip -e "$password" -e "$pin" .

# A copied checkout, with a commit of its own, builds and releases that
# commit, not the one of the checkout it was copied from; a source edited in
# its release tree is not built into a release.
copy=$scratch/copy
mkdir "$copy"
tar -C "$ROOT" --exclude=./build/host --exclude=./build/win32/wineprefix --exclude=./build/win32/e2e \
  --exclude=./build/win64 --exclude=./build/release-tree --exclude='./build/osslsigncode-*' -c . | tar -x -C "$copy"
sed -i 's/kMainCaption\[\] = "Levorn Setup"/kMainCaption[] = "Levorn Copy"/' "$copy/app/layout.h"
git -C "$copy" -c user.name=test -c user.email=test@localhost commit -qam "The copy's caption"
check "a copied checkout builds its own commit" bash -c "source '$copy/scripts/lib.sh' &&
  build_preset win32 --target LevornSetup && grep -qaF 'Levorn Copy' '$copy/build/win32/LevornSetup.exe'"
check "a copied checkout releases its own commit" bash -c "'$copy/scripts/release' &&
  grep -qaF 'Levorn Copy' '$copy/$release'"
sed -i 's/"Levorn Copy"/"Levorn Edit"/' "$copy/build/release-tree/source/app/layout.h"
check "a source edited in the release tree is not released" bash -c "'$copy/scripts/release' &&
  grep -qaF 'Levorn Copy' '$copy/$release' && ! grep -qaF 'Levorn Edit' '$copy/$release'"

if ((failures)); then log "release: $failures checks FAILED"; exit 1; fi
log "ok: releases signed from a PKCS#12 file and a SoftHSM2 token, proved and verified"
