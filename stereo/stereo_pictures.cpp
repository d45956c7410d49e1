#include "stereo/stereo_pictures.h"

#include "images/bmp_writer.h"
#include "images/png_writer.h"
#include "stereo/depth_filters.h"
#include "stereo/make_stereo.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <random>

DepthPicture DepthOf(const PictureView& v) {
    // The generator counts rows from the bottom: the picture's last row comes first.
    const auto* bottom = reinterpret_cast<const uint8_t*>(v.px + (v.height - 1) * v.stride);
    return {v.width, v.height, bottom, -v.stride * 4, 32, v.grey16};
}

bool StereoMaker::Prepare(const PictureView& background, const DepthPicture& d, const StereoOptions& opts,
                          int outBytes) {
    if (background.width <= 0 || background.height <= 0 || d.width <= 0 || d.height <= 0) return false;
    const int W = opts.OutWidth ? opts.OutWidth : d.width;
    outHeight = opts.OutHeight ? opts.OutHeight : d.height;
    if (!BuildStereoPlan(opts, W, outBytes * 8, background.width, 32, plan)) return false;
    plan.texMask = 0x00FFFFFFu;  // a display pixel's fourth byte is no part of its colour
    texture = background;
    depth = std::make_unique<DepthRows>(d, opts, W, outHeight);
    dots_ = opts.dots ? ConvergenceBand(W, BackgroundSeparation(opts), 0, opts.dots) : Image32();
    return true;
}

bool StereoMaker::Make(int y0, int y1, uint8_t* out, ptrdiff_t stride, const RowBlock* depthRows) const {
    const int H = outHeight, bh = texture.height;
    return MakeStereoRows(
        plan, depthRows ? depth->Holding(depthRows->bottomRow, depthRows->rowStep, H - y1) : *depth, H - y1, H - y0,
        [&](int y) { return reinterpret_cast<const uint8_t*>(texture.px + (bh - 1 - y % bh) * texture.stride); },
        [&](int y) { return out + (H - 1 - y - y0) * stride; });
}

bool StereoMaker::MakeWithDots(uint8_t* out, ptrdiff_t stride) const {
    for (int y = 0; y < dots_.height; ++y)
        std::memcpy(out + y * stride, &dots_.px[size_t(y) * size_t(dots_.width)], size_t(dots_.width) * 4);
    return Make(0, outHeight, out + dots_.height * stride, stride);
}

bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out) {
    if (background.empty() || depth.empty()) return false;
    try {
        StereoMaker maker;
        if (!maker.Prepare(ViewOf(background), DepthOf(ViewOf(depth)), opts, 4)) return false;
        Image32 result(maker.width(), maker.dots().height + maker.height());
        if (!maker.MakeWithDots(reinterpret_cast<uint8_t*>(result.px.data()), ptrdiff_t(result.width) * 4)) return false;
        out = std::move(result);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SmoothDepthPicture(Image32& dep, int mode, int radius) {
    if (mode == kDepthClassic || (mode == kDepthAuto && !DepthPictureIsGrey(DepthOf(ViewOf(dep))))) return false;
    if (dep.grey16.size() != dep.px.size()) {
        dep.grey16.resize(dep.px.size());
        // The grey value as the generator reads it, spread over 16 bits.
        for (size_t i = 0; i < dep.px.size(); ++i)
            dep.grey16[i] = uint16_t(DepthGreyOfPixel(reinterpret_cast<const uint8_t*>(&dep.px[i]), 32) * 257);
    }
    dep.grey16 = SmoothDepth(dep.grey16, dep.width, dep.height, radius);
    for (size_t i = 0; i < dep.px.size(); ++i) dep.px[i] = (dep.grey16[i] >> 8) * 0x010101u;
    return true;
}

StereoFile WriteStereoBmp24(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                            const std::string& path, const DepthRowReader& readRows, int perMetre) {
    try {
        StereoOptions chosen = opts;
        if (readRows && opts.DepthMode == kDepthAuto &&
            (chosen.DepthMode = ChooseDepthMode(depth.width, depth.height, depth.bpp, readRows)) < 0)
            return StereoFile::DepthUnread;
        StereoMaker maker;
        if (!maker.Prepare(ViewOf(background), depth, chosen, 3)) return StereoFile::Refused;
        if (readRows && (maker.width() != depth.width || maker.height() != depth.height)) return StereoFile::Refused;
        const Image32& band = maker.dots();
        const int H = maker.height(), total = H + band.height;
        std::atomic<bool> made{true}, read{true};
        // File rows run from the bottom: the stereogram's, then the band's above it.
        const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
            const int split = std::clamp(H - first, 0, count);
            RowBlock depthRows;
            if (split > 0 && readRows && !readRows(first, split, depthRows)) return read = false;
            if (split > 0 &&
                !maker.Make(H - first - split, H - first, rows + (split - 1) * stride, -ptrdiff_t(stride),
                            readRows ? &depthRows : nullptr))
                return made = false;
            for (int r = split; r < count; ++r)
                PackBgr24(&band.px[size_t(total - 1 - first - r) * size_t(band.width)], band.width, rows + r * stride);
            return true;
        };
        if (WriteBmp24Blocks(path, maker.width(), total, fill, true, perMetre)) return StereoFile::Written;
        return !read ? StereoFile::DepthUnread : !made ? StereoFile::Refused : StereoFile::WriteFailed;
    } catch (const std::bad_alloc&) {
        return StereoFile::Refused;
    }
}

int ChooseDepthMode(int width, int height, int bpp, const DepthRowReader& readRows) {
    // A few rows at a time keep the memory small; a picture of colour stops at its first.
    bool grey = true;
    RowBlock block;
    for (int first = 0; grey && first < height; first += 64) {
        const int count = std::min(64, height - first);
        if (!readRows(first, count, block)) return -1;
        grey = DepthRowsAreGrey(block.bottomRow, block.rowStep, count, width, bpp);
    }
    return grey ? kDepthGrey : kDepthClassic;
}

StereoFile WriteStereoPng(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                          const std::string& path, const DepthRowReader& readRows, const DepthRowStream& nextRows,
                          int perMetre) {
    try {
        StereoOptions chosen = opts;
        if (readRows && opts.DepthMode == kDepthAuto &&
            (chosen.DepthMode = ChooseDepthMode(depth.width, depth.height, depth.bpp, readRows)) < 0)
            return StereoFile::DepthUnread;
        if (nextRows && chosen.DepthMode == kDepthAuto) return StereoFile::Refused;
        StereoMaker maker;
        if (!maker.Prepare(ViewOf(background), depth, chosen, 3)) return StereoFile::Refused;
        const bool partial = readRows || nextRows;
        if (partial && (maker.width() != depth.width || maker.height() != depth.height)) return StereoFile::Refused;
        const Image32& band = maker.dots();
        const int H = maker.height(), above = band.height;
        std::atomic<bool> made{true}, read{true};
        // Picture rows from the top: the band of dots, then the stereogram's row r - above.
        // Two bands of depth rows: one filled from while the next is read. A block looks up its
        // band by the rows each holds, which the reading of the other band may be changing.
        struct Held {
            RowBlock rows;
            std::atomic<int> top{0}, count{0};
            bool holds(int s) const { return s >= top && s < top + count; }
        } held[2];
        int bands = 0;
        const auto start = [&](int first, int count) {
            const int s0 = std::max(first - above, 0), s1 = std::min(first + count - above, H);
            if (!nextRows || s1 <= s0) return true;
            Held& h = held[bands++ & 1];
            h.count = 0, h.top = s0;
            if (!nextRows(s1 - s0, h.rows)) return read = false;
            return h.count = s1 - s0, true;
        };
        const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
            for (int r = first; r < std::min(first + count, above); ++r)
                PackBgr24(&band.px[size_t(r) * size_t(band.width)], band.width, rows + size_t(r - first) * stride);
            const int s0 = std::max(first - above, 0), s1 = first + count - above;
            if (s1 <= s0) return true;
            RowBlock depthRows;
            if (readRows && !readRows(H - s1, s1 - s0, depthRows)) return read = false;
            if (nextRows) {
                const Held& h = held[held[0].holds(s0) ? 0 : 1];
                depthRows.rowStep = h.rows.rowStep;
                depthRows.bottomRow = h.rows.bottomRow + ptrdiff_t(h.top + h.count - s1) * h.rows.rowStep;
            }
            if (!maker.Make(s0, s1, rows + size_t(s0 + above - first) * stride, ptrdiff_t(stride),
                            partial ? &depthRows : nullptr))
                return made = false;
            return true;
        };
        if (WritePngBlocks(path, maker.width(), H + above, PngPixels::Bgr24, fill, start, perMetre))
            return StereoFile::Written;
        return !read ? StereoFile::DepthUnread : !made ? StereoFile::Refused : StereoFile::WriteFailed;
    } catch (const std::bad_alloc&) {
        return StereoFile::Refused;
    }
}

