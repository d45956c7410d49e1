#!/bin/sh
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for FUZZ_SECONDS
# (default 60), two at a time, from the seed files in tests/data. Prints the executions each
# target reached; fails when any target finds a crash, a hang (over 1 s) or a leak.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_UI=OFF \
  -DBUILD_TESTING=OFF -DORVALIS_FUZZ=ON -DORVALIS_SANITIZE=address,undefined
cmake --build build-fuzz -j"$(nproc)"

work=build-fuzz/fuzz-run
rm -rf "$work"; mkdir -p "$work"
run_one() {
  name=$1 seeds=$2
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  cp -r "$seeds"/. "$work/$name/corpus/" 2>/dev/null || true
  if build-fuzz/tests/fuzz/fuzz_$name -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$work/$name/artifacts/" "$work/$name/corpus" \
       > "$work/$name/log" 2>&1; then
    echo "fuzz_$name: $(grep -m1 'stat::number_of_executed_units' "$work/$name/log" | awk '{print $2}') executions, no findings"
  else
    echo "fuzz_$name: FOUND A PROBLEM (input kept in $work/$name/artifacts)"; grep -E "ERROR|SUMMARY|#[0-9]+ 0x" "$work/$name/log" | head -30
    return 1
  fi
}
status=0
set -- "bmp tests/data/bmp" "gif tests/data/gif" "jpeg tests/data/jpeg" "wav tests/data/wav" \
       "dxf tests/data/dxf" "palette tests/data/palette" "settings tests/data/settings"
while [ $# -gt 0 ]; do
  first=$1; shift
  if [ $# -gt 0 ]; then second=$1; shift; else second=""; fi
  run_one $first > "$work/out1" 2>&1 & p1=$!
  if [ -n "$second" ]; then run_one $second > "$work/out2" 2>&1 & p2=$!; else p2=""; fi
  wait $p1 || status=1
  cat "$work/out1"
  if [ -n "$p2" ]; then wait $p2 || status=1; cat "$work/out2"; fi
done
exit $status
