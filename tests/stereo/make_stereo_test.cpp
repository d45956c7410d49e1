// The stereogram generator against worked-out rules and a plain reference version, the field
// reader of the options, and the picture pipeline around the generator.
#include "stereo/gallery.h"
#include "stereo/make_stereo.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <functional>
#include <random>
#include <tuple>
#include <vector>

namespace {

// A bottom-up bitmap with rows padded to 4 bytes, allocated to its exact size so that ASan sees
// any read past its end. Pixels are little-endian words of `bpp` bits; `at` steps by the row size.
struct Dib {
    int w, h, bpp;
    std::vector<uint8_t> bits;
    Dib(int w_, int h_, int bpp_, const std::function<uint32_t(int, int)>& fill = {})
        : w(w_), h(h_), bpp(bpp_), bits((size_t(bpp_) * w_ + 31) / 32 * 4 * size_t(h_)) {
        for (int y = 0; fill && y < h; ++y) for (int x = 0; x < w; ++x) setPixel(x, y, fill(x, y));
    }
    uint8_t* at(int x, int y) { return bits.data() + size_t(y) * (bits.size() / h) + size_t(x) * (bpp / 8); }
    const uint8_t* at(int x, int y) const { return const_cast<Dib*>(this)->at(x, y); }
    uint32_t pixel(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, at(x, y), bpp / 8);  // the host is little-endian
        return v;
    }
    void setPixel(int x, int y, uint32_t v) { std::memcpy(at(x, y), &v, bpp / 8); }
};

// Random colours, fourth byte 0 as a 32-bit display gives it.
Dib RandomTexture(int w, int h, int bpp, uint32_t seed) {
    std::mt19937 rng(seed);
    return Dib(w, h, bpp, [&](int, int) { return rng() & 0xFFFFFF; });
}

// Every depth pixel's first byte is `first`; the other bytes are noise that must not count.
Dib FlatDepth(int w, int h, int bpp, uint8_t first) {
    return Dib(w, h, bpp, [=](int, int) { return 0x00A5C300u | first; });
}

Dib Stereo(const Dib& wall, const Dib& depth, const StereoOptions& opts) {
    Dib out(depth.w, depth.h, depth.bpp);
    EXPECT_EQ(1, MakeStereo(wall.bits.data(), depth.bits.data(), out.bits.data(), depth.w, depth.h, depth.bpp, wall.w,
                            wall.h, wall.bpp, opts));
    return out;
}

// Depth offset 0..relief of depth pixel (x, y), y from the bottom.
using Offsets = std::function<int(int x, int y)>;

