#!/usr/bin/env bash
# The same record-file commands through the Linux edbtool and through edbtool.exe under
# wine must leave byte-identical files: one format, whichever system wrote it. Chinese
# texts reach edbtool.exe through the wide command line and go to GBK through code page
# 936, under wine's English code page.
# usage: edbtool_same_bytes.sh LINUX_EDBTOOL WINDOWS_EDBTOOL_EXE
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../scripts/wine-run"
[ -x "$linux" ] || { echo "no Linux edbtool at $linux (make build first)" >&2; exit 1; }

work=$(mktemp -d /tmp/vk-same-bytes-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"

long=$(printf 'memo%.0s' $(seq 1 300))  # 1200 bytes: a chain of several memo blocks
commands=(
  "create t.edb 名称:text:16 count:int small:short big:long ratio:double flag:bool when:datetime raw:bytes note:memo"
  "append t.edb first 1 -2 3000000000 1.5 true 45000.25 00ff10 short-note"
  "append t.edb second 2 3 4 -0.125 false 1 abcdef $long"
  "append t.edb 百度 3 0 0 0 true 0 00 搜索"
  "modify t.edb 1 ~ 42 ~ ~ ~ ~ ~ ~ $long$long"
  "delete t.edb 0"
  "purge t.edb"
  "append t.edb fourth 4 4 4 4 false 2 0102 again"
)
for c in "${commands[@]}"; do
  read -r -a args <<<"$c"
  (cd "$work/linux" && "$linux" "${args[@]}" >/dev/null)
  (cd "$work/windows" && "$wine_run" "$windows" "${args[@]}" >/dev/null)
done

status=0
for f in t.edb t.EDT; do
  if [ ! -f "$work/linux/$f" ] || [ ! -f "$work/windows/$f" ]; then
    echo "$f missing: $(ls "$work/linux") | $(ls "$work/windows")" >&2
    status=1
  elif ! cmp "$work/linux/$f" "$work/windows/$f"; then
    status=1
  fi
done
[ $status -eq 0 ] && echo "identical: $(stat -c %s "$work/linux/t.edb") + $(stat -c %s "$work/linux/t.EDT") bytes"
exit $status
