// RIFF reading, the loader's messages, the information texts, the outline and the
// per-column summary.
#include "wav_builder.h"
#include "wave/wav_loader.h"
#include "wave/wave_outline.h"
#include "wave/wave_summary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace wavtest;

namespace {

bool AcceptAll(const WAVEFORMATEX&) { return true; }

std::string Load(const Bytes& b, WaveState& wd, FormatQuery q = AcceptAll) {
    return LoadWaveBytes(wd, b.data(), b.size(), q);
}

TEST(WaveLoader, everyFailureHasItsOwnMessageAndLeavesNoData) {
    const Bytes d16 = Ramp(16);
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    } cases[] = {
        {"empty file", {}, "No wave file"},
        {"form type not WAVE", Riff({Fmt(2, 44100, 16), {"data", d16}}, "MP3 "), "No wave file"},
        {"big-endian container", [] { Bytes b = Riff({Fmt(2, 44100, 16)}); b[3] = 'X'; return b; }(), "No wave file"},
        {"header and a stray byte", [] { Bytes b = Riff({}, "WAVE", 17700); b.push_back(0); return b; }(),
         "wave file corrupt"},
        {"no fmt chunk", Riff({{"data", d16}}), "wave file corrupt"},
        {"fmt of 8 bytes", Riff({{"fmt ", Bytes(8, 1)}, {"data", d16}}), "wave file corrupt"},
        {"fmt of 15 bytes", Riff({{"fmt ", [] { Bytes f = PcmFormat(1, 2, 44100, 16); f.pop_back(); return f; }()}, {"data", d16}}),
         "wave file corrupt"},
        {"first chunk claims 3 GB", Riff({{"oooo", Bytes(2, 0), 2974173522u}}), "wave file corrupt"},
        {"fmt runs past the end", Riff({{"fmt ", PcmFormat(1, 2, 44100, 16, 1), 655360}}), "read error"},
        {"IEEE float", Riff({Fmt(1, 44100, 32, 3), {"data", d16}}), "no PCM file"},
        {"extensible", Riff({Fmt(1, 44100, 24, 0xFFFE), {"data", d16}}), "no PCM file"},
        {"data before fmt", Riff({{"data", d16}, Fmt(2, 44100, 16)}), "No data chunk"},
        {"no data chunk", Riff({Fmt(2, 44100, 16), {"LIST", Bytes(4, 'x')}}), "No data chunk"},
        {"zero-length data", Riff({Fmt(2, 44100, 16), {"data", {}}}), "empty chunk"},
        {"truncated data", Riff({Fmt(1, 44100, 8), {"data", Ramp(2240), 100000}}), "Failed read chunk"},
        {"data size at the 32-bit limit", Riff({Fmt(1, 44100, 8), {"data", Ramp(4), 0xFFFFFFFFu}}), "Failed read chunk"},
        {"data cut inside the chunk header", [] { Bytes b = Riff({Fmt(2, 44100, 16)}); b.push_back('d'); b.push_back('a'); return b; }(),
         "No data chunk"},
    };
    for (const Case& c : cases) {
        WaveState wd;
        wd.Playing = 1;  // the load starts from a clean state
        EXPECT_EQ(Load(c.file, wd), c.message) << c.name;
        EXPECT_FALSE(wd.pFormat) << c.name;
        EXPECT_FALSE(wd.lpData) << c.name;
        EXPECT_FALSE(wd.lpWaveHdr) << c.name;
        EXPECT_EQ(wd.Playing, 0) << c.name;
    }
}

TEST(WaveLoader, devicesRefusalIsAskedOnlyForPcmAndGetsTheFileFormat) {
    int asked = 0;
    WAVEFORMATEX seen;
    FormatQuery refuse = [&](const WAVEFORMATEX& f) {
        ++asked;
        seen = f;
        return false;
    };
    WaveState wd;
    EXPECT_EQ(Load(Riff({Fmt(1, 8000, 8, 7), {"data", Ramp(9)}}), wd, refuse), "no PCM file");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Load(Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), wd, refuse), "Can't play this format");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(seen.nChannels, 2);
    EXPECT_EQ(seen.nSamplesPerSec, 22050u);
    EXPECT_EQ(seen.nAvgBytesPerSec, 22050u * 4);
    EXPECT_EQ(seen.nBlockAlign, 4);
    EXPECT_EQ(seen.wBitsPerSample, 16);
    EXPECT_EQ(Load(Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), wd, nullptr), "Can't play this format");
}

