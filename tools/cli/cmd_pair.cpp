// orvalis-cli pair: a stereo pair or an anaglyph from a picture and its depth map.
#include "stereo/stereo_pair.h"
#include "tools/cli/cli.h"

namespace {

int Pair(const std::vector<std::string>& args) {
    std::string depth, picture, out, layout = "side-by-side";
    PairOptions o;
    const CliSyntax syntax{
        "pair",
        "Two views of PICTURE, each moving its pixels sideways by half the disparity the depth map gives "
        "(white near), side by side or as a red-cyan anaglyph.",
        {},
        {
            {"--depth", "D", "the depth map, read as by stereo (scaled to the picture's size)", CliText(depth), true},
            {"--picture", "P", "the picture seen in relief", CliText(picture), true},
            {"-o", "OUT", "the pair to write", CliOutputPicture(out), true},
            {"--layout", "L", "side-by-side (left eye's view left), cross (swapped) or anaglyph", CliText(layout)},
            {"--strength", "PX", "disparity of the nearest depth in pixels (default 3% of the width)",
             CliNumber(o.strength, 0.1, 10000)},
            {"--depth-mode", "MODE", "how the depth map is read: auto, classic or grey", CliDepthMode(o.depthMode)},
        }};
    if (int status = CliParse(syntax, args); status >= 0) return status;
    if (!PairLayoutOfName(layout, o.layout))
        return CliUsageError("pair", "--layout: must be side-by-side, cross or anaglyph");
    Image32 pic, dep;
    if (!CliReadPicture(picture, pic) || !CliReadPicture(depth, dep)) return 1;
    const int width = o.layout == PairLayout::Anaglyph ? pic.width : 2 * pic.width;
    if (int status = CliRefuseSize("pair", "-o", out, width, pic.height)) return status;
    Image32 result;
    std::string why;
    if (!MakeStereoPair(pic, dep, o, result, why)) return CliNoMemory(width, pic.height);
    return CliWritePicture(out, result);
}

CliCommand reg("pair", "a stereo pair or anaglyph from a picture and its depth map", Pair);

}  // namespace
