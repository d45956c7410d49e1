#!/bin/sh
# Builds the program, makes a stereogram from the bundled samples with orvalis-cli, and
# opens it in Orvalis (or says where it is when there is no display).
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)" --target orvalis orvalis-cli
mkdir -p out
build/tools/orvalis-cli stereo --texture samples/texture.bmp --depth samples/depth.bmp -o out/stereo.bmp
echo "Stereogram written to $(pwd)/out/stereo.bmp"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec build/app/orvalis "$(pwd)/out/stereo.bmp"
else
  echo "No display: open it later with  build/app/orvalis $(pwd)/out/stereo.bmp"
fi