Image32 ConvergenceBand(int width, int separation, int radius, int marks) {
    const int r = radius > 0 ? radius : std::max(2, width / 200), band = 6 * r;
    Image32 tall(width, band, 0x00FFFFFFu);
    // Rounded down also when a separation wider than the picture puts the left centre off it.
    const int64_t span = int64_t(width) - 1 - separation, c1 = span >= 0 ? span / 2 : -((1 - span) / 2);
    for (int64_t cx : {c1, c1 + separation})
        for (int y = 3 * r - r; y <= 3 * r + r; ++y)
            for (int64_t x = std::max<int64_t>(cx - r, 0); x <= std::min<int64_t>(cx + r, width - 1); ++x)
                if (marks == kMarksTriangles ? y >= 2 * r && 2 * std::abs(x - cx) <= 4 * r - y
                                             : (x - cx) * (x - cx) + int64_t(y - 3 * r) * (y - 3 * r) <= int64_t(r) * r)
                    tall.at(int(x), y) = 0;
    return tall;
}

Image32 RandomDotTexture(int separation, bool blackAndWhite, uint32_t seed) {
    Image32 img(int(std::clamp<int64_t>(2 * int64_t(separation), 2, kMaxOutSide)), 256);
    std::mt19937 rng(seed);
    for (uint32_t& p : img.px) {
        const uint32_t v = rng();
        p = blackAndWhite ? (v & 1 ? 0x00FFFFFFu : 0u) : v & 0x00FFFFFFu;
    }
    return img;
}

StereoOptions PracticeOptions() {
    StereoOptions opts;
    opts.DepthMode = kDepthGrey;
    opts.relief = 200;  // the disc 11 pixels of separation nearer than the background's 80
    return opts;
}

Image32 PracticeStereogram(int width, int height) {
    if (width < 16 || height < 16 || width > kMaxOutSide || height > kMaxOutSide) return {};
    const StereoOptions opts = PracticeOptions();
    const int sep = BackgroundSeparation(opts);
    Image32 depth(width, height);
    const int cx = width / 2, cy = height / 2, r = std::min(width, height) / 3;
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) depth.at(x, y) = 0x00FFFFFFu;
    Image32 stereo;
    if (!MakeStereoPicture(RandomDotTexture(sep, true, 1), depth, opts, stereo)) return {};
    return BelowConvergenceBand(stereo, sep, 4);
}

Image32 BelowConvergenceBand(const Image32& stereo, int separation, int radius) {
    Image32 out = ConvergenceBand(stereo.width, separation, radius);
    out.height += stereo.height;
    out.px.insert(out.px.end(), stereo.px.begin(), stereo.px.end());
    return out;
}
