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
# A 3-D model straight from its STL file (a trefoil knot, samples/make_model.py), turned a little.
build/tools/orvalis-cli stereo --texture random:7 --depth samples/knot.stl --turn 20,0,0 \
  --relief 300 --dots -o out/stereo-knot.bmp
out="$(pwd)/out/stereo.bmp $(pwd)/out/stereo-grey.bmp $(pwd)/out/stereo-knot.bmp"
echo "Stereograms written to $out"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec build/app/orvalis $out
else
  echo "No display: open them later with  build/app/orvalis $out"
fi
