#!/usr/bin/env bash
# run_fuzzer.sh TARGET SEEDS [libFuzzer options...]: runs TARGET on its
# committed seeds without adding to them. By default what it finds goes to a
# scratch corpus that is removed afterwards; with LIFE3D_FUZZ_SECONDS set it
# runs that long instead of the given -runs and -seed (or LIFE3D_FUZZ_RUNS
# inputs, if set and sooner) and keeps its corpus beside TARGET, so a later
# long run starts where this one stopped. A
# crashing input is kept in the working directory as crash-* (or leak-*,
# timeout-*).
set -euo pipefail
target="$1"
seeds="$2"
shift 2
options=()
if [ -n "${LIFE3D_FUZZ_SECONDS:-}" ]; then
  for o in "$@"; do
    case "$o" in -runs=* | -seed=*) ;; *) options+=("$o") ;; esac
  done
  options+=("-max_total_time=$LIFE3D_FUZZ_SECONDS")
  [ -n "${LIFE3D_FUZZ_RUNS:-}" ] && options+=("-runs=$LIFE3D_FUZZ_RUNS")
  corpus="$(dirname "$target")/corpus/$(basename "$target")"
  mkdir -p "$corpus"
else
  options=("$@")
  corpus="$(mktemp -d)"
  trap 'rm -rf "$corpus"' EXIT
fi
log="$(mktemp)"
status=0
"$target" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" \
  "$corpus" "$seeds" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 80 "$log"
else
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|stat::peak_rss_mb)' "$log"
fi
rm -f "$log"
exit "$status"