// A plain generator (a division per sample, explicit clamps) that MakeStereo must match byte for byte;
// without `offset` the depth offset is the classic level (low 7 bits of the first byte) times relief / 127.
Dib Reference(const Dib& wall, const Dib& depth, const StereoOptions& opts, Offsets offset = {}) {
    const int oversam = opts.oversam, bkdepth = opts.bkdepth, Eye = opts.Eye, o = opts.o;
    const int bb = wall.bpp / 8, picwidth = depth.w & ~1, n = picwidth * oversam, wrap = std::max(wall.w & ~1, 1);
    static const std::vector<int> kTaps[] = {{}, {100}, {42, 24, 5}, {}, {26, 18, 12, 7}, {}, {14, 14, 11, 8, 5, 3, 2}};
    const std::vector<int>& taps = kTaps[oversam];  // the output filter, centre first
    std::vector<int> z(picwidth), Link(n);
    std::vector<int32_t> pixels(n);
    auto sample = [&](long i) { return int64_t(pixels[std::clamp(i, 0L, long(n - 1))]); };
    auto zAt = [&](long pos) { return z[std::clamp(pos / oversam, 0L, long(picwidth - 1))]; };
    auto word = [&](const uint8_t* row, size_t at) {  // bytes past the row's pixels count as 0
        uint32_t v = 0;
        for (size_t k = 0; k < 4 && at + k < size_t(wall.w) * bb; ++k) v |= uint32_t(row[at + k]) << (8 * k);
        return int32_t(v);
    };
    Dib out(depth.w, depth.h, depth.bpp);
    for (int y = 0; y < depth.h; ++y) {
        const uint8_t* W = wall.at(0, y % wall.h);
        for (int i = 0; i < n; ++i) Link[i] = i;
        int highest = bkdepth;
        for (int x = 0; x < picwidth; ++x) {
            const int h = depth.at(x, y)[0] & 127, block = (x / 32) % 2 * 32;
            const int level = offset ? offset(x, y) : (opts.invert ? 127 - h : h) * opts.relief / 127;
            z[x] = bkdepth + (opts.BlocksOnTop && y >= 8 && y < 32 ? block * opts.relief / 127 : level);
            highest = std::max(highest, z[x]);
        }
        for (int x = 0; x < n; ++x) {
            int t = z[x / oversam];
            int64_t separation = int64_t(__int128(Eye) * oversam * t / (int64_t(t) - o));
            int64_t left = x - separation / 2, right = left + separation;
            if (left < 0 || right >= n) continue;
            bool visible = true;
            const float v = float((o - t) * 2.0 / Eye);
            for (int dx = 1; opts.dohiddenrem && visible; ++dx) {
                const int64_t u = int64_t(dx * double(v) + t);
                visible = zAt(long(x) + dx) < u && zAt(long(x) - dx) < u;
                if (u > highest) break;
            }
            if (visible) Link[right] = int(left);
        }
        for (int x = 0, pp = 0, c = 0; x < n; ++x)  // a new texture word every `oversam` free samples
            pixels[x] = Link[x] != x ? pixels[Link[x]] : (c = pp++ % oversam == 0 ? word(W, size_t(x % wrap) * bb) : c);
        for (int x = 0; x < picwidth; ++x) {
            const long xx = long(x) * oversam;
            int64_t v = taps[0] * sample(xx);
            for (size_t k = 1; k < taps.size(); ++k) v += taps[k] * (sample(xx - long(k)) + sample(xx + long(k)));
            out.setPixel(x, y, uint32_t(int32_t(v / 100)));
        }
        if (depth.w == 1) out.setPixel(0, y, uint32_t(word(W, 0)));
        else if (depth.w % 2) out.setPixel(depth.w - 1, y, out.pixel(depth.w - 2, y));
    }
    return out;
}

TEST(MakeStereo, FlatDepthRowsRepeatTheirFirstPeriod) {
    // Defaults: period 150 * t / (t - 700), t = level - 800: 80 for level 0 (byte 128), 73 for 127 (byte 255).
    // Narrow and low backgrounds repeat in each period (odd widths taken as even); rows are padded, and an
    // odd width's last column repeats its neighbour (a 1-pixel result takes the texture's first column).
    struct Case { int bw, bh, bbpp, width, fbpp; uint8_t first = 0; int invert = 0, period = 80; } cases[] = {
        {256, 16, 32, 300, 32, 128, 0, 80}, {256, 16, 32, 300, 32, 255, 0, 73}, {256, 16, 32, 300, 32, 255, 1, 80},
        {256, 16, 32, 300, 32, 128, 1, 73}, {31, 5, 32, 240, 32},  {200, 1, 24, 240, 24}, {1, 2, 32, 240, 32},
        {45, 64, 16, 240, 16}, {101, 9, 24, 81, 24}, {97, 9, 32, 163, 24}, {255, 9, 24, 99, 16}, {3, 9, 24, 1, 24}};
    for (const Case& c : cases) {
        Dib wall = RandomTexture(c.bw, c.bh, c.bbpp, 7);
        Dib out = Stereo(wall, FlatDepth(c.width, 40, c.fbpp, c.first), {.invert = c.invert});
        const int wrap = std::max(c.bw & ~1, 1);
        const uint32_t mask = uint32_t((1ull << c.fbpp) - 1);
        for (int y = 0; y < out.h; ++y) for (int x = 0; x < c.width; ++x) {
            uint32_t want = x == (c.width & ~1) ? (x ? out.pixel(x - 1, y) : wall.pixel(0, y % c.bh))
                            : x < c.period  ? wall.pixel(x % wrap, y % c.bh)
                                            : out.pixel(x - c.period, y);
            ASSERT_EQ(want & mask, out.pixel(x, y)) << "case " << &c - cases << " at " << x << "," << y;
        }
    }
}

