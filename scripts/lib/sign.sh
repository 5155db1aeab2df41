#!/usr/bin/env bash
# Authenticode signatures on the release's programs, with a key that the
# environment names, either in a PKCS#12 file:
#   TROVELLE_SIGN_PKCS12          the certificate, its key and its chain
# or on a PKCS#11 token (a hardware token, a cloud HSM's module, SoftHSM2):
#   TROVELLE_SIGN_PKCS11_MODULE   the token's PKCS#11 module (a .so)
#   TROVELLE_SIGN_PKCS11_KEY      the key, as a pkcs11: URI (RFC 7512)
#   TROVELLE_SIGN_CERT            the key's certificate, then its chain (PEM)
# and, for either:
#   TROVELLE_SIGN_PASSWORD_FILE   the PKCS#12's password or the token's PIN,
#                                 the first line of this file
#   TROVELLE_SIGN_TIMESTAMP_URL   an RFC 3161 timestamp server (optional)
# Without a timestamp server the signing time is SOURCE_DATE_EPOCH, the
# commit's date, and with an RSA key nothing else in a signature varies
# (PKCS#1 v1.5 is deterministic): one commit signed with one key gives the
# same bytes. An EC key or a timestamp makes every signing differ, and
# sign_check says so.
#
# scripts/release sources it; the same two steps run as commands:
#   bash sign.sh check DIR                   the checks; DIR keeps what signing needs
#   bash sign.sh file DIR FILE DESCRIPTION   signs FILE in place (makensis runs this)

# The maker's address, as the About box gives it.
sign_url=https://www.bramwick-software.fr/

sign_fail() {
  echo "release: $*" >&2
  exit 1
}

