#include "stereo/stereo_pictures.h"

#include "images/bmp_writer.h"
#include "images/jpeg_writer.h"
#include "images/png_writer.h"
#include "stereo/depth_filters.h"
#include "images/tiff_writer.h"
#include "platform/parallel.h"
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
    depthHeight = d.height;
    dots_ = opts.dots ? ConvergenceBand(W, BackgroundSeparation(opts), 0, opts.dots) : Image32();
    return true;
}

bool StereoMaker::Make(int y0, int y1, uint8_t* out, ptrdiff_t stride, const RowBlock* depthRows, int depthFirst) const {
    const int H = outHeight, bh = texture.height;
    if (depthFirst < 0) depthFirst = H - y1;
    return MakeStereoRows(
        plan, depthRows ? depth->Holding(depthRows->bottomRow, depthRows->rowStep, depthFirst) : *depth, H - y1, H - y0,
        [&](int y) { return reinterpret_cast<const uint8_t*>(texture.px + (bh - 1 - y % bh) * texture.stride); },
        [&](int y) { return out + (H - 1 - y - y0) * stride; });
}

void StereoMaker::DepthRowsOf(int y0, int y1, int& top, int& end) const {
    int lo = 0, hi = 0;
    depth->PictureRowsOf(outHeight - y1, outHeight - y0, lo, hi);
    top = depthHeight - 1 - hi;
    end = depthHeight - lo;
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
    ShowGrey16(dep, dep.grey16);
    return true;
}

namespace {

// Bands of depth rows read in order from the top, for bands of result rows made in order from
// the top: two are held, one read while the other is made from. A band holds the picture rows
// its result rows are made from (scaled, the rows around them); rows it shares with the band
// before are copied over from there.
class DepthBands {
public:
    DepthBands(const StereoMaker& maker, const DepthPicture& depth, const DepthRowStream& next)
        : maker(maker), next(next), rowBytes(size_t(depth.width) * size_t(depth.bpp / 8)), height(depth.height) {}

    // Reads the depth rows of result rows s0..s1-1 (0 the top), one call after another.
    bool read(int s0, int s1) {
        int t0 = 0, t1 = 0;
        maker.DepthRowsOf(s0, s1, t0, t1);
        Held& h = held[bands & 1];
        const Held& before = held[(bands + 1) & 1];
        ++bands;
        h.count = 0, h.top = s0;
        // Rows no result row reads (a picture made smaller) are passed over.
        for (int n; readTo < t0; readTo += n)
            if (!next(n = std::min(64, t0 - readTo), h.fresh)) return false;
        const int shared = std::max(0, std::min(readTo, t1) - t0), fresh = t1 - std::max(t0, readTo);
        if (fresh > 0 && !next(fresh, h.fresh)) return false;
        if (shared == 0) {
            h.bottom = h.fresh.bottomRow, h.step = h.fresh.rowStep;
        } else {
            const size_t bytes = rowBytes * size_t(t1 - t0);
            if (bytes > h.own.capacity) {
                h.own.bytes.reset(new (std::nothrow) uint8_t[bytes]);
                h.own.capacity = h.own.bytes ? bytes : 0;
                if (!h.own.bytes) return false;
            }
            // Picture row t (from the top) of a band holding rows up to end - 1.
            const auto row = [](const uint8_t* bottom, ptrdiff_t step, int end, int t) { return bottom + ptrdiff_t(end - 1 - t) * step; };
            uint8_t* to = h.own.bytes.get();
            for (int t = t0; t < t1; ++t, to += rowBytes)
                std::memcpy(to, t < t0 + shared ? row(before.bottom, before.step, before.end, t) : row(h.fresh.bottomRow, h.fresh.rowStep, t1, t), rowBytes);
            h.bottom = h.own.bytes.get() + ptrdiff_t(rowBytes) * (t1 - t0 - 1), h.step = -ptrdiff_t(rowBytes);
        }
        readTo = std::max(readTo, t1);
        h.end = t1;
        h.count = s1 - s0;
        return true;
    }
    // The rows of the band that holds result row s, and the picture's row (counted from the
    // bottom) at their bottomRow.
    int find(int s, RowBlock& rows) const {
        const Held& h = held[held[0].holds(s) ? 0 : 1];
        rows.bottomRow = h.bottom, rows.rowStep = h.step;
        return height - h.end;
    }

private:
    struct Held {
        RowBlock fresh, own;
        const uint8_t* bottom = nullptr;
        ptrdiff_t step = 0;
        int end = 0;  // the picture row after the lowest held
        // The result rows it serves, looked up while the other band is being read.
        std::atomic<int> top{0}, count{0};
        bool holds(int s) const { return s >= top && s < top + count; }
    } held[2];
    const StereoMaker& maker;
    const DepthRowStream& next;
    const size_t rowBytes;
    const int height;
    int bands = 0, readTo = 0;
};

// The maker of a stereogram whose depth rows are read as it is written: the depth mode chosen
// from the rows when the options leave it to the picture. Written when it can be made.
StereoFile PrepareMaker(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                        const DepthRowReader& readRows, const DepthRowStream& nextRows, StereoMaker& maker) {
    StereoOptions chosen = opts;
    if (readRows && opts.DepthMode == kDepthAuto &&
        (chosen.DepthMode = ChooseDepthMode(depth.width, depth.height, depth.bpp, readRows)) < 0)
        return StereoFile::DepthUnread;
    if (nextRows && chosen.DepthMode == kDepthAuto) return StereoFile::Refused;
    if (!maker.Prepare(ViewOf(background), depth, chosen, 3)) return StereoFile::Refused;
    if (readRows && (maker.width() != depth.width || maker.height() != depth.height)) return StereoFile::Refused;
    return StereoFile::Written;
}

}  // namespace