TEST(MakeStereo, HiddenRemovalFreesOnlyBlockedPairs) {
    // Level 127 at columns 200..209, 0 elsewhere. A level-0 sample gains 20 depth units per step toward the
    // eyes, so samples 194..199 and 210..215 are hidden and lose their pairs: right ends 234..239 and
    // 250..255 stay free unless the block's own pairs (right ends 237..246) take them.
    Dib wall = RandomTexture(512, 1, 32, 9);
    Dib depth(400, 1, 32, [](int x, int) { return x >= 200 && x < 210 ? 127u : 0u; });
    Dib hidden = Stereo(wall, depth, {1, -800, 150, 700, 0, 1, 0});
    for (int x : {234, 235, 236, 250, 251, 252, 253, 254, 255}) EXPECT_EQ(wall.pixel(x, 0), hidden.pixel(x, 0)) << x;
    for (int x : {237, 240, 246, 300, 399}) EXPECT_NE(wall.pixel(x, 0), hidden.pixel(x, 0)) << x;
    Dib shown = Stereo(wall, depth, StereoOptions{});
    for (int x : {234, 235, 236, 250, 255, 300}) EXPECT_EQ(shown.pixel(x - 80, 0), shown.pixel(x, 0)) << x;
    EXPECT_EQ(shown.pixel(300, 0), hidden.pixel(300, 0));
}

TEST(MakeStereo, RefusesUnusableInputsWithoutWriting) {
    Dib wall = RandomTexture(64, 4, 32, 2), depth = FlatDepth(64, 4, 32, 0);
    // Oversampling 3, depth on the screen, eye 0, distance 0, 8-bit depth, 8-bit texture, empty texture,
    // nearest depth on the screen, relief 0, a result 15 wide.
    struct Case { StereoOptions opts; int fbpp, bbpp, bw; } cases[] = {{{3}, 32, 32, 64}, {{1, -127}, 32, 32, 64},
        {{1, -800, 0}, 32, 32, 64}, {{1, -800, 150, 0}, 32, 32, 64}, {{}, 8, 32, 64}, {{}, 32, 8, 64}, {{}, 32, 32, 0},
        {{1, -200, 150, 700, 0, 0, 0, kDepthGrey, 200}, 32, 32, 64}, {{1, -800, 150, 700, 0, 0, 0, 0, 0}, 32, 32, 64},
        {{1, -800, 150, 700, 0, 0, 0, 0, 127, 15}, 32, 32, 64}};
    for (const Case& c : cases) {
        std::vector<uint8_t> out(64 * 4 * 4, 0xEE);
        const uint8_t *w = wall.bits.data(), *z = depth.bits.data();
        EXPECT_EQ(0, MakeStereo(w, z, out.data(), 64, 4, c.fbpp, c.bw, 4, c.bbpp, c.opts)) << "case " << &c - cases;
        EXPECT_EQ(std::vector<uint8_t>(out.size(), 0xEE), out) << "case " << &c - cases;
    }
}

TEST(StereoPictures, UnusableInputsAreRefusedWithoutWriting) {
    Image32 tex(10, 10, 1), dimg(10, 10), out(3, 3, 42);
    EXPECT_FALSE(MakeStereoPicture(Image32(), dimg, StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, Image32(), StereoOptions{}, out));
    EXPECT_FALSE(MakeStereoPicture(tex, dimg, StereoOptions{5}, out));
    EXPECT_EQ(std::vector<uint32_t>(9, 42), out.px);
}

