#!/usr/bin/env bash
# Authenticode signatures on the release's programs, with the certificate
# that the environment names:
#   TROVELLE_SIGN_PKCS12          the certificate, its key and its chain (PKCS#12)
#   TROVELLE_SIGN_PASSWORD_FILE   a file whose first line is its password
#   TROVELLE_SIGN_TIMESTAMP_URL   an RFC 3161 timestamp server (optional)
# Without a timestamp server the signing time is SOURCE_DATE_EPOCH, the
# commit's date, and nothing else in a signature varies (RSA PKCS#1 v1.5 is
# deterministic): one commit signed with one certificate gives the same bytes.
# scripts/release sources it (sign_check, sign_file); makensis runs it as a
# command on the uninstaller and the installer:
#   bash sign.sh CHAIN FILE DESCRIPTION

# The maker's address, as the About box gives it.
sign_url=https://www.bramwick-software.fr/

sign_fail() {
  echo "release: $*" >&2
  exit 1
}

# sign_check DIR: stops the release, saying why, unless the certificate can
# sign now, and names the publisher Windows will show. Writes DIR/chain.pem,
# what a signature is verified against: the certificate's own chain from the
# PKCS#12, and the system's authorities.
sign_check() {
  local dir=$1 p12=${TROVELLE_SIGN_PKCS12:-} pass=${TROVELLE_SIGN_PASSWORD_FILE:-} err cert=$1/cert.pem
  [ -n "$p12" ] || sign_fail "TROVELLE_SIGN_PASSWORD_FILE is set but TROVELLE_SIGN_PKCS12 is not: both or neither"
  [ -n "$pass" ] || sign_fail "TROVELLE_SIGN_PKCS12 is set but TROVELLE_SIGN_PASSWORD_FILE is not: both or neither"
  { [ -f "$p12" ] && [ -r "$p12" ]; } || sign_fail "cannot read the certificate $p12 (TROVELLE_SIGN_PKCS12)"
  { [ -f "$pass" ] && [ -r "$pass" ]; } || sign_fail "cannot read the password file $pass (TROVELLE_SIGN_PASSWORD_FILE)"
  # makensis runs the signing command in the script's folder.
  TROVELLE_SIGN_PKCS12=$(realpath "$p12") TROVELLE_SIGN_PASSWORD_FILE=$(realpath "$pass")
  export TROVELLE_SIGN_PKCS12 TROVELLE_SIGN_PASSWORD_FILE
  # -legacy: older tools protect PKCS#12 files with RC2, which osslsigncode reads.
  if ! err=$(openssl pkcs12 -legacy -in "$p12" -passin "file:$pass" -nokeys -clcerts -out "$cert" 2>&1); then
    [[ $err != *"invalid password"* ]] || sign_fail "wrong password for $p12 (in $pass)"
    sign_fail "$p12 is not a PKCS#12 file: $err"
  fi
  local key
  key=$(openssl pkcs12 -legacy -in "$p12" -passin "file:$pass" -nocerts -nodes 2>/dev/null |
    openssl pkey -pubout 2>/dev/null) || true
  if [ -z "$key" ] || [ "$key" != "$(openssl x509 -in "$cert" -noout -pubkey 2>/dev/null)" ]; then
    sign_fail "$p12 holds no certificate with its private key"
  fi
  # Without a timestamp, Windows checks the certificate at the time it looks.
  openssl x509 -in "$cert" -noout -checkend 0 >/dev/null ||
    sign_fail "the certificate in $p12 expired: $(openssl x509 -in "$cert" -noout -enddate)"
  local start
  start=$(openssl x509 -in "$cert" -noout -startdate | cut -d= -f2)
  [ "$(date -d "$start" +%s)" -le "$(date +%s)" ] || sign_fail "the certificate in $p12 is not valid before $start"
  [[ $(openssl x509 -in "$cert" -noout -ext extendedKeyUsage 2>/dev/null) == *"Code Signing"* ]] ||
    sign_fail "the certificate in $p12 is not for code signing (no codeSigning extended key usage)"
  local publisher
  publisher=$(openssl x509 -in "$cert" -noout -subject -nameopt sep_multiline,utf8,-esc_msb |
    sed -n 's/^ *CN=//p' | head -n 1)
  openssl pkcs12 -legacy -in "$p12" -passin "file:$pass" -nokeys -cacerts -out "$dir/chain.pem" 2>/dev/null
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    cat /etc/ssl/certs/ca-certificates.crt >>"$dir/chain.pem"
  fi
  echo "release: signing as ${publisher:-(a certificate without a common name)}, with $p12"
}

# sign_file CHAIN FILE DESCRIPTION: signs FILE in place (SHA-256, the
# description and the maker's address shown beside the publisher), once the
# signed copy verifies against CHAIN. The description is stored as ASCII.
sign_file() {
  local chain=$1 file=$2 name=$3 out
  local when=(-time "$SOURCE_DATE_EPOCH")
  [ -z "${TROVELLE_SIGN_TIMESTAMP_URL:-}" ] || when=(-ts "$TROVELLE_SIGN_TIMESTAMP_URL")
  rm -f "$file.signed"
  if ! out=$(osslsigncode sign -pkcs12 "$TROVELLE_SIGN_PKCS12" -readpass "$TROVELLE_SIGN_PASSWORD_FILE" \
    -h sha256 -n "$name" -i "$sign_url" "${when[@]}" -in "$file" -out "$file.signed" 2>&1); then
    rm -f "$file.signed"
    sign_fail "osslsigncode could not sign $(basename "$file"): $out"
  fi
  # The signature and its chain are checked here, not revocation: no CRL is
  # fetched (osslsigncode 2.5 fetches none; later ones would, online only).
  local crl=()
  [[ $(osslsigncode verify --help 2>&1) != *-ignore-crl* ]] || crl=(-ignore-crl)
  if ! out=$(osslsigncode verify "${crl[@]}" -CAfile "$chain" -in "$file.signed" 2>&1); then
    rm -f "$file.signed"
    sign_fail "the signed $(basename "$file") does not verify against the certificate's chain: $out"
  fi
  mv "$file.signed" "$file"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  sign_file "$@"
fi
