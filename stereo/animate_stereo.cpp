#include "stereo/animate_stereo.h"

#include "documents/file_kind.h"
#include "platform/parallel.h"
#include "stereo/depth_rows.h"
#include "stereo/stereo_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>

double AnimationFigures::Flicker() const {
    const uint64_t still = onlyColour + neither;
    return still ? double(onlyColour) / double(still) : 0.0;
}

double AnimationFigures::Leak() const {
    const double a = double(both), b = double(onlyColour), c = double(onlyDepth), d = double(neither);
    const double den = std::sqrt((a + b) * (c + d) * (a + c) * (b + d));
    return den > 0 ? (a * d - b * c) / den : 0.0;
}

bool AnimatedStereo::Prepare(const StereoOptions& opts, AnimateTexture mode, const Image32* picture,
                             bool blackAndWhite, uint32_t seed, std::string& why, int colours) {
    if (std::string bad = ValidateStereoOptions(opts); !bad.empty()) return why = bad, false;
    if (picture && mode != AnimateTexture::Still) return why = "a picture texture can only stay still", false;
    if (mode == AnimateTexture::Coherent && opts.oversam != 1)
        return why = "coherent dots are chosen per pixel: they need an oversampling of 1", false;
    opts_ = opts;
    mode_ = mode;
    rng_.seed(seed);
    // Black and white first: the band of convergence dots takes them.
    palette_.clear();
    if (!picture) palette_ = {0u, 0x00FFFFFFu};
    if (!picture && !blackAndWhite)
        for (int i = 2; i < std::clamp(colours, 2, 256); ++i) palette_.push_back(rng_() & 0x00FFFFFFu);
    texture_ = picture ? *picture : DotTexture();
    dotKey_ = uint64_t(rng_()) << 32 | rng_();
    frames_ = 0;
    figures_ = {};
    return true;
}

Image32 AnimatedStereo::DotTexture() {
    Image32 t(int(std::clamp(2 * BackgroundSeparation(opts_), 2, kMaxOutSide)), 256);
    for (uint32_t& p : t.px) p = NewDot();
    return t;
}

bool AnimatedStereo::DepthOffsets(const Image32& depth, std::vector<int32_t>& d) const {
    const int W = opts_.OutWidth ? opts_.OutWidth : depth.width, H = opts_.OutHeight ? opts_.OutHeight : depth.height;
    const DepthRows rows(DepthOf(ViewOf(depth)), opts_, W, H);
    d.resize(size_t(W) * size_t(H) + 1);
    ParallelFor(0, H, 16, [&](int first, int last) {
        std::vector<int32_t> row(size_t(W) + 1);
        for (int y = first; y < last; ++y) {
            rows.Row(H - 1 - y, row.data());
            std::copy(row.begin(), row.end() - 1, d.begin() + ptrdiff_t(y) * W);
        }
    });
    d.pop_back();
    return true;
}

// A stereogram whose texture holds each column's own number in its one row: every pixel then
// shows the column its link chain starts from.
bool AnimatedStereo::ChainRoots(const Image32& depth, std::vector<uint32_t>& roots) const {
    StereoOptions o = opts_;
    o.dots = 0;
    const int W = o.OutWidth ? o.OutWidth : depth.width;
    Image32 columns(W, 1);
    for (int x = 0; x < W; ++x) columns.px[size_t(x)] = uint32_t(x);
    StereoMaker maker;
    if (!maker.Prepare(ViewOf(columns), DepthOf(ViewOf(depth)), o, 4)) return false;
    roots.resize(size_t(W) * size_t(maker.height()));
    return maker.Make(0, maker.height(), reinterpret_cast<uint8_t*>(roots.data()), ptrdiff_t(W) * 4);
}

