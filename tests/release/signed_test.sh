#!/usr/bin/env bash
# scripts/release with certificates of a throwaway authority made here: one
# that cannot sign stops it before the build, saying why; two clones sign the
# same bytes; the zip's program, the installer and the uninstaller it installs
# verify, not with a byte changed; what it installs runs and uninstalls.
#   signed_test.sh SOURCE_DIR RELEASE_DIR TEST_PROGRAM
set -uo pipefail
src=$1 dir=$2 program=$3 s=$2/signed keys=$2/signed/keys version=$(cat "$2/version")
rm -rf "$s" && mkdir -p "$keys" && cp "$dir/version" "$s/" && ln -s ../template "$s/template"
status=0
fail() { echo "FAIL: $*"; status=1; }
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/ca.key" -out "$keys/ca.pem" -days 2 -subj "/CN=Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
echo "correct horse" >"$keys/password" && echo "wrong horse" >"$keys/wrong"
cert() {  # NAME DAYS USAGE: NAME.p12 from the authority, naming a CRL server that does not answer
  openssl req -newkey rsa:2048 -nodes -keyout "$keys/$1.key" -subj "/CN=Bramwick Software" 2>/dev/null |
    openssl x509 -req -CA "$keys/ca.pem" -CAkey "$keys/ca.key" -days "$2" -out "$keys/$1.pem" 2>/dev/null \
      -extfile <(printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n%s\n' "$3" \
        crlDistributionPoints=URI:http://127.0.0.1:9/)
  openssl pkcs12 -export -inkey "$keys/$1.key" -in "$keys/$1.pem" -certfile "$keys/ca.pem" \
    -passout "file:$keys/password" -out "$keys/$1.p12"
}
cert good 2 codeSigning && cert expired -1 codeSigning && cert server 2 serverAuth
# release CLONE OUT P12 PASSWORD_FILE, from a fresh clone of the tested commit.
release() {
  rm -rf "$1" && git clone -q --no-checkout "$src" "$1" && git -C "$1" checkout -q --detach "$(cat "$dir/commit")"
  TROVELLE_SIGN_PKCS12=$3 TROVELLE_SIGN_PASSWORD_FILE=$4 "$1/scripts/release" --out "$2" 2>&1
}
while IFS='|' read -r p12 pass says; do
  out=$(release "$s/clone" "$s/out" "$p12" "$pass") && fail "released with '$p12' '$pass'"
  [[ $out == *"$says"* && $out != *"release: Trovelle"* && ! -e $s/out ]] || fail "not '$says' before the build: $out"
done <<EOF
$keys/good.p12||TROVELLE_SIGN_PASSWORD_FILE is not
|$keys/password|TROVELLE_SIGN_PKCS12 is not
$keys/missing.p12|$keys/password|cannot read the certificate
$keys/good.p12|$keys/wrong|wrong password
$keys/expired.p12|$keys/password|expired
$keys/server.p12|$keys/password|not for code signing
EOF
for x in a b; do  # the certificate named as from its own folder
  (cd "$keys" && release "$s/$x/clone $x" "$s/$x/dist" good.p12 password) >"$s/$x.log" || fail "$(cat "$s/$x.log")"
done
for f in "$s/a/dist"/*; do cmp "$f" "$s/b/dist/${f##*/}" || fail "${f##*/} differs between two signed releases"; done
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
