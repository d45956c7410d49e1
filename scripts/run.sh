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
# An ordinary grey depth map (white near), read in grey mode by itself, with a deeper relief,
# random dots and convergence dots.
build/tools/orvalis-cli stereo --texture random:7 --depth samples/depth-grey.png \
  --relief 300 --dots -o out/stereo-grey.bmp
echo "Stereograms written to $(pwd)/out/stereo.bmp and $(pwd)/out/stereo-grey.bmp"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec build/app/orvalis "$(pwd)/out/stereo.bmp" "$(pwd)/out/stereo-grey.bmp"
else
  echo "No display: open them later with  build/app/orvalis $(pwd)/out/stereo.bmp $(pwd)/out/stereo-grey.bmp"
fi
