#!/bin/sh
# Builds and runs every test:
#   0. the include layers of every compiled file (scripts/check_layers.py, on the configured build);
#   1. the normal build: unit, window (offscreen Qt, OpenGL under Xvfb) and real-file tests,
#      and the memory sweep (scripts/memsweep.sh) at three address-space limits;
#   2. the unit tests again under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the Mandelbrot worker and sound playback tests under ThreadSanitizer;
#   4. every fuzz target for FUZZ_SECONDS (default 45) seconds.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)
export SDL_AUDIODRIVER=dummy

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
python3 scripts/check_layers.py build
# The build lists the tests of window programs by starting them, so it runs under Xvfb too.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
  "cmake --build build -j$jobs && cd build && ctest --output-on-failure -j$jobs --timeout 300"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_UI=OFF -DORVALIS_SANITIZE=address,undefined
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/../scripts/lsan.supp" ctest --output-on-failure -j"$jobs" --timeout 600)

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALIS_UI=OFF -DORVALIS_SANITIZE=thread
cmake --build build-tsan -j"$jobs"
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/../scripts/tsan.supp" ctest -L tsan --output-on-failure -j"$jobs" --timeout 600)

FUZZ_SECONDS=${FUZZ_SECONDS:-45} sh scripts/fuzz.sh
echo "All tests passed."
