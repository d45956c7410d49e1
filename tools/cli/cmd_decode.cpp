// orvalis-cli decode: the depth a stereogram hides, found by matching the picture with itself.
#include "stereo/decode_stereo.h"
#include "stereo/stereo_options.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {

int Decode(const std::vector<std::string>& args) {
    std::string out, mask, truth;
    int noFill = 0, hidden = 0;
    bool given = false;
    StereoOptions o;
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye),
                       std::to_string(o.o)};
    std::vector<std::string> operands;
    const CliSyntax syntax{
        "decode",
        "The depth hidden in STEREO, as a 16-bit grey picture (white near). Without any of --eye, "
        "--distance, --background-depth, --relief and --oversample the separations are found from "
        "the picture and scaled so the nearest is white.",
        {"STEREO"},
        {
            {"-o", "DEPTH", "the recovered depth: .png or .tif keep 16 bits", CliOutputPicture(out), true},
            {"--oversample", "N", "samples per pixel of the stereogram: 1, 2, 4 or 6 (matched in 1/N-pixel steps)",
             CliNoted(CliText(f.oversam), given)},
            {"--background-depth", "N", "depth of level 0 (default -800)", CliNoted(CliText(f.bkdepth), given)},
            {"--eye", "N", "eye separation in pixels (default 150)", CliNoted(CliText(f.Eye), given)},
            {"--distance", "N", "observer's distance from the screen (default 700)", CliNoted(CliText(f.o), given)},
            {"--relief", "N", "depth units from the farthest to the nearest depth (default 127)", CliNoted(CliText(f.relief), given)},
            {"--hidden", "", "made with hidden-surface removal (accepted; the decoding is the same)", CliSwitch(hidden)},
            {"--invert", "", "made with inverted depth: --compare reads the depth picture inverted", CliSwitch(o.invert)},
            {"--depth-mode", "MODE", "how --compare reads its depth picture: auto, classic or grey", CliDepthMode(o.DepthMode)},
            {"--confidence", "MASK", "writes where the depth is sure (white) or not (black)", CliOutputPicture(mask)},
            {"--compare", "DEPTH", "prints how the result agrees with the depth picture the stereogram was made from",
             CliText(truth)},
            {"--no-fill", "", "leave unsure pixels black instead of filling them from sure neighbours", CliSwitch(noFill)},
        }};
    if (int status = CliParse(syntax, args, &operands); status >= 0) return status;
    if (int status = CliStereoFields("decode", f, false, o)) return status;
    Image32 stereo, known;
    if (!CliReadPicture(operands[0], stereo)) return 1;
    if (!truth.empty() && !CliReadPicture(truth, known)) return 1;
    DecodedStereo d;
    switch (DecodeStereogram(ViewOf(stereo), given ? &o : nullptr, d)) {
    case DecodeResult::Found: break;
    case DecodeResult::NoMemory: return CliNoMemory(stereo.width, stereo.height);
    default: return CliFileError(operands[0], "no stereogram found");
    }
    if (!truth.empty()) {
        // Without the options the depth picture is read with the defaults.
        DecodeFidelity fid;
        if (!CompareDecoded(d, ViewOf(known), o, fid)) return CliFileError(truth, "cannot be compared");
        std::printf("sure pixels: %.1f%%\nsure pixels within one depth level or one pixel of separation: %.1f%%\n"
                    "mean error: %.2f pixels of separation, %.2f depth units\necho pixels: %.1f%%\n",
                    100 * fid.sure, 100 * fid.within, fid.meanError, fid.meanLevels, 100 * fid.echo);
    }
    if (!mask.empty()) {
        Image32 m(d.width, d.height);
        for (size_t i = 0; i < m.px.size(); ++i) m.px[i] = d.sure[i] ? 0xFFFFFFu : 0;
        if (int status = CliWritePicture(mask, m)) return status;
    }
    if (!noFill) FillUnsure(d);
    const Image32 depth = GreyPicture(d.width, d.height, DecodedDepth16(d, given ? &o : nullptr));
    return CliWritePicture(out, depth);
}

CliCommand reg("decode", "the depth hidden in a stereogram", Decode);

}  // namespace
