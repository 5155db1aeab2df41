#!/usr/bin/env bash
# The release of this test run, made once: scripts/release in a fresh clone
# of the committed tree (HEAD of the source tree). Leaves in DIR:
#   a/dist/     what scripts/release wrote
#   unzipped/   the zip unpacked: its folder Trovelle/ with the three files
#   commit, version
set -euo pipefail
src=$1 dir=$2
commit=$(git -C "$src" rev-parse HEAD)
if [ -n "$(git -C "$src" status --porcelain --untracked-files=no)" ]; then
  echo "note: uncommitted changes are not part of the release; testing $commit"
fi
rm -rf "$dir/a" "$dir/unzipped" "$dir/commit" "$dir/version"
mkdir -p "$dir/a"
git clone -q --no-checkout "$src" "$dir/a/clone"
git -C "$dir/a/clone" checkout -q --detach "$commit"
start=$SECONDS
"$dir/a/clone/scripts/release" --out "$dir/a/dist"
echo "release made in $((SECONDS - start)) s"
head -n 1 "$dir/a/clone/VERSION" >"$dir/version"
rm -rf "$dir/a/clone"
unzip -q "$dir/a/dist/trovelle-$(cat "$dir/version")-win64.zip" -d "$dir/unzipped"
echo "$commit" >"$dir/commit"
