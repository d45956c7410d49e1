// Pictures in and out of orvalis-cli: read as the program opens them, written in the format
// the name asks for.
#include "images/picture_file.h"
#include "images/picture_writer.h"
#include "images/qt_picture_reader.h"
#include "tools/cli/cli.h"

namespace {
std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}
}  // namespace

int CliPictureError(const std::string& path, const PictureResult& failed) {
    const FileKind kind = DispatchKind(path);
    if (failed.messages.empty())  // a loader that leaves the telling to the dispatch
        CliFileError(path, kind == FileKind::Wav || kind == FileKind::Dxf ? "not a picture" : DispatchFailureText(kind));
    for (const UserMessage& m : failed.messages) CliFileError(path, Trimmed(m.text));
    return 1;
}

bool CliReadPicture(const std::string& path, Image32& out) {
    PictureResult r = LoadPictureOfKind(DispatchKind(path), path, &LoadQtPictureFile);
    if (!r.ok) {
        CliPictureError(path, r);
        return false;
    }
    out = std::move(r.image);
    return true;
}

int CliWritePicture(const std::string& path, const Image32& img) {
    const std::string why = WritePicture(path, ToQImage(img), PictureFormatFromName(path), img.grey16);
    return why.empty() ? 0 : CliFileError(path, why);
}
