#!/usr/bin/env bash
# run_fuzzer.sh TARGET SEEDS [libFuzzer options...]: runs TARGET on its
# committed seeds without adding to them (what it finds goes to a scratch
# corpus that is removed afterwards; a crashing input is kept in the working
# directory as crash-*).
set -euo pipefail
target="$1"
seeds="$2"
shift 2
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
"$target" -max_len=16384 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  "$@" "$scratch" "$seeds"
