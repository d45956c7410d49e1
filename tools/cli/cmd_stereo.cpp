// orvalis-cli stereo: a stereogram from a texture and a depth picture, the pixels the program
// shows for the same pictures and options, written as a 24-bit BMP.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "stereo/stereo_options.h"
#include "stereo/stereo_pictures.h"
#include "tools/cli/cli.h"

#include <charconv>
#include <cstdio>

namespace {

const char kUsage[] =
    "--texture T|random[:SEED]|random-bw[:SEED] --depth D -o OUT.bmp [--oversample N] [--background-depth N] "
    "[--eye N] [--distance N] [--blocks] [--hidden] [--invert] [--depth-mode classic|grey] [--relief N] "
    "[--size WxH] [--dots]";

struct StereoArgs {
    std::string texture, depth, out, mode = "classic", size;
    StereoFieldTexts fields;
    StereoOptions opts;
};

// "random", "random-bw", optionally with ":SEED" (default 1); false for a file name.
bool RandomTextureName(const std::string& name, bool& bw, uint32_t& seed, bool& badSeed) {
    bw = name.rfind("random-bw", 0) == 0;
    const size_t stem = bw ? 9 : 6;
    if (name.rfind("random", 0) != 0 || (name.size() > stem && name[stem] != ':')) return false;
    seed = 1;
    badSeed = false;
    if (name.size() > stem) {
        const char* b = name.data() + stem + 1;
        const auto r = std::from_chars(b, name.data() + name.size(), seed);
        badSeed = b == name.data() + name.size() || r.ec != std::errc() || r.ptr != name.data() + name.size();
    }
    return true;
}

// "--size WxH" into the two size fields; false when it has no x.
bool SplitSize(const std::string& size, StereoFieldTexts& f) {
    const size_t x = size.find('x');
    if (x == std::string::npos) return false;
    f.OutWidth = size.substr(0, x);
    f.OutHeight = size.substr(x + 1);
    return !f.OutWidth.empty() && !f.OutHeight.empty();
}

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
                             : s == "--relief"           ? &a.fields.relief
                             : s == "--depth-mode"       ? &a.mode
                             : s == "--size"             ? &a.size
                                                         : nullptr;
        if (value) {
            if (!CliTakeValue(args, i, *value)) return 2;
        } else if (s == "--blocks") {
            a.opts.BlocksOnTop = 1;
        } else if (s == "--hidden") {
            a.opts.dohiddenrem = 1;
        } else if (s == "--invert") {
            a.opts.invert = 1;
        } else if (s == "--dots") {
            a.opts.dots = 1;
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
    if (a.mode != "classic" && a.mode != "grey") {
        std::fprintf(stderr, "orvalis-cli stereo: --depth-mode must be classic or grey\n");
        return 2;
    }
    a.opts.DepthMode = a.mode == "grey" ? kDepthGrey : kDepthClassic;
    if (!a.size.empty() && !SplitSize(a.size, a.fields)) {
        std::fprintf(stderr, "orvalis-cli stereo: --size must be WIDTHxHEIGHT, such as 1920x1080\n");
        return 2;
    }
    return 0;
}

bool Load(const std::string& path, Image32& img) {
    PictureResult r = ReadPictureFile(path);
    if (r.ok) {
        img = std::move(r.image);
        return true;
    }
    for (const UserMessage& m : r.messages) {
        const bool newline = !m.text.empty() && m.text.back() == '\n';
        std::fprintf(stderr, "%s%s", m.text.c_str(), newline ? "" : "\n");
    }
    return false;
}

int Stereo(const std::vector<std::string>& args) {
    StereoArgs a;
    if (int status = ParseArgs(args, a)) return status;
    const std::string problem = ReadStereoFields(a.fields, a.opts);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    Image32 texture, depth, out;
    bool bw = false, badSeed = false;
    uint32_t seed = 1;
    if (RandomTextureName(a.texture, bw, seed, badSeed)) {
        if (badSeed) {
            std::fprintf(stderr, "Seed must be a whole number from 0 to 4294967295.\n");
            return 1;
        }
        texture = RandomDotTexture(BackgroundSeparation(a.opts), bw, seed);
    } else if (!Load(a.texture, texture)) {
        return 1;
    }
    if (!Load(a.depth, depth)) return 1;
    if (!MakeStereoPicture(texture, depth, a.opts, out)) {
        const int w = a.opts.OutWidth ? a.opts.OutWidth : depth.width, h = a.opts.OutHeight ? a.opts.OutHeight : depth.height;
        std::fprintf(stderr, "orvalis-cli: not enough memory for a %d x %d stereogram\n", w, h);
        return 1;
    }
    if (!WriteBmp24(a.out, out)) {
        std::fprintf(stderr, "orvalis-cli: cannot write %s\n", a.out.c_str());
        return 1;
    }
    return 0;
}

CliCommand reg("stereo", kUsage, Stereo);

}  // namespace
