// stereo_bench [RUNS]: MakeStereo on a 1920 x 1080 32-bit depth picture (a dome and ramps) with
// a 256 x 256 noise texture, for each oversampling factor with and without hidden-surface
// removal; best of RUNS (default 7) in milliseconds and output megapixels per second, and a
// plain copy of the output buffer for scale.
#include "stereo/decode_stereo.h"
#include "stereo/make_stereo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kW = 1920, kH = 1080, kTex = 256;

std::vector<uint8_t> DepthBits() {
    std::vector<uint8_t> bits(size_t(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            double r = std::hypot(x - kW / 2.0, y - kH / 2.0) / 400.0;
            int level = r < 1 ? int(120 * std::sqrt(1 - r * r)) : (x / 16) % 40;
            uint8_t* p = &bits[(size_t(y) * kW + x) * 4];
            p[0] = p[1] = p[2] = uint8_t(128 + level);
        }
    return bits;
}

std::vector<uint8_t> TextureBits() {
    std::vector<uint8_t> bits(size_t(kTex) * kTex * 4);
    std::mt19937 rng(1);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = i % 4 == 3 ? 0 : uint8_t(rng());
    return bits;
}

template <class F> double BestMs(int runs, F&& f) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

void Report(const char* what, double ms) {
    std::printf("%-28s %9.2f ms  %8.1f Mpx/s\n", what, ms, double(kW) * kH / (ms * 1000.0));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::vector<uint8_t> depth = DepthBits(), texture = TextureBits();
    std::vector<uint8_t> out(depth.size()), copy(depth.size());
    std::printf("MakeStereo %d x %d x 32, texture %d x %d x 32, best of %d\n", kW, kH, kTex, kTex, runs);
    for (int hidden : {0, 1})
        for (int ov : {1, 2, 4, 6}) {
            StereoOptions opts;
            opts.oversam = ov;
            opts.dohiddenrem = hidden;
            double ms = BestMs(runs, [&] {
                if (!MakeStereo(texture.data(), depth.data(), out.data(), kW, kH, 32, kTex, kTex, 32, opts)) {
                    std::fprintf(stderr, "MakeStereo failed\n");
                    std::exit(1);
                }
            });
            char label[64];
            std::snprintf(label, sizeof label, "oversam %d%s", ov, hidden ? ", hidden removal" : "");
            Report(label, ms);
        }
    {
        // Reading the depth back from the default stereogram, the range found from the picture.
        StereoOptions opts;
        MakeStereo(texture.data(), depth.data(), out.data(), kW, kH, 32, kTex, kTex, 32, opts);
        const PictureView view{reinterpret_cast<const uint32_t*>(out.data()) + size_t(kH - 1) * kW, -kW, kW, kH};
        DecodedStereo d;
        DecodeResult r = DecodeResult::Found;
        Report("decode", BestMs(runs, [&] { r = DecodeStereogram(view, nullptr, d); }));
        if (r != DecodeResult::Found) std::printf("decode found no stereogram\n");
        // Oversampled with its options known: separations tried in quarter pixels.
        opts.oversam = 4;
        MakeStereo(texture.data(), depth.data(), out.data(), kW, kH, 32, kTex, kTex, 32, opts);
        Report("decode, oversam 4", BestMs(runs, [&] { r = DecodeStereogram(view, &opts, d); }));
        if (r != DecodeResult::Found) std::printf("decode found no stereogram\n");
    }
    double ms = BestMs(runs, [&] {
        std::memcpy(copy.data(), out.data(), out.size());
        asm volatile("" : : "r"(copy.data()) : "memory");
    });
    Report("memcpy of the output", ms);
    return 0;
}
