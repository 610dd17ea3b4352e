#!/usr/bin/env bash
# The Debian package as a user meets it: CPack builds it, dpkg installs it into a
# scratch root, /usr/bin/vinkabo starts under Xvfb for a user with an empty home and
# shows the main window from the user's own copy (tables 0600); the package's
# record-file tool adds a favorite there and a second start uses the same copy; an
# upgrade to a package with a changed program replaces the program in that copy and
# keeps the table the user changed. The menu entry must validate.
# Everything happens in a scratch folder; the program's network goes to loopback only.
#
# package_test.sh BUILD_DIR
set -uo pipefail
build_dir=$1
title='Vinkabo_Tamsor专用'

for tool in Xvfb xdotool dpkg-deb desktop-file-validate man lintian; do
  command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps installs it)"; exit 1; }
done

# The data's names are Chinese: the archiver, dpkg-deb and the program read them in a
# UTF-8 locale, as a desktop session has.
export LC_ALL=C.UTF-8
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vk_package_test.XXXXXX")
app="" xvfb=""
cleanup() {
  [ -z "$app" ] || kill "$app" 2>/dev/null
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
check() {  # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
fatal() { echo "FAILED: $*"; exit 1; }

# --- the package ---
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -D CPACK_DEBIAN_COMPRESSION_TYPE=none -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fatal "cpack"; }
deb=$(ls "$scratch"/out/vinkabo_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fatal "no .deb written"
check "the package depends on the libraries the program links" \
  bash -c 'dpkg-deb -f "$0" Depends | grep -q libqt6widgets6' "$deb"
check "the package depends on Qt's Wayland platform" \
  bash -c 'dpkg-deb -f "$0" Depends | grep -q qt6-wayland' "$deb"
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/vinkabo ./usr/bin/vinkabo-edbtool ./usr/lib/vinkabo/vinkabo ./usr/lib/vinkabo/数据库.edb ./usr/lib/vinkabo/md5.edb \
  ./usr/share/applications/com.vinkabo.Vinkabo.desktop ./usr/share/metainfo/com.vinkabo.Vinkabo.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/vinkabo.png ./usr/share/icons/hicolor/256x256/apps/vinkabo.png \
  ./usr/share/doc/vinkabo/copyright ./usr/share/man/man1/vinkabo.1.gz ./usr/share/man/man1/vinkabo-edbtool.1.gz; do
  check "the package holds $path" grep -q " $path\$" <<<"$contents"
done

# --- installed with dpkg into a scratch root ---
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
install_deb() {
  dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless --log=/dev/null \
    -i "$1" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fatal "dpkg -i $1"; }
}
install_deb "$deb"
check "dpkg knows the package" bash -c 'dpkg --root="$0" -s vinkabo | grep -q "^Status: install ok installed"' "$root"
check "the copyright file gives the MIT (Expat) licence" grep -q "^License: Expat" "$root/usr/share/doc/vinkabo/copyright"
for program in vinkabo vinkabo-edbtool; do
  check "man $program shows its page" \
    bash -c 'MANPATH="$0/usr/share/man" man -P cat "$1" 2>/dev/null | grep -q "^NAME"' "$root" "$program"
done
for binary in usr/bin/vinkabo-edbtool usr/lib/vinkabo/vinkabo; do
  check "$binary is stripped" bash -c 'file -b "$0" | grep -q ", stripped"' "$root/$binary"
done
# lintian: nothing but the note every first upload of a package gets (and, here only,
# the uncompressed data this test builds for speed; `make package` compresses).
lintian --tag-display-limit 0 --suppress-tags uses-no-compression-for-data-tarball "$deb" >"$scratch/lintian.log" 2>&1
grep -E "^[EW]: " "$scratch/lintian.log" | grep -v initial-upload-closes-no-bugs >"$scratch/lintian.bad"
check "lintian finds no error and no warning" [ ! -s "$scratch/lintian.bad" ]
cat "$scratch/lintian.bad"
check "the menu entry validates" desktop-file-validate "$root/usr/share/applications/com.vinkabo.Vinkabo.desktop"

# --- started as a user with an empty home ---
home=$scratch/home
mkdir -p "$home" "$scratch/bin"
printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/xdg-open"
chmod +x "$scratch/bin/xdg-open"
fifo=$scratch/display
mkfifo "$fifo"
Xvfb -displayfd 5 -noreset -screen 0 1280x1024x24 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
[ -n "$display" ] || fatal "Xvfb did not start"
# The number is the one Xvfb found free; before the program is pointed at it, the server
# must still be there and answer a client.
answered=0
for _ in $(seq 50); do
  kill -0 "$xvfb" 2>/dev/null || fatal "Xvfb on :$display ended after it started"
  if DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1; then answered=1; break; fi
  sleep 0.1
done
[ "$answered" = 1 ] || fatal "Xvfb on :$display does not answer"

user_env=(env -u XDG_DATA_HOME HOME="$home" DISPLAY=":$display" QT_QPA_PLATFORM=xcb PATH="$scratch/bin:$PATH"
  http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 all_proxy=http://127.0.0.1:9
  HTTP_PROXY=http://127.0.0.1:9 HTTPS_PROXY=http://127.0.0.1:9 ALL_PROXY=http://127.0.0.1:9 no_proxy= NO_PROXY=)
# Starts the installed launcher and waits for the main window; then ends the program.
start_and_see_window() {
  "${user_env[@]}" "$root/usr/bin/vinkabo" >"$scratch/start.log" 2>&1 &
  app=$!
  local window="" i=0
  while [ -z "$window" ] && [ $((i++)) -lt 300 ]; do
    sleep 0.1
    window=$(DISPLAY=":$display" xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
  done
  local ran_from
  ran_from=$(readlink "/proc/$app/exe" 2>/dev/null)
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
  if [ -z "$window" ]; then
    echo "no window; what the program said:"
    tail -n 20 "$scratch/start.log"
  fi
  [ -n "$window" ] && [ "$ran_from" = "$home/.local/share/vinkabo/vinkabo" ]
}

user=$home/.local/share/vinkabo
check "the first start shows the window, run from the user's copy" start_and_see_window
check "the user's copy holds the program" cmp -s "$root/usr/lib/vinkabo/vinkabo" "$user/vinkabo"
check "the user's favorites table is 0600" [ "$(stat -c %a "$user/数据库.edb")" = 600 ]
check "the user's settings table is 0600" [ "$(stat -c %a "$user/md5.edb")" = 600 ]

# The user stores a favorite with the installed record-file tool; the next start uses
# the same copy.
"$root/usr/bin/vinkabo-edbtool" append "$user/数据库.edb" 我的站 '\网站图标\mine.png' https://example.org/ me secret 2 \
  '\声音\点击声音\mine.wav' 1 "mine" >/dev/null || check "edbtool append" false
cp "$user/数据库.edb" "$scratch/favorites.mine"
inode=$(stat -c %i "$user/数据库.edb")
check "the second start shows the window" start_and_see_window
check "the second start uses the same copy" [ "$(stat -c %i "$user/数据库.edb")" = "$inode" ]
check "the second start keeps the user's favorite" cmp -s "$scratch/favorites.mine" "$user/数据库.edb"

# --- an upgrade: the same package with a changed program ---
unpacked=$scratch/unpacked
dpkg-deb -R "$deb" "$unpacked"
printf 'upgraded' >>"$unpacked/usr/lib/vinkabo/vinkabo"
sed -i -E 's/^Version: .*/Version: 99.0.0-1/' "$unpacked/DEBIAN/control"
(cd "$unpacked" && find usr -type f -exec md5sum {} + >DEBIAN/md5sums)
dpkg-deb --root-owner-group -Znone -b "$unpacked" "$scratch/upgrade.deb" >/dev/null || fatal "dpkg-deb -b"
install_deb "$scratch/upgrade.deb"
check "dpkg has the upgrade" bash -c 'dpkg --root="$0" -s vinkabo | grep -q "^Version: 99.0.0-1"' "$root"
check "the start after the upgrade shows the window" start_and_see_window
check "the upgrade replaced the program in the user's copy" cmp -s "$root/usr/lib/vinkabo/vinkabo" "$user/vinkabo"
check "the upgrade kept the user's favorites" cmp -s "$scratch/favorites.mine" "$user/数据库.edb"

echo "$failures failed"
[ "$failures" -eq 0 ]
