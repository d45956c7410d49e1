// The module behind cli_formats.h.
#include "images/picture_writer.h"
#include "images/qt_picture_reader.h"
#include "stereo/text_depth.h"
#include "tools/cli/cli_formats.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace {

std::string Write(const std::string& path, const Image32& img) {
    return WritePicture(path, ToQImage(img), PictureFormatFromName(path), img.grey16, img.perMetre);
}

std::string Text(const std::string& text, const std::string& family, int width, int height, double bevel,
                 std::vector<uint16_t>& depth) {
    // Fonts need an application object; the offscreen platform needs no display. It is left
    // to the end of the process: Qt's own statics may be gone before ours are destroyed.
    if (!QGuiApplication::instance()) {
        static int argc = 3;
        static char arg0[] = "orvalis-cli", arg1[] = "-platform", arg2[] = "offscreen";
        static char* argv[] = {arg0, arg1, arg2, nullptr};
        new QGuiApplication(argc, argv);
    }
    return TextDepth(text, family, width, height, bevel, depth);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const CliPictureFormats* OrvalisCliPictureFormats() {
    // Qt's picture readers log their decoders' complaints; the reason reaches the user in the
    // one "orvalis-cli: PATH: message" line instead.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static const CliPictureFormats formats{&LoadQtPictureFile, &Write, &Text};
    return &formats;
}
