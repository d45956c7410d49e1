// The module behind cli_formats.h.
#include "images/picture_writer.h"
#include "images/qt_picture_reader.h"
#include "tools/cli/cli_formats.h"

#include <QtGlobal>

namespace {

std::string Write(const std::string& path, const Image32& img) {
    return WritePicture(path, ToQImage(img), PictureFormatFromName(path), img.grey16, img.perMetre);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const CliPictureFormats* OrvalisCliPictureFormats() {
    // Qt's picture readers log their decoders' complaints; the reason reaches the user in the
    // one "orvalis-cli: PATH: message" line instead.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static const CliPictureFormats formats{&LoadQtPictureFile, &Write};
    return &formats;
}
