// orvalis-cli run as a program: standard output, standard error and exit status of each
// command, the output format chosen by the name, and stereograms equal to the program's. Files
// that cannot be read, of every kind, are checked with the dispatch in the frame's test.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "mandel/mandel_calc.h"
#include "platform/little_endian.h"
#include "stereo/gallery.h"
#include "stereo/stereo_pictures.h"
#include "tests/common/cli_run.h"
#include "tests/dxf/dxf_text.h"
#include "tests/images/image_test_util.h"
#include "tests/wave/wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace wavtest;

struct Cli : ::testing::Test {
    const TempDir dir{"orvalis_cli"};
    std::string at(const std::string& name) const { return dir / name; }
    CliRun run(const std::string& args) const { return RunCli(args, "SDL_AUDIODRIVER=dummy"); }
};

// A refused command line (status 2), and a command that failed on a file (status 1).
CliRun Usage(const std::string& cmd, const std::string& message) {
    return {2, "", "orvalis-cli " + cmd + ": " + message + "\nTry 'orvalis-cli " + cmd + " --help'.\n"};
}
CliRun Failed(const std::string& path, const std::string& message) {
    return {1, "", "orvalis-cli: " + path + ": " + message + "\n"};
}

// Columns: the arguments, then the exit status, output and error output.
TEST_F(Cli, EachCommandLineEndsAsTheTableSays) {
    const std::string bmp = ORVALIS_SOURCE_DIR "/tests/data/bmp/rgb24.bmp", none = at("none.bmp");
    WriteFileBytes(at("ok.wav"), Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}));
    WriteFileBytes(at("float.wav"), Riff({Fmt(1, 44100, 32, 3), {"data", Ramp(4)}}));
    WriteFileBytes(at("nochan.wav"), Riff({Fmt(0, 44100, 16), {"data", Ramp(4)}}));
    WriteFileBytes(at("mono8.wav"), Riff({Fmt(1, 8000, 8), {"data", Ramp(2241)}}));
    WriteFileBytes(at("cut.wav"), Riff({Fmt(1, 8000, 8), {"data", Ramp(8), 9}}));
    WriteFileBytes(at("gif.bmp"), {'G', 'I', 'F', '8', '9', 'a'});
    auto dxf = [&](const char* name, const std::string& text) { return WriteFileBytes(at(name), {text.begin(), text.end()}); };
    const std::string face = dxf("face.dxf", Entities(Face3D("0.0 0.0 0.0 1.0 0.0 0.0 1.0 1.0 0.0 1.0 1.0 0.0")));
    const std::string emptyDxf = dxf("empty.dxf", Entities(""));  // a polyface mesh of 3205 vertices read as 3732 per face
    const std::string big = dxf("big.dxf", Entities(D("0 POLYLINE 8 0 70 64 71 3205 72 3732 0 VERTEX 8 0 10 1.0 0 SEQEND")));
    // The libraries' reasons, and nothing else of theirs on standard error: a PNG whose image
    // data fails its CRC, a TIFF of 12-bit samples (libtiff prints both on its own otherwise).
    Bytes png = ReadFileBytes(kDataDir + "everyday/rgb.png"), tif = ReadFileBytes(kDataDir + "everyday/grey16.tiff");
    const auto idat = std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1) - png.begin();
    png.at(size_t(idat) + 4 + (png.at(size_t(idat) - 2) << 8 | png.at(size_t(idat) - 1))) ^= 1;  // a short chunk
    size_t entry = Le32(&tif.at(4)) + 2;
    while (Le16(&tif.at(entry)) != 258) entry += 12;  // BitsPerSample
    tif.at(entry + 8) = 12;
    WriteFileBytes(at("crc.png"), png);
    WriteFileBytes(at("twelve.tif"), tif);
    // Models Assimp refuses, each with its reason.
    const std::string emptyStl = dxf("empty.stl", ""), cutStl = dxf("cut.stl", std::string(80, ' ') + "\x64" + std::string(123, '\0'));
    const std::string pointsObj = dxf("points.obj", "v 0 0 0\nv 1 0 0\n"), oddName = dxf("ball.model", "v 0 0 0\n");
    const std::string stereo = "stereo --texture " + bmp + " --depth " + bmp + " -o " + at("s.bmp") + " ";
    const std::pair<std::string, CliRun> cases[] = {
        {"--version", {0, "orvalis-cli 1.0\n", ""}},
        {"--version extra", {2, "", "orvalis-cli: unexpected argument 'extra'\nTry 'orvalis-cli --help'.\n"}},
        {"frobnicate", {2, "", "orvalis-cli: unknown command 'frobnicate'\nTry 'orvalis-cli --help'.\n"}},
        {"picture " + bmp, Usage("picture", "missing OUT")},
        {"picture " + none + " " + at("x.gif"),  // refused before the input is read
         Usage("picture", "OUT: '" + at("x.gif") + "' names no picture type we write (the name must end in .bmp, .png, "
                                                   ".jpg, .jpeg, .tif, .tiff or .webp)")},
        {"picture " + at("gif.bmp") + " " + at("x.bmp"), Failed(at("gif.bmp"), "This is not a DIB bitmap file!")},
        {"picture " + bmp + " " + at("no/x.png"), Failed(at("no/x.png"), "No such file or directory")},
        {"picture " + at("crc.png") + " " + at("x.bmp"), Failed(at("crc.png"), "The picture could not be read: IDAT: CRC error.")},
        {"picture " + at("twelve.tif") + " " + at("x.bmp"),
         Failed(at("twelve.tif"), "The picture could not be read: Sorry, can not handle images with 12-bit samples.")},
        {stereo + "--eye 100000", Usage("stereo", "--eye: Eye separation must be a whole number from 1 to 32768.")},
        {stereo + "--oversample=3", Usage("stereo", "--oversample: Oversample factor must be 1, 2, 4 or 6.")},
        {stereo + "--hidden=1", Usage("stereo", "--hidden takes no value")},
        {stereo + "--wobble", Usage("stereo", "unknown option --wobble")},
        {stereo + "--distance", Usage("stereo", "--distance needs a value (N)")},
        {"stereo --texture " + bmp, Usage("stereo", "missing option --depth D")},
        {stereo + "--relief 4001", Usage("stereo", "--relief: Relief must be a whole number from 1 to 4000.")},
        {stereo + "--relief 900", Usage("stereo", "--background-depth: Background depth must be a whole number of -901 "
                                                  "or less, so that every depth lies behind the screen.")},
        {stereo + "--size 640", Usage("stereo", "--size: must be WIDTHxHEIGHT, such as 1920x1080")},
        {stereo + "--size 8x8",
         Usage("stereo", "--size: Result width must be empty or a whole number from 16 to 16384.")},
        {stereo + "--size 0x0", Usage("stereo", "--size: Result width must be a whole number from 16 to 16384.")},
        {stereo + "--size 16x0", Usage("stereo", "--size: Result height must be a whole number from 16 to 16384.")},
        // Format limits before any work, the band of dots counted.
        {"stereo --texture none --depth none -o " + at("r.webp") + " --size 16384x16384",
         Usage("stereo", "-o: WebP holds at most 16383 pixels a side (this picture is 16384 x 16384)")},
        {"stereo --texture none --depth none -o " + at("r.webp") + " --size 16383x16000 --dots",
         Usage("stereo", "-o: WebP holds at most 16383 pixels a side (this picture is 16383 x 16486)")},
        {"mandel --width 70000 --height 1 -o " + at("m.jpg"),
         Usage("mandel", "-o: JPEG holds at most 65500 pixels a side (this picture is 70000 x 1)")},
        {"mandel --width 1000001 --height 1 --depth-out " + at("m.png"),
         Usage("mandel", "--depth-out: PNG holds at most 1000000 pixels a side (this picture is 1000001 x 1)")},
        {stereo + "--depth-mode deep", Usage("stereo", "--depth-mode: must be auto, classic or grey")},
        {stereo + "--eye 90 --eye-mm 63", Usage("stereo", "--eye-mm and --eye cannot be given together")},
        {stereo + "--distance-mm 500 --background-depth -900",
         Usage("stereo", "--distance-mm and --background-depth cannot be given together")},
        {stereo + "--depth-of-field 1", Usage("stereo", "--depth-of-field: must be a number from 0.01 to 0.99")},
        {stereo + "--viewing sideways", Usage("stereo", "--viewing: must be parallel or cross")},
        {stereo + "--marks squares", Usage("stereo", "--marks: must be dots, triangles or off")},
        {stereo + "--viewing cross --hidden",
         Usage("stereo", "--viewing: Hidden-surface removal works with parallel viewing only.")},
        {stereo + "--print A5", Usage("stereo", "--print: must be A4, Letter or WIDTHxHEIGHTmm, such as 100x150mm")},
        {stereo + "--texture random:x",
         Usage("stereo", "--texture: the seed must be a whole number from 0 to 4294967295")},
        {"mandel --width 8", Usage("mandel", "missing option -o OUT or --depth-out D.png")},
        {"stereo --texture " + none + " --depth " + bmp + " -o " + at("s.png"),
         Failed(none, "Error on Fail in file open = 2")},
        {"mandel -o " + at("m.bmp") + " --side 0", Usage("mandel", "--side: must be a number from 1e-14 to 3")},
        {"mandel -o " + at("m.bmp") + " --width 40000 --height 40000",
         Usage("mandel", "--width and --height: the picture must stay within 2^30 bytes of 8-bit pixels")},
        {"wave-info " + at("ok.wav"), {0, "44100/16 bits/ 2 Channels  2240 samples\n", ""}},
        {"wave-info " + at("float.wav"), Failed(at("float.wav"), "no PCM file")},
        {"wave-info " + at("nochan.wav"), Failed(at("nochan.wav"), "Can't play this format")},
        {"wave-info " + at("mono8.wav"), {0, "8000/8 bits/ 1 Channels  2241 samples\n", ""}},
        {"wave-info " + at("cut.wav"), Failed(at("cut.wav"), "Failed read chunk")},
        {"wave-info", Usage("wave-info", "missing FILE")},
        {"dxf-info " + face, {0, "faces 1\npoints 3\nrange 0 1\n", ""}},
        {"dxf-info " + bmp, Failed(bmp, "no drawing in this file")},
        {"dxf-info " + emptyDxf, Failed(emptyDxf, "no drawing in this file")},
        {"dxf-info " + big, Failed(big, "The drawing has more points per face than this reader holds (3732, at most 682).")},
        {"decode " + bmp, Usage("decode", "missing option -o DEPTH")},
        {"decode " + bmp + " -o " + at("d.png") + " --oversample 3",
         Usage("decode", "--oversample: Oversample factor must be 1, 2, 4 or 6.")},
        {"decode " + bmp + " -o " + at("d.png"), Failed(bmp, "no stereogram found")},  // a smooth picture
        {"pair --depth " + bmp + " --picture " + bmp + " -o " + at("d.png") + " --layout up",
         Usage("pair", "--layout: must be side-by-side, cross or anaglyph")},
        {"pair --depth " + none + " --picture " + bmp + " -o " + at("d.png"), Failed(none, "Error on Fail in file open = 2")},
        {"depth " + emptyStl + " -o " + at("d.png"), Failed(emptyStl, "the file is empty")},
        {"depth " + cutStl + " -o " + at("d.png"),
         Failed(cutStl, "the model cannot be read: Failed to determine STL storage representation for " + cutStl)},
        {"depth " + pointsObj + " -o " + at("d.png"),
         Failed(pointsObj, "the model cannot be read: Validation failed: Mesh  contains no faces")},
        {"depth " + oddName + " -o " + at("d.png"), Failed(oddName, "'.model' is not a model format Assimp reads")},
        {stereo.substr(0, stereo.find("--depth")) + "--depth " + emptyStl + " -o " + at("d.png"), Failed(emptyStl, "the file is empty")},
        {"depth -o " + at("d.png"), Usage("depth", "missing MODEL (or --text TEXT)")},
        {"depth " + pointsObj + " --text A -o " + at("d.png"), Usage("depth", "--text takes no MODEL")},
        {"depth " + pointsObj + " --turn 1,2 -o " + at("d.png"),
         Usage("depth", "--turn: must be three angles in degrees, -3600 to 3600, such as 30,-20,0")},
        {stereo + "--smooth 2", Usage("stereo", "--smooth: the depth picture is read in classic mode; only grey depth is "
                                                "smoothed (--depth-mode grey)")},
    };
    for (const auto& [args, want] : cases) EXPECT_EQ(run(args), want) << args;
    for (const char* name : {"s.bmp", "s.png", "m.bmp", "r.webp", "m.jpg", "m.png", "d.png"}) EXPECT_FALSE(fs::exists(at(name))) << name;

    // The start dialog's rounding of the colour count: 100 becomes 64.
    const CliRun m = run("mandel -o " + at("m.bmp") + " --palette " ORVALIS_SOURCE_DIR "/mandel/palette.pal --width 8 "
                      "--height=6 --colors=100");
    EXPECT_EQ(m.out.substr(0, m.out.find(" colours")), at("m.bmp") + ": 8x6, 256 iterations, 64") << m;
    for (const std::string cmd : {"stereo", "mandel", "picture", "wave-info", "dxf-info", "decode", "pair", "depth"}) {
        const CliRun help = run(cmd + " --help");
        EXPECT_EQ(help.status, 0) << cmd;
        EXPECT_EQ(help.out.rfind("usage: orvalis-cli " + cmd, 0), 0u) << help.out;
    }
}

