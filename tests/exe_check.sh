#!/usr/bin/env bash
# trovelle.exe stands alone: statically linked, at most 1 MiB, and importing
# nothing but the DLLs that come with Windows.
set -euo pipefail
exe=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll"

size=$(stat -c %s "$exe")
echo "size: $size bytes"
if [ "$size" -gt $((1024 * 1024)) ]; then
  echo "FAIL: larger than 1 MiB"
  exit 1
fi

dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $dlls)"
[ -n "$dlls" ] || { echo "FAIL: no import table found"; exit 1; }
status=0
for d in $dlls; do
  case " $allowed " in
    *" $d "*) ;;
    *) echo "FAIL: imports $d, which Windows does not ship"; status=1 ;;
  esac
done
exit $status
