#!/usr/bin/env bash
# The pass over a pattern costs each entry what the least loop costs: one stat, one rename and
# one write. Counted with strace over 200 and 400 entries, so that the calls made once per run
# drop out; skipped without strace.
#   syscall_count.sh PROGRAM
set -euo pipefail
program=$1
command -v strace >/dev/null || { echo "strace is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
count() {  # count N: the calls of one run over N files, as "stat rename write total"
  mkdir "$work/$1"
  (cd "$work/$1" && seq -f 'FILE%04g.TXT' 1 "$1" | xargs touch -d '2004-12-31 12:00')
  strace -f -c -o "$work/calls" "$program" "$work/$1/*.TXT" >/dev/null
  [ "$(ls "$work/$1" | grep -c '(20041231)\.TXT$')" = "$1" ] || { echo "not all stamped"; exit 1; }
  awk '$NF ~ /^(newfstatat|lstat|stat|statx)$/ { s += $4 } $NF ~ /^rename/ { r += $4 }
       $NF == "write" { w += $4 } $NF == "total" { t = $4 } END { print s+0, r+0, w+0, t+0 }' \
      "$work/calls"
}
read -r s1 r1 w1 t1 < <(count 200)
read -r s2 r2 w2 t2 < <(count 400)
echo "per 200 entries more: $((s2 - s1)) stat, $((r2 - r1)) rename, $((w2 - w1)) write, $((t2 - t1)) calls in all"
[ $((s2 - s1)) -le 200 ] && [ $((r2 - r1)) -eq 200 ] && [ $((w2 - w1)) -le 200 ] && [ $((t2 - t1)) -le 610 ]
