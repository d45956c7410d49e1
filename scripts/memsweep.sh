#!/bin/sh
# Runs every orvalis-cli command and every window kind on large inputs (8000 x 8000 pictures,
# a 64 MB sound, a drawing of 200000 faces) under address-space limits (ulimit -v), and fails
# when a run ends by a signal (an abort is 134) or hangs: running out of memory must give a
# message and exit 1 (command line) or leave the other windows as they were (window program).
#   sh scripts/memsweep.sh [BUILD_DIR [LIMIT_MB ...]]   (default: build, 150 to 1000 by 50)
# Prints a line per run: limit, run, exit status and the last line of its output.
set -e
cd "$(dirname "$0")/.."
# The OpenGL window needs a display; the others draw offscreen.
if [ -z "$DISPLAY" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" sh "$PWD/scripts/memsweep.sh" "$@"; fi
build=${1:-build}
[ $# -gt 0 ] && shift
case $build in /*) ;; *) build=$PWD/$build ;; esac
limits=${*:-$(seq 150 50 1000)}
cli=$build/tools/orvalis-cli
probe=$build/tests/app/window_probe
work=$build/memsweep
mkdir -p "$work/config"

# Inputs, made once: plain pictures keep the files small where the format allows.
/usr/bin/python3 - "$work" <<'PY'
import os, struct, sys, wave
from PIL import Image
w = sys.argv[1]
def made(name):
    return os.path.exists(os.path.join(w, name))
if not made("big.bmp"):
    with open(os.path.join(w, "big.bmp"), "wb") as f:
        row = bytes(range(256)) * (8000 * 3 // 256) + bytes(8000 * 3 % 256)
        f.write(b"BM" + struct.pack("<IHHI", 54 + len(row) * 8000, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, 8000, 8000, 1, 24, 0, len(row) * 8000, 2835, 2835, 0, 0))
        for _ in range(8000):
            f.write(row)
if not made("big.gif") or not made("big.jpg"):
    im = Image.linear_gradient("L").resize((8000, 8000))
    im.quantize(16).save(os.path.join(w, "big.gif"))
    im.convert("RGB").save(os.path.join(w, "big.jpg"), quality=50)
if not made("big.wav"):
    with wave.open(os.path.join(w, "big.wav"), "wb") as s:
        s.setnchannels(2), s.setsampwidth(2), s.setframerate(44100)
        s.writeframes(bytes(range(256)) * (64 << 12))
if not made("big.dxf"):
    with open(os.path.join(w, "big.dxf"), "w") as f:
        f.write("  0\nSECTION\n  2\nENTITIES\n")
        for i in range(200000):
            x, y = i % 1000, i // 1000
            f.write("  0\n3DFACE\n  8\n0\n")
            for k, (dx, dy) in enumerate([(0, 0), (1, 0), (1, 1), (0, 1)]):
                f.write(f" 1{k}\n{x + dx}.0\n 2{k}\n{y + dy}.0\n 3{k}\n0.0\n")
        f.write("  0\nENDSEC\n  0\nEOF\n")
PY

export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/config"
small=samples/texture.bmp
status=0
for mb in $limits; do
  while read -r name cmd; do
    set +e
    start=$(date +%s)
    timeout 300 sh -c "ulimit -v $((mb * 1024)); exec $cmd" < /dev/null > "$work/out" 2>&1
    rc=$?
    set -e
    secs=$(($(date +%s) - start))
    last=$(grep -v "^QStandardPaths\|propagateSizeHints\|^window: \|^box: Orvalis: Bitmap copied" "$work/out" | tail -1)
    kept=$(grep -c "^window: " "$work/out" || true)
    verdict=ok
    if [ $rc -ge 124 ]; then verdict=FAILED; status=1; fi
    printf '%5s MB  %-14s exit %3s %-6s %3s s  %s windows  %s\n' "$mb" "$name" "$rc" "$verdict" "$secs" "$kept" "$last"
  done <<EOF
picture-bmp $cli picture $work/big.bmp /dev/null
picture-gif $cli picture $work/big.gif /dev/null
picture-jpeg $cli picture $work/big.jpg /dev/null
stereo $cli stereo --texture $small --depth $work/big.bmp -o /dev/null
mandel $cli mandel -o /dev/null --width 8000 --height 8000 --iterations 1 --palette mandel/palette.pal
wave-info $cli wave-info $work/big.wav
dxf-info $cli dxf-info $work/big.dxf
window-bmp $probe open $small $work/big.bmp
window-gif $probe open $small $work/big.gif
window-jpeg $probe open $small $work/big.jpg
window-stereo $probe stereo $small $work/big.bmp
window-mandel env -C mandel $probe mandel 8000 8000
window-wave $probe open $small $work/big.wav
window-dxf env QT_QPA_PLATFORM=xcb $probe open $small $work/big.dxf
EOF
done
exit $status