// Every option combination on random depth pictures of plateaus and noise (so that links, overwrites and
// blocked sight all occur), for five geometries (one with a deep relief; the last two give near samples a
// separation of 0, which frees them even when an earlier pair linked them) and a few row layouts.
TEST(MakeStereo, MatchesReferenceForEveryOptionCombination) {
    const StereoOptions geometries[] = {{}, {1, -128, 300, 40}, {1, -2500, 150, 700, 0, 0, 0, kDepthClassic, 2000},
                                        {1, -128, 150, 700}, {1, -800, 2, 700}};
    const int layouts[][3] = {{97, 16, 24}, {130, 24, 32}, {97, 32, 32}, {130, 32, 24}};  // width, depth, texture bits
    int run = 0;
    for (const StereoOptions& g : geometries) for (int ov : {1, 2, 4, 6}) for (int flags = 0; flags < 8; ++flags)
        for (auto [width, fbpp, bbpp] : layouts) {
            const StereoOptions opts{ov, g.bkdepth, g.Eye, g.o, flags & 1, (flags >> 1) & 1, (flags >> 2) & 1,
                                     kDepthClassic, g.relief};
            Dib wall = RandomTexture(13 + run % 40, 1 + run % 11, bbpp, run);
            if (run % 2 && bbpp == 32)  // a fourth byte makes the filter's sums pass 32 bits
                for (int y = 0; y < wall.h; ++y) wall.setPixel(run % wall.w, y, wall.pixel(0, y) | 0xFF000000u);
            std::mt19937 rng(run + 1000);
            int level = 0;
            Dib depth(width, 36, fbpp, [&](int, int) {
                if (rng() % 9 == 0) level = int(rng() % 256);
                return rng() % 5 == 0 ? uint32_t(rng()) : uint32_t(level);
            });
            ASSERT_EQ(Reference(wall, depth, opts).bits, Stereo(wall, depth, opts).bits)
                << "eye " << g.Eye << ", oversam " << ov << ", flags " << flags << ", layout " << width;
            ++run;
        }
}

// Grey mode on random 8-bit colour pictures (grey = (299 R + 587 G + 114 B + 500) / 1000 of 255) and on 16-bit
// grey values kept beside the picture (of 65535), for every oversampling and relief, hidden removal and invert.
// Relief 255 brings the nearest depths up to the screen, where the separation is 0.
TEST(MakeStereo, GreyModeMatchesReferenceForEveryReliefOnEightAndSixteenBitDepth) {
    int run = 0;
    for (int relief : {1, 255, 4000}) for (int ov : {1, 2, 4, 6}) for (int flags = 0; flags < 4; ++flags, ++run) {
        const int bkdepth = relief == 255 ? -256 : -relief - 700;
        const StereoOptions opts{ov, bkdepth, 150, 700, 0, flags & 1, flags >> 1, kDepthGrey, relief};
        std::mt19937 rng(run);
        uint32_t value = 0;
        auto plateaus = [&](uint32_t mask) { return rng() % 7 == 0 ? value = rng() & mask : rng() % 5 ? value : rng() & mask; };
        Image32 tex(61, 9);  // a display pixel's fourth byte is no part of its colour, so it must not count
        for (uint32_t& p : tex.px) p = rng() | 0xFF000000u;
        const Dib wall(61, 9, 32, [&](int x, int y) { return tex.at(x, 8 - y) & 0xFFFFFF; });
        const Dib depth(230, 12, 24, [&](int, int) { return plateaus(0xFFFFFF); });
        auto offset = [&](int64_t g, int64_t gmax) { return int((flags >> 1 ? gmax - g : g) * relief / gmax); };
        const Dib want8 = Reference(wall, depth, opts, [&](int x, int y) {
            const uint8_t* p = depth.at(x, y);
            return offset((299 * p[2] + 587 * p[1] + 114 * p[0] + 500) / 1000, 255);
        });
        ASSERT_EQ(want8.bits, Stereo(wall, depth, opts).bits) << relief << " " << ov << " " << flags;

        Image32 grey(230, 12), out;  // colours that must not count, and grey values top row first
        for (uint32_t& px : grey.px) px = rng();
        for (int i = 0; i < 230 * 12; ++i) grey.grey16.push_back(uint16_t(plateaus(0xFFFF)));
        const Dib want16 = Reference(wall, Dib(230, 12, 32), opts, [&](int x, int y) {
            return offset(grey.grey16[size_t(11 - y) * 230 + size_t(x)], 65535);
        });
        ASSERT_TRUE(MakeStereoPicture(tex, grey, opts, out));
        const Dib got(out.width, out.height, 32, [&](int x, int y) { return out.at(x, out.height - 1 - y); });
        ASSERT_EQ(want16.bits, got.bits) << relief << " " << ov << " " << flags;
    }
}

