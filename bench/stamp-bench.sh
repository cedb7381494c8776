#!/usr/bin/env bash
# Times one run of the Linux build over a fresh folder of N files per size given
# (default: 10000 100000) and shows the time per file and the peak resident memory.
#   bench/stamp-bench.sh [N ...]
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000)
./tools/ensure-packages.sh native time-command
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTAMPIX_TESTS=OFF >/dev/null
cmake --build build/bench >/dev/null

# N files FILE000001.TXT ... with seven known dates, in a folder of their own.
make_folder() {
  local folder=$1 n=$2
  rm -rf "$folder"
  mkdir -p "$folder"
  (cd "$folder" && seq -f 'FILE%06g.TXT' 1 "$n" | xargs touch)
  for day in 1 2 3 4 5 6 7; do
    (cd "$folder" && seq -f 'FILE%06g.TXT' 1 "$n" | awk -v d="$day" 'NR % 7 == d - 1' |
      xargs -r touch -d "2004-12-0$day 12:00")
  done
}

printf '%10s %10s %14s %12s\n' files seconds "us per file" "peak RSS KB"
for n in "${sizes[@]}"; do
  folder="$PWD/build/bench-data/$n"
  make_folder "$folder" "$n"
  sync
  report=$( { /usr/bin/time -v ./build/bench/stampix "$folder/*.TXT" >/dev/null; } 2>&1 )
  seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' <<<"$report" |
            awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' <<<"$report")
  renamed=$(ls "$folder" | grep -c '(2004120[1-7])' || true)
  [ "$renamed" = "$n" ] || { echo "only $renamed of $n files stamped" >&2; exit 1; }
  printf '%10s %10s %14.2f %12s\n' "$n" "$seconds" "$(awk -v s="$seconds" -v n="$n" 'BEGIN { print s * 1e6 / n }')" "$rss"
  rm -rf "$folder"
done