StereoFile WriteStereoBmp24(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                            const std::string& path, const DepthRowReader& readRows, int perMetre,
                            const DepthRowStream& nextRows) {
    try {
        StereoMaker maker;
        const StereoFile ready = PrepareMaker(background, depth, opts, readRows, nextRows, maker);
        if (ready != StereoFile::Written) return ready;
        const Image32& band = maker.dots();
        const int H = maker.height(), total = H + band.height;
        std::atomic<bool> made{true}, read{true};
        DepthBands bands(maker, depth, nextRows);
        // Result rows s0..s1-1 from the top of the file rows first.., the band of dots above them.
        const auto stereoRows = [&](int first, int count, int& s0, int& s1) {
            s0 = std::max(H - (first + count), 0), s1 = std::max(H - first, 0);
        };
        const auto start = [&](int first, int count) {
            int s0, s1;
            stereoRows(first, count, s0, s1);
            return s1 <= s0 || bands.read(s0, s1) || (read = false);
        };
        // File rows run from the bottom: the stereogram's, then the band's above it.
        const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
            const int split = std::clamp(H - first, 0, count);
            RowBlock depthRows;
            int depthFirst = -1;
            if (split > 0 && readRows && !readRows(first, split, depthRows)) return read = false;
            if (split > 0 && nextRows) depthFirst = bands.find(H - first - split, depthRows);
            if (split > 0 &&
                !maker.Make(H - first - split, H - first, rows + (split - 1) * stride, -ptrdiff_t(stride),
                            readRows || nextRows ? &depthRows : nullptr, depthFirst))
                return made = false;
            for (int r = split; r < count; ++r)
                PackBgr24(&band.px[size_t(total - 1 - first - r) * size_t(band.width)], band.width, rows + r * stride);
            return true;
        };
        if (WriteBmp24Blocks(path, maker.width(), total, fill, true, perMetre, nextRows ? Bmp24BandStart(start) : nullptr))
            return StereoFile::Written;
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

namespace {

// Writes width x height rows from the top that `fill` makes, band by band after `start`: the
// PNG or TIFF writer.
using TopDownWriter = std::function<bool(int width, int height, const PngRowFiller& fill, const PngBandStart& start)>;

// The stereogram of WriteStereoPng through `write`.
StereoFile WriteStereoFromTop(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                              const DepthRowReader& readRows, const DepthRowStream& nextRows, const TopDownWriter& write) {
    try {
        StereoMaker maker;
        const StereoFile ready = PrepareMaker(background, depth, opts, readRows, nextRows, maker);
        if (ready != StereoFile::Written) return ready;
        const Image32& band = maker.dots();
        const int H = maker.height(), above = band.height;
        std::atomic<bool> made{true}, read{true};
        DepthBands bands(maker, depth, nextRows);
        // Picture rows from the top: the band of dots, then the stereogram's row r - above.
        const auto start = [&](int first, int count) {
            const int s0 = std::max(first - above, 0), s1 = std::min(first + count - above, H);
            return !nextRows || s1 <= s0 || bands.read(s0, s1) || (read = false);
        };
        const auto fill = [&](int first, int count, uint8_t* rows, size_t stride) {
            for (int r = first; r < std::min(first + count, above); ++r)
                PackBgr24(&band.px[size_t(r) * size_t(band.width)], band.width, rows + size_t(r - first) * stride);
            const int s0 = std::max(first - above, 0), s1 = first + count - above;
            if (s1 <= s0) return true;
            RowBlock depthRows;
            int depthFirst = -1;
            if (readRows && !readRows(H - s1, s1 - s0, depthRows)) return read = false;
            if (nextRows) depthFirst = bands.find(s0, depthRows);
            if (!maker.Make(s0, s1, rows + size_t(s0 + above - first) * stride, ptrdiff_t(stride),
                            readRows || nextRows ? &depthRows : nullptr, depthFirst))
                return made = false;
            return true;
        };
        if (write(maker.width(), H + above, fill, start)) return StereoFile::Written;
        return !read ? StereoFile::DepthUnread : !made ? StereoFile::Refused : StereoFile::WriteFailed;
    } catch (const std::bad_alloc&) {
        return StereoFile::Refused;
    }
}

}  // namespace

StereoFile WriteStereoPng(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                          const std::string& path, const DepthRowReader& readRows, const DepthRowStream& nextRows,
                          int perMetre) {
    return WriteStereoFromTop(background, depth, opts, readRows, nextRows,
                              [&](int width, int height, const PngRowFiller& fill, const PngBandStart& start) {
                                  return WritePngBlocks(path, width, height, PngPixels::Bgr24, fill, start, perMetre);
                              });
}

StereoFile WriteStereoJpeg(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                           const std::string& path, const DepthRowReader& readRows, const DepthRowStream& nextRows,
                           int perMetre) {
    return WriteStereoFromTop(
        background, depth, opts, readRows, nextRows, [&](int width, int height, const PngRowFiller& fill, const PngBandStart& start) {
            // The encoder asks for a few rows at a time on its own thread: they are made on every core.
            constexpr int kPart = 8;
            const auto rows = [&](int first, int count, uint8_t* at, size_t stride) {
                if (!start(first, count)) return false;
                std::atomic<bool> made{true};
                ParallelFor(0, (count + kPart - 1) / kPart, 1, [&](int p0, int p1) {
                    for (int p = p0; p < p1 && made; ++p)
                        if (!fill(first + p * kPart, std::min(kPart, count - p * kPart), at + size_t(p * kPart) * stride, stride))
                            made = false;
                });
                return made.load();
            };
            return WriteJpegRows(path, width, height, 95, rows, perMetre);
        });
}

StereoFile WriteStereoTiff(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                           const std::string& path, const DepthRowReader& readRows, const DepthRowStream& nextRows,
                           int perMetre) {
    return WriteStereoFromTop(background, depth, opts, readRows, nextRows,
                              [&](int width, int height, const PngRowFiller& fill, const PngBandStart& start) {
                                  return WriteTiffBlocks(path, width, height, fill, start, perMetre);
                              });
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