TEST(WaveLoader, playableFilesLoadTheWholeDataChunk) {
    struct Case {
        const char* name;
        Bytes file;
        Bytes data;
        const char* info;
    } cases[] = {
        {"16-bit stereo", Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}), Ramp(8960),
         "44100/16 bits/ 2 Channels  2240 samples"},
        // The sample count is the byte count / 4 whatever the format.
        {"8-bit mono, odd data with pad and a chunk behind",
         Riff({Fmt(1, 44100, 8), {"data", Ramp(2241)}, {"LIST", Bytes(4, 'i')}}), Ramp(2241),
         "44100/8 bits/ 1 Channels  560 samples"},
        {"odd JUNK between fmt and data", Riff({Fmt(1, 44100, 16), {"JUNK", Bytes(5, 0x55)}, {"data", Ramp(4480)}}),
         Ramp(4480), "44100/16 bits/ 1 Channels  1120 samples"},
        {"17-byte fmt with pad byte", Riff({{"fmt ", PcmFormat(1, 1, 44100, 8, 1)}, {"data", Ramp(6)}}), Ramp(6),
         "44100/8 bits/ 1 Channels  1 samples"},
        {"chunks before fmt, RIFF size past the end", Riff({{"JUNK", Bytes(28, 0)}, {"bext", Bytes(3, 1)},
                                                             Fmt(2, 48000, 24), {"data", Ramp(6)}}, "WAVE", 16478),
         Ramp(6), "48000/24 bits/ 2 Channels  1 samples"},
        {"last data byte without its pad", Riff({Fmt(1, 8000, 8), {"data", Ramp(45), -1, false}}), Ramp(45),
         "8000/8 bits/ 1 Channels  11 samples"},
    };
    for (const Case& c : cases) {
        WaveState wd;
        ASSERT_EQ(Load(c.file, wd), "") << c.name;
        ASSERT_TRUE(wd.pFormat && wd.lpData && wd.lpWaveHdr) << c.name;
        EXPECT_EQ(wd.dwDataSize, c.data.size()) << c.name;
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), wd.lpData.get())) << c.name;
        EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), c.info) << c.name;
        EXPECT_EQ(wd.Display, 0);
        EXPECT_EQ(wd.ListLen, 0);
    }
    WAVEFORMATEX f;
    f.nSamplesPerSec = 11025;
    f.wBitsPerSample = 8;
    f.nChannels = 1;
    EXPECT_EQ(WaveDisplayText(f, 4), "11025 Samples/Second / 8 bits / 1 Channels / 1 samples");
    f.cbSize = 22;  // the 18-byte form keeps its cbSize
    WaveState wd;
    ASSERT_EQ(Load(Riff({{"fmt ", [] { Bytes b = PcmFormat(1, 2, 44100, 16); Put16(b, 7); return b; }()},
                         {"data", Ramp(4)}}), wd), "");
    EXPECT_EQ(wd.pFormat->cbSize, 7);
}

TEST(WaveLoader, fileThatDoesNotOpenCannotLoad) {
    WaveState wd;
    EXPECT_EQ(LoadWaveFileCore(wd, "/nonexistent/x.wav", AcceptAll), "couldn't load");
    EXPECT_EQ(LoadWaveFileCore(wd, std::filesystem::temp_directory_path().string(), AcceptAll), "couldn't load");
}

