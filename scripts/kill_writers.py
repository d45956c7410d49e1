#!/usr/bin/env python3
"""Kills orvalis-cli with SIGKILL at random moments while it replaces an existing output and
counts what is left: every output must be the old file or the new one whole, and no other file
may stay in the folder.

    python3 scripts/kill_writers.py ORVALIS_CLI FOLDER [KILLS] [--no-tmpfile]

FOLDER is where the outputs are written (a tmpfs or an ext4 mount, say). --no-tmpfile runs the
writer with O_TMPFILE refused (EOPNOTSUPP, through a seccomp filter), as on a file system
without unnamed files: there a kill may leave the named temporary file."""
import ctypes, hashlib, os, random, signal, subprocess, sys, time

FORMATS = ["bmp", "png", "jpg", "tif", "webp"]


def refuse_tmpfile():
    """A seccomp filter: openat with __O_TMPFILE fails with EOPNOTSUPP."""
    def ins(code, jt, jf, k):
        return (code | jt << 16 | jf << 24, k)
    ld, jeq, jset, ret = 0x20, 0x15, 0x45, 0x06
    prog = [ins(ld, 0, 0, 0),                          # syscall number
            ins(jeq, 0, 3, 257),                       # openat
            ins(ld, 0, 0, 16 + 2 * 8),                 # low half of the flags
            ins(jset, 0, 1, 0o20000000),               # __O_TMPFILE
            ins(ret, 0, 0, 0x00050000 | 95),           # SECCOMP_RET_ERRNO | EOPNOTSUPP
            ins(ret, 0, 0, 0x7FFF0000)]                # allow
    class Filter(ctypes.Structure):
        _fields_ = [("code", ctypes.c_uint16), ("jt", ctypes.c_uint8), ("jf", ctypes.c_uint8), ("k", ctypes.c_uint32)]
    class Prog(ctypes.Structure):
        _fields_ = [("len", ctypes.c_ushort), ("filter", ctypes.POINTER(Filter))]
    arr = (Filter * len(prog))(*[Filter(c & 0xFFFF, c >> 16 & 0xFF, c >> 24, k) for c, k in prog])
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(38, 1, 0, 0, 0)  # PR_SET_NO_NEW_PRIVS
    if libc.prctl(22, 2, ctypes.byref(Prog(len(prog), arr)), 0, 0) != 0:  # PR_SET_SECCOMP, FILTER
        raise OSError(ctypes.get_errno(), "seccomp")


def md5(path):
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


def main():
    cli, folder = sys.argv[1], sys.argv[2]
    kills = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[3].isdigit() else 100
    no_tmpfile = "--no-tmpfile" in sys.argv
    pre = refuse_tmpfile if no_tmpfile else None
    work = os.path.join(folder, "kill-work")
    os.makedirs(work, exist_ok=True)
    depth = os.path.join(work, "depth.png")
    subprocess.run([cli, "mandel", "--depth-out", depth, "--width", "2400", "--height", "1800"], check=True)
    out_dir = os.path.join(folder, "kill-out")
    os.makedirs(out_dir, exist_ok=True)

    def command(ext, seed):
        out = os.path.join(out_dir, "out." + ext)
        if seed % 2:  # the picture command, from the last stereogram written as BMP
            return [cli, "picture", os.path.join(work, "src.bmp"), out]
        return [cli, "stereo", "--texture", "random:%d" % seed, "--depth", depth, "--depth-mode", "grey", "-o", out]

    subprocess.run(command("bmp", 2)[:-1] + [os.path.join(work, "src.bmp")], check=True)
    old, new, took = {}, {}, {}
    for ext in FORMATS:
        old[ext] = os.path.join(work, "old." + ext)
        subprocess.run(command(ext, 8)[:-1] + [old[ext]], check=True)
        for kind in (0, 1):
            start = time.monotonic()
            subprocess.run(command(ext, 2 + kind), check=True, preexec_fn=pre)
            took[(ext, kind)] = time.monotonic() - start
            new[(ext, kind)] = md5(os.path.join(out_dir, "out." + ext))
    landed = whole = stray = 0
    strays = set()
    rng = random.Random(1)
    for i in range(kills):
        ext, kind = rng.choice(FORMATS), rng.randrange(2)
        out = os.path.join(out_dir, "out." + ext)
        with open(old[ext], "rb") as f, open(out, "wb") as g:
            g.write(f.read())
        p = subprocess.Popen(command(ext, 2 + kind), preexec_fn=pre)
        time.sleep(rng.uniform(0, took[(ext, kind)] * 1.1))
        p.send_signal(signal.SIGKILL)
        landed += p.wait() == -signal.SIGKILL
        whole += md5(out) in (md5(old[ext]), new[(ext, kind)])
        for name in os.listdir(out_dir):
            if not name.startswith("out.") or name.count(".") != 1:
                strays.add(name)
                stray += 1
                os.unlink(os.path.join(out_dir, name))
    print("%d runs, %d ended by the kill, %d outputs whole (old or new), %d stray files%s" %
          (kills, landed, whole, stray, (": " + ", ".join(sorted(strays))) if strays else ""))
    return 0 if whole == kills and (no_tmpfile or stray == 0) else 1


if __name__ == "__main__":
    sys.exit(main())
