#!/bin/sh
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for FUZZ_SECONDS
# (default 60), two at a time. Each target grows its corpus in FUZZ_CORPUS/<target> (default
# ~/.cache/orvalis-fuzz), outside the repository, so a run goes on where the last one ended;
# the seed files in tests/data are read every time. FUZZ_DEEP=1 builds libjpeg-turbo from
# Debian's source package with the same instrumentation, so fuzz_jpeg explores the library's
# own code too (build-fuzz-deep/). Prints executions and coverage per target. Fails on a
# crash, a sanitizer report, a leak or an input running over FUZZ_TIMEOUT (default 10) seconds,
# which only a real hang reaches; inputs over a second are listed as slow without failing.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test
seconds=${FUZZ_SECONDS:-60}
timeout=${FUZZ_TIMEOUT:-10}
corpus_root=${FUZZ_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/orvalis-fuzz}
build=build-fuzz
jpeg_args=""

# Debian's libjpeg-turbo source, patched, built static with the fuzz flags (C code only: the
# assembly SIMD paths carry no instrumentation).
build_deep_libjpeg() {
  top=$PWD/$build/libjpeg-turbo
  if [ ! -f "$top/install/lib/libjpeg.a" ]; then
    mkdir -p "$top"
    if [ -z "$(ls -d "$top"/libjpeg-turbo-*/ 2>/dev/null)" ]; then
      if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo "Adding a deb-src entry for Debian 12 to fetch libjpeg-turbo's source"
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
          > /etc/apt/sources.list.d/orvalis-deb-src.sources
        apt-get update
      fi
      (cd "$top" && apt-get source libjpeg-turbo)
    fi
    src=$(ls -d "$top"/libjpeg-turbo-*/ | head -1)
    flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
    CC=clang cmake -S "$src" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_FLAGS="$flags" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
      -DWITH_SIMD=OFF -DCMAKE_INSTALL_PREFIX="$top/install" -DCMAKE_INSTALL_LIBDIR=lib
    cmake --build "$top/build" -j"$(nproc)" --target jpeg-static
    mkdir -p "$top/install/lib" "$top/install/include"
    cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$top/build/jconfig.h" "$top/install/include/"
    cp "$top/build/libjpeg.a" "$top/install/lib/"
  fi
  jpeg_args="-DJPEG_INCLUDE_DIR=$top/install/include -DJPEG_LIBRARY_RELEASE=$top/install/lib/libjpeg.a"
}
if [ "${FUZZ_DEEP:-0}" = 1 ]; then
  scripts/deps.sh fuzz-deep
  build=build-fuzz-deep
  build_deep_libjpeg
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_UI=OFF \
  -DBUILD_TESTING=OFF -DORVALIS_FUZZ=ON -DORVALIS_SANITIZE=address,undefined $jpeg_args
cmake --build "$build" -j"$(nproc)"

work=$build/fuzz-run
rm -rf "$work"; mkdir -p "$work"
run_one() {
  name=$1 seeds=$2
  mkdir -p "$corpus_root/$name" "$work/$name/artifacts"
  # Legitimate inputs known to be slow under the sanitizers run whole first: over a second is
  # reported, only FUZZ_TIMEOUT fails.
  if [ -d "tests/fuzz/slow/$name" ]; then
    if ! "$build/tests/fuzz/fuzz_$name" -timeout="$timeout" -rss_limit_mb=2048 \
         -artifact_prefix="$work/$name/artifacts/" tests/fuzz/slow/"$name"/* > "$work/$name/replay" 2>&1; then
      echo "fuzz_$name: FOUND A PROBLEM replaying tests/fuzz/slow/$name"; grep -E "ERROR|SUMMARY|ALARM" "$work/$name/replay" | head
      return 1
    fi
    awk '/^Executed .* in [0-9]+ ms/ && $4 > 1000 {print "  slow input (not a failure): " $2 " " $4 " ms"}' "$work/$name/replay"
  fi
  if "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout="$timeout" -report_slow_units=1 \
       -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/$name/artifacts/" \
       "$corpus_root/$name" "$seeds" > "$work/$name/log" 2>&1; then
    execs=$(grep -m1 'stat::number_of_executed_units' "$work/$name/log" | awk '{print $2}')
    cov=$(grep -E '^#[0-9]+' "$work/$name/log" | grep -o 'cov: [0-9]* ft: [0-9]*' | tail -1)
    echo "fuzz_$name: $execs executions, $cov, corpus $(ls "$corpus_root/$name" | wc -l) files, no findings"
    for slow in "$work/$name"/artifacts/slow-unit-*; do
      if [ -e "$slow" ]; then echo "  slow input (not a failure): $slow"; fi
    done
    grep "Slowest unit" "$work/$name/log" | tail -1 | sed 's/^/  /'
  else
    echo "fuzz_$name: FOUND A PROBLEM (input kept in $work/$name/artifacts)"; grep -E "ERROR|SUMMARY|#[0-9]+ 0x" "$work/$name/log" | head -30
    return 1
  fi
}
status=0
set -- "bmp tests/data/bmp" "gif tests/data/gif" "jpeg tests/data/jpeg" "wav tests/data/wav" \
       "dxf tests/data/dxf" "model tests/data/model" "palette tests/data/palette" "settings tests/data/settings" "qt tests/data/everyday" \
       "png tests/data/everyday" "pgm tests/data/everyday" "tga tests/data/everyday" "png_rows tests/data/png" \
       "jpeg_rows tests/data/jpeg" "tiff_rows tests/data/everyday" "frame_pattern tests/data/frame_pattern" \
       "animation tests/data/animation"
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
