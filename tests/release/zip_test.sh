#!/usr/bin/env bash
# What scripts/release wrote for this test run: the checksums verify, the zip
# holds exactly the folder Trovelle/ and its three files, in a fixed order
# with the commit's date, the licence has Windows line ends, the help is the
# committed one, and the program stands alone, hardened, with no link
# timestamp, symbols or build paths.
#   zip_test.sh SOURCE_DIR RELEASE_DIR EXE_CHECK OBJDUMP
set -uo pipefail
src=$1 dir=$2 exe_check=$3 objdump=$4
version=$(cat "$dir/version")
dist=$dir/a/dist
zip=$dist/trovelle-$version-win64.zip
status=0
fail() { echo "FAIL: $*"; status=1; }

(cd "$dist" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not verify"
listed=$(cd "$dist" && ls | tr '\n' ' ')
[ "$listed" = "SHA256SUMS trovelle-$version-setup.exe trovelle-$version-win64.zip " ] ||
  fail "dist holds: $listed"
[ "$(awk '{print $2}' "$dist/SHA256SUMS" | tr '\n' ' ')" = "trovelle-$version-win64.zip trovelle-$version-setup.exe " ] ||
  fail "SHA256SUMS names: $(cat "$dist/SHA256SUMS")"

entries=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$entries" = "Trovelle/ Trovelle/LICENSE.txt Trovelle/readme.txt Trovelle/trovelle.exe " ] ||
  fail "zip entries: $entries"
# Zip dates are local times to two seconds; the release writes them in UTC.
commit=$(cat "$dir/commit")
commit_time=$(git -C "$src" log -1 --format=%ct "$commit")
while read -r stamp name; do
  t=$(TZ=UTC date -d "${stamp:0:8} ${stamp:9:2}:${stamp:11:2}:${stamp:13:2}" +%s)
  [ $((t - commit_time)) -ge -2 ] && [ $((t - commit_time)) -le 2 ] ||
    fail "$name dated $stamp, the commit $(TZ=UTC date -d "@$commit_time" +%Y%m%d.%H%M%S)"
done < <(unzip -Z -T "$zip" | awk '/^[-d][-rwx]/ {print $7, $8}')
# No extra fields (owner, Unix times) that would differ from one builder to another.
extra=$(unzip -Z -v "$zip" | grep "length of extra field" | grep -v " 0 bytes")
[ -z "$extra" ] || fail "zip entries carry extra fields"

files=$dir/unzipped/Trovelle
lic=$files/LICENSE.txt
grep -q "Copyright (c) the Trovelle authors" "$lic" || fail "LICENSE.txt names no holder"
[ "$(grep -c $'\r$' "$lic")" = "$(wc -l <"$lic")" ] || fail "LICENSE.txt has lines without CR LF"
git -C "$src" show "$commit:res/readme.txt" | cmp -s - "$files/readme.txt" ||
  fail "readme.txt is not the committed res/readme.txt"

exe=$files/trovelle.exe
bash "$exe_check" "$exe" "$objdump" || fail "trovelle.exe does not stand alone"
headers=$("$objdump" -p "$exe")
[[ $headers == *$'Time/Date\t\tThu Jan  1 00:00:00 1970'* ]] || fail "a link timestamp: $(grep Time/Date <<<"$headers")"
sections=$("$objdump" -h "$exe")
[[ $sections != *.debug* ]] || fail "debugging sections left in"
symbols=$("$objdump" -t "$exe" 2>&1)
[[ $symbols != *"[  0]"* ]] || fail "symbols left in"
text=$(strings -a "$exe")
paths=$(grep -E "/tmp/|/work/|/home/|/root/|/build/" <<<"$text")
[ -z "$paths" ] || fail "build paths in trovelle.exe: $paths"
# Loaded anywhere in the 64-bit space (relocations kept), data never run.
chars=$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$headers")
for flag in 0x20:HIGH_ENTROPY_VA 0x40:DYNAMIC_BASE 0x100:NX_COMPAT; do
  (( 0x${chars:-0} & ${flag%%:*} )) || fail "${flag#*:} not set (DllCharacteristics ${chars:-missing})"
done
[[ $sections =~ \ \.reloc\  ]] || fail "no relocations: the loader cannot move it"
# The exe is stripped; but the stack protector's runtime (libssp's ssp.o) is
# linked from a static archive only when compiled code calls it, and its
# message is in no other part of the program or of the runtimes.
[[ $text == *'*** stack smashing detected ***'* ]] || fail "no stack protector runtime"
[ $status -eq 0 ] && echo "release files checked: $(cd "$dist" && cat SHA256SUMS | tr '\n' ' ')"
exit $status
