# The one place that knows how this project runs Windows programs: sourced by
# scripts/run, test, bench, fuzz, wine-run and the release tests. It sets up
# Wine's environment for the build tree's own prefix (TROVELLE_WINEPREFIX,
# build/wineprefix by default) and offers:
#   session_setup                   the Debian packages (scripts/setup)
#   session_build TREE [TARGET...]  configures and builds build/win or build/host
#   session_make_prefix DIR         a new prefix with Wine's fonts (the only maker)
#   session_start_xvfb [WxH]        a virtual X server on a free display
#   session_start_wine              the prefix, one wineserver for the session,
#                                   Wine's virtual desktop
#   session_hold_desktop PROGRAM    keeps Wine's desktop process up meanwhile
#   session_stop                    stops what the session started

session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export TROVELLE_WINEPREFIX=${TROVELLE_WINEPREFIX:-$session_root/build/wineprefix}
export WINEPREFIX=$TROVELLE_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installers, and no menu entries or file links on the host
# for what runs here.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
session_xvfb_pid=""

session_setup() {
  "$session_root/scripts/setup"
}

# session_build win|host [TARGET...]: the Windows tree (MinGW-w64, run under
# Wine) or the host tree (the pure code under the sanitizers).
session_build() {
  local tree=$1
  shift
  local dir=$session_root/build/$tree
  local toolchain=()
  [ "$tree" = win ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$session_root/cmake/mingw-w64.cmake")
  cmake -S "$session_root" -B "$dir" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$dir" -j2 "${targets[@]}"
}

# Wine's own fonts (Marlett draws the caption buttons, Tahoma the captions)
# are not found where Debian installs them; the prefix's font folder is
# always searched. Wine's "MS Shell Dlg", the dialogs' font, is its own
# Tahoma, which lacks Greek, most symbols and CJK, and is linked only to
# Windows' fonts for them: linked to the Linux fonts that have them (DejaVu
# Sans, and a CJK font where one is installed), names in those scripts show.
session_install_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] || return 0
  local f link="" pattern
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$fonts/$(basename "$f")" ] || cp "$f" "$fonts/"
  done
  command -v fc-list >/dev/null || return 0
  for pattern in "DejaVu Sans:style=Book" ":lang=ja:style=Regular"; do
    # The best match, if it has the script at all.
    f=$(fc-match -f '%{file}|%{family[0]}' "$pattern" 2>/dev/null) || continue
    fc-list "$pattern" -f '%{file}\n' 2>/dev/null | grep -qxF "${f%%|*}" || continue
    link+="$(basename "${f%%|*}"),${f#*|}\\0"
  done
  [ -n "$link" ] && ! grep -qF "\"Tahoma\"=str(7):\"$link\"" "$WINEPREFIX/system.reg" 2>/dev/null || return 0
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
    /t REG_MULTI_SZ /d "${link%\\0}" /f >/dev/null 2>&1 || true
  wineserver -w  # written to the prefix, and no server left for the caller to find
}

# session_make_prefix DIR: a new 64-bit Wine prefix in DIR with Wine's fonts
# where programs find them; nothing when DIR already holds one. Self-contained
# (its own variables, no other helper but the fonts), so that the Linux
# launcher can carry a copy of it.
session_make_prefix() {
  local dir=$1
  [ -f "$dir/system.reg" ] && return 0
  mkdir -p "$dir"
  WINEPREFIX=$dir WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    wineboot -i >/dev/null 2>&1
  WINEPREFIX=$dir wineserver -w
  WINEPREFIX=$dir session_install_fonts
}

session_stop() {
  WINEPREFIX=$TROVELLE_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  if [ -n "$session_xvfb_pid" ]; then
    kill "$session_xvfb_pid" 2>/dev/null || true
    wait "$session_xvfb_pid" 2>/dev/null || true
    session_xvfb_pid=""
  fi
}

# session_start_xvfb [WIDTHxHEIGHT]: sets DISPLAY to a fresh virtual screen.
session_start_xvfb() {
  # Room for the virtual desktops of the display-scale tests (2048 x 1536).
  local size=${1:-2560x1600}
  local fifo
  fifo=$(mktemp -u /tmp/trovelle-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  session_xvfb_pid=$!
  local n
  read -r -t 20 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "${n:-}" ]; then
    echo "session: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

# session_start_wine: makes the prefix on first use and keeps one wineserver
# running for the whole session, so each program starts quickly.
session_start_wine() {
  if [ ! -f "$TROVELLE_WINEPREFIX/system.reg" ]; then
    echo "session: creating the Wine prefix in $TROVELLE_WINEPREFIX"
    session_make_prefix "$TROVELLE_WINEPREFIX"
  fi
  session_install_fonts  # prefixes made before the fonts were copied
  wineserver -p
  # Every window opens inside one virtual desktop that Wine draws itself,
  # frames included, whatever window manager there is (or none).
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "${TROVELLE_DESKTOP:-1024x768}" /f \
    >/dev/null 2>&1 || true
  # Start Wine's background services (and the desktop window) now, with no
  # pipe of ours open: a test runner would otherwise wait on them.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# session_hold_desktop PROGRAM: Wine's desktop process (explorer) leaves two
# seconds after the last program with a window, and the next program starts a
# new one, whose clipboard bridge empties the clipboard and takes it over a
# moment later, in the middle of whatever that program is doing. A program
# with a hidden window, running for the whole session, keeps one desktop up.
# PROGRAM is given a file to create once its window is there.
session_hold_desktop() {
  local ready
  ready=$(mktemp -u /tmp/trovelle-desktop.XXXXXX)
  wine "$1" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  local i
  for i in $(seq 1 100); do
    [ -e "$ready" ] && break
    sleep 0.1
  done
  rm -f "$ready"
}