// The first bytes of each written format, and the 24-bit BMP's pixels.
TEST_F(Cli, WritesTheFormatTheOutputNameAsksFor) {
    const std::string in = ORVALIS_SOURCE_DIR "/tests/data/bmp/rle4.bmp";
    const std::pair<const char*, std::string> cases[] = {
        {"o.bmp", "BM"}, {"o.PNG", "\x89PNG"}, {"o.jpg", "\xFF\xD8\xFF"}, {"o.jpeg", "\xFF\xD8\xFF"},
        {"o.tif", "II*"}, {"o.tiff", "II*"}, {"o.webp", "RIFF"}};
    for (const auto& [name, magic] : cases) {
        ASSERT_EQ(run("picture " + in + " " + at(name)), (CliRun{0, "", ""})) << name;
        const Bytes b = ReadFileBytes(at(name));
        EXPECT_EQ(std::string(b.begin(), b.begin() + long(std::min(b.size(), magic.size()))), magic) << name;
    }
    const Bytes bmp = ReadFileBytes(at("o.bmp"));
    ASSERT_EQ(bmp.at(28), 24);
    const PictureResult back = ReadBmpBytes(bmp.data(), bmp.size());
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(RgbBytes(back.image), ReadFileBytes(kDataDir + "bmp/rle4.rgb"));  // ImageMagick's reading of the input
    // JPEG at quality 95 decodes to the pixels of Pillow's at that quality: from a BMP read a block at a time,
    // and from a picture read whole.
    for (const char* in : {"o.bmp", "o.PNG"}) {
        ASSERT_EQ(run("picture " + at(in) + " " + at("q.jpg")), (CliRun{0, "", ""}));
        const std::string same = "/usr/bin/python3 -c \"import io, sys; from PIL import Image; b = io.BytesIO(); "
                                 "Image.open(sys.argv[1]).save(b, 'JPEG', quality=95); "
                                 "sys.exit(Image.open(b).tobytes() != Image.open(sys.argv[2]).tobytes())\" ";
        EXPECT_EQ(std::system((same + at("o.bmp") + " " + at("q.jpg")).c_str()), 0) << in;
    }
}