# sign_read_password FILE OUT: the one reading of a password file, which
# every tool is then given: the first line without its CR or LF, and without
# the UTF-8 byte-order mark that Notepad writes. UTF-16 (Notepad's
# "Unicode") is refused: no tool here reads it, and its NUL bytes would cut
# the password short.
sign_read_password() {
  local file=$1 out=$2 start line
  start=$(head -c 2 "$file" | od -An -tx1 | tr -d ' \n')
  if [[ $start == fffe || $start == feff ]] || [ "$(tr -d '\000' <"$file" | wc -c)" -ne "$(wc -c <"$file")" ]; then
    sign_fail "the password file $file is UTF-16; save it as UTF-8 (or ANSI)"
  fi
  IFS= read -r line <"$file" || true
  line=${line%%$'\r'*}
  line=${line#$'\xef\xbb\xbf'}
  (umask 077 && printf '%s' "$line" >"$out")
}

# sign_check_cert CERT WHOSE: the dates and use of the signing certificate.
sign_check_cert() {
  local cert=$1 whose=$2 start
  # Without a timestamp, Windows checks the certificate at the time it looks.
  openssl x509 -in "$cert" -noout -checkend 0 >/dev/null ||
    sign_fail "the certificate in $whose expired: $(openssl x509 -in "$cert" -noout -enddate)"
  start=$(openssl x509 -in "$cert" -noout -startdate | cut -d= -f2)
  [ "$(date -d "$start" +%s)" -le "$(date +%s)" ] || sign_fail "the certificate in $whose is not valid before $start"
  [[ $(openssl x509 -in "$cert" -noout -ext extendedKeyUsage 2>/dev/null) == *"Code Signing"* ]] ||
    sign_fail "the certificate in $whose is not for code signing (no codeSigning extended key usage)"
}

# sign_check_pkcs12 DIR P12: the password opens it, and it holds a
# certificate with its key.
sign_check_pkcs12() {
  local dir=$1 p12=$2 err key
  { [ -f "$p12" ] && [ -r "$p12" ]; } || sign_fail "cannot read the certificate $p12 (TROVELLE_SIGN_PKCS12)"
  # -legacy: older tools protect PKCS#12 files with RC2, which osslsigncode reads.
  if ! err=$(openssl pkcs12 -legacy -in "$p12" -passin "file:$dir/password" -nokeys -clcerts -out "$dir/cert.pem" 2>&1); then
    [[ $err != *"invalid password"* ]] || sign_fail "wrong password for $p12 (in $TROVELLE_SIGN_PASSWORD_FILE)"
    sign_fail "$p12 is not a PKCS#12 file: $err"
  fi
  key=$(openssl pkcs12 -legacy -in "$p12" -passin "file:$dir/password" -nocerts -nodes 2>/dev/null |
    openssl pkey -pubout 2>/dev/null) || true
  if [ -z "$key" ] || [ "$key" != "$(openssl x509 -in "$dir/cert.pem" -noout -pubkey 2>/dev/null)" ]; then
    sign_fail "$p12 holds no certificate with its private key"
  fi
  sign_check_cert "$dir/cert.pem" "$p12"
  openssl pkcs12 -legacy -in "$p12" -passin "file:$dir/password" -nokeys -cacerts -out "$dir/chain.pem" 2>/dev/null
  printf '%s\n' -pkcs12 "$p12" >"$dir/args"
}

# sign_check_token DIR MODULE KEY CERTS: the certificate first, which needs
# no login; then one login, which signs a few random bytes: the module
# loads, the key is there, the PIN opens it, and the certificate's public
# key checks what it signed. A token locks itself after a few wrong PINs, so
# a wrong one is tried only this once.
sign_check_token() {
  local dir=$1 module=$2 key=$3 certs=$4 err
  { [ -f "$module" ] && [ -r "$module" ]; } || sign_fail "cannot read the PKCS#11 module $module (TROVELLE_SIGN_PKCS11_MODULE)"
  [[ $key == pkcs11:* ]] || sign_fail "TROVELLE_SIGN_PKCS11_KEY is not a pkcs11: URI: $key"
  { [ -f "$certs" ] && [ -r "$certs" ]; } || sign_fail "cannot read the certificate $certs (TROVELLE_SIGN_CERT)"
  [ -s "$dir/password" ] || sign_fail "the first line of $TROVELLE_SIGN_PASSWORD_FILE, the token's PIN, is empty"
  # The key's certificate is the file's first; the others are its chain.
  openssl x509 -in "$certs" -out "$dir/cert.pem" 2>/dev/null || sign_fail "$certs holds no PEM certificate"
  sign_check_cert "$dir/cert.pem" "$certs"
  awk '/-BEGIN CERTIFICATE-/ { n++ } n > 1' "$certs" >"$dir/chain.pem"

  # The engine finds the module through PKCS11_MODULE_PATH; after a failure
  # it may crash on its way out, once its messages are written.
  head -c 32 /dev/urandom >"$dir/challenge"
  if ! err=$(PKCS11_MODULE_PATH=$module openssl dgst -sha256 -engine pkcs11 -keyform engine -sign "$key" \
    -passin "file:$dir/password" -out "$dir/challenge.sig" "$dir/challenge" 2>&1 </dev/null); then
    case $err in
      *"Unable to load"*) sign_fail "the PKCS#11 module $module does not load: $(grep -m 1 -v '^Engine ' <<<"$err")" ;;
      *"PIN incorrect"* | *"PIN invalid"* | *"PIN len"*)
        sign_fail "wrong PIN for the token (in $TROVELLE_SIGN_PASSWORD_FILE); it was tried once" ;;
      *"PIN locked"*) sign_fail "the token is locked after too many wrong PINs" ;;
      *"Multiple matching slots"*) sign_fail "$key matches keys on several tokens: name the token in it (token=...)" ;;
      *"not found"*) sign_fail "no key $key on a token of $module" ;;
      *) sign_fail "cannot sign with $key on a token of $module: $err" ;;
    esac
  fi
  openssl x509 -in "$dir/cert.pem" -noout -pubkey >"$dir/cert.pub"
  openssl dgst -sha256 -verify "$dir/cert.pub" -signature "$dir/challenge.sig" "$dir/challenge" >/dev/null 2>&1 ||
    sign_fail "the certificate in $certs is not the key's: the first certificate there must be that of $key"
  # Debian's osslsigncode 2.5 takes -pkcs11engine's path for the engine's
  # name and fails; without it, both 2.5 and later versions load the engine
  # by its name from OpenSSL's engine folder, where Debian installs it.
  printf '%s\n' -pkcs11module "$module" -key "$key" -certs "$certs" >"$dir/args"
}

