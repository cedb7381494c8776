#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each in turn, for SECONDS each (default 60) or, with
# --runs N, for N inputs each. New inputs collect in build/fuzz/corpus; the seeds stay in fuzz/.
#   tools/fuzz.sh [SECONDS | --runs N]
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/ensure-packages.sh native fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
if [ "${1:-}" = "--runs" ]; then limit="-runs=$2"; else limit="-max_total_time=${1:-60}"; fi
for target in tail wildcard stamp split; do
  corpus="build/fuzz/corpus/$target"
  log="build/fuzz/$target.log"
  mkdir -p "$corpus"
  if ! "build/fuzz/fuzz/fuzz_$target" "$limit" -timeout=5 -rss_limit_mb=2048 \
       -print_final_stats=1 "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target: FAILED (log: $log)"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  echo "fuzz_$target: $runs inputs in ${seconds:-?} s, no failure"
done
