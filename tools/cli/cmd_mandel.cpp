// orvalis-cli mandel: a Mandelbrot picture computed by the window's worker, written as BMP.
#include "images/bmp_writer.h"
#include "mandel/mandel_calc.h"
#include "mandel/mandel_view.h"
#include "mandel/mandel_worker.h"
#include "mandel/palette_file.h"
#include "platform/whole_file.h"
#include "tools/cli/cli.h"

#include <QImage>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

bool ToInt(const std::string& text, int lo, int hi, int& out, const char* name) {
    int v = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || v < lo || v > hi) {
        std::fprintf(stderr, "orvalis-cli mandel: %s must be a whole number from %d to %d\n", name, lo, hi);
        return false;
    }
    out = v;
    return true;
}

bool ToDouble(const std::string& text, double& out, const char* name) {
    double v = 0.0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) {
        std::fprintf(stderr, "orvalis-cli mandel: %s must be a number\n", name);
        return false;
    }
    out = v;
    return true;
}

struct Options {
    std::string out, depthOut, palette = "palette.pal";
    int width = 800, height = 600, iterations = 256, colors = 256;
    MandelView view = kMainView;
};

bool ParseOptions(const std::vector<std::string>& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (!CliTakeValue(args, i, v)) return false;
        bool ok = true;
        if (a == "-o") o.out = v;
        else if (a == "--depth-out") o.depthOut = v;
        else if (a == "--palette") o.palette = v;
        else if (a == "--width") ok = ToInt(v, 1, 16384, o.width, "--width");
        else if (a == "--height") ok = ToInt(v, 1, 16384, o.height, "--height");
        else if (a == "--iterations") ok = ToInt(v, 0, 100000000, o.iterations, "--iterations");
        else if (a == "--colors") ok = ToInt(v, 1, 256, o.colors, "--colors");
        else if (a == "--r") ok = ToDouble(v, o.view.fltR, "--r");
        else if (a == "--i") ok = ToDouble(v, o.view.fltI, "--i");
        else if (a == "--side") ok = ToDouble(v, o.view.fltSide, "--side");
        else {
            std::fprintf(stderr, "orvalis-cli mandel: unknown option %s\n", a.c_str());
            return false;
        }
        if (!ok) return false;
    }
    if (o.out.empty() && o.depthOut.empty())
        std::fprintf(stderr, "orvalis-cli mandel: -o OUT.bmp or --depth-out D.png is required\n");
    return !o.out.empty() || !o.depthOut.empty();
}

// The depth picture of the view as a 16-bit grey PNG (white: the set).
bool WriteDepth(const Options& o) {
    const std::vector<uint16_t> grey =
        MandelDepth(o.view.fltR, o.view.fltI, o.view.fltSide, o.width, o.height, o.iterations);
    QImage img(o.width, o.height, QImage::Format_Grayscale16);
    if (img.isNull()) return false;
    for (int y = 0; y < o.height; ++y)
        std::memcpy(img.scanLine(y), grey.data() + size_t(y) * size_t(o.width), size_t(o.width) * 2);
    return img.save(QString::fromStdString(o.depthOut), "PNG");
}

bool LoadColours(const Options& o, std::vector<uint32_t>& Kleuren, int32_t& colors) {
    const std::string path = FindPaletteFile(o.palette, PaletteSearchDirs());
    const WholeFile file = ReadWholeFile(path);
    if (!file) {
        std::fprintf(stderr, "%s\n", LoadFileMessage(file, path).text.c_str());
        return false;
    }
    UserMessage msg;
    if (!LoadPaletteBytes(file.data(), file.size, path, Kleuren, colors, msg)) {
        std::fprintf(stderr, "%s\n", msg.text.c_str());
        return false;
    }
    return true;
}

int RunMandel(const std::vector<std::string>& args) {
    Options o;
    if (!ParseOptions(args, o)) return 2;
    if (!o.depthOut.empty() && !WriteDepth(o)) {
        std::fprintf(stderr, "orvalis-cli mandel: cannot write %s\n", o.depthOut.c_str());
        return 1;
    }
    if (o.out.empty()) return 0;
    std::vector<uint32_t> Kleuren;
    int32_t colors = o.colors;
    if (!LoadColours(o, Kleuren, colors)) return 1;

    const int stride = (o.width + 3) & ~3;
    std::vector<uint8_t> pixels(size_t(stride) * size_t(o.height), 0);
    const int32_t iterations = o.iterations;
    MandelRun run{pixels.data(), o.width, o.height, stride, o.view.fltR, o.view.fltI, o.view.fltSide,
                  colors, 1 << 30, &iterations};
    MandelWorker worker;
    worker.StartNew(run);
    worker.wait();

    Image32 img(o.width, o.height);
    for (int y = 0; y < o.height; ++y)
        for (int x = 0; x < o.width; ++x) {
            const uint32_t bgr = Kleuren[pixels[size_t(y) * size_t(stride) + size_t(x)]];
            img.at(x, y) = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
        }
    if (!WriteBmp24(o.out, img)) {
        std::fprintf(stderr, "orvalis-cli mandel: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::printf("%s: %dx%d, %d iterations, %d colours, %u ms\n", o.out.c_str(), o.width, o.height, o.iterations,
                int(colors), unsigned(worker.Timer()));
    return 0;
}

CliCommand reg("mandel",
               "[-o OUT.bmp] [--depth-out D.png] [--width W] [--height H] [--r R] [--i I] [--side S] [--iterations N] [--colors C] "
               "[--palette FILE]",
               RunMandel);

}  // namespace
