#!/usr/bin/env bash
# Fuzz helpers.
#   scripts/fuzz.sh run BINARY SECONDS   run one libFuzzer target from its seed corpus
#   scripts/fuzz.sh replay DIR           replay every seed corpus through the plain
#                                        (GCC, sanitizer) builds of the targets in DIR
set -u
cd "$(dirname "$0")/.."
ROOT=$PWD
case "${1:-}" in
  run)
    bin=$2 secs=$3 name=$(basename "$2")
    seeds=$ROOT/tests/fuzz/corpus/${name#fuzz_}
    work=$ROOT/build/fuzz-corpus/$name
    mkdir -p "$work" "$ROOT/build/fuzz-artifacts"
    args=("$work")
    [ -d "$seeds" ] && args+=("$seeds")
    "$bin" -max_total_time="$secs" -print_final_stats=1 -rss_limit_mb=2048 \
      -artifact_prefix="$ROOT/build/fuzz-artifacts/$name-" "${args[@]}" 2>&1 |
      grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Done|crash|leak' | head -20
    exit "${PIPESTATUS[0]}"
    ;;
  replay)
    dir=$2 rc=0
    for bin in "$dir"/fuzz_*; do
      [ -x "$bin" ] || continue
      name=$(basename "$bin")
      seeds=$ROOT/tests/fuzz/corpus/${name#fuzz_}
      [ -d "$seeds" ] || continue
      echo "$name:"; "$bin" "$seeds" || rc=1
    done
    exit $rc
    ;;
  *) echo "usage: $0 run BINARY SECONDS | replay DIR" >&2; exit 2 ;;
esac
