#!/bin/sh
# Builds the fuzz preset and runs every fuzz target for SECONDS each (default 20) from
# the seeds, the regressions and the glyph set. A failing input is left in
# build/fuzz/crashes/<target>/: commit it to tests/fuzz/regressions/<target>/ once mended.
set -eu
seconds=${1:-20}
cd "$(dirname "$0")/../.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}"
status=0
for target in start_position picture_load screen_bmp; do
  work=build/fuzz/corpus/$target crashes=build/fuzz/crashes/$target log=build/fuzz/$target.log
  mkdir -p "$work" "$crashes" "tests/fuzz/regressions/$target"
  extra=res/bmp
  if [ $target = start_position ]; then cp res/board.txt "$work/shipped_board.txt"; extra=""; fi
  echo "fuzz_$target: $seconds s"
  if ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build/fuzz/bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$crashes/" "$work" "tests/fuzz/seeds/$target" \
    "tests/fuzz/regressions/$target" $extra >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done' "$log" || true
  else
    echo "fuzz_$target FAILED: see $log and $crashes/"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