TEST_F(Cli, StereoPixelsAreTheProgramPipelinesForEachOption) {
    // Tall enough that the depth rows are read a block at a time.
    Image32 texture(37, 21), depth(151, 1300);
    for (size_t i = 0; i < texture.px.size(); ++i) texture.px[i] = uint32_t(i * 2654435761u >> 8) & 0xFFFFFF;
    for (int y = 0; y < depth.height; ++y)
        for (int x = 0; x < depth.width; ++x) depth.at(x, y) = (x - 75) * (x - 75) + y * y % 97 < 900 ? 0x8080BC : 0x808080;
    ASSERT_TRUE(WriteBmp24(at("t.bmp"), texture) && WriteBmp24(at("d.bmp"), depth));
    // The same depth as a top-down 32-bit file, whose blocks lie in it in reverse.
    Bytes topDown = ReadFileBytes(at("d.bmp"));
    topDown.resize(54 + depth.px.size() * 4);
    PutLe32(&topDown[2], uint32_t(topDown.size()));
    PutLe32(&topDown[22], uint32_t(-depth.height));
    PutLe32(&topDown[34], uint32_t(depth.px.size() * 4));
    topDown[28] = 32;
    std::memcpy(&topDown[54], depth.px.data(), depth.px.size() * 4);
    WriteFileBytes(at("d32.bmp"), topDown);
    const std::pair<const char*, StereoOptions> cases[] = {
        {"", {}}, {"--oversample 4 --hidden", {4, -800, 150, 700, 0, 1, 0}},
        {"--oversample=6 --background-depth -300 --eye=90 --distance 500 --blocks --invert", {6, -300, 90, 500, 1, 0, 1}},
        {"--depth-mode grey --relief 700 --background-depth -900 --size 300x64 --dots", {1, -900, 150, 700, 0, 0, 0, 1, 700,
                                                                                          300, 64, 1}},
        {"--depth-mode grey --size 300x64 --marks triangles", {.DepthMode = kDepthGrey, .OutWidth = 300, .OutHeight = 64, .dots = 2}},
    };
    // The same depth as a PNG and a TIFF (Pillow's), read a band of rows at a time; as a JPEG, read by
    // scanlines, giving the stereogram of Pillow's decoding of it.
    ASSERT_EQ(run("picture " + at("d.bmp") + " " + at("d.png")).status, 0);
    const std::string pillow = "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                               "Image.open(sys.argv[1]).convert(sys.argv[3]).save(sys.argv[2])\" ";
    for (const auto& [from, to] : {std::pair{"d.bmp", "d.tif"}, {"d.bmp", "dj.jpg"}, {"dj.jpg", "dj.bmp"}})
        ASSERT_EQ(std::system((pillow + at(from) + " " + at(to) + " RGB").c_str()), 0) << to;
    for (const auto& [flags, opts] : cases) {
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, opts, want));
        for (const char* out : {"j.bmp", "j.png"}) {
            for (const char* d : {"dj.bmp", "dj.jpg"})
                ASSERT_EQ(run("stereo --texture " + at("t.bmp") + " --depth " + at(d) + " -o " + at(d + std::string(out)) + " " + flags).status, 0);
            EXPECT_EQ(ReadFileBytes(at(std::string("dj.jpg") + out)), ReadFileBytes(at(std::string("dj.bmp") + out))) << flags;
        }
        for (const char* d : {"d.bmp", "d32.bmp", "d.png", "d.tif"})
            for (const char* out : {"out.bmp", "out.png", "out.tif"}) {
                const std::string files = "--texture " + at("t.bmp") + " --depth=" + at(d) + " -o " + at(out) + " ";
                ASSERT_EQ(run("stereo " + files + flags), (CliRun{0, "", ""})) << flags;
                // A TIFF written a strip at a time, read back by Pillow.
                if (out[4] == 't') {
                    ASSERT_EQ(std::system((pillow + at(out) + " " + at("tif.bmp") + " RGB").c_str()), 0);
                }
                const Bytes file = ReadFileBytes(at(out[4] == 't' ? "tif.bmp" : out));
                const PictureResult got = out[4] != 'p' ? ReadBmpBytes(file.data(), file.size()) : ReadPngBytes(file.data(), file.size());
                ASSERT_EQ(std::make_pair(want.width, want.height), std::make_pair(got.image.width, got.image.height)) << flags;
                EXPECT_EQ(want.px, got.image.px) << flags << d << out;
            }
    }
    // Automatic depth mode: the grey version of the depth (BMP read a block at a time, and PNG) reads as grey,
    // the colour one as classic, each the same as the mode named and unlike the other.
    Image32 grey = depth;
    for (uint32_t& p : grey.px) p = (p & 0xFF) * 0x010101u;
    ASSERT_TRUE(WriteBmp24(at("g.bmp"), grey) && run("picture " + at("g.bmp") + " " + at("g.png")).status == 0);
    ASSERT_EQ(std::system((pillow + at("g.bmp") + " " + at("g8.png") + " L").c_str()), 0);  // stored as 8-bit grey
    Bytes firstOf[2][2];
    for (const char* d : {"g.bmp", "g.png", "g8.png", "d.bmp", "d.png"})
        for (std::string ext : {".bmp", ".png"}) {
            const std::string base = "stereo --texture " + at("t.bmp") + " --depth " + at(d) + " -o ";
            const bool isGrey = d[0] == 'g';
            for (std::string mode : {"auto", "classic", "grey"})
                ASSERT_EQ(run(base + at(mode + ext) + (mode == "auto" ? "" : " --depth-mode " + mode)).status, 0);
            const Bytes got = ReadFileBytes(at("auto" + ext));
            EXPECT_TRUE(got == ReadFileBytes(at((isGrey ? "grey" : "classic") + ext)) &&
                        got != ReadFileBytes(at((isGrey ? "classic" : "grey") + ext))) << d << ext;
            // The grey pictures hold the same values, in whichever form they are stored.
            Bytes& first = firstOf[isGrey][ext == ".png"];
            if (first.empty()) first = got;
            EXPECT_EQ(got, first) << d << ext;
        }
    // PNG, JPEG and TIFF depth files cut short are refused with the reader's reason, and no result is left.
    const std::pair<const char*, std::string> cuts[] = {
        {"d.png", "the file ends inside the picture"}, {"dj.jpg", "Premature end of JPEG file"},
        {"d.tif", "Read error at scanline 648; got 836 bytes, expected 8154"}};
    for (const auto& [d, why] : cuts) {
        const Bytes whole = ReadFileBytes(at(d));
        const std::string cut = at(std::string("cut") + d);
        WriteFileBytes(cut, Cut(whole, whole.size() / 2));
        for (const char* out : {"new.png", "new.bmp"})
            EXPECT_TRUE(run("stereo --texture random --depth " + cut + " -o " + at(out)) ==
                            Failed(cut, "The picture could not be read: " + why + ".") && !fs::exists(at(out))) << out << d;
    }
    // The result replaces the older file whole, keeping its mode, through a link to it: the old file's other
    // name keeps the old bytes, no temporary file stays. A write stopped by the file size limit says so and
    // leaves the old file.
    fs::create_hard_link(at("out.bmp"), at("old.bmp"));
    fs::create_symlink("out.bmp", at("link.bmp"));
    fs::permissions(at("out.bmp"), fs::perms(0604));
    const Bytes old = ReadFileBytes(at("old.bmp"));
    const std::string random = "stereo --texture random --depth " + at("d.bmp") + " -o " + at("link.bmp");
    EXPECT_EQ(RunCli(random, "ulimit -f 64; trap '' XFSZ;"), Failed(at("link.bmp"), "File too large"));
    EXPECT_EQ(ReadFileBytes(at("out.bmp")), old);
    WriteFileBytes(at("out.jpg"), old);
    WriteFileBytes(at("out.tif"), old);
    for (const char* out : {"out.png", "out.jpg", "out.tif"}) {
        const Bytes before = ReadFileBytes(at(out));
        EXPECT_EQ(RunCli("stereo --texture random --depth " + at("d.png") + " -o " + at(out), "ulimit -f 64; trap '' XFSZ;"),
                  Failed(at(out), "File too large"));
        EXPECT_EQ(ReadFileBytes(at(out)), before);
    }
    ASSERT_EQ(run(random).status, 0);
    EXPECT_TRUE(ReadFileBytes(at("old.bmp")) == old && ReadFileBytes(at("out.bmp")) != old);
    EXPECT_TRUE(fs::is_symlink(at("link.bmp")) && fs::status(at("out.bmp")).permissions() == fs::perms(0604));
    for (const auto& e : fs::directory_iterator(dir.path)) EXPECT_NE(e.path().filename().string()[0], '.');
    // A depth file that shrinks while its blocks are read gives the read message.
    PlainBmpRows rows;
    RowBlock block;
    ASSERT_TRUE(rows.open(at("d32.bmp")));
    fs::resize_file(at("d32.bmp"), 4000);
    EXPECT_FALSE(rows.read(0, 30, block));
    ASSERT_EQ(rows.failure().messages.size(), 1u);
    EXPECT_EQ(rows.failure().messages[0].text, "Error on Fail in mapping view of the Map File object = 5\n");
    // A Mandelbrot depth picture kept 16-bit through a PNG, with a relief deep enough to tell, and random dots
    // for the texture: 150 x 4500 / 5200 = 129 wide.
    ASSERT_EQ(run("mandel --depth-out " + at("d.png") + " --width 90 --height 60").status, 0);
    ASSERT_EQ(run("stereo --texture random-bw:9 --depth " + at("d.png") + " -o " + at("out.bmp") +
                  " --relief 4000 --background-depth -4500").status, 0);  // read as grey by itself
    Image32 mandel(90, 60), want;
    mandel.grey16 = MandelDepth(-2.0, -1.1338, 2.27, 90, 60, 256);
    ASSERT_TRUE(MakeStereoPicture(RandomDotTexture(129, true, 9), mandel, {1, -4500, 150, 700, 0, 0, 0, 1, 4000}, want));
    const Bytes bmp = ReadFileBytes(at("out.bmp"));
    EXPECT_EQ(want.px, ReadBmpBytes(bmp.data(), bmp.size()).image.px);
}

