#!/usr/bin/env bash
# A run over a large folder stops between two entries when a signal asks it to (SIGINT, SIGTERM,
# SIGHUP) or when its record can no longer be written (the reader has gone). What it renamed is
# what it reported, the count line included, and no entry is begun after.
#   stops.sh PROGRAM
set -euo pipefail
program=$1 work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) files=30000
trap 'rm -rf "$work"' EXIT
fail() { echo "stops: $*" >&2; exit 1; }
run() {  # run NAME [OUTPUT]: in the background, over a folder of its own
  mkdir "$work/$1" && (cd "$work/$1" && seq -f 'F%05g.TXT' 1 $files | xargs touch)
  "$program" "$work/$1/*" >"${2:-$work/$1.out}" 2>"$work/$1.err" &
}
stamped() { find "$work/$1" -name '*(*' | wc -l; }

for signal in INT TERM HUP; do
  run $signal
  until [ -s "$work/$signal.out" ] || ! kill -0 $! 2>/dev/null; do sleep 0.005; done
  kill -s $signal $!
  status=0 && wait $! || status=$?
  count=$(tail -n 1 "$work/$signal.out" | sed -n 's/^Renamed \([0-9]*\) files*$/\1/p')
  records=$(grep -c ' = ' "$work/$signal.out")
  [ $status = $((128 + $(kill -l $signal))) ] && [ "$records" = "$count" ] &&
    [ "$(stamped $signal)" = "$count" ] && [ "$count" -lt $files ] &&
    grep -q "stopped between two entries" "$work/$signal.err" ||
    fail "SIG$signal: exit $status, $records lines, count '$count', $(stamped $signal) stamped"
done

mkfifo "$work/reader" && (head -n 1 <"$work/reader" >/dev/null &)
run PIPE "$work/reader" && status=0 && wait $! || status=$?
[ $status = 1 ] && [ "$(stamped PIPE)" -lt $files ] && grep -q "cannot write" "$work/PIPE.err" ||
  fail "closed pipe: exit $status, $(stamped PIPE) stamped, $(cat "$work/PIPE.err")"
echo "stopped by SIGINT, SIGTERM, SIGHUP and a closed pipe, each between two entries"
