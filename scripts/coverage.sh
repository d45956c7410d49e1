#!/bin/sh
# Line coverage of the readers and generators (the plain C++ of images/, stereo/, wave/, dxf/,
# mandel/, and the file reading of documents/ and platform/whole_file) over the normal test run.
# usage: scripts/coverage.sh [BUILD_DIR]   (default build-coverage; SOURCE_DIR overrides the tree)
set -e
root=${SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}
build=${1:-$root/build-coverage}
sh "$(dirname "$0")/deps.sh" coverage
# Counters are updated atomically: the readers and generators run on several threads.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
  -DCMAKE_C_FLAGS="--coverage -O0 -fprofile-update=atomic" -DCMAKE_CXX_FLAGS="--coverage -O0 -fprofile-update=atomic" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" cmake --build "$build" -j"$(nproc)"
# The build starts the test programs to list their tests: count the test run alone. A test
# runs the command line as another user (a file root could read anyway), which must be able
# to write its counters too.
find "$build" -name '*.gcda' -delete
chmod -R a+rwX "$build"
umask 000
# The package checks are left out: they read no file of the user's, and lintian rightly
# refuses the open folders that this umask gives the package.
(cd "$build" && SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1280x1024x24" ctest -j"$(nproc)" --timeout 600 \
  -E '^install_' >/dev/null) ||
  echo "coverage: some tests failed" >&2
# Every object of the core modules of those folders names its source.
filters=$(cd "$build" && find images stereo wave dxf mandel -path '*/CMakeFiles/core_*.dir/*.gcno' |
  sed -E 's|^([a-z]+)/CMakeFiles/core_[a-z]+\.dir/(.*)\.gcno$|--filter \1/\2$|')
cd "$root" && gcovr -r "$root" "$build" $filters --filter 'documents/' --filter 'platform/whole_file' -s |
  grep -E '^lines:'