// A stereogram of a white square on black read back: the report's figures, a 16-bit grey PNG
// (its header's bit depth and colour type) white on the square and black around it.
TEST_F(Cli, DecodeReadsBackTheStereogramItMade) {
    Image32 depth(640, 200);
    for (int y = 0; y < depth.height; ++y)
        for (int x = 0; x < depth.width; ++x) depth.at(x, y) = std::abs(x - 320) < 120 && std::abs(y - 100) < 40 ? 0xFFFFFF : 0;
    ASSERT_TRUE(WriteBmp24(at("d.bmp"), depth));
    ASSERT_EQ(run("stereo --texture random:5 --depth " + at("d.bmp") + " -o " + at("s.png")).status, 0);
    for (const std::string opts : {"", " --eye 150 --distance 700"}) {
        const CliRun r = run("decode " + at("s.png") + " -o " + at("r.png") + " --compare " + at("d.bmp") + opts);
        ASSERT_EQ(r.status, 0) << r;
        double sure = 0, within = 0, sep = 0, units = 0, echo = 0;
        ASSERT_EQ(std::sscanf(r.out.c_str(), "sure pixels: %lf%%\nsure pixels within one depth level or one pixel of "
                              "separation: %lf%%\nmean error: %lf pixels of separation, %lf depth units\necho pixels: "
                              "%lf%%\n", &sure, &within, &sep, &units, &echo), 5) << r.out;
        EXPECT_TRUE(sure >= 80 && within >= 95 && sep < 0.5 && units < 1 && echo < 5) << r.out;
        const Bytes png = ReadFileBytes(at("r.png"));
        ASSERT_GT(png.size(), 26u);
        EXPECT_EQ(std::make_pair(png[24], png[25]), std::make_pair(uint8_t(16), uint8_t(0))) << "bit depth, colour type";
        const PictureResult got = ReadPngBytes(png.data(), png.size());
        ASSERT_TRUE(got.ok && got.image.grey16.size() == 640u * 200);
        const auto at16 = [&](int x, int y) { return int(got.image.grey16[size_t(y) * 640 + x]); };
        // With the options, one depth level of 127 is 516 in 16 bits; without, the square stands out.
        const int near = at16(320, 100), below = at16(320, 170), right = at16(560, 30);
        if (opts.empty()) EXPECT_TRUE(near - std::max(below, right) > 32768) << near << " " << below << " " << right;
        else EXPECT_TRUE(near > 65535 - 516 && below < 516 && right < 516) << near << " " << below << " " << right;
    }
    // The depth found and the stereogram make a crossed pair twice as wide.
    ASSERT_EQ(run("pair --depth " + at("r.png") + " --picture " + at("s.png") + " -o " + at("p.bmp") + " --layout cross"),
              (CliRun{0, "", ""}));
    EXPECT_EQ(Le32(&ReadFileBytes(at("p.bmp")).at(18)), 1280u);
}

