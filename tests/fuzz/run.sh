#!/bin/sh
# Builds the fuzz preset and runs every fuzz target for SECONDS each (default 20),
# starting from the seeds, the committed regressions and the glyph set. A failing
# input is left in build/fuzz/crashes/<target>/; copy it into
# tests/fuzz/regressions/<target>/ once the fault is mended.
set -eu
seconds=${1:-20}
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}"
status=0
for target in start_position picture_load screen_bmp; do
  work=build/fuzz/corpus/$target
  crashes=build/fuzz/crashes/$target
  mkdir -p "$work" "$crashes" "tests/fuzz/regressions/$target"
  extra=""
  case $target in
    start_position) cp res/board.txt "$work/shipped_board.txt" ;;
    picture_load | screen_bmp) extra="res/bmp" ;;
  esac
  echo "fuzz_$target: $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build/fuzz/bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$crashes/" \
      "$work" "tests/fuzz/seeds/$target" "tests/fuzz/regressions/$target" $extra >"build/fuzz/$target.log" 2>&1; then
    echo "fuzz_$target FAILED: see build/fuzz/$target.log and $crashes/"
    tail -n 40 "build/fuzz/$target.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "build/fuzz/$target.log" || true
  fi
done
exit $status
