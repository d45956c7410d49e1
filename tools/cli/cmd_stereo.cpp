// orvalis-cli stereo: a stereogram from a texture and a depth picture, the pixels the program
// shows for the same pictures and options, written in the format the output name asks for.
#include "images/picture_file.h"
#include "images/picture_writer.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {

int Stereo(const std::vector<std::string>& args) {
    std::string texture, depth, out;
    StereoOptions o;
    // The number fields as the dialog has them, checked together once all are given.
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye),
                       std::to_string(o.o)};
    const CliSpec spec{
        "stereo",
        "A single-image stereogram of the depth picture, textured with the texture picture.",
        {},
        {
            {"--texture", "T", "the texture (background) picture", CliText(texture), true},
            {"--depth", "D", "the depth picture; the result has its size", CliText(depth), true},
            {"-o", "OUT", "the stereogram: .bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp", CliOutputPicture(out), true},
            {"--oversample", "N", "samples per pixel: 1, 2, 4 or 6 (default 1)", CliText(f.oversam)},
            {"--background-depth", "N", "depth of level 0, -128 or less (default -800)", CliText(f.bkdepth)},
            {"--eye", "N", "eye separation in pixels, 1 to 32768 (default 150)", CliText(f.Eye)},
            {"--distance", "N", "observer's distance from the screen, 1 or more (default 700)", CliText(f.o)},
            {"--blocks", "", "a block pattern on top instead of the depth in rows 8 to 31", CliSwitch(o.BlocksOnTop)},
            {"--hidden", "", "hidden-surface removal", CliSwitch(o.dohiddenrem)},
            {"--invert", "", "invert the depth", CliSwitch(o.invert)},
        }};
    if (int status = CliParse(spec, args); status >= 0) return status;
    StereoField bad{};
    if (std::string why = ReadStereoFields(f, o, &bad); !why.empty()) {
        // The option of each field, in StereoField order.
        const char* const names[] = {"--oversample", "--background-depth", "--eye", "--distance",
                                     "--relief", "--size", "--size"};
        return CliUsageError("stereo", std::string(names[int(bad)]) + ": " + why);
    }
    Image32 tex, dep, result;
    if (!CliReadPicture(texture, tex)) return 1;
    if (PictureFormatFromName(out) == PictureFormat::Bmp) {
        // A plain BMP depth picture is read where its rows lie in the file, and the rows of the
        // result go straight into the BMP file: neither exists as a whole 32-bit picture.
        PictureRows plain;
        if (!ReadPlainBmpRows(depth, plain) && !CliReadPicture(depth, dep)) return 1;
        const DepthPicture view = plain.file ? DepthPicture{plain.width, plain.height, plain.bottomRow, plain.rowStep,
                                                            plain.bpp, nullptr}
                                             : DepthOf(ViewOf(dep));
        switch (WriteStereoBmp24(tex, view, o, out)) {
        case StereoFile::Written: return 0;
        case StereoFile::Refused:
            std::fprintf(stderr, "orvalis-cli: not enough memory for a %d x %d stereogram\n", view.width, view.height);
            return 1;
        default: return CliFileError(out, "cannot write the file");
        }
    }
    if (!CliReadPicture(depth, dep)) return 1;
    if (!MakeStereoPicture(tex, dep, o, result)) {
        std::fprintf(stderr, "orvalis-cli: not enough memory for a %d x %d stereogram\n", dep.width, dep.height);
        return 1;
    }
    return CliWritePicture(out, result);
}

CliCommand reg("stereo", "a stereogram from a texture and a depth picture", Stereo);

}  // namespace
