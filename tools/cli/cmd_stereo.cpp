// orvalis-cli stereo: a stereogram from a texture and a depth picture, the pixels the program
// shows for the same pictures and options, written in the format the output name asks for.
#include "images/picture_file.h"
#include "images/picture_format.h"
#include "images/picture_rows.h"
#include "model/mesh_depth.h"
#include "stereo/depth_mesh.h"
#include "stereo/depth_rows.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"
#include "tools/cli/cli.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>

namespace {

CliTake Viewing(int& viewing) {
    return [&](const std::string& v) -> std::string {
        if (v != "parallel" && v != "cross") return "must be parallel or cross";
        viewing = v == "cross" ? kViewCross : kViewParallel;
        return "";
    };
}

// The options given in millimetres and dots per inch, and which pixel options they stand for.
struct Physical {
    PhysicalViewing p;
    bool eyeMm = false, distanceMm = false, dpi = false, depthOfField = false, print = false;
    bool eye = false, distance = false, background = false, relief = false;
    std::string page;
};

int Stereo(const std::vector<std::string>& args) {
    std::string texture, depth, out;
    bool sized = false;
    CliRandomTexture random;
    StereoOptions o;
    MeshView meshView;
    int orthographic = 0, smooth = 0;
    // The number fields as the dialog has them, checked together once all are given.
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye),
                       std::to_string(o.o)};
    Physical ph;
    CliSyntax syntax{
        "stereo",
        "A single-image stereogram of the depth picture, textured with the texture picture.",
        {},
        {
            {"--texture", "T", "the texture picture, or random[:SEED] or random-bw[:SEED] for dots (seed 1 by default)",
             CliTextureName(texture, random), true},
            {"--depth", "D",
             "the depth picture, or a 3-D model (its depth as `orvalis-cli depth` gives it, 800x600 unless --size "
             "gives a size); the result has its size unless --size gives one",
             CliText(depth), true},
            {"-o", "OUT", "the stereogram: .bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp", CliOutputPicture(out), true},
            {"--oversample", "N", "samples per pixel: 1, 2, 4 or 6 (default 1)", CliText(f.oversam)},
            {"--background-depth", "N", "depth of level 0, below minus the relief (default -800)", CliNoted(CliText(f.bkdepth), ph.background)},
            {"--eye", "N", "eye separation in pixels, 1 to 32768 (default 150)", CliNoted(CliText(f.Eye), ph.eye)},
            {"--distance", "N", "observer's distance from the screen, 1 or more (default 700)",
             CliNoted(CliText(f.o), ph.distance)},
            {"--blocks", "", "a block pattern on top instead of the depth in rows 8 to 31", CliSwitch(o.BlocksOnTop)},
            {"--hidden", "", "hidden-surface removal", CliSwitch(o.dohiddenrem)},
            {"--invert", "", "invert the depth", CliSwitch(o.invert)},
            {"--depth-mode", "MODE",
             "auto (default): grey for a grey picture, else classic; classic: the low 7 bits of the blue value; "
             "grey: the grey value, white near",
             CliDepthMode(o.DepthMode)},
            {"--relief", "N", "depth units from the farthest to the nearest depth, 1 to 4000 (default 127)",
             CliNoted(CliText(f.relief), ph.relief)},
            {"--size", "WxH", "the result's size, 16 to 16384 a side; the depth picture is scaled to it", CliStereoSize(f, sized)},
            {"--dots", "", "two convergence dots in a white band above the result", CliSwitch(o.dots)},
            {"--marks", "HOW", "the convergence marks above the result: dots (as --dots), triangles pointing down, or "
             "off (default)", CliMarks(o.dots)},
            {"--smooth", "R",
             "smooths grey depth over R pixels (1 to 32) before use, keeping the steps between surfaces in place",
             CliWhole(smooth, 1, 32)},
            {"--viewing", "HOW", "parallel (default: eyes meeting behind the screen) or cross (crossed in front of it)",
             Viewing(o.viewing)},
            {"--dpi", "N", "the output's dots per inch, 1 to 10000: millimetres are converted at it and the file "
             "states it (default 96, and the format's usual figure in the file)", CliNoted(CliNumber(ph.p.dpi, 1, 10000), ph.dpi)},
            {"--eye-mm", "MM", "eye separation in millimetres (instead of --eye; 63 is usual)",
             CliNoted(CliNumber(ph.p.eyeMm, 1, 1000), ph.eyeMm)},
            {"--distance-mm", "MM", "viewing distance in millimetres, the far plane as far behind the screen "
             "(instead of --distance and --background-depth; 500 is usual)",
             CliNoted(CliNumber(ph.p.distanceMm, 1, 100000), ph.distanceMm)},
            {"--depth-of-field", "F", "the relief as a fraction of the background depth, 0.01 to 0.99 (instead of "
             "--relief; 0.33 is usual)", CliNoted(CliNumber(ph.p.depthOfField, 0.01, 0.99), ph.depthOfField)},
            {"--print", "PAGE", "A4, Letter or WxHmm: the result's size at the DPI (instead of --size)",
             CliNoted(CliText(ph.page), ph.print)},
        }};
    for (CliOption& m : CliModelOptions(meshView, orthographic)) syntax.options.push_back(std::move(m));
    if (int status = CliParse(syntax, args); status >= 0) return status;
    const std::pair<const char*, bool> twins[][2] = {
        {{"--eye-mm", ph.eyeMm}, {"--eye", ph.eye}},
        {{"--distance-mm", ph.distanceMm}, {"--distance", ph.distance}},
        {{"--distance-mm", ph.distanceMm}, {"--background-depth", ph.background}},
        {{"--depth-of-field", ph.depthOfField}, {"--relief", ph.relief}},
        {{"--print", ph.print}, {"--size", sized}},
    };
    for (const auto& [a, b] : twins)
        if (a.second && b.second)
            return CliUsageError("stereo", std::string(a.first) + " and " + b.first + " cannot be given together");
    // Millimetres become the pixel fields, which are then checked as typed ones are.
    StereoOptions mm;
    if (ph.eyeMm) {
        SetEyeMm(mm, ph.p.eyeMm, ph.p.dpi);
        f.Eye = std::to_string(mm.Eye);
    }
    if (ph.distanceMm) {
        SetDistanceMm(mm, ph.p.distanceMm, ph.p.dpi);
        f.o = std::to_string(mm.o);
        f.bkdepth = std::to_string(mm.bkdepth);
    }
    if (ph.depthOfField && ParseStereoNumber(f.bkdepth, mm.bkdepth) == NumberReading::Ok) {
        SetDepthOfField(mm, ph.p.depthOfField);
        f.relief = std::to_string(mm.relief);
    }
    if (ph.print) {
        int w = 0, h = 0;
        if (std::string why = PrintSizePixels(ph.page, ph.p.dpi, w, h); !why.empty())
            return CliUsageError("stereo", "--print: " + why);
        f.OutWidth = std::to_string(w);
        f.OutHeight = std::to_string(h);
        sized = true;
    }
    // The option of each field, in StereoField order.
    const char* const names[] = {"--oversample", ph.distanceMm ? "--distance-mm" : "--background-depth",
                                 ph.eyeMm ? "--eye-mm" : "--eye", ph.distanceMm ? "--distance-mm" : "--distance",
                                 ph.depthOfField ? "--depth-of-field" : "--relief", "--size", "--size"};
    if (int status = CliStereoFields("stereo", f, sized, o, names)) return status;
    if (std::string why = ValidateStereoOptions(o); !why.empty()) return CliUsageError("stereo", "--viewing: " + why);
    // The resolution the file states; none asked, the format's own.
    const int perMetre = ph.dpi ? DpiToPerMetre(ph.p.dpi) : 0;
    // The result's size for a depth picture's: the options' size, and the band of dots above it
    // (ConvergenceBand's height).
    const auto resultSize = [&](int w, int h) {
        w = o.OutWidth ? o.OutWidth : w;
        h = o.OutHeight ? o.OutHeight : h;
        return std::make_pair(w, h + (o.dots ? 6 * std::max(2, w / 200) : 0));
    };
    if (sized) {
        const auto [w, h] = resultSize(0, 0);
        if (int status = CliRefuseSize("stereo", "-o", out, w, h)) return status;
    }
    // The result has the options' size, else the depth picture's.
    const auto noMemory = [&](int w, int h) {
        return CliNoMemory(o.OutWidth ? o.OutWidth : w, o.OutHeight ? o.OutHeight : h, "stereogram");
    };
    Image32 tex, dep, result;
    if (random.used) tex = RandomDotTexture(BackgroundSeparation(o), random.bw, random.seed);
    if (!random.used && !CliReadPicture(texture, tex)) return 1;
    // A model is drawn at the result's size, and is then a depth picture like any other.
    bool held = IsDepthMeshName(depth);
    if (held) {
        meshView.width = o.OutWidth ? o.OutWidth : 800;
        meshView.height = o.OutHeight ? o.OutHeight : 600;
        if (int status = CliModelDepth(depth, meshView, orthographic, dep)) return status;
    }
    if (smooth) {
        if (!held && !CliReadPicture(depth, dep)) return 1;
        held = true;
        if (!SmoothDepthPicture(dep, o.DepthMode, smooth))
            return CliUsageError("stereo", "--smooth: the depth picture is read in classic mode; only grey depth is "
                                           "smoothed (--depth-mode grey)");
    }
    const PictureFormat format = PictureFormatFromName(out);
    // TIFF takes its directory at the end: a device or a pipe is written from the whole picture,
    // as WebP always is (libwebp encodes whole pictures only).
    if (format == PictureFormat::Bmp || format == PictureFormat::Png || format == PictureFormat::Jpeg ||
        (format == PictureFormat::Tiff && !Bmp24File::WrittenInOrder(out))) {
        // The depth picture is read a block or a band of rows at a time and the rows of the
        // result are made into the file (BMP, PNG, JPEG or TIFF) as they come: neither exists as
        // a whole picture. A plain BMP depth picture of the result's size is read where its rows
        // lie in the file, any block at a time; a scaled one, and PNG, JPEG and TIFF ones their
        // libraries read, a band at a time from the top.
        PlainBmpRows plain;
        std::unique_ptr<PictureRows> rows;
        DepthPicture view;
        DepthRowReader readRows;
        DepthRowStream nextRows;
        StereoOptions chosen = o;
        int plainTop = 0;
        const auto sameSize = [&](int w, int h) { return (!o.OutWidth || o.OutWidth == w) && (!o.OutHeight || o.OutHeight == h); };
        const auto unread = [&] { return rows ? rows->failure() : plain.failure(); };
        const auto readPlain = [&](int first, int count, RowBlock& block) { return plain.read(first, count, block); };
        // A BMP result goes out from its bottom row: a device or a pipe takes no band from the top.
        const bool fromTop = format != PictureFormat::Bmp || !Bmp24File::WrittenInOrder(out);
        RowBlock whole;
        if (held) {
            view = DepthOf(ViewOf(dep));
        } else if (plain.open(depth)) {
            view = {plain.width(), plain.height(), nullptr, 0, plain.bpp(), nullptr};
            if (sameSize(view.width, view.height)) {
                readRows = readPlain;
            } else if (fromTop) {
                if (o.DepthMode == kDepthAuto && (chosen.DepthMode = ChooseDepthMode(view.width, view.height, view.bpp, readPlain)) < 0)
                    return CliPictureError(depth, unread());
                nextRows = [&](int count, RowBlock& block) {
                    plainTop += count;
                    return plain.read(view.height - plainTop, count, block);
                };
            } else {
                if (!plain.read(0, view.height, whole)) return CliPictureError(depth, plain.failure());
                view.bottomRow = whole.bottomRow;
                view.rowStep = whole.rowStep;
            }
        } else if (fromTop && (rows = OpenPictureRows(depth))) {
            view = {rows->width(), rows->height(), nullptr, 0, rows->bpp(), nullptr, 0, rows->wideGrey()};
            if (o.DepthMode == kDepthAuto) {
                // A picture stored in colour is read once beforehand, as far as its first colour.
                chosen.DepthMode = rows->storedGrey() ? kDepthGrey
                                                      : ChooseDepthMode(view.width, view.height, view.bpp,
                                                                        [&](int, int count, RowBlock& block) {
                                                                            return rows->next(count, block);
                                                                        });
                if (chosen.DepthMode < 0 || (!rows->storedGrey() && !rows->rewind())) return CliPictureError(depth, unread());
            }
            nextRows = [&](int count, RowBlock& block) { return rows->next(count, block); };
        } else {
            if (!CliReadPicture(depth, dep)) return 1;
            view = DepthOf(ViewOf(dep));
        }
        const auto [w, h] = resultSize(view.width, view.height);
        if (std::string why = PictureSizeRefusal(format, w, h); !why.empty()) return CliFileError(out, why);
        errno = 0;
        const StereoFile written =
            format == PictureFormat::Bmp
                ? WriteStereoBmp24(tex, view, chosen, out, readRows, perMetre ? perMetre : kBmpDefaultPerMetre, nextRows)
            : format == PictureFormat::Png  ? WriteStereoPng(tex, view, chosen, out, readRows, nextRows, perMetre)
            : format == PictureFormat::Jpeg ? WriteStereoJpeg(tex, view, chosen, out, readRows, nextRows, perMetre)
                                            : WriteStereoTiff(tex, view, chosen, out, readRows, nextRows, perMetre);
        switch (written) {
        case StereoFile::Written: return 0;
        case StereoFile::Refused: return noMemory(view.width, view.height);
        case StereoFile::DepthUnread: return CliPictureError(depth, unread());
        default: return CliWriteError(out);
        }
    }
    if (!held && !CliReadPicture(depth, dep)) return 1;
    const auto [w, h] = resultSize(dep.width, dep.height);
    if (std::string why = PictureSizeRefusal(PictureFormatFromName(out), w, h); !why.empty())
        return CliFileError(out, why);
    if (!MakeStereoPicture(tex, dep, o, result)) return noMemory(dep.width, dep.height);
    result.perMetre = perMetre;
    return CliWritePicture(out, result);
}

CliCommand reg("stereo", "a stereogram from a texture and a depth picture", Stereo);

}  // namespace
