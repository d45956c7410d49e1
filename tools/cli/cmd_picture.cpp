// orvalis-cli picture IN OUT: any picture the program opens, written in the format OUT's
// extension names.
#include "tools/cli/cli.h"

namespace {

int Picture(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    const CliSpec spec{"picture",
                       "Reads IN as the program opens it and writes it to OUT (.bmp, .png, .jpg, .jpeg, .tif, .tiff "
                       "or .webp; BMP as 24 bits). A 16-bit grey picture stays 16-bit in PNG and TIFF.",
                       {"IN", "OUT"},
                       {}};
    if (int status = CliParse(spec, args, &files); status >= 0) return status;
    std::string out;
    if (std::string why = CliOutputPicture(out)(files[1]); !why.empty()) return CliUsageError("picture", "OUT: " + why);
    Image32 img;
    if (!CliReadPicture(files[0], img)) return 1;
    return CliWritePicture(out, img);
}

CliCommand reg("picture", "any picture the program opens, written as BMP, PNG, JPEG, TIFF or WebP", Picture);

}  // namespace