// Depth offsets of a scaled depth picture, worked by hand: output pixel i lies at (i + 1/2) x in / out - 1/2
// of the picture, held at its edges, and the offset is the exact bilinear value x relief / gmax, truncated.
TEST(StereoPictures, DepthRowsScaleBilinearly) {
    struct Case { int w, h, outW, outH; std::vector<uint32_t> px; std::vector<uint16_t> grey16; StereoOptions opts;
                  std::vector<int> want; } cases[] = {
        // 2 -> 8: at -3/8, -1/8, 1/8, 3/8, 5/8, 7/8, 9/8, 11/8 of grey 0 | 255.
        {2, 1, 8, 1, {0, 0xFFFFFF}, {}, {1, -800, 150, 700, 0, 0, 0, kDepthGrey, 255}, {0, 0, 31, 95, 159, 223, 255, 255}},
        {2, 1, 8, 1, {0, 0xFFFFFF}, {}, {1, -800, 150, 700, 0, 0, 1, kDepthGrey, 255}, {255, 255, 223, 159, 95, 31, 0, 0}},
        // 2 rows -> 4 (bottom row first): at -1/4, 1/4, 3/4, 5/4.
        {1, 2, 1, 4, {0xFFFFFF, 0}, {}, {1, -800, 150, 700, 0, 0, 0, kDepthGrey, 255}, {0, 63, 191, 255}},
        // 4 -> 2: at 1/2 and 5/2 of grey 0, 100, 200, 250.
        {4, 1, 2, 1, {0, 0x646464, 0xC8C8C8, 0xFAFAFA}, {}, {1, -800, 150, 700, 0, 0, 0, kDepthGrey, 255}, {50, 225}},
        // 8-bit levels 100 | 101 with relief 25500, 2 -> 4: between the levels, not stepped.
        {2, 1, 4, 1, {0x646464, 0x656565}, {}, {1, -30000, 150, 700, 0, 0, 0, kDepthGrey, 25500}, {10000, 10025, 10075, 10100}},
        // Classic levels 0 | 127 (high bit and other bytes ignored), 2 -> 4: at -1/4, 1/4, 3/4, 5/4.
        {2, 1, 4, 1, {0xFFFF80, 0x00007F}, {}, {}, {0, 31, 95, 127}},
        // 16-bit grey 0 | 65535 with relief 4000, 2 -> 4: exactly a quarter and three quarters.
        {2, 1, 4, 1, {0xFFFFFF, 0xFFFFFF}, {0, 65535}, {1, -5000, 150, 700, 0, 0, 0, kDepthGrey, 4000}, {0, 1000, 3000, 4000}},
    };
    for (const Case& c : cases) {
        const auto* top = reinterpret_cast<const uint8_t*>(c.px.data());
        const DepthRows rows({c.w, c.h, top + (c.h - 1) * c.w * 4, -c.w * 4, 32, c.grey16.empty() ? nullptr : c.grey16.data()},
                             c.opts, c.outW, c.outH);
        std::vector<int> got;
        for (int y = 0; y < c.outH; ++y) {
            std::vector<int32_t> d(size_t(c.outW));
            rows.Row(y, d.data());
            got.insert(got.end(), d.begin(), d.end());
        }
        EXPECT_EQ(c.want, got) << "case " << &c - cases;
    }
}

TEST(StereoPictures, ARandomDotTextureIsFixedByItsSeedAndKind) {
    const Image32 tex = RandomDotTexture(80, true, 7);
    ASSERT_EQ(std::make_pair(160, 256), std::make_pair(tex.width, tex.height));
    EXPECT_TRUE(std::all_of(tex.px.begin(), tex.px.end(), [](uint32_t p) { return p == 0 || p == 0xFFFFFF; }));
    EXPECT_EQ(tex.px, RandomDotTexture(80, true, 7).px);
    EXPECT_NE(tex.px, RandomDotTexture(80, true, 8).px);
    EXPECT_NE(tex.px, RandomDotTexture(80, false, 7).px);
}

