#!/usr/bin/env bash
# The template of the release tests' prefixes: made once (about a minute)
# and kept across test runs; each test copies it and never uses it itself.
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
if [ -f "$dir/.template-ready" ]; then
  echo "template prefix kept from an earlier run: $dir"
  exit 0
fi
rm -rf "$dir"
export TROVELLE_WINEPREFIX=$dir
# shellcheck source=../../scripts/lib/session.sh
. "$here/../../scripts/lib/session.sh"
start=$SECONDS
session_make_prefix "$dir"
# Windows open inside Wine's virtual desktop, frames and all, as in every test.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w
touch "$dir/.template-ready"
echo "template prefix made in $((SECONDS - start)) s: $dir"
