// orvalis-cli picture IN OUT: any picture the program opens, written in the format OUT's
// extension names.
#include "images/gif_to_bmp24.h"
#include "images/jpeg_loader.h"
#include "images/jpeg_writer.h"
#include "images/picture_file.h"
#include "images/picture_format.h"
#include "tools/cli/cli.h"

#include <cerrno>
#include <cstring>

namespace {

int Picture(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    const CliSyntax syntax{"picture",
                       "Reads IN as the program opens it and writes it to OUT (.bmp, .png, .jpg, .jpeg, .tif, .tiff "
                       "or .webp; BMP as 24 bits). A 16-bit grey picture stays 16-bit in PNG and TIFF.",
                       {"IN", "OUT"},
                       {}};
    if (int status = CliParse(syntax, args, &files); status >= 0) return status;
    std::string out;
    if (std::string why = CliOutputPicture(out)(files[1]); !why.empty()) return CliUsageError("picture", "OUT: " + why);
    // JPEG and GIF rows go into a BMP file without a whole 32-bit picture in between; a picture
    // they refuse is read once more the usual way, which tells why.
    const FileKind kind = DispatchKind(files[0]);
    if (PictureFormatFromName(out) == PictureFormat::Bmp && (kind == FileKind::Jpeg || kind == FileKind::Gif)) {
        bool writeFailed = false;
        std::vector<UserMessage> messages;
        errno = 0;
        if (kind == FileKind::Jpeg ? JpegFileToBmp24(files[0], out, writeFailed)
                                   : GifFileToBmp24(files[0], out, messages, writeFailed))
            return 0;
        if (writeFailed) return CliWriteError(out);
    }
    // A plain BMP file's rows go into a JPEG file a block at a time, from where they lie.
    PlainBmpRows plain;
    if (PictureFormatFromName(out) == PictureFormat::Jpeg && plain.open(files[0])) {
        if (int status = CliRefuseSize("picture", "OUT", out, plain.width(), plain.height())) return status;
        bool read = true;
        RowBlock block;
        const size_t bytes = size_t(plain.bpp() / 8);
        errno = 0;
        if (WriteJpegRows(out, plain.width(), plain.height(), 95, [&](int first, int count, uint8_t* rows, size_t stride) {
                if (!(read = plain.read(plain.height() - first - count, count, block))) return false;
                for (int r = 0; r < count; ++r) {
                    const uint8_t* in = block.bottomRow + ptrdiff_t(count - 1 - r) * block.rowStep;
                    uint8_t* to = rows + size_t(r) * stride;
                    if (bytes == 3) std::memcpy(to, in, stride);
                    else
                        for (int x = 0; x < plain.width(); ++x, in += 4, to += 3) to[0] = in[0], to[1] = in[1], to[2] = in[2];
                }
                return true;
            }))
            return 0;
        return read ? CliWriteError(out) : CliPictureError(files[0], plain.failure());
    }
    Image32 img;
    if (!CliReadPicture(files[0], img)) return 1;
    return CliWritePicture(out, img);
}

CliCommand reg("picture", "any picture the program opens, written as BMP, PNG, JPEG, TIFF or WebP", Picture);

}  // namespace
