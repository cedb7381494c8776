#!/usr/bin/env bash
# Two runs race for the same names on a file system without a rename that refuses to replace
# (exFAT through FUSE), one of them with /Y: every file keeps its content under one of its names.
#   races.sh PROGRAM FOLDER   (exit 77: FOLDER's file system could not be made here)
set -euo pipefail
program=$1 mnt=$2
export TZ=UTC0
[ -d "$mnt" ] || { echo "skipped: $(cat "$(dirname "$mnt")/why" 2>/dev/null)"; exit 77; }
work=$(mktemp -d -p "$mnt") && cd "$work"
export XDG_STATE_HOME=$work/.state
trap 'cd / && rm -rf "$work"' EXIT
fail() { echo "races: $*" >&2; exit 1; }
both() { "$program" /Y "$1" >/dev/null 2>&1 & "$program" "$1" >/dev/null 2>&1 || true; wait || true; }

for round in $(seq 20); do
  echo "data $round" >f.txt && touch -d '2020-01-01 12:00' f.txt
  both f.txt
  [ "$(cat 'f(20200101).txt' f.txt 2>/dev/null)" = "data $round" ] || fail "round $round: $(ls)"
  rm -f 'f(20200101).txt' f.txt
done

mkdir many && cd many && for n in $(seq 300); do echo $n >f$n; done && touch -d '2020-01-01 12:00' f*
both '*'
for f in *; do n=${f%(20200101)} && [ "$(cat "$f")" = "${n#f}" ] || fail "$f holds $(cat "$f")"; done
[ "$(ls | wc -l)" = 300 ] || fail "$(ls | wc -l) of 300 files left"
