#!/bin/sh
# Builds and runs every test: the normal build (unit and UI tests), then the unit tests
# again under AddressSanitizer + UndefinedBehaviorSanitizer.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
(cd build && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x1024x24" \
   ctest --output-on-failure -j"$jobs" --timeout 300)

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVALIS_UI=OFF -DORVALIS_SANITIZE=address,undefined
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 SDL_AUDIODRIVER=dummy ctest --output-on-failure -j"$jobs" --timeout 600)
echo "All tests passed."
