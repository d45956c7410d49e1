// orvalis-cli stereo: a stereogram from a texture and a depth picture, the pixels the program
// shows for the same pictures and options, written as a 24-bit BMP.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "--texture T --depth D -o OUT.bmp [--oversample N] [--background-depth N] [--eye N] [--distance N] "
    "[--blocks] [--hidden] [--invert]";

struct StereoArgs {
    std::string texture, depth, out;
    StereoFieldTexts fields;
    StereoOptions opts;
};

// Returns 0 when parsed, else the exit status (usage already printed).
int ParseArgs(const std::vector<std::string>& args, StereoArgs& a) {
    const StereoOptions d;
    a.fields = {std::to_string(d.oversam), std::to_string(d.bkdepth), std::to_string(d.Eye), std::to_string(d.o)};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        std::string* value = s == "--texture"            ? &a.texture
                             : s == "--depth"            ? &a.depth
                             : s == "-o"                 ? &a.out
                             : s == "--oversample"       ? &a.fields.oversam
                             : s == "--background-depth" ? &a.fields.bkdepth
                             : s == "--eye"              ? &a.fields.Eye
                             : s == "--distance"         ? &a.fields.o
                                                         : nullptr;
        if (value) {
            if (!CliTakeValue(args, i, *value)) return 2;
        } else if (s == "--blocks") {
            a.opts.BlocksOnTop = 1;
        } else if (s == "--hidden") {
            a.opts.dohiddenrem = 1;
        } else if (s == "--invert") {
            a.opts.invert = 1;
        } else {
            std::fprintf(stderr, "orvalis-cli stereo: unknown option %s\nusage: orvalis-cli stereo %s\n", s.c_str(),
                         kUsage);
            return 2;
        }
    }
    if (a.texture.empty() || a.depth.empty() || a.out.empty()) {
        std::fprintf(stderr, "usage: orvalis-cli stereo %s\n", kUsage);
        return 2;
    }
    return 0;
}

void Report(const PictureResult& r) {
    for (const UserMessage& m : r.messages) {
        const bool newline = !m.text.empty() && m.text.back() == '\n';
        std::fprintf(stderr, "%s%s", m.text.c_str(), newline ? "" : "\n");
    }
}

bool Load(const std::string& path, Image32& img) {
    PictureResult r = ReadPictureFile(path);
    if (!r.ok) return Report(r), false;
    img = std::move(r.image);
    return true;
}

int Stereo(const std::vector<std::string>& args) {
    StereoArgs a;
    if (int status = ParseArgs(args, a)) return status;
    const std::string problem = ReadStereoFields(a.fields, a.opts);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    Image32 texture;
    if (!Load(a.texture, texture)) return 1;
    // A plain BMP depth picture is read where it lies in the file's bytes, and the rows go
    // straight into the output file: neither exists as a whole 32-bit picture.
    PictureRows depth = ReadPictureRows(a.depth);
    if (!depth.picture.ok) return Report(depth.picture), 1;
    const DepthPicture view = depth.bottomRow
                                  ? DepthPicture{depth.width, depth.height, depth.bottomRow, depth.rowStep, depth.bpp, nullptr}
                                  : DepthOf(ViewOf(depth.picture.image));
    switch (WriteStereoBmp24(texture, view, a.opts, a.out)) {
    case StereoFile::Written: return 0;
    case StereoFile::Refused:
        std::fprintf(stderr, "orvalis-cli: not enough memory for a %d x %d stereogram\n", view.width, view.height);
        return 1;
    default: std::fprintf(stderr, "orvalis-cli: cannot write %s\n", a.out.c_str()); return 1;
    }
}

CliCommand reg("stereo", kUsage, Stereo);

}  // namespace
