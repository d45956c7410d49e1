// RIFF reading, the loader's messages, the information texts and the outline.
#include "wav_builder.h"
#include "wave/wav_loader.h"
#include "wave/wave_outline.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace wavtest;

namespace {

bool AcceptAll(const WAVEFORMATEX&) { return true; }

std::string Load(const Bytes& b, WaveState& wd, FormatQuery q = AcceptAll) { return LoadWaveBytes(wd, b.data(), b.size(), q); }

// The device's refusal is asked only for PCM and gets the file's format; no query at all refuses.
// Columns: name, file, message, the device's format query. Every cut of a file follows.
TEST(WaveLoader, EachBrokenOrCutFileIsRefusedWithItsOwnMessageAndNoData) {
    const Bytes d16 = Ramp(16);
    Bytes fmt15 = PcmFormat(1, 2, 44100, 16), rifx = Riff({Fmt(2, 44100, 16)});
    fmt15.pop_back(), rifx[3] = 'X';
    int asked = 0;
    WAVEFORMATEX seen;
    const FormatQuery refuse = [&](const WAVEFORMATEX& f) { return ++asked, seen = f, false; };
    struct Case { const char* name; Bytes file; const char* message; FormatQuery query = AcceptAll; } cases[] = {
        {"form type not WAVE", Riff({Fmt(2, 44100, 16), {"data", d16}}, "MP3 "), "No wave file"},
        {"big-endian container", rifx, "No wave file"},
        {"fmt of 15 bytes", Riff({{"fmt ", fmt15}, {"data", d16}}), "wave file corrupt"},
        {"first chunk claims 3 GB", Riff({{"oooo", Bytes(2, 0), 2974173522u}}), "wave file corrupt"},
        {"extensible header without its extension", Riff({Fmt(1, 44100, 24, 0xFFFE), {"data", d16}}), "no PCM file"},
        {"extensible float", Riff({ExtFmt(1, 44100, 32, 32, 3), {"data", d16}}), "no PCM file"},
        {"extensible PCM code, other GUID", Riff({ExtFmt(1, 44100, 16, 16, 1, Bytes(8, 0x21)), {"data", d16}}), "no PCM file"},
        {"not PCM, to a refusing device", Riff({Fmt(1, 8000, 8, 7), {"data", Ramp(9)}}), "no PCM file", refuse},
        {"data before fmt", Riff({{"data", d16}, Fmt(2, 44100, 16)}), "No data chunk"},
        {"no data chunk", Riff({Fmt(2, 44100, 16), {"LIST", Bytes(4, 'x')}}), "No data chunk"},
        {"zero-length data", Riff({Fmt(2, 44100, 16), {"data", {}}}), "empty chunk"},
        {"truncated data", Riff({Fmt(1, 44100, 8), {"data", Ramp(2240), 100000}}), "Failed read chunk"},
        {"data size at the 32-bit limit", Riff({Fmt(1, 44100, 8), {"data", Ramp(4), 0xFFFFFFFFu}}), "Failed read chunk"},
        {"no channel", Riff({Fmt(0, 8000, 16), {"data", d16}}), "Can't play this format"},
        {"64-bit samples", Riff({Fmt(1, 8000, 64), {"data", d16}}), "Can't play this format"},
        {"refused by the device", Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), "Can't play this format", refuse},
        {"no device query", Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), "Can't play this format", nullptr}};
    for (const Case& c : cases) {
        WaveState wd;
        wd.Playing = 1;  // the load starts from a clean state
        EXPECT_EQ(Load(c.file, wd, c.query), c.message) << c.name;
        EXPECT_TRUE(!wd.pFormat && !wd.lpData && !wd.lpWaveHdr && wd.Playing == 0) << c.name;
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::make_tuple(seen.nChannels, seen.nSamplesPerSec, seen.nAvgBytesPerSec, seen.nBlockAlign, seen.wBitsPerSample),
              std::make_tuple(uint16_t(2), 22050u, 88200u, uint16_t(4), uint16_t(16)));
    // Every prefix of a valid file is refused with the message of the part that is cut, never
    // read past (the sanitizer build checks the reads).
    const Bytes file = Riff({{"JUNK", Bytes(3, 7)}, Fmt(2, 8000, 16), {"data", Ramp(16)}});
    const size_t fmtAt = 12 + 12, dataAt = fmtAt + 24;  // JUNK is 8 + 3 + pad
    for (size_t n = 0; n <= file.size(); ++n) {
        WaveState wd;
        const char* expect = n < 12 ? "No wave file" : n < fmtAt + 8 ? "wave file corrupt" : n < dataAt ? "read error"
                           : n < dataAt + 8 ? "No data chunk" : n < file.size() ? "Failed read chunk" : "";
        EXPECT_EQ(Load(Bytes(file.begin(), file.begin() + long(n)), wd), expect) << n << " bytes";
    }
}

