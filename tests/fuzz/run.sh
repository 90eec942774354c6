#!/bin/sh
# Builds the fuzz preset and runs every fuzz target for SECONDS each (default 20) from
# the seeds, the regressions and the glyph set. A SEED and a count of RUNS make the run
# repeatable: a faster machine then tries no input a slower one did not (default: new
# inputs each run, as many as the time allows). Usage: run.sh [SECONDS [SEED [RUNS]]]
# A failing input is left in build/fuzz/crashes/<target>/: commit it to
# tests/fuzz/regressions/<target>/ once mended.
set -eu
cd "$(dirname "$0")/../.."
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "${JOBS:-2}"
status=0
for t in start_position picture_load screen_bmp; do
  work=build/fuzz/corpus/$t crashes=build/fuzz/crashes/$t log=build/fuzz/$t.log extra=res/bmp
  # A repeatable run starts from the committed inputs alone.
  [ -n "${2:-}" ] && work=build/fuzz/repeatable/$t && rm -rf "$work"
  mkdir -p "$work" "$crashes"
  [ $t = start_position ] && cp res/board.txt "$work/shipped_board.txt" && extra=""
  echo "fuzz_$t: ${1:-20} s"
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build/fuzz/bin/fuzz_$t" -seed="${2:-0}" -runs="${3:--1}" -max_total_time="${1:-20}" -max_len=65536 \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$work" "tests/fuzz/seeds/$t" $(ls -d "tests/fuzz/regressions/$t" 2>/dev/null) $extra >"$log" 2>&1 &&
    grep -E '^stat::number_of_executed_units|^Done' "$log" ||
    { echo "fuzz_$t FAILED: see $log and $crashes/"; tail -n 40 "$log"; status=1; }
done
exit $status
