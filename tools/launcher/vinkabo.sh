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
  mkdir -p "$user_dir"
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