TEST(WaveLoader, PlayableFilesLoadTheWholeDataChunk) {
    struct Case { const char* name; Bytes file; size_t size /* of the Ramp data */; const char* info; } cases[] = {
        {"16-bit stereo", Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}), 8960, "44100/16 bits/ 2 Channels  2240 samples"},
        // The sample count is the byte count / block align.
        {"8-bit mono, odd data with pad and a chunk behind", Riff({Fmt(1, 44100, 8), {"data", Ramp(2241)}, {"LIST", Bytes(4, 'i')}}),
         2241, "44100/8 bits/ 1 Channels  2241 samples"},
        {"odd JUNK between fmt and data", Riff({Fmt(1, 44100, 16), {"JUNK", Bytes(5, 0x55)}, {"data", Ramp(4480)}}), 4480,
         "44100/16 bits/ 1 Channels  2240 samples"},
        {"chunks before fmt, RIFF size past the end",
         Riff({{"JUNK", Bytes(28, 0)}, {"bext", Bytes(3, 1)}, Fmt(2, 48000, 24), {"data", Ramp(6)}}, "WAVE", 16478), 6,
         "48000/24 bits/ 2 Channels  1 samples"},
        {"last data byte without its pad", Riff({Fmt(1, 8000, 8), {"data", Ramp(45), -1, false}}), 45,
         "8000/8 bits/ 1 Channels  45 samples"},
        // Extensible PCM reads as the plain record of the same samples: the bits they hold when
        // fewer than the container's, else the container's.
        {"extensible, 20 bits in 24", Riff({ExtFmt(2, 48000, 24, 20), {"data", Ramp(12)}}), 12,
         "48000/20 bits/ 2 Channels  2 samples"},
        {"extensible, valid bits 0", Riff({ExtFmt(1, 8000, 16, 0), {"data", Ramp(4)}}), 4, "8000/16 bits/ 1 Channels  2 samples"},
    };
    for (const Case& c : cases) {
        WaveState wd;
        ASSERT_EQ(Load(c.file, wd), "") << c.name;
        ASSERT_TRUE(wd.pFormat && wd.lpData && wd.lpWaveHdr) << c.name;
        EXPECT_EQ(Bytes(wd.lpData.get(), wd.lpData.get() + wd.dwDataSize), Ramp(c.size)) << c.name;
        EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), c.info) << c.name;
        EXPECT_EQ(wd.Display + wd.ListLen + wd.pFormat->wFormatTag, 1) << c.name;
        WaveHeader h;  // the header alone says the same, without the data
        EXPECT_EQ(ReadWaveHeader(c.file.data(), c.file.size(), nullptr, h), "") << c.name;
        EXPECT_EQ(WaveInfoText(h.format, h.dwDataSize), c.info) << c.name;
    }
    EXPECT_EQ(WaveDisplayText({1, 1, 11025, 0, 1, 8}, 4), "11025 Samples/Second / 8 bits / 1 Channels / 4 samples");
}

