#!/bin/bash
# vinkabo: starts the favorites program from the user's own run directory.
#
# The program reads and writes its data beside its executable and never creates a data
# file, so every user gets a copy of the template (the program and its shipped data) in
# $XDG_DATA_HOME/vinkabo, by default ~/.local/share/vinkabo. The first start makes the
# copy; every later start replaces the program in it and adds data files that are
# missing, and never touches a table, icon, sound or picture that is already there.
#
#   vinkabo              prepare the user's copy, then start the program from it
#   vinkabo --prepare    prepare the user's copy only
#   vinkabo --reset [--yes]
#                        move the user's tables aside (name.YYYYmmdd-HHMMSS) and put the
#                        sample tables back; asks first unless --yes
#   vinkabo --where      print the user's run directory
#
# The template is $VINKABO_TEMPLATE, else ../lib/vinkabo beside this script.
set -euo pipefail

here=$(dirname "$(readlink -f "$0")")
template=${VINKABO_TEMPLATE:-$here/../lib/vinkabo}
data_home=${XDG_DATA_HOME:-}
# A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
case $data_home in /*) ;; *) data_home=${HOME:?HOME is not set}/.local/share ;; esac
user_dir=$data_home/vinkabo

fail() {
  echo "vinkabo: $*" >&2
  exit 1
}

# The tables keep passwords as plain text: everything in the copy is the user's alone.
umask 077

me=$(id -u)

# Another user who can write to the folder, or to a folder above it, can swap the
# program or its password table (check off) between two starts: such a folder is
# refused, with what to do about it, rather than used.
refuse() {  # refuse PATH WHY FIX
  fail "refusing to use $1: $2.
  Another user could replace the program or its tables there.
  Fix: $3"
}

# Owned by the user (root too for the folders above), writable by nobody else. A
# shared folder with the sticky bit (/tmp) lets nobody rename what is ours.
check_owner_and_mode() {  # check_owner_and_mode PATH ROOT_OK FIX_OWNER
  local path=$1 root_ok=$2 fix_owner=$3 uid mode
  read -r uid mode < <(stat -L -c '%u %a' -- "$path")
  if [ "$uid" != "$me" ] && ! { [ "$root_ok" = 1 ] && [ "$uid" = 0 ]; }; then
    refuse "$path" "it belongs to $(stat -L -c %U -- "$path") (uid $uid), not to you" "$fix_owner"
  fi
  if (((8#$mode & 8#022) != 0 && (8#$mode & 8#1000) == 0)); then
    refuse "$path" "it is writable by group or others (mode $mode)" "chmod go-w '$path'"
  fi
}

check_run_directory() {
  if [ -L "$user_dir" ]; then
    refuse "$user_dir" "it is a symbolic link (to $(readlink -- "$user_dir"))" \
      "put the folder itself there: mv '$user_dir' '$user_dir.link' and start again"
  fi
  # Every folder above it, up to /.
  local up
  up=$(dirname -- "$user_dir")
  while :; do
    if [ -e "$up" ]; then
      check_owner_and_mode "$up" 1 "choose a folder of your own in XDG_DATA_HOME"
    fi
    [ "$up" = / ] && break
    up=$(dirname -- "$up")
  done
  [ -e "$user_dir" ] || return 0
  [ -d "$user_dir" ] || fail "$user_dir is not a folder; move it aside and start again"
  check_owner_and_mode "$user_dir" 0 \
    "move it aside (mv '$user_dir' '$user_dir.foreign') and start again: a fresh copy is made"
  # The program and the tables in it, wherever a link points.
  if [ -L "$user_dir/vinkabo" ]; then
    refuse "$user_dir/vinkabo" "the program is a symbolic link" "rm '$user_dir/vinkabo' and start again"
  fi
  local f
  for f in "$user_dir/vinkabo" "$user_dir"/*.edb "$user_dir"/*.edt; do
    [ -e "$f" ] || continue
    check_owner_and_mode "$f" 0 "move it aside and start again, or run vinkabo --reset"
  done
}

# Copies one template file to a temporary name and renames it into place, so an
# interrupted copy never leaves half a file that a later start would take as the user's.
place() {
  local from=$1 to=$2 mode=$3
  local tmp
  tmp=$(dirname "$to")/.vinkabo-copy.$$
  cp "$from" "$tmp"
  chmod "$mode" "$tmp"
  mv -f "$tmp" "$to"
}

prepare() {
  [ -x "$template/vinkabo" ] || fail "no program in $template"
  check_run_directory
  mkdir -p "$user_dir"
  check_run_directory
  # The program itself follows the template on every start (an update or a rebuild).
  if ! cmp -s "$template/vinkabo" "$user_dir/vinkabo"; then
    place "$template/vinkabo" "$user_dir/vinkabo" 700
  fi
  # Data files: only the missing ones come from the template.
  local rel
  while IFS= read -r -d '' rel; do
    rel=${rel#./}
    [ "$rel" = vinkabo ] && continue
    if [ -d "$template/$rel" ]; then
      mkdir -p "$user_dir/$rel"
    elif [ ! -e "$user_dir/$rel" ] && [ ! -L "$user_dir/$rel" ]; then
      place "$template/$rel" "$user_dir/$rel" 600
    fi
  done < <(cd "$template" && find . -mindepth 1 \( -type d -o -type f \) -print0)
}

reset() {
  local yes=$1
  [ -d "$template" ] || fail "no template in $template"
  check_run_directory
  if [ "$yes" != 1 ]; then
    [ -t 0 ] || fail "--reset asks before it moves your tables; give --yes to skip the question"
    printf 'Put the sample tables back in %s?\nYour tables there are moved aside with a time stamp. [y/N] ' "$user_dir"
    local answer
    read -r answer
    case $answer in y | Y | yes | YES) ;; *) echo "Nothing changed."; return 0 ;; esac
  fi
  local stamp table name aside n
  stamp=$(date +%Y%m%d-%H%M%S)
  for table in "$template"/*.edb "$template"/*.edt; do
    [ -f "$table" ] || continue
    name=$(basename "$table")
    [ -e "$user_dir/$name" ] || continue
    # Two resets within a second must not put one set of tables over the other.
    aside=$name.$stamp
    n=1
    while [ -e "$user_dir/$aside" ]; do aside=$name.$stamp-$((n++)); done
    mv "$user_dir/$name" "$user_dir/$aside"
    echo "vinkabo: moved $user_dir/$name to $aside"
  done
  prepare
  echo "vinkabo: the sample tables are back in $user_dir"
}

case ${1:-} in
  "") prepare; exec "$user_dir/vinkabo" ;;
  --prepare) prepare ;;
  --reset) reset "$([ "${2:-}" = --yes ] && echo 1 || echo 0)" ;;
  --where) echo "$user_dir" ;;
  *) fail "unknown option $1 (see the head of $0)" ;;
esac
