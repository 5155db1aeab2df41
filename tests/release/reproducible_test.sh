#!/usr/bin/env bash
# scripts/release from a second fresh clone of the same commit, in other
# folders at another time, gives the same bytes as the first run's.
#   reproducible_test.sh SOURCE_DIR RELEASE_DIR
set -euo pipefail
src=$1 dir=$2
commit=$(cat "$dir/commit")
rm -rf "$dir/b"
mkdir -p "$dir/b"
git clone -q --no-checkout "$src" "$dir/b/other clone"
git -C "$dir/b/other clone" checkout -q --detach "$commit"
"$dir/b/other clone/scripts/release" --out "$dir/b/dist" >/dev/null
rm -rf "$dir/b/other clone"
status=0
for f in "$dir/a/dist"/*; do
  name=$(basename "$f")
  if cmp -s "$f" "$dir/b/dist/$name"; then
    echo "same: $name"
  else
    echo "FAIL: $name differs between the two builds"
    status=1
  fi
done
if [ $status -ne 0 ]; then
  mkdir -p "$dir/b/unzipped"
  unzip -q -o "$dir/b/dist"/*-win64.zip -d "$dir/b/unzipped"
  cmp -l "$dir/unzipped/Trovelle/trovelle.exe" "$dir/b/unzipped/Trovelle/trovelle.exe" | head -n 20 || true
fi
cat "$dir/a/dist/SHA256SUMS"
exit $status