// sox writes a reference file; its raw samples must be exactly our data chunk.
TEST(WaveLoader, dataOfASoxFileEqualsSoxRawSamples) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox not installed";
    auto dir = std::filesystem::temp_directory_path() / ("wave_sox_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string wav = (dir / "t.wav").string(), raw = (dir / "t.raw").string();
    std::string cmd = "sox -n -r 8000 -c 2 -b 16 -e signed-integer " + wav + " synth 0.25 sine 440 sine 660 && sox " +
                      wav + " -t raw " + raw;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(raw, std::ios::binary);
    Bytes expect((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WaveState wd;
    ASSERT_EQ(LoadWaveFileCore(wd, wav, AcceptAll), "");
    EXPECT_EQ(wd.dwDataSize, expect.size());
    EXPECT_EQ(wd.frames(), 2000u);
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), wd.lpData.get()));
    EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), "8000/16 bits/ 2 Channels  2000 samples");
    std::filesystem::remove_all(dir);
}

TEST(Outline, pointsAreStoredInWindowIndependentIntegerCoordinates) {
    struct Case {
        int extent, p, expect;
    } cases[] = {
        {400, 0, 163 * 200},    // 65535 / 400 = 163 (truncated first)
        {400, 200, 0},
        {400, 399, 163 * -199},
        {641, 10, 102 * 310},   // 65535 / 641 = 102, 641 / 2 = 320
        {300, 50, 218 * 100},
        {1, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(OutlineCoordinate(c.extent, c.p), c.expect) << c.extent << "," << c.p;

    WaveState wd;
    AddOutlinePoint(wd, 400, 300, (50u << 16) | 100u);  // y high, x low
    ASSERT_EQ(wd.ListLen, 2);
    EXPECT_EQ(wd.List[0], 163 * 100);
    EXPECT_EQ(wd.List[1], 218 * 100);
    AddOutlinePoint(wd, 400, 300, (299u << 16) | 399u);
    EXPECT_EQ(wd.List[2], 163 * -199);
    EXPECT_EQ(wd.List[3], 218 * -149);
    AddOutlinePoint(wd, 0, 300, 0);  // no client area: no point
    EXPECT_EQ(wd.ListLen, 4);
}

TEST(Outline, capacityGrowsBy128IntsFirstAtThe64thPoint) {
    WaveState wd;
    struct Step {
        int points, size;
    } steps[] = {{1, 128}, {63, 128}, {64, 256}, {127, 256}, {128, 384}};
    int added = 0;
    for (const Step& s : steps) {
        for (; added < s.points; ++added) AddOutlinePoint(wd, 200, 200, uint32_t(added % 200));
        EXPECT_EQ(wd.ListSize, s.size) << s.points << " points";
        EXPECT_EQ(wd.ListLen, 2 * s.points);
    }
    for (int i = 0; i < added; ++i) {  // nothing lost in the copies
        EXPECT_EQ(wd.List[2 * i], 327 * (100 - i % 200));
        EXPECT_EQ(wd.List[2 * i + 1], 327 * 100);
    }
}

WaveState FormState(uint32_t frames, std::vector<int> points) {
    WaveState wd;
    wd.dwDataSize = frames * 4;
    wd.lpData.reset(new uint8_t[frames * 4]());
    wd.ListLen = int(points.size());
    wd.ListSize = int(points.size()) + 2;
    wd.List.reset(new int[points.size() + 2]);
    std::copy(points.begin(), points.end(), wd.List.get());
    return wd;
}

std::vector<std::pair<int, int>> Frames(const WaveState& wd) {
    std::vector<std::pair<int, int>> out;
    for (uint32_t i = 0; i < wd.frames(); ++i)
        out.emplace_back(FrameSample(wd.lpData.get(), i, 0), FrameSample(wd.lpData.get(), i, 1));
    return out;
}

TEST(Outline, makeFormTracesSegmentsOfFOverNMinusOneFrames) {
    using F = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        uint32_t frames;
        std::vector<int> points;
        F expect;
    } cases[] = {
        {"two points: the whole sound runs from the first to the second", 8, {1000, 2000, -1000, 0},
         {{1000, 2000}, {750, 1750}, {500, 1500}, {250, 1250}, {0, 1000}, {-250, 750}, {-500, 500}, {-750, 250}}},
        {"four points: the closing segment gets the remainder", 10, {0, 0, 300, 0, 300, 300, 0, 300},
         {{0, 0}, {100, 0}, {200, 0}, {300, 0}, {300, 100}, {300, 200}, {300, 300}, {200, 300}, {100, 300}, {0, 300}}},
        {"values truncate toward zero", 3, {0, 0, -10, 10}, {{0, 0}, {-3, 3}, {-6, 6}}},
        {"frames left after the closing segment repeat from where it ended", 7,
         {10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
         {{10, 20}, {30, 40}, {50, 60}, {70, 80}, {90, 100}, {10, 20}, {10, 20}}},
        {"fewer frames than segments stay finite", 2, {0, 0, 5, 5, 7, 7, 100, -100}, {{100, -100}, {0, 0}}},
        {"samples keep their low 16 bits", 1, {40000, -40000, 0, 0}, {{40000 - 65536, 65536 - 40000}}},
    };
    for (Case& c : cases) {
        WaveState wd = FormState(c.frames, c.points);
        ASSERT_TRUE(MakeOutlineForm(wd)) << c.name;
        EXPECT_EQ(Frames(wd), c.expect) << c.name;
    }
    for (std::vector<int> few : {std::vector<int>{}, std::vector<int>{5, 5}}) {
        WaveState wd = FormState(4, few);
        wd.lpData[0] = 0x42;
        EXPECT_FALSE(MakeOutlineForm(wd));
        EXPECT_EQ(wd.lpData[0], 0x42);
    }
}

Bytes Frames16(const std::vector<std::pair<int, int>>& f) {
    Bytes b;
    for (auto [l, r] : f) {
        Put16(b, uint16_t(l));
        Put16(b, uint16_t(r));
    }
    return b;
}

TEST(ChannelSummary, columnsHoldTheRangeOfTheirFramesAndTheSegmentIntoThem) {
    // 8 frames on 2 columns: frames 0-3 on column 0, 4-7 on column 1.
    Bytes data = Frames16({{5, 0}, {-3, 0}, {9, 0}, {100, 1}, {20, 2}, {30, 3}, {-40, 4}, {25, 5}});
    auto left = SummarizeChannel(data.data(), 8, 0, 2);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_TRUE(left[0].used);
    EXPECT_EQ(left[0].lo, -3);
    EXPECT_EQ(left[0].hi, 100);
    EXPECT_EQ(left[1].lo, -40);
    EXPECT_EQ(left[1].hi, 100);  // the line from frame 3 reaches into column 1
    EXPECT_FALSE(left[2].used);
    auto right = SummarizeChannel(data.data(), 8, 1, 2);
    EXPECT_EQ(right[1].lo, 1);
    EXPECT_EQ(right[1].hi, 5);

    // Fewer frames than columns: frame i on column i * W / F, gaps stay unused.
    Bytes few = Frames16({{1, 0}, {2, 0}, {3, 0}});
    auto cols = SummarizeChannel(few.data(), 3, 0, 7);  // columns 0, 2, 4
    std::vector<int> used;
    for (size_t c = 0; c < cols.size(); ++c)
        if (cols[c].used) used.push_back(int(c));
    EXPECT_EQ(used, (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(cols[2].lo, 1);
    EXPECT_EQ(cols[2].hi, 2);
}

}  // namespace

namespace {

// Every prefix of a valid file: refused with the message of the part that is cut, never
// read past (the sanitizer build checks the reads).
TEST(WaveLoader, everyCutOfAFileIsRefusedByThePartItCuts) {
    const Bytes file = Riff({{"JUNK", Bytes(3, 7)}, Fmt(2, 8000, 16), {"data", Ramp(16)}});
    const size_t fmtAt = 12 + 12, dataAt = fmtAt + 24;  // JUNK is 8 + 3 + pad
    for (size_t n = 0; n < file.size(); ++n) {
        Bytes cut(file.begin(), file.begin() + long(n));
        WaveState wd;
        const char* expect = n < 12                     ? "No wave file"
                             : n < fmtAt + 8            ? "wave file corrupt"
                             : n < dataAt               ? "read error"
                             : n < dataAt + 8           ? "No data chunk"
                                                        : "Failed read chunk";
        EXPECT_EQ(Load(cut, wd), expect) << n << " bytes";
    }
    WaveState wd;
    EXPECT_EQ(Load(file, wd), "");
}

}  // namespace
