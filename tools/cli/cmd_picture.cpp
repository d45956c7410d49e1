// orvalis-cli picture IN OUT.bmp: any picture the program opens, written as a 24-bit BMP.
#include "images/bmp_writer.h"
#include "images/gif_loader.h"
#include "images/jpeg_loader.h"
#include "images/picture_file.h"
#include "tools/cli/cli.h"

#include <cstdio>

namespace {

int picture(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: orvalis-cli picture IN OUT.bmp\n");
        return 2;
    }
    const FileKind kind = DispatchKind(args[0]);
    bool written = false, writeFailed = false;
    std::vector<UserMessage> messages;
    // JPEG and GIF rows go into the file without a 32-bit picture in between.
    if (kind == FileKind::Jpeg) {
        written = JpegFileToBmp24(args[0], args[1], writeFailed);
    } else if (kind == FileKind::Gif) {
        written = GifFileToBmp24(args[0], args[1], messages, writeFailed);
    } else {
        PictureResult r = ReadPictureFile(args[0]);
        messages = std::move(r.messages);
        if (r.ok) writeFailed = !(written = WriteBmp24(args[1], r.image));
    }
    if (written) return 0;
    if (!writeFailed && (kind == FileKind::Jpeg || kind == FileKind::Gif))
        messages.push_back({"Orvalis", DispatchFailureText(kind)});
    for (const UserMessage& m : messages) {
        const bool newline = !m.text.empty() && m.text.back() == '\n';
        std::fprintf(stderr, "%s%s", m.text.c_str(), newline ? "" : "\n");
    }
    if (writeFailed) std::fprintf(stderr, "orvalis-cli: cannot write %s\n", args[1].c_str());
    return 1;
}

CliCommand reg("picture", "IN OUT.bmp", picture);

}  // namespace