# sign_check DIR: stops the release, saying why, unless the key can sign
# now; names the publisher Windows will show, and says when the release
# cannot be reproducible. Leaves in DIR what sign_file needs: the password
# as read once (password), osslsigncode's options for the key (args) and
# what a signature is verified against (chain.pem: the certificate's chain
# and the system's authorities).
sign_check() {
  local dir=$1 p12=${TROVELLE_SIGN_PKCS12:-} pass=${TROVELLE_SIGN_PASSWORD_FILE:-} v
  local module=${TROVELLE_SIGN_PKCS11_MODULE:-} key=${TROVELLE_SIGN_PKCS11_KEY:-} certs=${TROVELLE_SIGN_CERT:-}
  local ts=${TROVELLE_SIGN_TIMESTAMP_URL:-}
  if [ -n "$module$key$certs" ]; then
    [ -z "$p12" ] || sign_fail "TROVELLE_SIGN_PKCS12 and a token (TROVELLE_SIGN_PKCS11_*, TROVELLE_SIGN_CERT) are both set: sign with one or the other"
    for v in TROVELLE_SIGN_PKCS11_MODULE TROVELLE_SIGN_PKCS11_KEY TROVELLE_SIGN_CERT TROVELLE_SIGN_PASSWORD_FILE; do
      [ -n "${!v:-}" ] || sign_fail "a key on a token needs $v too"
    done
  else
    [ -n "$p12" ] || sign_fail "TROVELLE_SIGN_PASSWORD_FILE is set but TROVELLE_SIGN_PKCS12 is not, nor a token's TROVELLE_SIGN_PKCS11_KEY"
    [ -n "$pass" ] || sign_fail "TROVELLE_SIGN_PKCS12 is set but TROVELLE_SIGN_PASSWORD_FILE is not: both or neither"
  fi
  { [ -f "$pass" ] && [ -r "$pass" ]; } || sign_fail "cannot read the password file $pass (TROVELLE_SIGN_PASSWORD_FILE)"
  mkdir -p "$dir"
  sign_read_password "$pass" "$dir/password"
  # makensis runs the signing command in the script's folder.
  if [ -n "$module" ]; then
    sign_check_token "$dir" "$(realpath -m "$module")" "$key" "$(realpath -m "$certs")"
  else
    sign_check_pkcs12 "$dir" "$(realpath -m "$p12")"
  fi
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    cat /etc/ssl/certs/ca-certificates.crt >>"$dir/chain.pem"
  fi
  printf '%s\n' -h sha256 -i "$sign_url" >>"$dir/args"
  if [ -n "$ts" ]; then
    printf '%s\n' -ts "$ts" >>"$dir/args"
  else
    printf '%s\n' -time "${SOURCE_DATE_EPOCH:?is the signing time, and not set}" >>"$dir/args"
  fi

  local publisher algorithm why=""
  publisher=$(openssl x509 -in "$dir/cert.pem" -noout -subject -nameopt sep_multiline,utf8,-esc_msb |
    sed -n 's/^ *CN=//p' | head -n 1)
  echo "release: signing as ${publisher:-(a certificate without a common name)}, with ${module:+the key $key on a token of }${module:-$p12}"
  algorithm=$(openssl x509 -in "$dir/cert.pem" -noout -text | sed -n 's/^ *Public Key Algorithm: *//p' | head -n 1)
  # OpenSSL 3.0 has no deterministic ECDSA, and a token draws its own random
  # number for each signature.
  [ "$algorithm" = rsaEncryption ] || why="its key ($algorithm) signs with a random number drawn anew each time"
  [ -z "$ts" ] || why="${why:+$why; }the timestamp from $ts gives the time of each signing"
  [ -z "$why" ] || echo "release: this signed release is not reproducible: $why"
}

# sign_file DIR FILE DESCRIPTION: signs FILE in place (SHA-256, the
# description and the maker's address shown beside the publisher), once the
# signed copy verifies against DIR/chain.pem. The description is stored as
# ASCII.
sign_file() {
  local dir=$1 file=$2 name=$3 out args=()
  mapfile -t args <"$dir/args"
  rm -f "$file.signed"
  if ! out=$(osslsigncode sign "${args[@]}" -readpass "$dir/password" -n "$name" \
    -in "$file" -out "$file.signed" 2>&1 </dev/null); then
    rm -f "$file.signed"
    sign_fail "osslsigncode could not sign $(basename "$file"): $out"
  fi
  # The signature and its chain are checked here, not revocation: no CRL is
  # fetched (osslsigncode 2.5 fetches none; later ones would, online only).
  local crl=()
  [[ $(osslsigncode verify --help 2>&1) != *-ignore-crl* ]] || crl=(-ignore-crl)
  if ! out=$(osslsigncode verify "${crl[@]}" -CAfile "$dir/chain.pem" -in "$file.signed" 2>&1); then
    rm -f "$file.signed"
    sign_fail "the signed $(basename "$file") does not verify against the certificate's chain: $out"
  fi
  mv "$file.signed" "$file"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case ${1:-}:$# in
    check:2) sign_check "$2" ;;
    file:4) sign_file "$2" "$3" "$4" ;;
    *) echo "usage: sign.sh check DIR | sign.sh file DIR FILE DESCRIPTION" >&2; exit 2 ;;
  esac
fi
