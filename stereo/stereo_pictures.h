#pragma once
// Stereograms from two display pictures, as the program and orvalis-cli make them.
#include "images/bmp_writer.h"
#include "images/image32.h"
#include "images/picture_file.h"
#include "stereo/make_stereo.h"
#include "stereo/stereo_options.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The generator's view of a picture as a depth picture.
DepthPicture DepthOf(const PictureView& v);

// A stereogram made straight into the caller's memory, any rows at a time, on every core;
// neither picture is copied.
class StereoMaker {
public:
    // False for an empty picture or unusable options. Pixels are written as `outBytes` bytes:
    // 4 (blue, green, red, 0) or 3 (blue, green, red).
    bool Prepare(const PictureView& background, const DepthPicture& depth, const StereoOptions& opts, int outBytes);
    int width() const { return plan.width; }
    int height() const { return outHeight; }  // without the band of convergence dots
    // The band of convergence dots above the stereogram when the options ask for it, else empty.
    const Image32& dots() const { return dots_; }
    // Whether the depth picture is read in grey mode (after Prepare; the automatic mode decided).
    bool greyDepth() const { return depth && depth->greyMode(); }
    // Rows y0..y1-1, the top row 0: row y goes to out + (y - y0) x stride bytes. False when
    // memory runs out.
    // With `depthRows`, a depth picture read a block at a time holds the picture rows these
    // rows are made from there, its bottomRow the picture's row `depthFirst` (counted from the
    // bottom; by default, of a picture of the result's size, the depth row of row y1 - 1).
    bool Make(int y0, int y1, uint8_t* out, ptrdiff_t stride, const RowBlock* depthRows = nullptr,
              int depthFirst = -1) const;
    // The depth picture's rows (counted from the top) that rows y0..y1-1 are made from: top..end-1.
    void DepthRowsOf(int y0, int y1, int& top, int& end) const;
    // With 4-byte pixels: the band of dots, then the stereogram below it, dots().height +
    // height() rows from `out` on, `stride` bytes apart.
    bool MakeWithDots(uint8_t* out, ptrdiff_t stride) const;

private:
    StereoPlan plan;
    std::unique_ptr<DepthRows> depth;
    PictureView texture;
    int outHeight = 0, depthHeight = 0;
    Image32 dots_;
};

// The stereogram of `depth` textured with `background`: the size of `depth` or the options'
// size, with the band of convergence dots above it when the options ask. The depth picture's
// 16-bit grey values are used in grey mode when it has them. False (and `out` untouched) when
// a picture is empty, the options are unusable or memory runs out.
bool MakeStereoPicture(const Image32& background, const Image32& depth, const StereoOptions& opts, Image32& out);

// The depth picture smoothed over `radius` pixels (SmoothDepth), as 16-bit grey with its display
// pixels to match; false, and the picture untouched, when `mode` reads it in classic mode.
bool SmoothDepthPicture(Image32& dep, int mode, int radius);

// What WriteStereoBmp24 did.
enum class StereoFile { Written, Refused, WriteFailed, DepthUnread };

// Reads depth rows first..first + count - 1, counted from the bottom, into `block`; called
// from several threads at once. False when they cannot be read.
using DepthRowReader = std::function<bool(int first, int count, RowBlock& block)>;

// The stereogram of MakeStereoPicture as a 24-bit BMP file, its rows made straight into the
// file's row buffer a block at a time: no whole picture is ever held. With `readRows`, a
// depth picture of the result's size comes a block at a time from it, and `depth` gives
// only its size and bits per pixel; the automatic depth mode then reads the rows once before,
// a block at a time, up to the first pixel that is not grey. `perMetre` is the resolution the
// file states.
// Reads the next `count` depth rows from the top into `block` (the lowest of them at
// block.bottomRow), one call after another on one thread. False when they cannot be read.
using DepthRowStream = std::function<bool(int count, RowBlock& block)>;

// With `nextRows`, the depth picture comes a band at a time from the top, scaled to the result
// as it comes, and `depth` gives only its size and bits per pixel; the options' depth mode must
// then be grey or classic, and `path` no device or pipe (Bmp24File::WrittenInOrder).
StereoFile WriteStereoBmp24(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                            const std::string& path, const DepthRowReader& readRows = nullptr,
                            int perMetre = kBmpDefaultPerMetre, const DepthRowStream& nextRows = nullptr);

// The automatic depth mode's choice for a depth picture width x height whose rows `readRows`
// gives: grey, or classic at the first pixel that is not; -1 when the rows cannot be read.
// The rows are read once, 64 at a time from row 0 on, up to that pixel.
int ChooseDepthMode(int width, int height, int bpp, const DepthRowReader& readRows);

// The same stereogram as an 8-bit RGB PNG file, made and compressed a band of rows at a time
// on every core (images/png_writer.h). With `readRows` and `nextRows` as for WriteStereoBmp24
// (any device or pipe taken). A `perMetre` above 0 is the resolution the file states.
StereoFile WriteStereoPng(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                          const std::string& path, const DepthRowReader& readRows = nullptr,
                          const DepthRowStream& nextRows = nullptr, int perMetre = 0);
// The same as a JPEG file at quality 95, its rows made on every core as the encoder asks for
// them (images/jpeg_writer.h).
StereoFile WriteStereoJpeg(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                           const std::string& path, const DepthRowReader& readRows = nullptr,
                           const DepthRowStream& nextRows = nullptr, int perMetre = 0);
// The same as an 8-bit RGB TIFF file (LZW), written a strip at a time as its rows are made
// (images/tiff_writer.h); no device or pipe.
StereoFile WriteStereoTiff(const Image32& background, const DepthPicture& depth, const StereoOptions& opts,
                           const std::string& path, const DepthRowReader& readRows = nullptr,
                           const DepthRowStream& nextRows = nullptr, int perMetre = 0);

// A white band 6r high (r = `radius`, or max(2, width / 200) when 0), `width` wide, holding two
// black marks centred on its middle row, `separation` pixels apart and symmetric about the
// middle column (the left centre at (width - 1 - separation) / 2, rounded down): it goes above a
// stereogram. Dots are discs of radius r; triangles point down at the picture, from a base
// 2r + 1 wide on row 2r to their tip on row 4r (the pixels with 2 |x - centre| <= 4r - y).
Image32 ConvergenceBand(int width, int separation, int radius = 0, int marks = kMarksDots);
// `stereo` below its ConvergenceBand of dots.
Image32 BelowConvergenceBand(const Image32& stereo, int separation, int radius = 0);

// The options of the practice picture: the defaults with a depth of grey levels (white nearest)
// and a relief that a newcomer sees plainly.
StereoOptions PracticeOptions();
// A small stereogram to practise seeing on: a disc standing out of a flat background of random
// dots, `width` x `height`, under a band of two convergence dots (radius 4) that lie the
// background separation apart. Its rows above and below the disc repeat at that separation.
// Empty when the size is unusable.
Image32 PracticeStereogram(int width, int height);

// A picture of random dots, 2 x the background separation wide (2 to 16384) and 256 high: colours, or
// black and white, from `seed`. The same seed always gives the same picture.
Image32 RandomDotTexture(int separation, bool blackAndWhite, uint32_t seed);