// The gallery: its files are there, and each depth map made into a stereogram through orvalis-cli with its sidecar's
// lines as options (without dashes there) gives the program's own stereogram of the parsed sidecar, which decode reads
// back against the depth map.
TEST_F(Cli, GalleryEntriesMakeStereogramsThatReadBack) {
    const fs::path gallery = ORVALIS_SOURCE_DIR "/samples/gallery";
    std::vector<std::string> problems;
    const std::vector<GalleryEntry> entries = ReadGallery(gallery, &problems);
    EXPECT_EQ(problems, std::vector<std::string>{});
    ASSERT_EQ(entries.size(), 8u);
    int textures = 0;
    for (const auto& f : fs::directory_iterator(gallery / "textures")) textures += f.path().extension() == ".png";
    EXPECT_EQ(textures, 6);
    for (const GalleryEntry& e : entries) {
        const std::string name = e.depth.stem().string();
        SCOPED_TRACE(name);
        std::string make, read;  // stereo's options; decode takes those that tell the geometry
        std::ifstream side(fs::path(e.depth).replace_extension(".orvalis-gallery"));
        for (std::string line; std::getline(side, line);) {
            const size_t eq = line.find(" = ");
            const std::string key = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 3);
            if (line.empty() || line[0] == '#' || key == "title") continue;
            const std::string opt = " --" + key + (value.empty() ? "" : " '" + (key == "texture" ? (gallery / value).string() : value) + "'");
            make += opt;
            if (key != "texture" && key != "size" && key != "viewing") read += opt;
        }
        ASSERT_EQ(run("stereo --depth " + e.depth.string() + " -o " + at("s.png") + make), (CliRun{0, "", ""}));
        const Bytes depthPng = ReadFileBytes(e.depth), texPng = ReadFileBytes(e.texture), made = ReadFileBytes(at("s.png"));
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(ReadPngBytes(texPng.data(), texPng.size()).image,
                                      ReadPngBytes(depthPng.data(), depthPng.size()).image, e.options, want));
        EXPECT_TRUE(want.px == ReadPngBytes(made.data(), made.size()).image.px);
        const CliRun r = run("decode " + at("s.png") + " -o " + at("r.png") + " --compare " + e.depth.string() + read);
        ASSERT_EQ(r.status, 0) << r;
        double sure = 0, within = 0, sep = 0, units = 0, echo = 0;
        ASSERT_EQ(std::sscanf(r.out.c_str(), "sure pixels: %lf%%\nsure pixels within one depth level or one pixel of "
                              "separation: %lf%%\nmean error: %lf pixels of separation, %lf depth units\necho pixels: "
                              "%lf%%\n", &sure, &within, &sep, &units, &echo), 5) << r.out;
        // The first background separation (80 of 480 pixels) cannot be matched: about 80% sure at most.
        EXPECT_TRUE(sure >= 75 && within >= 97 && echo < 5) << r.out;
    }
}

