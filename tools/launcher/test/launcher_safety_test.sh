#!/usr/bin/env bash
# The launcher refuses a run directory that someone else could change under the user:
# a symbolic link, a folder of another owner, one writable by group or others (or with
# such a folder above it), and a program or table in it that others may write. Each
# refusal names the folder and the fix, and the program is not started.
# A stub program stands in for the real one: it only notes that it ran.
#
# launcher_safety_test.sh SOURCE_DIR
set -uo pipefail
launcher=$1/tools/launcher/vinkabo.sh

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vk_launcher_safety.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
chmod 700 "$scratch"
template=$scratch/template
mkdir -p "$template"
printf '#!/bin/sh\ntouch "$(dirname "$0")/ran"\n' >"$template/vinkabo"
chmod 755 "$template/vinkabo"
printf 'settings' >"$template/md5.edb"
failures=0

check() {  # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# A fresh data home for each case: start NAME runs the launcher (no option: prepare and
# start) with XDG_DATA_HOME=$scratch/NAME, its messages in $scratch/NAME.err.
data_of() { echo "$scratch/$1"; }
start() {
  local data
  data=$(data_of "$1")
  mkdir -p "$data"
  chmod 700 "$data"
  HOME=$scratch XDG_DATA_HOME=$data VINKABO_TEMPLATE=$template "$launcher" >/dev/null 2>"$data.err"
}
refused() {  # refused NAME PATTERN...: not started, and the message holds every pattern
  local name=$1 data
  shift
  data=$(data_of "$name")
  [ ! -e "$data/vinkabo/ran" ] || return 1
  local p
  for p in "$@"; do grep -qF -- "$p" "$data.err" || { cat "$data.err"; return 1; }; done
}
started() { [ -e "$(data_of "$1")/vinkabo/ran" ]; }

# The folder as the launcher makes it: used.
start plain
check "a folder of the user's own is used" started plain
check "the launcher made it for the owner only" [ "$(stat -c %a "$(data_of plain)/vinkabo")" = 700 ]

# Writable by everybody: refused, with the folder and the fix named; the fix helps.
mkdir -p "$(data_of open)/vinkabo"
chmod 777 "$(data_of open)/vinkabo"
check "a 0777 folder fails the launcher" bash -c '! HOME=$0 XDG_DATA_HOME=$1 VINKABO_TEMPLATE=$2 "$3" 2>"$1.err" >/dev/null' \
  "$scratch" "$(data_of open)" "$template" "$launcher"
check "the refusal names the folder, the mode and the fix" \
  refused open "$(data_of open)/vinkabo" "mode 777" "chmod go-w"
check "nothing was copied into it" [ ! -e "$(data_of open)/vinkabo/vinkabo" ]
chmod go-w "$(data_of open)/vinkabo"
start open
check "after the fix it starts" started open

# Writable by its group only: refused as well.
mkdir -p "$(data_of group)/vinkabo"
chmod 770 "$(data_of group)/vinkabo"
start group
check "a group-writable folder is refused" refused group "mode 770"

# A symbolic link to a folder elsewhere: refused, the folder it points to untouched.
mkdir -p "$(data_of link)" "$scratch/elsewhere"
ln -s "$scratch/elsewhere" "$(data_of link)/vinkabo"
start link
check "a symlinked folder is refused" refused link "$(data_of link)/vinkabo" "symbolic link" "mv "
check "nothing reached the folder it points to" [ -z "$(ls -A "$scratch/elsewhere")" ]

# A data home writable by others (no sticky bit) lets them rename our folder away.
mkdir -p "$(data_of above)"
chmod 777 "$(data_of above)"
HOME=$scratch XDG_DATA_HOME=$(data_of above) VINKABO_TEMPLATE=$template "$launcher" >/dev/null 2>"$(data_of above).err"
check "a folder under an open folder is refused" refused above "$(data_of above)" "mode 777"
chmod 1777 "$(data_of above)"
HOME=$scratch XDG_DATA_HOME=$(data_of above) VINKABO_TEMPLATE=$template "$launcher" >/dev/null 2>"$(data_of above).err"
check "a sticky shared folder above it (as /tmp) is fine" started above

# A table in a good folder that others may write.
start table
rm -f "$(data_of table)/vinkabo/ran"
chmod 666 "$(data_of table)/vinkabo/md5.edb"
start table
check "a table writable by others is refused" refused table "$(data_of table)/vinkabo/md5.edb" "mode 666"

# A program that is a link: refused.
start proglink
rm -f "$(data_of proglink)/vinkabo/ran"
ln -sf "$template/vinkabo" "$(data_of proglink)/vinkabo/vinkabo.tmp" &&
  mv -f "$(data_of proglink)/vinkabo/vinkabo.tmp" "$(data_of proglink)/vinkabo/vinkabo"
start proglink
check "a program that is a symbolic link is refused" refused proglink "the program is a symbolic link"

# Another owner. Root (as in CI) hands the folder to nobody; anyone else can give a
# file away only where the system allows it, and otherwise this case cannot be made.
foreign=$(data_of foreign)/vinkabo
mkdir -p "$foreign"
chmod 700 "$foreign"
if chown 65534 "$foreign" 2>/dev/null; then
  start foreign
  check "a folder of another owner is refused" refused foreign "$foreign" "uid 65534" "move it aside"
  chown "$(id -u)" "$foreign"
  start foreign
  check "the same folder given back starts" started foreign
  chown 65534 "$foreign/vinkabo"
  rm -f "$foreign/ran"
  start foreign
  check "a program of another owner is refused" refused foreign "$foreign/vinkabo" "uid 65534"
  chown "$(id -u)" "$foreign/vinkabo"
else
  echo "skipped: a folder of another owner (chown to uid 65534 is not allowed for uid $(id -u))"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
