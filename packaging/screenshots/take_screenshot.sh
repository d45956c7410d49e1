#!/bin/sh
# Remakes orvalis.png, the AppStream screenshot, from the installed program (package or
# `cmake --install`): a stereogram made from the samples, the Mandelbrot window and a sound.
# usage: xvfb-run -a -s "-screen 0 1600x1000x24" sh packaging/screenshots/take_screenshot.sh
# Needs xdotool and imagemagick. The files are copied under /home/ana so the titles show
# ordinary paths.
set -e
src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p /home/ana/Pictures /home/ana/Music
cp "$src"/samples/texture.bmp "$src"/samples/depth.bmp /home/ana/Pictures/
cp "$src"/tests/data/wav/stereo16.wav /home/ana/Music/
export XDG_CONFIG_HOME="$(mktemp -d)" SDL_AUDIODRIVER=dummy
cd /home/ana
orvalis /home/ana/Music/stereo16.wav /home/ana/Pictures/texture.bmp /home/ana/Pictures/depth.bmp &
pid=$!
sleep 3
k() { xdotool key --delay 150 "$@"; sleep 0.6; }
frame=$(xdotool search --name '^Orvalis$' | head -1)
xdotool windowfocus "$frame"
sleep 0.5
k alt+w 3      # depth.bmp
k alt+s d      # set as Depth view
k alt+w 2      # texture.bmp
k alt+s b      # set as Background
k alt+s c      # Create it now
k alt+m m      # Main Mandelbrot
sleep 3
k alt+w t      # Tile
import -window "$frame" -strip PNG24:"$src"/packaging/screenshots/orvalis.png
kill "$pid"
