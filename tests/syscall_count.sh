#!/usr/bin/env bash
# The pass over a pattern costs each entry what the least loop costs: one stat, one rename and
# one write; a few calls more for the whole run. Counted with strace; skipped without it.
#   syscall_count.sh PROGRAM
set -euo pipefail
program=$1
command -v strace >/dev/null || { echo "strace is not installed: skipped"; exit 77; }
folder=$(mktemp -d)
trap 'rm -rf "$folder" "$folder.calls"' EXIT
n=400
(cd "$folder" && seq -f 'FILE%04g.TXT' 1 "$n" | xargs touch -d '2004-12-31 12:00')
strace -f -c -o "$folder.calls" "$program" "$folder/*.TXT" >/dev/null
stamped=$(ls "$folder" | grep -c '(20041231)\.TXT$' || true)
[ "$stamped" = "$n" ] || { echo "only $stamped of $n files stamped"; exit 1; }
awk -v n="$n" '
  $NF ~ /^(newfstatat|lstat|stat|statx|fstatat64)$/ { stats += $4 }
  $NF ~ /^(rename|renameat|renameat2)$/ { renames += $4 }
  $NF == "write" { writes += $4 }
  $NF == "total" { total = $4 }
  END {
    printf "%d entries: %d stat, %d rename, %d write, %d calls in all\n", n, stats, renames, writes, total
    if (stats > n + 20 || renames != n || writes > n + 1 || total > 3 * n + 100) exit 1
  }' "$folder.calls"
