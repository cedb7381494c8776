#!/usr/bin/env bash
# The Windows build in a console (Wine on a pseudo-terminal) shows names as they are; with its
# output redirected to a file it writes the same lines as UTF-8 bytes.
#   console.sh WINE STAMPIX.EXE
set -euo pipefail
wine=$1 program=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch -d '2004-12-31 12:00' "$work/Résumé.txt" "$work/日本.txt"
folder="Z:${work//\//\\}\\"
LANG=C.UTF-8 script -qec "'$wine' '$program' '$folder*.txt'" "$work/typescript" </dev/null >/dev/null
for name in Résumé 日本; do
  grep -q "$name.txt = $name(20041231).txt" "$work/typescript" || { cat -A "$work/typescript"; exit 1; }
done
"$wine" "$program" "${folder}Résumé.txt" >"$work/out" || true
printf '%s\r\n' "File not found: \"${folder}Résumé.txt\"" | cmp - "$work/out"