// sox writes a file of every PCM format, with its own choice of header (the extensible one
// above 16 bits) and with the plain PCM one. Each sample we read must be what sox itself reads
// as 16 bits without dither, and the frames MakeForm writes in the file's format must read back
// through sox as the 16-bit stereo outline does (a mono file takes X; 8 bits keep the top byte).
TEST(WaveLoader, EveryPcmFormatReadsAndWritesAsSoxDoes) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox not installed";
    const TempDir dir("wave_sox");
    WaveState wd;
    auto sox16 = [&](const std::string& wav) {  // sox's own samples, 16-bit, interleaved
        const std::string raw = wav + ".raw";
        EXPECT_EQ(std::system(("sox -D " + wav + " -t s16 " + raw).c_str()), 0);
        const Bytes b = ReadFileBytes(raw);
        std::vector<int16_t> v(b.size() / 2);
        for (size_t i = 0; i < v.size(); ++i) v[i] = int16_t(b[2 * i] | b[2 * i + 1] << 8);
        return v;
    };
    auto outline = [](WaveState& w) {
        w.ListLen = w.ListSize = 6;
        w.List.reset(new int[6]{0, 0, -30000, 20000, 32000, -32000});
        return MakeOutlineForm(w);
    };
    WaveState ref;  // the 16-bit stereo outline of 800 frames
    ref.pFormat.reset(new WAVEFORMATEX{1, 2, 8000, 32000, 4, 16, 0});
    ref.dwDataSize = 3200, ref.lpData.reset(new uint8_t[3200]());
    ASSERT_TRUE(outline(ref));
    const Pairs expect = Frames(ref);
    for (const std::string header : {"wavpcm", "wav"}) for (int bits : {8, 16, 24, 32}) for (int ch : {1, 2}) {
        const std::string name = std::to_string(bits) + "-bit " + std::to_string(ch) + "-channel " + header;
        const std::string wav = dir / (std::to_string(bits) + "_" + std::to_string(ch) + header + ".wav");
        const std::string make = "sox -V1 -n -r 8000 -c " + std::to_string(ch) + " -b " + std::to_string(bits) + " -e " +
                                 (bits == 8 ? "unsigned" : "signed") + "-integer -t " + header + " " + wav + " synth 0.1 sine 440 sine 660 vol 1.5";
        ASSERT_EQ(std::system(make.c_str()), 0) << name;
        const Bytes file = ReadFileBytes(wav);
        ASSERT_EQ(Le16(file.data() + 20), header == "wav" && bits > 16 ? 0xFFFE : 1) << name << ": the header sox chose";
        ASSERT_EQ(LoadWaveFileCore(wd, wav, AcceptAll), "") << name;
        EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), "8000/" + std::to_string(bits) + " bits/ " + std::to_string(ch) + " Channels  800 samples");
        std::vector<int16_t> ours, outlined;  // interleaved, as sox writes them
        for (uint32_t i = 0; i < 800; ++i) for (int k = 0; k < ch; ++k) {
            ours.push_back(FrameSample(wd.lpData.get(), LayoutOf(wd), i, k));
            const int want = k == 0 ? expect[i].first : expect[i].second;
            outlined.push_back(int16_t(bits == 8 ? (want >> 8) * 256 : want));
        }
        EXPECT_EQ(ours, sox16(wav)) << name;
        ASSERT_TRUE(outline(wd)) << name;
        WriteFileBytes(wav + ".made.wav", Riff({{"fmt ", PcmFormat(1, uint16_t(ch), 8000, uint16_t(bits))},
                                            {"data", Bytes(wd.lpData.get(), wd.lpData.get() + wd.dwDataSize)}}));
        EXPECT_EQ(outlined, sox16(wav + ".made.wav")) << name << " written by MakeForm";
    }
}

TEST(Outline, MakeFormTracesSegmentsOfFOverNMinusOneFrames) {
    struct Case { const char* name; uint32_t frames; std::vector<int> points; Pairs expect; bool made = true; } cases[] = {
        {"four points: the closing segment gets the remainder", 10, {0, 0, 300, 0, 300, 300, 0, 300},
         {{0, 0}, {100, 0}, {200, 0}, {300, 0}, {300, 100}, {300, 200}, {300, 300}, {200, 300}, {100, 300}, {0, 300}}},
        {"values truncate toward zero", 3, {0, 0, -10, 10}, {{0, 0}, {-3, 3}, {-6, 6}}},
        {"frames left after the closing segment repeat from where it ended", 7, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
         {{10, 20}, {30, 40}, {50, 60}, {70, 80}, {90, 100}, {10, 20}, {10, 20}}},
        {"fewer frames than segments stay finite", 2, {0, 0, 5, 5, 7, 7, 100, -100}, {{100, -100}, {0, 0}}},
        {"samples keep their low 16 bits", 1, {40000, -40000, 0, 0}, {{40000 - 65536, 65536 - 40000}}},
        {"no point: the data stays", 2, {}, {{0x42, 0}, {0, 0}}, false}};
    for (Case& c : cases) {
        WaveState wd;
        wd.pFormat.reset(new WAVEFORMATEX{1, 2, 8000, 32000, 4, 16, 0});
        wd.dwDataSize = c.frames * 4, wd.ListLen = int(c.points.size()), wd.ListSize = wd.ListLen + 2;
        wd.lpData.reset(new uint8_t[c.frames * 4]()), wd.lpData[0] = 0x42;
        wd.List.reset(new int[size_t(wd.ListSize)]);
        std::copy(c.points.begin(), c.points.end(), wd.List.get());
        EXPECT_EQ(MakeOutlineForm(wd), c.made) << c.name;
        EXPECT_EQ(Frames(wd), c.expect) << c.name;
    }
}

}  // namespace
