#!/usr/bin/env python3
"""Runs the speed comparisons of scripts/bench.sh and prints their figures.

usage: bench_runs.py RUNS NEW_BUILD BASE_BUILD DATA BASE_NAME

Each comparison runs its two commands in turn, RUNS times each after one warm-up run, and
prints the minimum and median wall time (or peak memory) of each and of their ratio taken
run by run, so that a machine whose speed drifts still gives a fair ratio.
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

runs, base_name = int(sys.argv[1]), sys.argv[5]
new, base, data = (os.path.abspath(p) for p in sys.argv[2:5])
NEW_CLI, BASE_CLI = f"{new}/tools/orvalis-cli", f"{base}/tools/orvalis-cli"
tmp = tempfile.mkdtemp(prefix="orvalis-bench-")
failures = []


def run(cmd, cwd=None):
    """Wall seconds of one run; its output is dropped."""
    start = time.perf_counter()
    proc = subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit(f"failed: {' '.join(cmd)}\n{proc.stderr.decode(errors='replace')}")
    return wall, 0.0


def peak(cmd, cwd=None):
    """Peak resident memory in MiB of one run, as /usr/bin/time reports it for the command alone."""
    report = os.path.join(tmp, "time.txt")
    run(["/usr/bin/time", "-f", "%M", "-o", report, *cmd], cwd)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024.0


def row(label, values, unit, digits=3):
    print(f"  {label:<34} min {min(values):>9.{digits}f}  median {statistics.median(values):>9.{digits}f} {unit}")


def compare(title, a_name, a, b_name, b, want, cwd=None):
    """A against B in turn; `want` is (figure, bound): 'speed-up' = B/A at least, 'ratio' = A/B at most."""
    print(title)
    run(a, cwd), run(b, cwd)
    ta, tb = [], []
    for _ in range(runs):
        ta.append(run(a, cwd)[0])
        tb.append(run(b, cwd)[0])
    row(f"{a_name} wall", ta, "s")
    row(f"{b_name} wall", tb, "s")
    figure, bound = want
    if figure == "speed-up":
        ratios = [y / x for x, y in zip(ta, tb)]
        row(f"speed-up ({b_name} / {a_name})", ratios, "x", 2)
        ok = statistics.median(ratios) >= bound
        print(f"  target: at least {bound}x: {'met' if ok else 'NOT MET'} (median)")
    else:
        ratios = [x / y for x, y in zip(ta, tb)]
        row(f"ratio ({a_name} / {b_name})", ratios, "", 2)
        ok = statistics.median(ratios) <= bound
        print(f"  target: at most {bound}: {'met' if ok else 'NOT MET'} (median)")
    if not ok:
        failures.append(title)


def same_bytes(title, a, b):
    ok = open(a, "rb").read() == open(b, "rb").read()
    print(f"  {title}: {'byte-identical to ' + base_name if ok else 'DIFFERS from ' + base_name}")
    if not ok:
        failures.append(title)


def stereo(cli, out, *flags, depth="depth3200.bmp"):
    return [cli, "stereo", "--texture", f"{data}/texture256.bmp", "--depth", f"{data}/{depth}", "-o", out, *flags]


for flags, bound in (([], 4.0), (["--oversample", "6", "--hidden"], 2.5)):
    name = " ".join(flags) or "oversampling 1"
    a, b = f"{tmp}/new.bmp", f"{tmp}/base.bmp"
    compare(f"1. orvalis-cli stereo 3200 x 2400, {name}", "this tree", stereo(NEW_CLI, a, *flags),
            base_name, stereo(BASE_CLI, b, *flags), ("speed-up", bound))
    same_bytes("result", a, b)

print("1. orvalis-cli stereo 8000 x 8000 depth picture: peak memory")
peaks = [peak(stereo(NEW_CLI, f"{tmp}/big.bmp", depth="depth8000.bmp")) for _ in range(runs)]
row("this tree peak", peaks, "MiB", 1)
per_pixel = [p * 1024 * 1024 / (8000 * 8000) for p in peaks]
row("bytes per depth pixel", per_pixel, "", 2)
print(f"  target: at most 9: {'met' if max(per_pixel) <= 9 else 'NOT MET'}")
print(f"  {base_name} peak: {peak(stereo(BASE_CLI, f'{tmp}/big.bmp', depth='depth8000.bmp')):.1f} MiB")
os.remove(f"{tmp}/big.bmp")

print("2. stereo_bench (MakeStereo, 1920 x 1080), Mpx/s of each case")
rates, decode_ms = {}, []
for tree, path in (("new", new), ("base", base)):
    for _ in range(runs):
        text = subprocess.run([f"{path}/tools/stereo_bench", "3"], capture_output=True, text=True, check=True).stdout
        for label, mpx in re.findall(r"^(oversam \d[^\n]*?)\s+[\d.]+ ms\s+([\d.]+) Mpx/s", text, re.M):
            rates.setdefault(label, {}).setdefault(tree, []).append(float(mpx))
        if tree == "new":  # the reference has no decoder
            decode_ms += [float(ms) for ms in re.findall(r"^decode\s+([\d.]+) ms", text, re.M)]
for label, r in rates.items():
    gain = [n / b for n, b in zip(r["new"], r["base"])]
    ok = statistics.median(gain) >= 2.0
    if not ok:
        failures.append(f"stereo_bench {label}")
    print(f"  {label:<26} this tree median {statistics.median(r['new']):7.1f}  {base_name} median "
          f"{statistics.median(r['base']):7.1f}  gain min {min(gain):5.2f} median {statistics.median(gain):5.2f}x "
          f"(target 2x: {'met' if ok else 'NOT MET'})")

if decode_ms:
    ok = statistics.median(decode_ms) <= 1000
    if not ok:
        failures.append("stereo_bench decode")
    row("decode (stereogram read back)", decode_ms, "ms", 1)
    print(f"  target: at most 1000 ms: {'met' if ok else 'NOT MET'} (median)")

mandel = ["mandel", "--width", "1920", "--height", "1080", "--iterations", "1000", "-o"]
compare("3. orvalis-cli mandel 1920 x 1080, 1000 iterations", "this tree",
        [NEW_CLI, *mandel, f"{tmp}/new.bmp"], base_name, [BASE_CLI, *mandel, f"{tmp}/base.bmp"], ("speed-up", 5.0),
        cwd=data)
same_bytes("picture", f"{tmp}/new.bmp", f"{tmp}/base.bmp")

compare("5. orvalis-cli picture, 6000 x 4000 JPEG", "orvalis-cli", [NEW_CLI, "picture", f"{data}/photo6000.jpg",
        f"{tmp}/new.bmp"], "djpeg -bmp", ["djpeg", "-bmp", "-outfile", f"{tmp}/djpeg.bmp", f"{data}/photo6000.jpg"],
        ("ratio", 1.0))
run([BASE_CLI, "picture", f"{data}/photo6000.jpg", f"{tmp}/base.bmp"])
same_bytes("picture", f"{tmp}/new.bmp", f"{tmp}/base.bmp")
compare("5. orvalis-cli picture, 4000 x 3000 GIF", "orvalis-cli", [NEW_CLI, "picture", f"{data}/picture4000.gif",
        f"{tmp}/new.bmp"], "convert", ["convert", f"{data}/picture4000.gif", f"{tmp}/convert.bmp"], ("ratio", 0.5))
run([BASE_CLI, "picture", f"{data}/picture4000.gif", f"{tmp}/base.bmp"])
same_bytes("picture", f"{tmp}/new.bmp", f"{tmp}/base.bmp")

os.environ.setdefault("SDL_AUDIODRIVER", "dummy")
compare("6. orvalis-cli wave-info, 10-minute 44.1 kHz stereo WAV", "orvalis-cli",
        [NEW_CLI, "wave-info", f"{data}/sound600.wav"], "soxi", ["soxi", f"{data}/sound600.wav"], ("ratio", 5.0))
peaks = [peak([NEW_CLI, "wave-info", f"{data}/sound600.wav"]) for _ in range(runs)]
row("orvalis-cli wave-info peak", peaks, "MiB", 1)
print(f"  target: under 20 MiB: {'met' if max(peaks) < 20 else 'NOT MET'}")
if max(peaks) >= 20:
    failures.append("wave-info memory")

# PNG in and out against BMP in and out, the same options and build: the depth read a band of
# rows at a time, the result deflated on every core.
big = ["--texture", f"{data}/texture256.bmp"]
for flags, bound in (([], 2.0), (["--oversample", "4", "--hidden"], 1.3)):
    name = " ".join(flags) or "oversampling 1"
    compare(f"7. orvalis-cli stereo 8000 x 8000 grey, {name}: PNG -> PNG against BMP -> BMP", "PNG",
            [NEW_CLI, "stereo", *big, "--depth", f"{data}/depth8000.png", "-o", f"{tmp}/new.png", *flags], "BMP",
            [NEW_CLI, "stereo", *big, "--depth", f"{data}/depth8000.bmp", "-o", f"{tmp}/new.bmp", *flags],
            ("ratio", bound))
    run([NEW_CLI, "picture", f"{tmp}/new.png", f"{tmp}/decoded.bmp"])
    same = open(f"{tmp}/decoded.bmp", "rb").read() == open(f"{tmp}/new.bmp", "rb").read()
    print(f"  PNG result decoded: {'the same pixels as the BMP result' if same else 'PIXELS DIFFER'}")
    if not same:
        failures.append(f"PNG pixels, {name}")
    if not flags:
        peaks = [peak([NEW_CLI, "stereo", *big, "--depth", f"{data}/depth8000.png", "-o", f"{tmp}/new.png"])
                 for _ in range(runs)]
        row("PNG -> PNG peak", peaks, "MiB", 1)
        print(f"  target: at most 128 MiB: {'met' if max(peaks) <= 128 else 'NOT MET'}")
        if max(peaks) > 128:
            failures.append("PNG memory")
        print(f"  BMP -> BMP peak: {peak([NEW_CLI, 'stereo', *big, '--depth', f'{data}/depth8000.bmp', '-o', f'{tmp}/new.bmp']):.1f} MiB")
        # The other depth readers and results that stream, and a depth picture scaled band by band.
        for depth, result, more in (("png", "bmp", []), ("jpg", "png", []), ("tif", "png", []), ("jpg", "bmp", []),
                                    ("png", "png", ["--size", "6000x6000"])):
            cmd = [NEW_CLI, "stereo", *big, "--depth", f"{data}/depth8000.{depth}", "-o", f"{tmp}/new.{result}", *more]
            print(f"  {depth.upper()} -> {result.upper()} {' '.join(more)}: {statistics.median(run(cmd)[0] for _ in range(runs)):.2f} s, "
                  f"peak {peak(cmd):.1f} MiB")
threads = [NEW_CLI, "stereo", *big, "--depth", f"{data}/depth8000.png", "-o", f"{tmp}/new.png"]
compare("7. orvalis-cli stereo 8000 x 8000 grey PNG -> PNG: ORVALIS_THREADS=2 against 1", "2 threads",
        ["env", "ORVALIS_THREADS=2", *threads], "1 thread", ["env", "ORVALIS_THREADS=1", *threads], ("speed-up", 1.6))

# BMP -> JPEG at quality 95, the rows streamed, against cjpeg on the same file.
photo = f"{tmp}/photo6000.bmp"
run([NEW_CLI, "picture", f"{data}/photo6000.jpg", photo])
compare("7. orvalis-cli picture 6000 x 4000 BMP -> JPEG quality 95 against cjpeg", "orvalis-cli",
        [NEW_CLI, "picture", photo, f"{tmp}/new.jpg"], "cjpeg", ["cjpeg", "-quality", "95", "-outfile", f"{tmp}/cjpeg.jpg", photo],
        ("ratio", 1.0))
ours = statistics.median(peak([NEW_CLI, "picture", photo, f"{tmp}/new.jpg"]) for _ in range(runs))
theirs = statistics.median(peak(["cjpeg", "-quality", "95", "-outfile", f"{tmp}/cjpeg.jpg", photo]) for _ in range(runs))
print(f"  peak memory: orvalis-cli {ours:.1f} MiB, cjpeg {theirs:.1f} MiB, ratio {ours / theirs:.2f} "
      f"(target at most 1.2: {'met' if ours <= 1.2 * theirs else 'NOT MET'})")
if ours > 1.2 * theirs:
    failures.append("JPEG memory")

for f in os.listdir(tmp):  # the pictures made and the time reports
    os.remove(os.path.join(tmp, f))
os.rmdir(tmp)
print("all targets met" if not failures else "targets not met: " + "; ".join(failures))
