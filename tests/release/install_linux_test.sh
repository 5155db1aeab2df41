#!/usr/bin/env bash
# scripts/install-linux for a user whose home is a scratch folder (a blank in
# its name) that already holds a few files of its own: zips that their
# SHA256SUMS does not vouch for refused, then the files, the desktop
# entries, every size of the icon, the launcher starting the program on the
# X display (its first start makes the prefix), a reinstall, and --uninstall
# leaving the home as it was.
#   install_linux_test.sh SOURCE_DIR RELEASE_DIR
set -uo pipefail
src=$1 dir=$2
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run through scripts/test, which starts Xvfb" >&2; exit 1; }
version=$(cat "$dir/version")
zip=$dir/a/dist/trovelle-$version-win64.zip
export HOME="$dir/linux/home of a user"
rm -rf "$dir/linux"
mkdir -p "$HOME/.config" "$HOME/.local/bin"
echo "kept" >"$HOME/.config/other.conf"
echo "kept" >"$HOME/.local/bin/other-tool"
before=$(cd "$HOME" && find . | sort)
share=$HOME/.local/share/trovelle
launcher=$HOME/.local/bin/trovelle
status=0
fail() { echo "FAIL: $*"; status=1; }

# SHA256SUMS vouches by the zip's own line only: a renamed copy (the setup's
# line still verifies) and other bytes are refused, nothing put in place.
for bad in "copie-$(basename "$zip")||has no line for copie-" "$(basename "$zip")|x|does not match its line"; do
  IFS='|' read -r name extra says <<<"$bad"
  mkdir -p "$dir/linux/$name" && cp "$dir/a/dist/SHA256SUMS" "$dir/a/dist/trovelle-$version-setup.exe" "$dir/linux/$name/"
  { cat "$zip"; printf '%s' "$extra"; } >"$dir/linux/$name/$name"
  out=$(bash "$src/scripts/install-linux" --zip "$dir/linux/$name/$name" 2>&1) && fail "$name: installed"
  [[ $out == *"$says"* && $(cd "$HOME" && find . | sort) == "$before" ]] || fail "$name: $out"
done

bash "$src/scripts/install-linux" --zip "$zip" --autostart || fail "install-linux --autostart"
for f in trovelle.exe readme.txt LICENSE.txt; do
  cmp -s "$share/$f" "$dir/unzipped/Trovelle/$f" || fail "$f is not the zip's"
done
[ -x "$launcher" ] || fail "no launcher"
for entry in "$HOME/.local/share/applications/trovelle.desktop" "$HOME/.config/autostart/trovelle.desktop"; do
  [ -f "$entry" ] || { fail "no $entry"; continue; }
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
done
grep -qxF "Exec=\"$launcher\"" "$HOME/.local/share/applications/trovelle.desktop" || fail "Exec is not the launcher"

# Every size that icon 128 of the program holds, each in its own folder.
wrestool -x --type=14 --name=128 "$dir/unzipped/Trovelle/trovelle.exe" >"$dir/linux/icon128.ico"
expected=$(icotool -l "$dir/linux/icon128.ico" |
  sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | sort -u | tr '\n' ' ')
actual=$(cd "$HOME/.local/share/icons/hicolor" && ls -d -- */apps/trovelle.png | cut -d/ -f1 | sort -u | tr '\n' ' ')
[ -n "$expected" ] && [ "$expected" = "$actual" ] || fail "icon sizes: expected $expected, installed $actual"
for png in "$HOME"/.local/share/icons/hicolor/*/apps/trovelle.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  [ "$(identify -format '%wx%h' "$png")" = "$size" ] || fail "$png is not $size"
done

# The launcher: the first start makes Trovelle's own prefix, then shows the
# main window, whose X class is the one the desktop entry names.
start=$SECONDS
"$launcher" >"$dir/linux/launcher.log" 2>&1 &
launcher_pid=$!
found=""
for _ in $(seq 1 360); do
  found=$(xwininfo -root -tree 2>/dev/null | grep -F '"Trovelle": ("trovelle.exe"' || true)
  [ -n "$found" ] && break
  kill -0 "$launcher_pid" 2>/dev/null || break
  sleep 0.5
done
[ -n "$found" ] || { fail "no Trovelle window from the launcher"; cat "$dir/linux/launcher.log"; }
echo "launcher: window after $((SECONDS - start)) s (first start, prefix included)"
if [ -d /usr/share/wine/fonts ]; then
  [ -f "$share/prefix/drive_c/windows/Fonts/marlett.ttf" ] || fail "the prefix lacks Wine's fonts"
fi
if [ -n "${TROVELLE_SCREENSHOTS:-}" ] && [ -n "$found" ]; then
  sleep 1
  import -window "$(awk '{print $1}' <<<"$found")" "$TROVELLE_SCREENSHOTS/linux_launcher.png" 2>/dev/null || true
fi
WINEPREFIX=$share/prefix wineserver -k >/dev/null 2>&1 || true
wait "$launcher_pid" 2>/dev/null

# A reinstall without --autostart drops that entry and keeps the prefix.
bash "$src/scripts/install-linux" --zip "$zip" >/dev/null || fail "reinstall"
[ ! -e "$HOME/.config/autostart/trovelle.desktop" ] || fail "autostart entry left by a reinstall without --autostart"
[ -f "$share/prefix/system.reg" ] || fail "the reinstall lost the prefix"

bash "$src/scripts/install-linux" --uninstall || fail "--uninstall"
after=$(cd "$HOME" && find . | sort)
[ "$before" = "$after" ] || { fail "left behind:"; diff <(echo "$before") <(echo "$after"); }
[ $status -eq 0 ] && echo "install-linux checked"
exit $status