TEST(StereoPictures, TheChosenResultSizeShowsMarksOverTheTextureRepeatedAtTheSeparation) {
    // A random black-and-white texture 2 x 80 wide, a flat 40 x 30 depth picture made 1000 x 50 with marks:
    // r = 5, a 30-row band, centres on row 15 at 459 and 539 (80 apart about column 499.5). Dots: discs of
    // radius 5. Triangles: rows 10 (columns 454-464 and 534-544) down to 20 (459 and 539 alone), a column
    // less on each side every two rows. Off: no band.
    const Image32 tex = RandomDotTexture(80, true, 7), depth(40, 30, 0x808080);
    for (int marks : {kMarksDots, kMarksTriangles, kMarksOff}) {
        const StereoOptions opts{.DepthMode = kDepthClassic, .OutWidth = 1000, .OutHeight = 50, .dots = marks};  // grey as level 0
        const int band = marks ? 30 : 0;
        Image32 out;
        ASSERT_TRUE(MakeStereoPicture(tex, depth, opts, out));
        ASSERT_EQ(std::make_pair(1000, 50 + band), std::make_pair(out.width, out.height));
        for (int y = 0; y < band; ++y) for (int x = 0; x < 1000; ++x) {
            const int dx = std::min(std::abs(x - 459), std::abs(x - 539)), dy = y - 15;
            const bool black = marks == kMarksDots ? dx * dx + dy * dy <= 25 : y >= 10 && y <= 20 && dx <= (20 - y) / 2;
            ASSERT_EQ(black ? 0u : 0xFFFFFFu, out.at(x, y)) << x << "," << y << " marks " << marks;
        }
        for (int y = band; y < 50 + band; ++y)  // bottom-up row 49 + band - y, texture row 255 - that from the top
            for (int x = 0; x < 1000; ++x)
                ASSERT_EQ(x < 80 ? tex.at(x, 255 - (49 + band - y)) : out.at(x - 80, y), out.at(x, y)) << x << "," << y;
    }
}

// "<field> must be <range>" for a number out of range, "<field> is not a number: it must be <range>" else.
std::string Message(int field, bool number) {
    static const char* const kFields[][2] = {
        {"Oversample factor", "1, 2, 4 or 6."},
        {"Background depth", "a whole number of -128 or less, so that every depth lies behind the screen."},
        {"Eye separation", "a whole number from 1 to 32768."},
        {"Observer screen distance", "a whole number of 1 or more."}, {"Relief", "a whole number from 1 to 4000."},
        {"Result width", "empty or a whole number from 16 to 16384."},
        {"Background depth", "a whole number of -4001 or less, so that every depth lies behind the screen."}};
    return kFields[field][0] + std::string(number ? " must be " : " is not a number: it must be ") + kFields[field][1];
}

auto Tie(const StereoOptions& s) {
    return std::tie(s.oversam, s.bkdepth, s.Eye, s.o, s.BlocksOnTop, s.dohiddenrem, s.invert, s.relief, s.OutWidth,
                    s.OutHeight);
}

