#!/usr/bin/env bash
# Runs a release test program in a fresh Wine prefix of its own, a copy of
# the template, with its own wineserver, stopped at the end:
#   in_fresh_prefix.sh RELEASE_DIR NAME PROGRAM [ARGS...]
# The program finds the release through TROVELLE_SETUP (the installer),
# TROVELLE_UNZIPPED (the zip's files), TROVELLE_VERSION, and
# TROVELLE_PORTABLE, the zip's folder, unpacked under blanks and accents in
# the prefix into a folder that holds another program's readme.txt.
set -euo pipefail
release=$1 name=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run through scripts/test, which starts Xvfb" >&2; exit 1; }
dir=$release/tests/$name
rm -rf "$dir"
mkdir -p "$dir/prefix"
cp -a "$release/template/." "$dir/prefix"

export TROVELLE_WINEPREFIX=$dir/prefix
# shellcheck source=../../scripts/lib/session.sh
. "$here/../../scripts/lib/session.sh"
# File names and the environment reach Windows programs as UTF-8.
export LC_ALL=C.UTF-8
trap session_stop EXIT
session_start_wine

version=$(cat "$release/version")
export TROVELLE_VERSION=$version
export TROVELLE_SETUP=$release/a/dist/trovelle-$version-setup.exe
export TROVELLE_UNZIPPED=$release/unzipped/Trovelle
portable="Mes outils/T$(printf '\xc3\xa9l\xc3\xa9')chargements $version"
mkdir -p "$WINEPREFIX/drive_c/$portable"
echo "another program's help" >"$WINEPREFIX/drive_c/$portable/readme.txt"
unzip -q -n "$release/a/dist/trovelle-$version-win64.zip" -d "$WINEPREFIX/drive_c/$portable"
export TROVELLE_PORTABLE="C:\\${portable//\//\\}\\Trovelle"
status=0
wine "$@" || status=$?
# A passed test's prefix goes (it is large); a failed one stays to be looked at.
session_stop
[ $status -ne 0 ] || rm -rf "$dir/prefix"
exit $status
