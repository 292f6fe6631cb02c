# What an Authenticode signature and the file that carries it hold, for
# scripts/release. Source it.
#
# The signature is read by the positions of its DER elements, never from a
# tool's printout: its unsigned part is anyone's to fill without breaking
# the signature, and a string printed from there can read like any line a
# parser of that printout waits for.
# shellcheck shell=bash

# Loads the DER file $1 into DER, one byte (two hex digits) an element.
der_read() {
  DER_FILE=$1
  mapfile -t DER < <(od -An -v -tx1 "$1" | tr -s ' ' '\n' | sed '/^$/d')
}

# The element at byte $1: TAG (two hex digits), HDR and LEN (the lengths of
# its header and its content).
der_at() {
  local at=$1 first i
  TAG=${DER[at]:-00} first=$((16#${DER[at + 1]:-00})) HDR=2
  LEN=$first
  if ((first > 127)); then
    HDR=$((2 + (first & 127))) LEN=0
    for ((i = 2; i < HDR; i++)); do LEN=$((LEN * 256 + 16#${DER[at + i]:-00})); done
  fi
}

# The offsets of the children of the constructed element at $1, in KIDS.
der_children() {
  local at end
  der_at "$1"
  at=$(($1 + HDR)) end=$(($1 + HDR + LEN))
  ((end <= ${#DER[@]})) || end=${#DER[@]}
  KIDS=()
  while ((at < end)); do
    KIDS+=("$at")
    der_at "$at"
    at=$((at + HDR + LEN))
  done
}

# The whole element at $1 (header and content), as hex.
der_hex() {
  der_at "$1"
  local IFS=
  echo "${DER[*]:$1:HDR + LEN}"
}

# The first child of the element at $1 whose tag is $2 (empty if none), in KID.
der_child() {
  local at
  KID=""
  der_children "$1"
  for at in "${KIDS[@]}"; do
    der_at "$at"
    [[ $TAG == "$2" ]] && KID=$at && return 0
  done
  return 1
}

# The object identifier whose whole DER element, in hex, is $1, as OpenSSL
# names it.
oid_name() {
  # shellcheck disable=SC2001,SC2059  # the format is the bytes, as \xNN escapes
  printf "$(sed 's/../\\x&/g' <<<"$1")" | openssl asn1parse -inform DER 2>/dev/null | sed -n 's/.*OBJECT *://p'
}

# What of the unsigned attributes read by signature_read is refused, a line
# each. A timestamp may stand there, RFC 3161 or Authenticode's own
# countersignature; nothing else: not a nested signature (a second one
# hidden in the first's unsigned part), not a blob.
unsigned_findings() {
  local oid
  for oid in "${UNSIGNED[@]}"; do
    case $oid in
      060a2b060104018237030301 | 06092a864886f70d010906) ;;
      060a2b060104018237020401) echo "a nested signature" ;;
      *) echo "an unsigned attribute: $(oid_name "$oid")" ;;
    esac
  done
}

# Reads the PKCS#7 signature in the PEM file $1. Sets SIGNERS (how many
# signers it names) and UNSIGNED (the object identifiers, as DER hex, of its
# first signer's unsigned attributes), and writes that signer's certificate
# (DER) to $2 when the signature carries it. Fails on what is no PKCS#7
# signed-data.
signature_read() {
  local signed_data signers signer sid cert tbs at
  local -a kids
  SIGNERS=0 UNSIGNED=()
  rm -f "$2"
  openssl pkcs7 -in "$1" -outform DER -out "$1.der" 2>/dev/null || return 1
  der_read "$1.der"
  # ContentInfo { type, [0] { SignedData { version, digests, content,
  # [0] certificates, [1] CRLs, signers } } }: the signers come last.
  der_children 0
  ((${#KIDS[@]} == 2)) || return 1
  der_children "${KIDS[1]}"
  signed_data=${KIDS[0]:-0}
  der_children "$signed_data"
  signers=${KIDS[-1]}
  der_at "$signers"
  [[ $TAG == 31 ]] || return 1
  der_children "$signers"
  SIGNERS=${#KIDS[@]}
  ((SIGNERS)) || return 0
  signer=${KIDS[0]}
  # SignerInfo { version, issuer and serial, digest, [0] signed attributes,
  # algorithm, signature, [1] unsigned attributes }
  if der_child "$signer" a1; then
    der_children "$KID"
    kids=("${KIDS[@]}")
    for at in "${kids[@]}"; do
      der_children "$at"
      UNSIGNED+=("$(der_hex "${KIDS[0]}")")
    done
  fi
  der_children "$signer"
  sid=${KIDS[1]}
  der_at "$sid"
  [[ $TAG == 30 ]] || return 0  # named by a key identifier: no certificate is looked for
  der_children "$sid"
  sid=$(der_hex "${KIDS[0]}")$(der_hex "${KIDS[1]}")
  der_child "$signed_data" a0 || return 0
  der_children "$KID"
  kids=("${KIDS[@]}")
  # Certificate { TBSCertificate { [0] version, serial, algorithm, issuer, ... } ... }
  for cert in "${kids[@]}"; do
    der_children "$cert"
    tbs=${KIDS[0]}
    der_children "$tbs"
    der_at "${KIDS[0]}"
    [[ $TAG == a0 ]] && KIDS=("${KIDS[@]:1}")
    if [[ $(der_hex "${KIDS[2]}")$(der_hex "${KIDS[0]}") == "$sid" ]]; then
      der_at "$cert"
      tail -c +$((cert + 1)) "$DER_FILE" | head -c $((HDR + LEN)) >"$2"
      return 0
    fi
  done
}