// Columns: the field texts, the message (none when stored), the options after.
TEST(StereoOptions, AllGoodFieldsAreStoredOrTheFirstBadOneNamesItsRange) {
    const StereoOptions start{2, -900, 100, 600, 1, 0, 1};
    struct Case { StereoFieldTexts fields; std::string message; StereoOptions want; } cases[] = {
        {{" 6 ", "-128", "1", "1"}, "", {6, -128, 1, 1, 1, 0, 1}},
        {{"2", "-2147483648", "32768", "2147483647"}, "", {2, INT32_MIN, 32768, INT32_MAX, 1, 0, 1}},
        {{"3", "-800", "150", "700"}, Message(0, true), start}, {{"0", "x", "0", "0"}, Message(0, true), start},
        {{"4x", "-800", "150", "700"}, Message(0, false), start},
        {{"1", "-127", "150", "700"}, Message(1, true), start},
        {{"1", "-99999999999", "150", "700"}, Message(1, true), start},
        {{"1", "--800", "150", "700"}, Message(1, false), start}, {{"1", "-800", "0", "0"}, Message(2, true), start},
        {{"1", "-800", "32769", "700"}, Message(2, true), start},
        {{"1", "-800", "1.5", "700"}, Message(2, false), start}, {{"1", "-800", "150", "0"}, Message(3, true), start},
        {{"1", "-800", "150", "+700"}, Message(3, false), start},
        {{"1", "-4001", "1", "1", "4000", " 16", "16384"}, "", {1, -4001, 1, 1, 1, 0, 1, 0, 4000, 16, 16384}},
        {{"1", "-4000", "1", "1", "4000"}, Message(6, true), start},
        {{"1", "-4000", "1", "1", "4001"}, Message(4, true), start},
        {{"1", "-800", "1", "1", "0x"}, Message(4, false), start},
        {{"1", "-800", "1", "1", "127", "15", ""}, Message(5, true), start},
        {{"1", "-800", "1", "1", "127", "", "x"}, "Result height is not a number: it must be empty or a whole number from 16 to 16384.", start},
    };
    for (const Case& c : cases) {
        StereoOptions opts = start;
        SCOPED_TRACE(c.fields.oversam + " | " + c.fields.bkdepth + " | " + c.fields.Eye + " | " + c.fields.o);
        EXPECT_EQ(c.message, ReadStereoFields(c.fields, opts));
        EXPECT_EQ(Tie(c.want), Tie(opts));
    }
}

// A gallery sidecar: each line an option of orvalis-cli stereo without its dashes; a bad line is refused
// with its number and nothing is kept; the range checks are the option fields' own.
TEST(StereoOptions, GallerySidecarLinesBecomeOptionsOrTheFirstBadLineIsNamed) {
    const std::string tex = "texture = textures/t.png\n";
    const struct { std::string text, message; } cases[] = {
        {"# a comment\n\ntitle = Rings\r\n" + tex + "relief = 300\ndepth-mode = grey\noversample=4\nsize = 640x480\n"
         " invert \nviewing = cross\nbackground-depth = -900\neye = 120\ndistance = 650\nhidden\nblocks\ndots", ""},
        {tex + "brightness = 3", "line 2: unknown setting 'brightness'"},
        {tex + "relief = 5000", "line 2: " + Message(4, true)},
        {tex + "relief = 300\nbackground-depth = -200", "line 3: Background depth must be a whole number of -301 or less, "
                                                          "so that every depth lies behind the screen."},
        {tex + "relief = 1000", "the settings: Background depth must be a whole number of -1001 or less, so that every "
                                "depth lies behind the screen."},
        {tex + "eye = 1.5", "line 2: " + Message(2, false)},
        {tex + "size = 640", "line 2: size must be WIDTHxHEIGHT, such as 640x480"},
        {tex + "size = 8x480", "line 2: " + Message(5, true)},
        {tex + "relief = 200\nrelief = 300", "line 3: relief is given twice"},
        {tex + "dots = yes", "line 2: dots takes no value"},
        {tex + "relief", "line 2: relief needs a value (relief = ...)"},
        {tex + "depth-mode = colour", "line 2: depth-mode must be auto, classic or grey"},
        {tex + "viewing = wall", "line 2: viewing must be parallel or cross"},
        {"relief = 200", "no texture line (texture = NAME)"},
    };
    for (const auto& c : cases) {
        GalleryEntry e;
        e.title = "unchanged";
        EXPECT_EQ(ParseGallerySidecar(c.text, "/g/rings.png", e), c.message) << c.text;
        EXPECT_EQ(e.title, c.message.empty() ? "Rings" : "unchanged");
    }
    GalleryEntry e;
    ASSERT_EQ(ParseGallerySidecar(cases[0].text, "/g/rings.png", e), "");
    EXPECT_EQ(std::make_tuple(e.title, e.texture.string(), e.depth.string()), std::make_tuple("Rings", "/g/textures/t.png", "/g/rings.png"));
    const StereoOptions& o = e.options;
    EXPECT_EQ(Tie(o), Tie(StereoOptions{4, -900, 120, 650, 1, 1, 1, kDepthGrey, 300, 640, 480}));
    EXPECT_EQ(std::make_tuple(o.DepthMode, o.dots, o.viewing), std::make_tuple(int(kDepthGrey), 1, int(kViewCross)));
    ASSERT_EQ(ParseGallerySidecar(tex, "/g/plain.png", e), "");
    EXPECT_EQ(std::make_tuple(e.title, Tie(e.options)), std::make_tuple(std::string("plain"), Tie(StereoOptions{})));
}

