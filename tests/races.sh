#!/usr/bin/env bash
# Two runs race for the same names on a file system without a rename that refuses to replace
# (exFAT through FUSE), one of them with /Y: every file keeps its content under one of its names.
#   races.sh PROGRAM FOLDER   (exit 77: FOLDER's file system could not be made here)
set -euo pipefail
program=$1 mnt=$2
export TZ=UTC0
[ -d "$mnt" ] || { echo "skipped: $(cat "$(dirname "$mnt")/why" 2>/dev/null)"; exit 77; }
work=$(mktemp -d -p "$mnt") && cd "$work"
# The journals where only their user may write, which no FUSE mount is.
export XDG_STATE_HOME=$(mktemp -d)
trap 'cd / && rm -rf "$work" "$XDG_STATE_HOME"' EXIT
fail() { echo "races: $*" >&2; exit 1; }
# Each run's record in a file of its own, beside the folder.
both() {
  "$program" /Y "$1" >../y.out 2>/dev/null & "$program" "$1" >../plain.out 2>/dev/null || true
  wait || true
}

mkdir round && cd round
for round in $(seq 20); do
  echo "data $round" >f.txt && touch -d '2020-01-01 12:00' f.txt
  both f.txt
  [ "$(cat 'f(20200101).txt')" = "data $round" ] && [ ! -e f.txt ] || fail "round $round: $(ls)"
  rm -f 'f(20200101).txt'
done

cd .. && mkdir many && cd many
for n in $(seq 1500); do echo $n >f$n; done && touch -d '2020-01-01 12:00' f*
both '*'
for f in *; do n=${f%(20200101)} && [ "$(cat "$f")" = "${n#f}" ] || fail "$f holds $(cat "$f")"; done
[ "$(ls | grep -c '(20200101)$')" = 1500 ] || fail "$(ls | grep -c '(2020')) of 1500 stamped"
# A rename is on the record of the run that made it, and on no other.
twice=$(sort ../y.out ../plain.out | grep ' = ' | uniq -d | wc -l)
[ "$twice" = 0 ] || fail "$twice entries on both records"
