#!/usr/bin/env python3
"""Checks what `cmake --install` and CPack make of a build folder.

  check_install.py staged CMAKE BUILD   install into a temporary DESTDIR (prefix /usr) and check
                                        the file list, the desktop entry and AppStream data with
                                        their validators, the palette as the installed orvalis-cli
                                        finds it, and the manual page against `orvalis-cli --help`
  check_install.py deb CPACK BUILD      make the Debian package and check it with lintian
"""
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

APP_ID = "org.vennlore.Orvalis"
# The gallery as samples/gallery/make_gallery.py makes it: depth maps with their sidecars, and the textures.
GALLERY = [f"{m}.{e}" for m in ("sphere", "torus", "stairs", "text", "knot", "relief", "mandelbrot", "ripple-16bit")
           for e in ("png", "orvalis-gallery")] + [
    f"textures/{t}.png" for t in ("dots-colour", "dots-grey", "pattern", "photo-noise", "stripes", "tile")]
ICON_SIZES = (16, 32, 48, 64, 128, 256)
EXPECTED = {
    "usr/bin/orvalis",
    "usr/bin/orvalis-cli",
    "usr/lib/orvalis/modules/orvalis-cli-formats.so",
    "usr/lib/orvalis/modules/orvalis-video.so",
    "usr/share/orvalis/palette.pal",
    f"usr/share/applications/{APP_ID}.desktop",
    f"usr/share/metainfo/{APP_ID}.metainfo.xml",
    f"usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
    "usr/share/man/man1/orvalis.1.gz",
    "usr/share/man/man1/orvalis-cli.1.gz",
    "usr/share/doc/orvalis/copyright",
    "usr/share/doc/orvalis/changelog.gz",
} | {f"usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES} | {
    f"usr/share/orvalis/gallery/{name}" for name in GALLERY}
MIME_TYPES = {"image/bmp", "image/gif", "image/jpeg", "audio/x-wav", "image/vnd.dxf"}
# An option word: one or two dashes and a letter, not inside a hyphenated word.
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")

failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text)


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def tool(name):
    path = shutil.which(name)
    if not path:
        sys.exit(f"{name} is missing: scripts/deps.sh test installs it")
    return path


# ---- file list and files -------------------------------------------------------------------

def check_file_list(stage, build):
    found = {os.path.relpath(os.path.join(d, f), stage) for d, _, fs in os.walk(stage) for f in fs}
    for f in sorted(EXPECTED - found):
        fail(f"not installed: {f}")
    for f in sorted(found - EXPECTED):
        fail(f"installed but not expected: {f}")
    for exe in ("orvalis", "orvalis-cli"):
        dyn = run(["readelf", "-d", os.path.join(stage, "usr/bin", exe)]).stdout
        if os.path.realpath(build) in dyn or "RPATH" in dyn or "RUNPATH" in dyn:
            fail(f"{exe} still looks for libraries in the build folder:\n{dyn}")
    for n in ICON_SIZES:
        with open(os.path.join(stage, f"usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png"), "rb") as f:
            head = f.read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (n, n):
            fail(f"icon for {n}x{n} is not a {n}x{n} PNG")


def check_desktop_entry(stage):
    path = os.path.join(stage, f"usr/share/applications/{APP_ID}.desktop")
    v = run([tool("desktop-file-validate"), path])
    if v.returncode or v.stdout.strip() or v.stderr.strip():
        fail(f"desktop-file-validate: {v.stdout}{v.stderr}")
    keys = dict(line.split("=", 1) for line in open(path, encoding="utf-8") if "=" in line)
    if keys.get("Exec", "").strip() != "orvalis %F":
        fail(f"desktop entry Exec is {keys.get('Exec')!r}")
    if keys.get("Icon", "").strip() != APP_ID:
        fail(f"desktop entry Icon is {keys.get('Icon')!r}")
    if not {"Graphics", "Viewer"} <= set(keys.get("Categories", "").strip().split(";")):
        fail("desktop entry lacks the Graphics and Viewer categories")
    missing = MIME_TYPES - set(keys.get("MimeType", "").strip().split(";"))
    if missing:
        fail(f"desktop entry lacks MIME types {sorted(missing)}")


