#!/usr/bin/env bash
# The Windows build in a console (Wine on a pseudo-terminal) shows names as they are; with its
# output redirected to a file it writes the same lines as UTF-8 bytes.
#   console.sh WINE STAMPIX.EXE
set -euo pipefail
wine=$1 program=$2
command -v script >/dev/null || { echo "script is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for run in console file; do
  mkdir "$work/$run"
  touch -d '2004-12-31 12:00' "$work/$run/Résumé.txt" "$work/$run/日本.txt"
done
folder() { printf 'Z:%s\\' "${1//\//\\}"; }
LANG=C.UTF-8 script -qec "'$wine' '$program' '$(folder "$work/console")*.txt'" "$work/typescript" \
  </dev/null >/dev/null
for line in "Résumé.txt = Résumé(20041231).txt" "日本.txt = 日本(20041231).txt"; do
  grep -q "$line" "$work/typescript" || { echo "not shown: $line"; cat -A "$work/typescript"; exit 1; }
done
"$wine" "$program" "$(folder "$work/file")Résumé.txt" >"$work/out"
printf '%sRésumé.txt = Résumé(20041231).txt\r\n' "$(folder "$work/file")" | cmp - "$work/out"