// Frames read back by Pillow ("" when it is missing): the frame count, each frame's delay in
// ms, and frame i saved as f<i>.png.
std::string PillowFrames(const std::string& path, const std::string& dir) {
    const std::string cmd = "/usr/bin/python3 -c \"import sys\ntry:\n from PIL import Image\nexcept ImportError: sys.exit()\n"
                            "im = Image.open('" + path + "'); print(im.n_frames)\nfor i in range(im.n_frames):\n"
                            " im.seek(i); im.convert('RGB').save('" + dir + "/f%d.png' % i); print(im.info.get('duration'))\" 2>&1";
    return Output(cmd);
}

// A disc 14 pixels in radius moving 7 pixels a frame across a flat background, 128 x 64.
TEST_F(Cli, AnimateFramesHoldTheirDepthAndTheDotsStayStill) {
    const int frames = 12;
    for (int i = 0; i < frames; ++i) {
        Image32 d(128, 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 128; ++x) d.at(x, y) = (x - 24 - 7 * i) * (x - 24 - 7 * i) + (y - 32) * (y - 32) <= 196 ? 0xFFFFFF : 0;
        ASSERT_TRUE(WriteBmp24(at("d" + std::to_string(1000 + i).substr(1) + ".bmp"), d));
    }
    const std::string common = " --depth " + at("d%03d.bmp") + " --eye 40 --fps 8";
    // At --eye 40 the background repeats every 21 pixels (40 x 800 / 1500), the disc every 19.
    const auto check = [&](const std::string& file, int i) {
        const Bytes png = ReadFileBytes(file);
        const PictureResult r = ReadPngBytes(png.data(), png.size());
        ASSERT_TRUE(r.ok && r.image.width == 128 && r.image.height == 64) << file;
        int bad = 0, disc = 0, held = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x + 21 < 128; ++x) bad += (y < 17 || y > 47) && r.image.at(x, y) != r.image.at(x + 21, y);
        for (int x = 24 + 7 * i - 3; x <= 24 + 7 * i + 3 && x + 10 < 128; ++x, ++disc)
            held += x >= 9 && r.image.at(x - 9, 32) == r.image.at(x + 10, 32);
        EXPECT_EQ(bad, 0) << file << " frame " << i;
        EXPECT_EQ(held, disc) << file << " frame " << i;
    };
    // Columns: the output, and the delays Pillow reads: 125 ms at 8 frames a second, which a GIF
    // holds in 10 ms steps (frame i starts at 12.5 x i rounded, half away from zero).
    const std::pair<std::string, std::string> outputs[] = {
        {"s%02d.png", ""},
        {"a.gif", "130\n120\n130\n120\n130\n120\n130\n120\n130\n120\n130\n120\n"},
        {"a.webp", "125\n125\n125\n125\n125\n125\n125\n125\n125\n125\n125\n125\n"},
    };
    for (const auto& [out, delays] : outputs) {
        ASSERT_EQ(run("animate --texture random:3 -o " + at(out) + common), (CliRun{0, "", ""})) << out;
        if (delays.empty()) {
            for (int i = 0; i < frames; ++i) check(at("s" + std::to_string(100 + i).substr(1) + ".png"), i);
            EXPECT_FALSE(fs::exists(at("s12.png")));
            continue;
        }
        const std::string pillow = PillowFrames(at(out), dir.path);
        if (pillow.empty()) continue;  // no Pillow here
        EXPECT_EQ(pillow, "12\n" + delays) << out;
        for (int i = 0; i < frames; ++i) check(at("f" + std::to_string(i) + ".png"), i);
    }
    // Flicker and leak of each texture mode (figures for random:3, in the order of the table).
    double flicker[3], leak[3];
    const char* const modes[] = {"fresh", "still", "coherent"};
    for (int m = 0; m < 3; ++m) {
        const CliRun r = run("animate --texture random:3 -o " + at("m.webp") + common + " --report --animate-texture " + modes[m]);
        ASSERT_EQ(std::sscanf(r.out.c_str(), "frames 12\nflicker %lf\nleak %lf\n", &flicker[m], &leak[m]), 2) << r;
    }
    EXPECT_LE(flicker[2], flicker[0] / 3) << flicker[0] << " " << flicker[2];
    EXPECT_LT(leak[2], leak[1]) << leak[1] << " " << leak[2];
    // A broken frame in the middle: refused, naming it, and nothing written of any output.
    const Bytes whole = ReadFileBytes(at("d006.bmp"));
    WriteFileBytes(at("d006.bmp"), Bytes(whole.begin(), whole.begin() + 300));
    for (const char* out : {"b%02d.png", "b.gif", "b.webp"}) {
        const CliRun r = run("animate --texture random -o " + at(out) + common);
        EXPECT_EQ(r.status, 1) << r;
        EXPECT_NE(r.err.find(at("d006.bmp") + ": frame 7 cannot be read; nothing written\n"), std::string::npos) << r;
    }
    for (const auto& e : fs::directory_iterator(dir.path)) EXPECT_NE(e.path().filename().string()[0], 'b') << e.path();
    // Ctrl+C in the middle of a long run leaves nothing.
    Image32 big(1280, 720);
    ASSERT_TRUE(WriteBmp24(at("big.bmp"), big));
    for (int i = 0; i < 200; ++i) fs::create_symlink(at("big.bmp"), at("g" + std::to_string(1000 + i).substr(1) + ".bmp"));
    const CliRun r = RunCli("animate --texture random -o " + at("i.webp") + " --depth " + at("g%03d.bmp") +
                                " 2>&1 & sleep 1; kill -INT $!; wait $!; echo $?");
    EXPECT_EQ(r.out + r.err, "orvalis-cli: interrupted; nothing written\n130\n");
    for (const auto& e : fs::directory_iterator(dir.path)) EXPECT_NE(e.path().filename().string()[0], 'i') << e.path();
}

