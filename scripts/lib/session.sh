# Sourced by the scripts that run Windows programs: a virtual X server on a
# free display and the build tree's own Wine prefix with a persistent
# wineserver, both stopped again when the calling script exits.

session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export TROVELLE_WINEPREFIX=${TROVELLE_WINEPREFIX:-$session_root/build/wineprefix}
export WINEPREFIX=$TROVELLE_WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
session_xvfb_pid=""

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
  local size=${1:-1280x1024}
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

# Wine's own fonts (Marlett draws the caption buttons, Tahoma the captions)
# are not found where Debian installs them; the prefix's font folder is
# always searched.
session_install_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] || return 0
  local f
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$fonts/$(basename "$f")" ] || cp "$f" "$fonts/"
  done
}

# session_start_wine: makes the prefix on first use and keeps one wineserver
# running for the whole session, so each test program starts quickly.
session_start_wine() {
  mkdir -p "$(dirname "$TROVELLE_WINEPREFIX")"
  if [ ! -f "$TROVELLE_WINEPREFIX/system.reg" ]; then
    echo "session: creating the Wine prefix in $TROVELLE_WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  session_install_fonts
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

# session_make_prefix DIR: a new 64-bit Wine prefix in DIR with Wine's fonts
# where programs find them; nothing when DIR already holds one. Wine makes no
# menu entries or file links on the host for what runs there. Self-contained
# (its own variables, no other helper but the fonts), so that a launcher can
# carry a copy of it.
session_make_prefix() {
  local dir=$1
  [ -f "$dir/system.reg" ] && return 0
  mkdir -p "$dir"
  WINEPREFIX=$dir WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
    wineboot -i >/dev/null 2>&1
  WINEPREFIX=$dir wineserver -w
  WINEPREFIX=$dir session_install_fonts
}