// Values worked by hand: 63 mm x 96 / 25.4 = 238.11, 500 mm at 300 dpi = 5905.51 pixels, and so on;
// pixels from millimetres are rounded to the nearest, millimetres from pixels exact.
TEST(StereoOptions, MillimetresBecomePixelsAtTheDpiAndBack) {
    struct Case { double dpi; PhysicalViewing in; int eye, o, relief, far, near; double eyeMmBack; } cases[] = {
        {96, {63, 500, 96, 0.33}, 238, 1890, 624, 119, 95, 62.97083},   // 0.33 x 1890 = 623.7
        {300, {63, 500, 300, 0.33}, 744, 5906, 1949, 372, 298, 62.992},  // 744 x 3957 / 9863 = 298.49
        {300, {10, 100, 300, 0.5}, 118, 1181, 591, 59, 39, 9.99067},     // 118 x 590 / 1771 = 39.3
    };
    using Ends = std::pair<int64_t, int64_t>;
    const auto ends = [](const StereoOptions& o) { return Ends{StereoSeparation(o, 0), StereoSeparation(o, o.relief)}; };
    for (const Case& c : cases) {
        StereoOptions o;
        ApplyPhysical(o, c.in);
        EXPECT_EQ(std::make_tuple(o.Eye, o.o, o.bkdepth, o.relief), std::make_tuple(c.eye, c.o, -c.o, c.relief)) << c.dpi;
        EXPECT_EQ(ends(o), (Ends{c.far, c.near}));
        const PhysicalViewing back = PhysicalOf(o, c.dpi);
        EXPECT_NEAR(back.eyeMm, c.eyeMmBack, 1e-5);
        EXPECT_NEAR(back.depthOfField, double(c.relief) / c.o, 1e-12);
        // Crossed eyes take the separations the other way round.
        o.viewing = kViewCross;
        EXPECT_EQ(ends(o), (Ends{c.near, c.far}));
    }
    EXPECT_NEAR(PixelsToMm(1, 96) + PixelsToMm(1, 300) * 1000, 0.2645833 + 84.6667, 1e-4);
    EXPECT_EQ(std::make_pair(DpiToPerMetre(96), DpiToPerMetre(300)), std::make_pair(3780, 11811));
    // Pages: A4 210 x 297 mm, Letter 215.9 x 279.4 mm.
    struct Page { const char* text; double dpi; int w, h; bool ok; } pages[] = {
        {"A4", 300, 2480, 3508, true}, {"Letter", 300, 2550, 3300, true}, {"100x150mm", 96, 378, 567, true},
        {"A4", 2000, 0, 0, false}, {"10x5cm", 96, 0, 0, false}, {"x5mm", 96, 0, 0, false}, {"0x5mm", 96, 0, 0, false},
        {"1x1mm", 96, 0, 0, false}, {"A5", 96, 0, 0, false}, {"nanx5mm", 96, 0, 0, false},
    };
    for (const Page& p : pages) {
        int w = 0, h = 0;
        EXPECT_EQ(PrintSizePixels(p.text, p.dpi, w, h).empty(), p.ok) << p.text;
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(p.w, p.h)) << p.text;
    }
    EXPECT_EQ(ValidateStereoOptions({1, -800, 150, 700, 0, 1, 0, kDepthAuto, 127, 0, 0, 0, kViewCross}),
              "Hidden-surface removal works with parallel viewing only.");
}

}  // namespace
