#!/bin/sh
# Speed figures of "fast at every size" and of PNG in and out (section 7): builds this tree and the reference commit
# (BENCH_BASE, default da730f0) in Release with the benchmarks and no tests, makes the test
# pictures and sound, and prints every figure's minimum and median over RUNS runs (default 5)
# next to the reference or the named tool, with the ratio, run by run in turn.
# usage: scripts/bench.sh [RUNS]        (ORVALIS_THREADS limits the threads of this tree's runs)
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh bench
runs=${1:-5}
base=${BENCH_BASE:-da730f0}
out=build-bench
jobs=$(nproc)

cmake -S . -B "$out/new" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DORVALIS_UI=OFF >/dev/null
cmake --build "$out/new" -j"$jobs" --target orvalis-cli stereo_bench mandel_bench
if [ ! -x "$out/base-$base/build/tools/orvalis-cli" ]; then
  rm -rf "$out/base-$base" && mkdir -p "$out/base-$base/src"
  git archive "$base" | tar -x -C "$out/base-$base/src"
  cmake -S "$out/base-$base/src" -B "$out/base-$base/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF -DORVALIS_UI=OFF >/dev/null
  cmake --build "$out/base-$base/build" -j"$jobs" --target orvalis-cli stereo_bench
fi

data=$out/data
mkdir -p "$data"
[ -f "$data/depth3200.bmp" ] || convert -size 3200x2400 radial-gradient:'#7f7f7f-black' -type TrueColor BMP3:"$data/depth3200.bmp"
[ -f "$data/depth8000.bmp" ] || convert -size 8000x8000 radial-gradient:'#7f7f7f-black' -type TrueColor BMP3:"$data/depth8000.bmp"
[ -f "$data/depth8000.png" ] || /usr/bin/python3 -c "import sys; from PIL import Image
Image.open(sys.argv[1]).convert('L').save(sys.argv[2])" "$data/depth8000.bmp" "$data/depth8000.png"
for kind in jpg tif; do
  [ -f "$data/depth8000.$kind" ] || /usr/bin/python3 -c "import sys; from PIL import Image
Image.open(sys.argv[1]).save(sys.argv[2], **({'quality': 95} if sys.argv[2].endswith('jpg') else {'compression': 'tiff_lzw'}))" \
    "$data/depth8000.png" "$data/depth8000.$kind"
done
[ -f "$data/texture256.bmp" ] || convert -seed 1 -size 256x256 plasma:fractal -type TrueColor BMP3:"$data/texture256.bmp"
[ -f "$data/photo6000.jpg" ] || convert -seed 2 -size 1500x1000 plasma:fractal -blur 0x1 -resize 6000x4000 \
  -attenuate 0.3 +noise Gaussian -quality 90 "$data/photo6000.jpg"
[ -f "$data/picture4000.gif" ] || convert -seed 3 -size 1000x750 plasma:fractal -resize 4000x3000 -colors 256 "$data/picture4000.gif"
[ -f "$data/sound600.wav" ] || sox -n -r 44100 -c 2 -b 16 "$data/sound600.wav" synth 600 sine 440
cp mandel/palette.pal "$data/palette.pal"

python3 scripts/bench_runs.py "$runs" "$out/new" "$out/base-$base/build" "$data" "$base"

# Animated stereogram: 300 frames of 1280 x 720 (a disc crossing a flat background) from a PNG
# sequence to a lossless animated WebP and to an MP4 (H.264 4:4:4), frames a second and peak memory.
frames=$data/frames
if [ ! -f "$frames/d0299.png" ]; then
  mkdir -p "$frames"
  i=0
  while [ $i -lt 300 ]; do
    x=$((100 + i * 1080 / 300))
    convert -size 1280x720 xc:black -fill white -draw "circle $x,360 $((x + 150)),360" -depth 8 \
      "$frames/d$(printf %04d $i).png"
    i=$((i + 1))
  done
fi
if command -v /usr/bin/time >/dev/null; then
  for ext in webp mp4; do
    /usr/bin/time -f "%e %M" -o "$out/animate.time" "$out/new/tools/orvalis-cli" animate --depth "$frames/d%04d.png" \
      --texture random -o "$out/animate.$ext" --report >/dev/null
    awk -v ext="$ext" '{printf "animate 300 frames 1280x720 to %s: %.1f s, %.1f frames/s, peak memory %.0f MB\n", ext, $1, 300 / $1, $2 / 1024}' \
      "$out/animate.time"
  done
fi
