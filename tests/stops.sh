#!/usr/bin/env bash
# A run over a large folder stops between two entries when a signal asks it to (SIGINT, SIGTERM,
# SIGHUP), also while a paused reader holds up its output, or when its record can no longer be
# written (the reader has gone, the file grew past its limit). What it renamed is what it
# reported, the count line included, and no entry is begun after. A signal the caller ignored
# stays ignored.
#   stops.sh PROGRAM
set -euo pipefail
program=$1 work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d) files=30000
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state
fail() { echo "stops: $*" >&2; exit 1; }
run() {  # run NAME [OUTPUT [OPTION]]: in the background, over a folder of its own
  mkdir "$work/$1" && (cd "$work/$1" && seq -f 'F%05g.TXT' 1 $files | xargs touch)
  "$program" ${3:-} "$work/$1/*" >"${2:-$work/$1.out}" 2>"$work/$1.err" &
}
stamped() { find "$work/$1" -name '*(*' | wc -l; }
# Waits, for 60 s at the most, until the condition holds.
await() {
  for _ in $(seq 6000); do "$@" && return; sleep 0.01; done
  fail "waited in vain for: $*"
}
started() { await eval "[ -s '$1' ] || ! kill -0 $! 2>/dev/null"; }
# Process $1 blocked writing to its standard output.
blocked() { read -r call fd _ <"/proc/$1/syscall" && [ "$call" = 1 ] && [ "$fd" = 0x1 ]; }

# Without job control a background job ignores SIGINT, and so does the run.
run IGNORED && started "$work/IGNORED.out" && kill -s INT $! && status=0 && wait $! || status=$?
[ $status = 0 ] && [ "$(stamped IGNORED)" = $files ] || fail "ignored SIGINT: exit $status"

set -m
for signal in INT TERM HUP; do
  run $signal && started "$work/$signal.out" && kill -s $signal $!
  status=0 && wait $! || status=$?
  count=$(tail -n 1 "$work/$signal.out" | sed -n 's/^Renamed \([0-9]*\) files*$/\1/p')
  records=$(grep -c ' = ' "$work/$signal.out")
  [ $status = $((128 + $(kill -l $signal))) ] && [ "$records" = "$count" ] &&
    [ "$(stamped $signal)" = "$count" ] && [ "$count" -lt $files ] &&
    grep -q "stopped between two entries" "$work/$signal.err" ||
    fail "SIG$signal: exit $status, $records lines, count '$count', $(stamped $signal) stamped"
done

# A tree stopped part way: every folder it renamed inside has its date back.
mkdir "$work/TREE" && for d in $(seq 100 299); do mkdir "$work/TREE/D$d" &&
  (cd "$work/TREE/D$d" && seq -f 'F%03g' 1 100 | xargs touch); done
touch -d 2001-01-01 "$work"/TREE/D* "$work/TREE"
"$program" -r "$work/TREE" >"$work/TREE.out" 2>&1 & started "$work/TREE.out" && kill -s TERM $!
status=0 && wait $! || status=$?
[ $status = 143 ] && [ -z "$(find "$work"/TREE* -type d -newermt 2001-01-02)" ] ||
  fail "a tree stopped: exit $status, folders dated anew:" \
    "$(find "$work"/TREE* -type d -newermt 2001-01-02 | wc -l)"

# Killed outright part way, a run is undone whole: its journal holds every rename it made.
run KILL && started "$work/KILL.out" && kill -s KILL $! && { wait $! || true; }
"$program" --undo >/dev/null 2>&1 && [ "$(stamped KILL)" = 0 ] ||
  fail "undo after SIGKILL: $(stamped KILL) still stamped"

# A reader that stops reading: the signal breaks into the write, and the entry whose line it
# was is named on standard error. Opened for reading and writing, the pipe is held open by this
# script, which reads nothing.
mkfifo "$work/paused" && exec 3<>"$work/paused"
run PAUSED "$work/paused" && await blocked $! && kill -s TERM $!
status=0 && wait $! || status=$?
# What the pipe holds, read to its end once this script's own end of it is closed.
exec 4<"$work/paused" 3>&- && cat <&4 >"$work/PAUSED.out" && exec 4<&-
lines=$(grep -c ' = ' "$work/PAUSED.out")
[ $status = 143 ] && grep -q "not in the list: .* = " "$work/PAUSED.err" &&
  [ "$(stamped PAUSED)" = $((lines + 1)) ] ||
  fail "paused reader: exit $status, $lines lines, $(stamped PAUSED) stamped"
set +m

mkfifo "$work/reader" && (head -n 1 <"$work/reader" >/dev/null &)
run PIPE "$work/reader" && status=0 && wait $! || status=$?
[ $status = 1 ] && [ "$(stamped PIPE)" -lt $files ] && grep -q "cannot write" "$work/PIPE.err" ||
  fail "closed pipe: exit $status, $(stamped PIPE) stamped, $(cat "$work/PIPE.err")"
# A preview changes nothing, so no line it could not write names a change.
mkfifo "$work/previewed" && (head -n 1 <"$work/previewed" >/dev/null &)
run PREVIEW "$work/previewed" -n && status=0 && wait $! || status=$?
[ $status = 1 ] && ! grep -q "was made" "$work/PREVIEW.err" ||
  fail "a preview's closed pipe: exit $status, $(cat "$work/PREVIEW.err")"

# A file past its size limit: the run stops, with the reason, rather than being killed.
(ulimit -f 8 && run LIMIT "$work/LIMIT.out" --no-journal && wait $!) && status=0 || status=$?
lines=$(grep -c ' = .*)\.TXT$' "$work/LIMIT.out" || true)
[ $status = 1 ] && grep -q "File too large" "$work/LIMIT.err" &&
  [ "$(stamped LIMIT)" = $((lines + 1)) ] ||
  fail "size limit: exit $status, $lines lines, $(stamped LIMIT) stamped"
