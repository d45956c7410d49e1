#!/bin/sh
# Installs the Debian packages a task needs, only when some are missing.
# usage: scripts/deps.sh run|test|coverage|bench|fuzz-deep
set -e
common="cmake ninja-build g++ pkg-config qt6-base-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev libtbb-dev libhwy-dev
        libgl1-mesa-dri libassimp-dev libsdl2-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev libdeflate-dev libgif-dev libwebp-dev libtiff-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev qt6-image-formats-plugins fonts-dejavu-core xvfb xauth"
case "$1" in
  run)  pkgs="$common" ;;
  test|coverage) pkgs="$common libgtest-dev libgif-dev imagemagick sox python3 python3-pil clang libclang-rt-14-dev
              dpkg-dev file desktop-file-utils appstream lintian ffmpeg" ;;
  bench) pkgs="$common libgif-dev imagemagick sox python3 python3-pil libjpeg-turbo-progs time" ;;
  fuzz-deep) pkgs="dpkg-dev" ;;  # apt-get source, for the instrumented libjpeg-turbo
  *) echo "usage: $0 run|test|coverage|bench|fuzz-deep" >&2; exit 2 ;;
esac
if [ "$1" = coverage ]; then pkgs="$pkgs gcovr"; fi
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
