#!/usr/bin/env bash
# Runs a Windows test program under Wine with another locale, from which Wine
# takes the program's ANSI code page (ru_RU: 1251):
#   in_locale.sh LOCALE DIR PROGRAM [ARGS...]
# The locale is compiled into DIR once (localedef needs no root for that), so
# that the tests do not depend on the locales the machine has generated.
set -euo pipefail
locale=$1 dir=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$dir/$locale/LC_CTYPE" ]; then
  mkdir -p "$dir"
  rm -rf "$dir/$locale.new"
  localedef -i "${locale%%.*}" -f "${locale#*.}" "$dir/$locale.new"
  mv "$dir/$locale.new" "$dir/$locale"
fi
# Given to the program only: this shell would look for the locale without
# LOCPATH.
exec env LOCPATH="$dir" LC_ALL="$locale" "$here/../../scripts/wine-run" "$@"
