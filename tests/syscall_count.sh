#!/usr/bin/env bash
# Each entry costs what the least loop costs: one stat, one rename and one write, whether a
# pattern selects it or it is an operand of its own. Counted by strace over 200 and 400 files,
# so that what a run does once drops out.
#   syscall_count.sh PROGRAM
set -euo pipefail
program=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
calls() {  # calls pattern|operand N: "stat rename write all" for one run over N files
  local folder="$work/$1$2"
  mkdir "$folder" && (cd "$folder" && seq -f 'F%04g.TXT' 1 "$2" | xargs touch)
  if [ "$1" = pattern ]; then set -- "$folder/*.TXT"; else set -- "$folder"/*; fi
  XDG_STATE_HOME=$folder.state strace -f -c -o "$work/calls" "$program" "$@" >/dev/null
  awk '$NF ~ /stat/ { s += $4 } $NF ~ /^rename/ { r += $4 } $NF == "write" { w += $4 }
       $NF == "total" { t = $4 } END { print s+0, r+0, w+0, t+0 }' "$work/calls"
}
for way in pattern operand; do
  read -r s1 r1 w1 t1 < <(calls $way 200)
  read -r s2 r2 w2 t2 < <(calls $way 400)
  echo "$way, 200 entries more: $((s2 - s1)) stat, $((r2 - r1)) rename, $((w2 - w1)) write, $((t2 - t1)) in all"
  [ $((s2 - s1)) -le 200 ] && [ $((r2 - r1)) -eq 200 ] && [ $((w2 - w1)) -le 200 ] &&
    [ $((t2 - t1)) -le 610 ] || exit 1
done
# Records are made durable in the journal every 16,384, before the renames of the batch that
# completes them: of 16,383 files (and the folder's time), the last batch's renames follow a sync.
mkdir "$work/batch" && (cd "$work/batch" && seq -f 'F%05g' 1 16383 | xargs touch)
XDG_STATE_HOME=$work/batch.state strace -f -e trace=fdatasync,renameat2 -o "$work/order" \
  "$program" "$work/batch/*" >/dev/null
read -r before after < <(awk 'BEGIN { s = 0 } /fdatasync/ { s = 1 } /renameat2/ { r[s]++ }
                             END { print r[0] + 0, r[1] + 0 }' "$work/order")
echo "16,384 records: $before renames before the first sync, $after after it"
[ "$before" -lt 16383 ] && [ "$after" -gt 0 ]