def check_metainfo(stage):
    path = os.path.join(stage, f"usr/share/metainfo/{APP_ID}.metainfo.xml")
    v = run([tool("appstreamcli"), "validate", "--no-net", path])
    if v.returncode:
        fail(f"appstreamcli validate: {v.stdout}{v.stderr}")
    root = ET.parse(path).getroot()
    if root.findtext("id") != APP_ID or root.findtext("launchable") != f"{APP_ID}.desktop":
        fail("metainfo id or launchable does not name the desktop entry")
    if not "".join(root.find("description").itertext()).strip():
        fail("metainfo has no description")
    if not (root.findtext("screenshots/screenshot/image") or "").startswith("https://"):
        fail("metainfo has no screenshot image")


# ---- the palette as the installed program finds it ------------------------------------------

def palette_colours(path):
    lines = open(path, "rb").read().split(b"\n")
    count = int(lines[2])
    return {tuple(int(v) & 0xFF for v in line.split()[:3]) for line in lines[3:3 + count]}


def bmp_colours(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, bits
    stride = (width * 3 + 3) & ~3
    colours = set()
    for y in range(abs(height)):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        colours |= {(row[x + 2], row[x + 1], row[x]) for x in range(0, width * 3, 3)}
    return colours


def check_palette(stage, work):
    """Run from an empty folder, orvalis-cli can only find the palette in its data folder."""
    cli = os.path.join(stage, "usr/bin/orvalis-cli")
    palette = os.path.join(stage, "usr/share/orvalis/palette.pal")
    out = os.path.join(work, "mandel.bmp")
    args = [cli, "mandel", "-o", out, "--width", "16", "--height", "12", "--iterations", "64"]
    r = run(args, cwd=work)
    if r.returncode:
        fail(f"installed orvalis-cli mandel did not find its palette: {r.stderr}")
        return
    used, offered = bmp_colours(out), palette_colours(palette)
    if len(used) < 2 or not used <= offered:
        fail(f"mandel picture colours {sorted(used - offered)[:5]} are not from {palette}")
    # PNG goes through the formats module, which the installed program finds beside its data.
    png, back = os.path.join(work, "mandel.png"), os.path.join(work, "back.bmp")
    r = run([cli, "picture", out, png]), run([cli, "picture", png, back])
    if any(x.returncode for x in r) or bmp_colours(back) != used:
        fail(f"installed orvalis-cli did not write and read PNG: {r[0].stderr}{r[1].stderr}")
    os.rename(palette, palette + ".away")
    r = run(args, cwd=work)
    os.rename(palette + ".away", palette)
    if r.returncode == 0 or "palette.pal" not in r.stderr:
        fail(f"without the installed palette orvalis-cli still ran or said no name: {r.stderr!r}")


# ---- the manual page against --help ----------------------------------------------------------

def parse_help(cli):
    """Subcommands with their options, and the options not tied to one, from the help texts."""
    r = run([cli, "--help"])
    if r.returncode:
        fail(f"orvalis-cli --help exits with {r.returncode}")
    commands, general = {}, set()
    for line in (r.stdout + r.stderr).splitlines():
        named = re.match(r"\s*(?:usage:\s*)?orvalis-cli\s+([a-z][\w-]*)(.*)", line)
        listed = re.match(r"\s{2,}([a-z][\w-]*)(?:\s|$)(.*)", line)
        if named:
            commands.setdefault(named.group(1), set()).update(OPTION.findall(named.group(2)))
        elif listed and run([cli, listed.group(1), "--help"]).returncode == 0:
            commands.setdefault(listed.group(1), set()).update(OPTION.findall(listed.group(2)))
        else:
            general.update(OPTION.findall(line))
    for name, options in commands.items():
        sub = run([cli, name, "--help"])
        if sub.returncode == 0:
            options.update(OPTION.findall(sub.stdout + sub.stderr))
    return commands, general


def roff_sections(page):
    """The manual page as plain text, split at its section and subsection headings."""
    text = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", page.replace("\\-", "-").replace("\\&", ""))
    sections, heading, body = {}, "", []
    for line in text.splitlines() + [".SH END"]:
        if line.startswith((".SH", ".SS")):
            sections[heading] = "\n".join(body)
            heading, body = line[3:].strip().strip('"'), []
        body.append(line)
    return sections


def check_manual(stage):
    cli = os.path.join(stage, "usr/bin/orvalis-cli")
    commands, general = parse_help(cli)
    if not commands:
        fail("no subcommands found in orvalis-cli --help")
    man = os.path.join(stage, "usr/share/man/man1")
    sections = roff_sections(gzip.open(os.path.join(man, "orvalis-cli.1.gz"), "rt", encoding="utf-8").read())
    everywhere = set(OPTION.findall("\n".join(sections.values())))
    documented = {h.split()[0]: body for h, body in sections.items() if h and h.split()[0].islower()}
    # Options every command takes may be described once for all.
    common = general | {"-h", "--help", "--version"}
    for name, options in sorted(commands.items()):
        general |= options & common
        if name not in documented:
            fail(f"orvalis-cli.1 has no subsection for the command {name}")
            continue
        for opt in sorted(options - common - set(OPTION.findall(documented[name]))):
            fail(f"orvalis-cli.1 does not give {opt} under {name}")
    for opt in sorted(general - everywhere):
        fail(f"orvalis-cli.1 does not mention {opt}")
    for name in sorted(set(documented) - set(commands)):
        fail(f"orvalis-cli.1 documents {name}, which orvalis-cli --help does not list")
    for page in ("orvalis", "orvalis-cli"):
        head = gzip.open(os.path.join(man, f"{page}.1.gz"), "rt", encoding="utf-8").read(200)
        if not head.startswith(f".TH {page.upper().replace('-', chr(92) + '-')} 1"):
            fail(f"{page}.1 does not start with its title line")


# ---- the Debian package ----------------------------------------------------------------------

def check_deb(cpack, build, work):
    r = run([cpack, "-G", "DEB", "-B", work, "--config", os.path.join(build, "CPackConfig.cmake")], cwd=build)
    debs = [f for f in os.listdir(work) if f.endswith(".deb")]
    if r.returncode or len(debs) != 1:
        fail(f"cpack -G DEB: {r.stdout}{r.stderr}")
        return
    deb = os.path.join(work, debs[0])
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
    listed = run(["dpkg-deb", "-c", deb]).stdout
    for name in GALLERY:
        if f"./usr/share/orvalis/gallery/{name}\n" not in listed:
            fail(f"the package lacks the gallery's {name}")
    for lib in ("libqt6widgets6", "libsdl2-2.0-0", "libjpeg62-turbo"):
        if lib not in depends:
            fail(f"package dependencies lack {lib}: {depends}")
    lint = run([tool("lintian"), "--fail-on", "error,warning", deb])
    print(lint.stdout, end="")
    if lint.returncode:
        fail(f"lintian reports errors or warnings:\n{lint.stdout}{lint.stderr}")


def main():
    mode, command, build = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix="orvalis-install-") as work:
        if mode == "staged":
            stage = os.path.join(work, "stage")
            r = run([command, "--install", build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=stage))
            if r.returncode:
                sys.exit(f"cmake --install failed: {r.stdout}{r.stderr}")
            check_file_list(stage, build)
            check_desktop_entry(stage)
            check_metainfo(stage)
            os.mkdir(os.path.join(work, "empty"))
            check_palette(stage, os.path.join(work, "empty"))
            check_manual(stage)
        else:
            check_deb(command, build, work)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
