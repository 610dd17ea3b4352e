#!/usr/bin/env bash
# The user's run directory across rebuilds, updates, resets and `make clean`, as a user
# lives it: the launcher makes the copy, the user stores a favorite and a switch (through
# the engine, with edbtool), the template is drawn afresh by a changed generator and the
# program is rebuilt, and the next start keeps everything the user had.
# Works in a scratch folder only: XDG_DATA_HOME and HOME point into it.
#
# launcher_test.sh SOURCE_DIR RUN_DIR RUNGEN EDBTOOL
set -uo pipefail
source_dir=$1 run_dir=$2 rungen=$3 edbtool=$4
launcher=$source_dir/tools/launcher/vinkabo.sh

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vk_launcher_test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_DATA_HOME=$scratch/data QT_QPA_PLATFORM=offscreen
# Under the sanitizers the generator's font stack reports process-lifetime leaks, as the
# build's own run of it does.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
mkdir -p "$HOME"
template=$scratch/template
user=$XDG_DATA_HOME/vinkabo
failures=0

check() {  # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
mode_of() { stat -c %a "$1"; }
launch() { VINKABO_TEMPLATE=$template "$launcher" "$@"; }
site_index() { "$edbtool" find "$user/数据库.edb" 1 "$1" 2>/dev/null; }

# The build's template, copied so this test can redraw it without disturbing others.
cp -a "$run_dir" "$template"

# First start: a full copy, program included, with the tables for the owner only.
launch --prepare
check "the launcher names the user's folder" [ "$(launch --where)" = "$user" ]
check "first start copies the program" cmp -s "$template/vinkabo" "$user/vinkabo"
check "first start copies the favorites table" cmp -s "$template/数据库.edb" "$user/数据库.edb"
check "first start copies the sounds" cmp -s "$template/声音/翻页.wav" "$user/声音/翻页.wav"
check "the favorites table is 0600" [ "$(mode_of "$user/数据库.edb")" = 600 ]
check "the settings table is 0600" [ "$(mode_of "$user/md5.edb")" = 600 ]
check "the user's folder is the owner's only" [ "$(mode_of "$user")" = 700 ]
check "its data folders are the owner's only" [ "$(mode_of "$user/声音")" = 700 ]
check "the program can run" [ -x "$user/vinkabo" ]

# The user adds a favorite, switches the password check on and the sounds off, and
# puts a picture of their own over a shipped icon.
"$edbtool" append "$user/数据库.edb" 我的站 '\网站图标\mine.png' https://example.org/ me secret 2 \
  '\声音\点击声音\mine.wav' 1 "mine" || check "edbtool append" false
"$edbtool" modify "$user/md5.edb" 0 pw 1 0 || check "edbtool modify" false
icon=$(cd "$user/网站图标" && ls | head -n 1)
printf 'my own picture' >"$user/网站图标/$icon"
printf 'my own icon' >"$user/网站图标/mine.png"
rm "$user/声音/翻页.wav"
cp "$user/数据库.edb" "$scratch/favorites.before"
cp "$user/md5.edb" "$scratch/settings.before"

# An update: the build draws the template afresh with the generator (tables and data
# folders first removed, as the build does) and links a changed program.
rm -rf "$template/数据库.edb" "$template/md5.edb" "$template/配置图片" "$template/声音" "$template/网站图标"
"$rungen" "$template" 2>/dev/null || check "the generator redraws the template" false
printf 'rebuilt' >>"$template/vinkabo"
check "the template's program changed" bash -c '! cmp -s "$0" "$1"' "$template/vinkabo" "$user/vinkabo"

launch --prepare
check "the favorite is still there" [ -n "$(site_index 我的站)" ]
check "the favorites table is unchanged" cmp -s "$scratch/favorites.before" "$user/数据库.edb"
check "the switches are unchanged" cmp -s "$scratch/settings.before" "$user/md5.edb"
check "the program was replaced" cmp -s "$template/vinkabo" "$user/vinkabo"
check "the replaced program can run" [ -x "$user/vinkabo" ]
check "the missing sound was added back" cmp -s "$template/声音/翻页.wav" "$user/声音/翻页.wav"
check "the added sound is the owner's only" [ "$(mode_of "$user/声音/翻页.wav")" = 600 ]
check "the user's picture over a shipped icon stays" [ "$(cat "$user/网站图标/$icon")" = "my own picture" ]
check "the user's own icon stays" [ "$(cat "$user/网站图标/mine.png")" = "my own icon" ]
check "no temporary copies are left" [ -z "$(find "$user" -name '.vinkabo-copy.*')" ]

# The generator pointed at the user's folder adds what is missing and keeps every table.
rm "$user/声音/翻页.wav"
"$rungen" "$user" 2>/dev/null || check "the generator runs on the user's folder" false
check "the generator keeps the favorites" cmp -s "$scratch/favorites.before" "$user/数据库.edb"
check "the generator keeps the settings" cmp -s "$scratch/settings.before" "$user/md5.edb"
check "the generator keeps the user's own icon" [ "$(cat "$user/网站图标/mine.png")" = "my own icon" ]
check "the generator adds the missing sound" [ -s "$user/声音/翻页.wav" ]

# A reset asks first: without a terminal and without --yes it changes nothing.
launch --reset </dev/null >/dev/null 2>&1
check "a reset without --yes and without a terminal is refused" cmp -s "$scratch/favorites.before" "$user/数据库.edb"
launch --reset --yes >/dev/null
aside=$(cd "$user" && ls 数据库.edb.* 2>/dev/null | head -n 1)
check "the reset moved the favorites aside with a time stamp" \
  bash -c '[[ $0 =~ ^数据库\.edb\.[0-9]{8}-[0-9]{6}$ ]]' "$aside"
check "the moved table is the user's" cmp -s "$scratch/favorites.before" "$user/$aside"
check "the moved settings are the user's" cmp -s "$scratch/settings.before" "$user"/md5.edb.*
check "the samples are back" cmp -s "$template/数据库.edb" "$user/数据库.edb"
check "the samples are the owner's only" [ "$(mode_of "$user/数据库.edb")" = 600 ]
launch --reset --yes >/dev/null
check "a second reset in the same second keeps both sets aside" [ "$(cd "$user" && ls 数据库.edb.* | wc -l)" = 2 ]

# A table that is a link to a drive not mounted now stays a link: the next start must
# not put the sample table in its place (the user's own table comes back with the drive).
mv "$user/数据库.edb" "$scratch/favorites.elsewhere"
ln -s "$scratch/unmounted/数据库.edb" "$user/数据库.edb"
launch --prepare
check "a dangling link to the favorites table stays a link" [ -L "$user/数据库.edb" ]
check "the link still points to the other drive" [ "$(readlink "$user/数据库.edb")" = "$scratch/unmounted/数据库.edb" ]
check "nothing was written through the link" [ ! -e "$scratch/unmounted" ]
rm "$user/数据库.edb"
mv "$scratch/favorites.elsewhere" "$user/数据库.edb"

# `make clean` in a scratch clone removes its build trees and nothing of the user's.
clone=$scratch/clone
mkdir -p "$clone/build/run" "$clone/build-asan"
cp "$source_dir/Makefile" "$clone/"
(cd "$user" && find . -type f -exec sha256sum {} + | sort) >"$scratch/user.before"
make -s -C "$clone" clean >/dev/null
(cd "$user" && find . -type f -exec sha256sum {} + | sort) >"$scratch/user.after"
check "make clean removes the build tree" [ ! -e "$clone/build" ]
check "make clean removes the sanitizer tree" [ ! -e "$clone/build-asan" ]
check "make clean leaves the user's folder as it was" cmp -s "$scratch/user.before" "$scratch/user.after"

echo "$failures failed"
[ "$failures" -eq 0 ]
