// orvalis-cli depth: the depth picture of a 3-D model or of a text, for stereograms.
#include "model/mesh_depth.h"
#include "stereo/text_depth.h"
#include "tools/cli/cli.h"

namespace {

int Depth(const std::vector<std::string>& args) {
    std::string out, text, font = kTextDepthFont;
    int textGiven = 0;
    double bevel = -1;
    MeshView view;
    view.width = 800, view.height = 600;
    int orthographic = 0;
    std::vector<std::string> operands;
    CliSyntax syntax{
        "depth",
        "The depth of the 3-D model MODEL (OBJ, STL, PLY, glTF, 3MF, OFF, COLLADA and every other format Assimp "
        "reads; a DXF drawing's 3DFACE and POLYLINE faces as the drawing window reads them), or of a text, as a 16-bit grey picture: the nearest point white, nothing drawn black.",
        {"[MODEL]"},
        {
            {"-o", "DEPTH", "the depth picture: .png or .tif keep 16 bits", CliOutputPicture(out), true},
            {"--size", "WxH", "the picture's size, 16 to 16384 a side (default 800x600)", CliSize(view.width, view.height)},
            {"--text", "TEXT", "letters raised to a white plateau with bevelled edges, instead of a model",
             [&](const std::string& v) {
                 text = v;
                 textGiven = 1;
                 return std::string();
             }},
            {"--font", "FAMILY", "the text's font family, in bold (default DejaVu Sans)", CliText(font)},
            {"--bevel", "PX", "the width of the text's bevel in pixels, 0 to 1000 (default 1/50 of the smaller side)",
             CliNumber(bevel, 0, 1000)},
        }};
    for (CliOption& o : CliModelOptions(view, orthographic)) syntax.options.push_back(std::move(o));
    if (int status = CliParse(syntax, args, &operands); status >= 0) return status;
    if (operands.empty() == !textGiven)
        return CliUsageError("depth", textGiven ? "--text takes no MODEL" : "missing MODEL (or --text TEXT)");
    if (int status = CliRefuseSize("depth", "-o", out, view.width, view.height)) return status;
    Image32 depth;
    if (textGiven) {
        if (bevel < 0) bevel = DefaultTextBevel(view.width, view.height);
        std::vector<uint16_t> grey;
        if (int status = CliTextDepth(text, font, view.width, view.height, bevel, grey)) return status;
        if (int status = CliGreyPicture(view.width, view.height, std::move(grey), depth)) return status;
    } else if (int status = CliModelDepth(operands[0], view, orthographic, depth)) {
        return status;
    }
    return CliWritePicture(out, depth);
}

CliCommand reg("depth", "the depth picture of a 3-D model or of a text", Depth);

}  // namespace