// A sphere 32 pixels in radius crossing a flat background 8 pixels a frame, 24 frames of 320 x 160
// at 12 frames a second, through every output format and back: the frame count and delays as Pillow
// and ffprobe read them, and the first, a middle and the last frame decoded back to their depth.
// Then the depth frames as an animated GIF, an animated WebP and a video (Pillow and ffmpeg make
// them), a video cut short, and a model turned step by step.
TEST_F(Cli, AnimationsAndVideosInAndOut) {
    if (Output("(command -v ffmpeg && command -v ffprobe && /usr/bin/python3 -c 'import PIL' && echo) | wc -l") != "3\n")
        GTEST_SKIP() << "needs ffmpeg, ffprobe and Pillow";
    for (int i = 0; i < 24; ++i) {
        Image32 d(320, 160);
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 320; ++x) {
                const int r2 = (x - 50 - 8 * i) * (x - 50 - 8 * i) + (y - 80) * (y - 80);
                d.at(x, y) = r2 < 1024 ? uint32_t(128 + 127 * std::sqrt(1 - r2 / 1024.0)) * 0x010101u : 0;
            }
        ASSERT_TRUE(WriteBmp24(at("d" + std::to_string(1000 + i).substr(1) + ".bmp"), d));
    }
    const std::string depth = " --depth " + at("d%03d.bmp"), common = " --texture random:5 --eye 60";
    // The share of sure pixels that agree with frame i's depth, as decode --compare prints it.
    const auto agrees = [&](const std::string& stereo, int i) {
        const CliRun r = run("decode " + stereo + " -o " + at("back.png") + " --eye 60 --compare " +
                             at("d" + std::to_string(1000 + i).substr(1) + ".bmp"));
        const size_t p = r.out.find("separation: ");
        return p == std::string::npos ? -1.0 : std::atof(r.out.c_str() + p + 12);
    };
    // Frame i of a video as a picture, through ffmpeg.
    const auto videoFrame = [&](const std::string& video, int i) {
        const std::string png = at("v" + std::to_string(i) + ".png");
        Output("ffmpeg -v error -y -i " + video + " -vf 'select=eq(n\\," + std::to_string(i) + ")' -frames:v 1 " + png);
        return png;
    };
    const std::string ffprobe = "ffprobe -v error -count_frames -select_streams v -of csv=p=0 -show_entries "
                                "stream=codec_name,pix_fmt,nb_read_frames,avg_frame_rate ";
    // GIF delays in hundredths (frame i starts at 100 i / 12 rounded), WebP's in ms.
    std::string gif, webp;
    for (int i = 0; i < 8; ++i) gif += "80\n90\n80\n", webp += "83\n84\n83\n";
    // Columns: the output, and what Pillow or ffprobe reads of it.
    const std::pair<std::string, std::string> outputs[] = {
        {"a.gif", "24\n" + gif},
        {"a.webp", "24\n" + webp},
        {"a.mp4", "h264,yuvj444p,12/1,24\n"},
        {"a.webm", "vp9,yuv444p,12/1,24\n"},
        {"s%02d.png", ""},
    };
    for (const auto& [out, probe] : outputs) {
        ASSERT_EQ(run("animate" + depth + common + " --fps 12 -o " + at(out)), (CliRun{0, "", ""})) << out;
        const bool video = out.find(".mp4") != std::string::npos || out.find(".webm") != std::string::npos;
        if (!probe.empty()) {
            EXPECT_EQ(video ? Output(ffprobe + at(out)) : PillowFrames(at(out), dir.path), probe) << out;
        }
        EXPECT_EQ(fs::exists(at("s24.png")), false);
        for (int i : {0, 11, 23}) {
            const std::string frame = video ? videoFrame(at(out), i)
                                            : at(probe.empty() ? "s" + std::to_string(100 + i).substr(1) + ".png"
                                                               : "f" + std::to_string(i) + ".png");
            EXPECT_GE(agrees(frame, i), 99.0) << out << " frame " << i;
        }
    }
    // Depth frames from an animated GIF or WebP and from a video (limited-range 4:2:0 luma).
    Output("cd " + dir.path.string() + " && /usr/bin/python3 -c \"from PIL import Image\n"
           "f = [Image.open('d%03d.bmp' % i) for i in range(24)]\n"
           "f[0].save('dg.gif', save_all=True, append_images=f[1:], duration=100)\n"
           "f[0].save('dw.webp', save_all=True, append_images=f[1:], duration=100, lossless=True)\" && "
           "ffmpeg -v error -framerate 10 -i d%03d.bmp -pix_fmt yuv420p -c:v libx264 -crf 12 -movflags +faststart dv.mp4");
    for (const char* in : {"dg.gif", "dw.webp", "dv.mp4"}) {
        ASSERT_EQ(run("animate --depth " + at(in) + common + " -o " + at("i.mp4")), (CliRun{0, "", ""})) << in;
        EXPECT_EQ(Output(ffprobe + at("i.mp4")), "h264,yuvj444p,10/1,24\n") << in;  // the source's rate
        EXPECT_GE(agrees(videoFrame(at("i.mp4"), 17), 17), 99.0) << in;
    }
    // A video cut short: refused naming the frame, nothing left of any output.
    const Bytes whole = ReadFileBytes(at("dv.mp4"));
    WriteFileBytes(at("cut.mp4"), Bytes(whole.begin(), whole.begin() + ptrdiff_t(whole.size() * 9 / 10)));
    for (const char* out : {"t.gif", "t.webm", "t%02d.png"}) {
        const CliRun r = run("animate --depth " + at("cut.mp4") + common + " -o " + at(out));
        const size_t frame = r.err.find(at("cut.mp4") + ": frame ");
        EXPECT_TRUE(r.status == 1 && frame != std::string::npos && r.err.find(" cannot be read; nothing written\n", frame) != std::string::npos) << r;
    }
    for (const auto& e : fs::directory_iterator(dir.path)) EXPECT_NE(e.path().filename().string()[0], 't') << e.path();
    // A model turned 30 degrees a frame: the frames asked for, the first and the seventh alike.
    ASSERT_EQ(run("animate --depth " ORVALIS_SOURCE_DIR "/samples/knot.stl --turn-step 0,0,30 --frames 7 --size 320x200" +
                  common + " -o " + at("k%d.png")), (CliRun{0, "", ""}));
    EXPECT_TRUE(fs::exists(at("k6.png")) && !fs::exists(at("k7.png")));
}

