#!/usr/bin/env bash
# Runs a Windows test program under wine on a private X server (Xvfb picks a free display
# and tells us which), for the tests that make real windows. Its own wine prefix, so the
# headless tests' wine never shares a desktop with it; made on first use, with 宋体 mapped
# to WenQuanYi Zen Hei Sharp, whose 12-pixel glyphs are drawn for that size.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="${VK_DISPLAY_WINEPREFIX:-$root/build-windows/wine-display}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=C.UTF-8

tmp=$(mktemp -d)
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$tmp/display" 2>/dev/null &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$tmp/display")"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver --wait || true
  cat >"$tmp/setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Zen Hei Sharp"
REG
  wine regedit /S "$tmp/setup.reg" >/dev/null 2>&1 || true
  # The Chinese name goes through reg.exe: its UTF-8 command line reaches wine intact.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "宋体" /d "WenQuanYi Zen Hei Sharp" /f >/dev/null 2>&1 || true
  wineserver --wait || true
fi
wine "$@"
