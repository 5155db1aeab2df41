#!/usr/bin/env bash
# scripts/release with keys of a throwaway authority made here, in PKCS#12
# files and on a SoftHSM2 token: one that cannot sign stops it before the
# build, saying why, a token's after one login at most; clones sign the same
# bytes from either, whatever the password file's line ends and uncommitted
# edits; the zip's program, the installer and the uninstaller it installs
# verify, not with a byte changed; what it installs runs and uninstalls. The
# signing step on its own signs with EC keys and says when they or a
# timestamp make a release unreproducible.
#   signed_test.sh SOURCE_DIR RELEASE_DIR TEST_PROGRAM
set -uo pipefail
src=$1 dir=$2 program=$3 s=$2/signed keys=$2/signed/keys version=$(cat "$2/version")
rm -rf "$s" && mkdir -p "$keys" && cp "$dir/version" "$s/" && ln -s ../template "$s/template"
status=0
fail() { echo "FAIL: $*"; status=1; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/ca.key" -out "$keys/ca.pem" -days 2 -subj "/CN=Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
echo "correct horse" >"$keys/password" && echo "wrong horse" >"$keys/wrong"
printf '\xef\xbb\xbfcorrect horse\r\n' >"$keys/crlf" && printf 'correct horse\nwrong horse\n' >"$keys/two-lines"
printf '\xff\xfec\0o\0r\0' >"$keys/utf16"
cert() {  # NAME DAYS USAGE [ec]: NAME.p12 and NAME-chain.pem from the authority, naming a CRL server that does not answer
  openssl req -newkey "${4:-rsa:2048}" ${4:+-pkeyopt ec_paramgen_curve:P-256} -nodes -keyout "$keys/$1.key" \
    -subj "/CN=Bramwick Software" 2>/dev/null |
    openssl x509 -req -CA "$keys/ca.pem" -CAkey "$keys/ca.key" -days "$2" -out "$keys/$1.pem" 2>/dev/null \
      -extfile <(printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n%s\n' "$3" \
        crlDistributionPoints=URI:http://127.0.0.1:9/)
  openssl pkcs12 -export -inkey "$keys/$1.key" -in "$keys/$1.pem" -certfile "$keys/ca.pem" \
    -passout "file:$keys/password" -out "$keys/$1.p12"
  cat "$keys/$1.pem" "$keys/ca.pem" >"$keys/$1-chain.pem"
}
cert good 2 codeSigning && cert expired -1 codeSigning && cert server 2 serverAuth && cert ec 2 codeSigning ec
# The token holds good's and ec's keys, reached through OpenSC's module that
# logs each call, so that the logins are counted.
export SOFTHSM2_CONF=$keys/softhsm2.conf PKCS11SPY=/usr/lib/softhsm/libsofthsm2.so PKCS11SPY_OUTPUT=$keys/spy.log
mkdir "$keys/tokens" && printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$keys/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label release --pin "correct horse" --so-pin "battery staple" >/dev/null
softhsm2-util --import "$keys/good.key" --token release --label good --id 01 --pin "correct horse" >/dev/null
softhsm2-util --import "$keys/ec.key" --token release --label ec --id 02 --pin "correct horse" >/dev/null
module=TROVELLE_SIGN_PKCS11_MODULE=/usr/lib/x86_64-linux-gnu/pkcs11/pkcs11-spy.so
key='TROVELLE_SIGN_PKCS11_KEY=pkcs11:token=release;type=private;object='
logins() {  # what each login on the token since the last call returned
  [ ! -e "$keys/spy.log" ] || awk '/: C_Login$/ { l = 1 } l && /^Returned:/ { printf "%s%s", n++ ? " " : "", $3; l = 0 }' "$keys/spy.log"
  rm -f "$keys/spy.log"
}
clone() { rm -rf "$1" && git clone -q --no-checkout "$src" "$1" && git -C "$1" checkout -q --detach "$(cat "$dir/commit")"; }
# release CLONE OUT VARIABLE=VALUE...: run in the keys' folder, named relative to it.
release() { (cd "$keys" && env "${@:3}" "$1/scripts/release" --out "$2" 2>&1); }
clone "$s/clone"
# VARIABLES|LOGINS|SAYS: stops before the build with SAYS, dist/ untouched, after LOGINS on the token.
while IFS='|' read -r vars tried says; do
  # shellcheck disable=SC2086 # words without blanks
  out=$(release "$s/clone" "$s/out" $vars) && fail "released with $vars"
  [[ $out == *"$says"* && $out != *"release: Trovelle"* && ! -e $s/out ]] || fail "not '$says' before the build: $out"
  got=$(logins); [ "$got" = "$tried" ] || fail "$vars: logins returned '$got', not '$tried'"
done <<EOF
TROVELLE_SIGN_PKCS12=good.p12||TROVELLE_SIGN_PASSWORD_FILE is not
TROVELLE_SIGN_PASSWORD_FILE=password||TROVELLE_SIGN_PKCS12 is not
TROVELLE_SIGN_PKCS12=missing.p12 TROVELLE_SIGN_PASSWORD_FILE=password||cannot read the certificate
TROVELLE_SIGN_PKCS12=good.p12 TROVELLE_SIGN_PASSWORD_FILE=wrong||wrong password
TROVELLE_SIGN_PKCS12=expired.p12 TROVELLE_SIGN_PASSWORD_FILE=password||expired
TROVELLE_SIGN_PKCS12=server.p12 TROVELLE_SIGN_PASSWORD_FILE=password||not for code signing
TROVELLE_SIGN_PKCS12=good.p12 $module ${key}good TROVELLE_SIGN_CERT=good-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password||one or the other
$module ${key}good TROVELLE_SIGN_PASSWORD_FILE=password||needs TROVELLE_SIGN_CERT
TROVELLE_SIGN_PKCS11_MODULE=password ${key}good TROVELLE_SIGN_CERT=good-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password||does not load
$module ${key}missing TROVELLE_SIGN_CERT=good-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password|CKR_OK|no key
$module ${key}good TROVELLE_SIGN_CERT=good-chain.pem TROVELLE_SIGN_PASSWORD_FILE=wrong|CKR_PIN_INCORRECT|wrong PIN
$module ${key}good TROVELLE_SIGN_CERT=ec-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password|CKR_OK|is not the key's
$module ${key}good TROVELLE_SIGN_CERT=expired-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password||expired
$module ${key}good TROVELLE_SIGN_CERT=server-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password||not for code signing
$module ${key}good TROVELLE_SIGN_CERT=good-chain.pem TROVELLE_SIGN_PASSWORD_FILE=utf16||UTF-16
EOF
for x in a b; do  # the certificate named as from its own folder
  clone "$s/$x/clone $x" && release "$s/$x/clone $x" "$s/$x/dist" TROVELLE_SIGN_PKCS12=good.p12 \
    TROVELLE_SIGN_PASSWORD_FILE=password >"$s/$x.log" || fail "$(cat "$s/$x.log")"
done
# The token holds good's key, with good's chain: the bytes good.p12 signs. A
# password file from Notepad (byte-order mark, CR LF) signs, and one of two
# lines; the second clone has uncommitted edits to what makes a signed
# release (sign.sh, the descriptions, the NSIS script), which it leaves out.
clone "$s/t1" && clone "$s/t2"
sed -i 's|^sign_url=.*|sign_url=https://example.invalid/|' "$s/t2/scripts/lib/sign.sh"
sed -i 's/Installation de/Setup of/' "$s/t2/installer/trovelle.nsi"
sed -i 's/"Trovelle"$/"Edited"/' "$s/t2/scripts/release"
while read -r x pass; do
  release "$s/$x" "$s/$x-dist" "$module" "${key}good" TROVELLE_SIGN_CERT=good-chain.pem \
    TROVELLE_SIGN_PASSWORD_FILE="$pass" >"$s/$x.log" || fail "$x: $(cat "$s/$x.log")"
  got=$(logins); [ "$got" = "CKR_OK CKR_OK CKR_OK CKR_OK" ] || fail "$x: logins returned '$got', not one for the checks and one a signature"
  ! grep -q "not reproducible" "$s/$x.log" || fail "$x: an RSA key without a timestamp called not reproducible"
done <<<$'t1 crlf\nt2 two-lines'
for f in "$s/a/dist"/*; do
  for x in b/dist t1-dist t2-dist; do cmp "$f" "$s/$x/${f##*/}" || fail "${f##*/} differs between the signed releases a and ${x%/*}"; done
done
# The signing step on its own, on this run's unsigned build: VARIABLES|SAYS;
# without a timestamp server, it signs, and the signature verifies.
while IFS='|' read -r vars says; do
  rm -rf "$s/step" && cp "$dir/unzipped/Trovelle/trovelle.exe" "$s/step.exe"
  # shellcheck disable=SC2086
  out=$(cd "$keys" && env $vars SOURCE_DATE_EPOCH=1700000000 bash "$s/clone/scripts/lib/sign.sh" check "$s/step" 2>&1)
  [[ $out == *"$says"* ]] || fail "$vars: not '$says': $out"
  [[ $vars == *TIMESTAMP* ]] || out=$(bash "$s/clone/scripts/lib/sign.sh" file "$s/step" "$s/step.exe" Trovelle 2>&1) ||
    fail "$vars: $out"
done <<EOF
$module ${key}ec TROVELLE_SIGN_CERT=ec-chain.pem TROVELLE_SIGN_PASSWORD_FILE=password|not reproducible: its key (id-ecPublicKey) signs with a random number
TROVELLE_SIGN_PKCS12=ec.p12 TROVELLE_SIGN_PASSWORD_FILE=crlf|not reproducible: its key (id-ecPublicKey)
TROVELLE_SIGN_PKCS12=good.p12 TROVELLE_SIGN_PASSWORD_FILE=password TROVELLE_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/|not reproducible: the timestamp
EOF
(cd "$s/a/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
unzip -q "$s/a/dist/trovelle-$version-win64.zip" -d "$s/unzipped" && setup=$s/a/dist/trovelle-$version-setup.exe
bash "${0%/*}/in_fresh_prefix.sh" "$s" SignedInstall "$setup" /S "/D=Z:${s//\//\\}\\installed" || fail "install"
crl=() && [[ $(osslsigncode verify --help 2>&1) != *-ignore-crl* ]] || crl=(-ignore-crl)
for f in "$s/unzipped/Trovelle/trovelle.exe" "$setup" "$s/installed/uninstall.exe"; do
  osslsigncode verify "${crl[@]}" -CAfile "$keys/ca.pem" -in "$f" >"$s/verify.log" 2>&1 || fail "$f: $(cat "$s/verify.log")"
  cp "$f" "$s/changed.exe" && perl -0777 -pi -e 'substr($_, length($_) / 2, 1) ^= "\x01"' "$s/changed.exe"
  ! osslsigncode verify "${crl[@]}" -CAfile "$keys/ca.pem" -in "$s/changed.exe" >/dev/null 2>&1 ||
    fail "$f verifies with a byte changed"
done
bash "${0%/*}/in_fresh_prefix.sh" "$s" SignedInstallRuns "$program" --gtest_filter=Release.SilentInstallThenSilentUninstall ||
  fail "the signed installer, program or uninstaller"
[ $status -eq 0 ] && echo "signed release checked: $(tr '\n' ' ' <"$s/a/dist/SHA256SUMS")"
exit $status