// A text's depth: a plateau inside a thick letter, the bevel's width, nothing in the margin;
// and a model given to stereo is the depth picture `depth` draws of it.
TEST_F(Cli, DepthOfATextAndOfAModel) {
    ASSERT_EQ(run("depth --text I --size 200x200 --bevel 10 -o " + at("i.png")).status, 0);
    const Bytes bytes = ReadFileBytes(at("i.png"));
    const PictureResult r = ReadPngBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(r.ok && r.image.grey16.size() == 200u * 200u);
    const auto d = [&](int x, int y) { return int(r.image.grey16[y * 200 + x]); };
    int x0 = 0;
    while (x0 < 200 && !d(x0, 100)) ++x0;
    int x1 = x0;
    while (x1 < 200 && d(x1, 100)) ++x1;
    ASSERT_GT(x1 - x0, 30) << "a bold I's stroke";
    // The edge pixel half a pixel in, the plateau from the bevel's width in.
    const int want[][2] = {{x0, 3277}, {x0 + 5, 36044}, {x0 + 10, 65535}, {(x0 + x1) / 2, 65535}, {x1 - 1, 3277}};
    for (const auto& [x, v] : want) EXPECT_EQ(d(x, 100), v) << x - x0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (std::min({x, y, 199 - x, 199 - y}) < 10) {
                ASSERT_EQ(d(x, y), 0) << x << "," << y;  // the margin
            }

    std::ofstream(at("tetra.obj")) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";
    const std::string view = " --size 96x64 --turn 20,30,0 --zoom 1.2 --orthographic";
    ASSERT_EQ(run("depth " + at("tetra.obj") + view + " -o " + at("t.png")).status, 0);
    ASSERT_EQ(run("stereo --texture random:3 --depth " + at("t.png") + " -o " + at("a.bmp")).status, 0);
    ASSERT_EQ(run("stereo --texture random:3 --depth " + at("tetra.obj") + view + " -o " + at("b.bmp")).status, 0);
    EXPECT_EQ(ReadFileBytes(at("a.bmp")), ReadFileBytes(at("b.bmp")));
}

// Millimetres at 300 dpi are the pixel options worked by hand (63 mm: 744 pixels, 500 mm: 5906, 0.33 of
// that: 1949), and each format states the 300 dpi as Pillow reads it. Crossed viewing read back as a
// parallel stereogram shows the square sunk in, so it stands out to crossed eyes.
TEST_F(Cli, MillimetresGiveThePixelOptionsFilesStateTheDpiAndCrossedViewingInverts) {
    Image32 depth(640, 200);
    for (int y = 0; y < depth.height; ++y)
        for (int x = 0; x < depth.width; ++x) depth.at(x, y) = std::abs(x - 320) < 120 && std::abs(y - 100) < 40 ? 0xFFFFFF : 0;
    ASSERT_TRUE(WriteBmp24(at("d.bmp"), depth));
    const std::string base = "stereo --texture random:5 --depth " + at("d.bmp") + " -o ";
    std::string files;
    for (const std::string ext : {"png", "jpg", "tif", "bmp"}) {
        ASSERT_EQ(run(base + at("s." + ext) + " --dpi 300 --eye-mm 63 --distance-mm 500 --depth-of-field 0.33"),
                  (CliRun{0, "", ""}));
        files += " " + at("s." + ext);
    }
    ASSERT_EQ(run(base + at("px.bmp") + " --eye 744 --distance 5906 --background-depth -5906 --relief 1949").status, 0);
    const Bytes mm = ReadFileBytes(at("s.bmp")), px = ReadFileBytes(at("px.bmp"));
    EXPECT_EQ(ReadBmpBytes(mm.data(), mm.size()).image.px, ReadBmpBytes(px.data(), px.size()).image.px);
    EXPECT_EQ(std::make_pair(Le32(&mm.at(38)), Le32(&px.at(38))), std::make_pair(11811u, 2835u));  // pixels per metre
    EXPECT_EQ(Output("/usr/bin/python3 -c 'import sys; from PIL import Image\nfor f in sys.argv[1:]: "
                     "print(round(Image.open(f).info[\"dpi\"][1]))'" + files),
              "300\n300\n300\n300\n");
    // A4 at 100 dpi: 210 and 297 mm are 826.77 and 1169.29 pixels.
    ASSERT_EQ(run(base + at("a4.png") + " --print A4 --dpi 100").status, 0);
    const Bytes a4 = ReadFileBytes(at("a4.png"));
    const auto be32 = [&](size_t i) { return a4.at(i) << 24 | a4.at(i + 1) << 16 | a4.at(i + 2) << 8 | a4.at(i + 3); };
    EXPECT_EQ(std::make_pair(be32(16), be32(20)), std::make_pair(827, 1169));  // the header's width and height
    // Parallel viewing named is the same file as none named.
    ASSERT_EQ(run(base + at("p.png") + " --viewing parallel").status + run(base + at("n.png")).status, 0);
    EXPECT_EQ(ReadFileBytes(at("p.png")), ReadFileBytes(at("n.png")));
    ASSERT_EQ(run(base + at("c.png") + " --viewing cross").status, 0);
    ASSERT_EQ(run("decode " + at("c.png") + " -o " + at("r.png")).status, 0);
    const Bytes r = ReadFileBytes(at("r.png"));
    const PictureResult back = ReadPngBytes(r.data(), r.size());
    ASSERT_TRUE(back.ok && back.image.grey16.size() == 640u * 200);
    const auto at16 = [&](int x, int y) { return int(back.image.grey16[size_t(y) * 640 + x]); };
    EXPECT_GT(std::min(at16(320, 170), at16(560, 30)) - at16(320, 100), 32768);
}

}  // namespace