// Each chain takes the colour of the last frame's chain that held the most of its pixels, when
// that is at least a third of them (the chain largely held together) and no other chain holds
// more of that old one; else a new dot. Only pixels whose chain changed change colour.
void AnimatedStereo::ColourChains(int W, int H, Image32& out) {
    const uint64_t frameKey = dotKey_ ^ uint64_t(frames_) << 40;
    // Rows are independent: each piece of rows has its own work arrays, and a new dot comes
    // from a hash of the frame, row and chain, the same on any number of threads.
    ParallelFor(0, H, 8, [&](int first, int last) {
        constexpr uint32_t kNone = 0xFFFFFFFFu;  // no colour: colours have 24 bits
        const size_t w = static_cast<size_t>(W);
        std::vector<uint32_t> candidate(3 * w), colour(w), from(w), claimer(w);
        std::vector<int> count(3 * w), members(w), best(w), claim(w);
        for (int y = first; y < last; ++y) {
            const uint32_t* root = roots_.data() + size_t(y) * size_t(W);
            uint32_t* o = out.px.data() + size_t(y) * size_t(W);
            const auto newDot = [&](int x) {
                uint64_t z = frameKey ^ uint64_t(y) << 20 ^ uint64_t(x);  // SplitMix64's finaliser
                z = (z ^ z >> 30) * 0xBF58476D1CE4E5B9ull;
                z = (z ^ z >> 27) * 0x94D049BB133111EBull;
                return palette_[(z ^ z >> 31) % palette_.size()];
            };
            std::fill(members.begin(), members.end(), 0);
            std::fill(best.begin(), best.end(), 0);
            if (!last_.empty()) {
                // The last frame's chains holding more than a quarter of a chain's pixels are
                // among its three candidates (Misra and Gries), whose pixels are then counted.
                const uint32_t* before = last_.px.data() + size_t(y) * size_t(W);
                const uint32_t* was = lastRoots_.data() + size_t(y) * size_t(W);
                std::fill(candidate.begin(), candidate.end(), kNone);
                std::fill(count.begin(), count.end(), 0);
                for (int x = 0; x < W; ++x) {
                    const size_t r = 3 * size_t(root[x]);
                    const uint32_t c = was[x];
                    ++members[root[x]];
                    int k = 0;
                    while (k < 3 && !(count[r + size_t(k)] > 0 && candidate[r + size_t(k)] == c)) ++k;
                    if (k == 3)
                        for (k = 0; k < 3 && count[r + size_t(k)] > 0;) ++k;
                    if (k < 3) {
                        if (count[r + size_t(k)]++ == 0) candidate[r + size_t(k)] = c;
                    } else {
                        for (k = 0; k < 3; ++k) --count[r + size_t(k)];
                    }
                }
                std::fill(count.begin(), count.end(), 0);
                for (int x = 0; x < W; ++x)
                    for (size_t r = 3 * size_t(root[x]), k = 0; k < 3; ++k) count[r + k] += candidate[r + k] == was[x];
                for (size_t r = 0; r < w; ++r)
                    for (size_t k = 0; k < 3; ++k)
                        if (count[3 * r + k] > best[r]) best[r] = count[3 * r + k], from[r] = candidate[3 * r + k];
                // An old chain passes its colour to one new chain only, the one holding the most
                // of it: copies would spread a few colours along the row frame after frame.
                std::fill(claim.begin(), claim.end(), 0);
                for (size_t r = 0; r < w; ++r)
                    if (best[r] > claim[from[r]]) claim[from[r]] = best[r], claimer[from[r]] = uint32_t(r);
                for (size_t r = 0; r < w; ++r) {
                    if (best[r] && claimer[from[r]] != r) best[r] = 0;
                    if (best[r]) colour[r] = before[from[r]];
                }
            }
            for (int x = 0; x < W; ++x)
                if (!(members[size_t(x)] && 3 * best[size_t(x)] >= members[size_t(x)])) colour[size_t(x)] = newDot(x);
            for (int x = 0; x < W; ++x) o[x] = colour[root[x]];
        }
    });
}
bool AnimatedStereo::Next(const Image32& depth, Image32& out, std::string& why) {
    try {
        if (depth.empty()) return why = "the frame is empty", false;
        if (frames_ == 0) {
            width_ = depth.width;
            height_ = depth.height;
        } else if (depth.width != width_ || depth.height != height_) {
            why = "the frame is " + std::to_string(depth.width) + " x " + std::to_string(depth.height) +
                  ", the first was " + std::to_string(width_) + " x " + std::to_string(height_);
            return false;
        }
        const int W = opts_.OutWidth ? opts_.OutWidth : depth.width, H = opts_.OutHeight ? opts_.OutHeight : depth.height;
        Image32 stereo(W, H);
        const auto noMemory = [&] { return why = NotEnoughMemoryFor(W, H, "stereogram"), false; };
        if (mode_ == AnimateTexture::Coherent) {
            if (!ChainRoots(depth, roots_)) return noMemory();
            ColourChains(W, H, stereo);
            std::swap(roots_, lastRoots_);
        } else {
            if (mode_ == AnimateTexture::Fresh && frames_ > 0) texture_ = DotTexture();
            StereoOptions o = opts_;
            o.dots = 0;
            StereoMaker maker;
            if (!maker.Prepare(ViewOf(texture_), DepthOf(ViewOf(depth)), o, 4) ||
                !maker.Make(0, H, reinterpret_cast<uint8_t*>(stereo.px.data()), ptrdiff_t(W) * 4))
                return noMemory();
        }
        DepthOffsets(depth, depth_);
        if (frames_ > 0)
            for (size_t i = 0; i < stereo.px.size(); ++i) {
                const bool c = stereo.px[i] != last_.px[i], d = depth_[i] != lastDepth_[i];
                ++(c ? (d ? figures_.both : figures_.onlyColour) : (d ? figures_.onlyDepth : figures_.neither));
            }
        std::swap(depth_, lastDepth_);
        if (opts_.dots) {
            if (band_.empty()) band_ = ConvergenceBand(W, BackgroundSeparation(opts_));
            out = Image32(W, band_.height + H);
            std::copy(band_.px.begin(), band_.px.end(), out.px.begin());
            std::copy(stereo.px.begin(), stereo.px.end(), out.px.begin() + ptrdiff_t(band_.px.size()));
        } else {
            out = stereo;
        }
        last_ = std::move(stereo);
        ++frames_;
        return true;
    } catch (const std::bad_alloc&) {
        why = "not enough memory for the frame";
        return false;
    }
}
