// orvalis-cli mandel: a Mandelbrot picture computed by the window's worker, with the start
// dialog's values and limits, written in the format the output name asks for.
#include "images/bmp_writer.h"
#include "images/picture_format.h"
#include "mandel/mandel_calc.h"
#include "mandel/mandel_view.h"
#include "mandel/mandel_worker.h"
#include "mandel/palette_file.h"
#include "mandel/start_values.h"
#include "platform/whole_file.h"
#include "tools/cli/cli.h"

#include <cerrno>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

struct Options {
    std::string out, depthOut, palette = "palette.pal";
    int width = 800, height = 600, iterations = 256, colors = 256;
    MandelView view = kMainView;
};

bool LoadColours(const Options& o, std::vector<uint32_t>& Kleuren, int32_t& colors) {
    const std::string path = FindPaletteFile(o.palette, PaletteSearchDirs());
    const WholeFile file = ReadWholeFile(path);
    if (!file) return CliFileError(o.palette, std::strerror(file.error)) == 0;
    UserMessage msg;
    if (!LoadPaletteBytes(file.data(), file.size, path, Kleuren, colors, msg))
        return CliFileError(o.palette, msg.text) == 0;
    return true;
}

// The worker's colour indices, or empty after saying why not.
std::vector<uint8_t> Compute(const Options& o, int stride, int32_t colors, unsigned& ms) {
    std::vector<uint8_t> pixels;
    try {
        pixels.assign(size_t(stride) * size_t(o.height), 0);
    } catch (const std::bad_alloc&) {
        CliNoMemory(o.width, o.height);
        return {};
    }
    const int32_t iterations = o.iterations;
    MandelRun run{pixels.data(), o.width, o.height, stride, o.view.fltR, o.view.fltI, o.view.fltSide,
                  colors, 1 << 30, iterations};
    MandelWorker worker;
    if (worker.StartNew(run) == 0) {
        std::fprintf(stderr, "orvalis-cli: not enough memory to start the computation\n");
        return {};
    }
    worker.wait();
    ms = unsigned(worker.Timer());
    return pixels;
}

// Colour indices to picture words, a row at a time, so a BMP needs no second picture.
int WriteColours(const Options& o, const std::vector<uint8_t>& pixels, int stride, const std::vector<uint32_t>& Kleuren) {
    const auto colourRow = [&](int y, uint32_t* row) {
        const uint8_t* index = pixels.data() + size_t(y) * size_t(stride);
        for (int x = 0; x < o.width; ++x) {
            const uint32_t bgr = Kleuren[index[x]];
            row[x] = (bgr & 0xFF) << 16 | (bgr & 0xFF00) | (bgr >> 16 & 0xFF);
        }
    };
    if (PictureFormatFromName(o.out) == PictureFormat::Bmp) {
        errno = 0;
        if (WriteBmp24Rows(o.out, o.width, o.height, colourRow)) return 0;
        return CliWriteError(o.out);
    }
    Image32 img(o.width, o.height);
    for (int y = 0; y < o.height; ++y) colourRow(y, &img.px[size_t(y) * size_t(o.width)]);
    return CliWritePicture(o.out, img);
}

// The view's depth picture: 16-bit grey where the format keeps it (PNG, TIFF), else its top byte.
int WriteDepth(const Options& o) {
    const Image32 img = GreyPicture(o.width, o.height,
                                    MandelDepth(o.view.fltR, o.view.fltI, o.view.fltSide, o.width, o.height, o.iterations));
    return CliWritePicture(o.depthOut, img);
}

int RunMandel(const std::vector<std::string>& args) {
    Options o;
    const CliSyntax syntax{
        "mandel",
        "A Mandelbrot picture as the explorer computes it; the values and limits are those of its start dialog.",
        {},
        {
            {"-o", "OUT", "the picture: .bmp, .png, .jpg, .jpeg, .tif, .tiff or .webp", CliOutputPicture(o.out)},
            {"--depth-out", "D.png",
             "the depth picture (white: the set), 16-bit in .png or .tif; -o, --depth-out or both",
             CliOutputPicture(o.depthOut)},
            {"--width", "W", "picture width in pixels (default 800)", CliWhole(o.width, 1, INT32_MAX)},
            {"--height", "H", "picture height in pixels (default 600)", CliWhole(o.height, 1, INT32_MAX)},
            {"--r", "R", "real part of the left edge (default -2)", CliNumber(o.view.fltR, -DBL_MAX, DBL_MAX)},
            {"--i", "I", "imaginary part of the top edge (default -1.1338)", CliNumber(o.view.fltI, -DBL_MAX, DBL_MAX)},
            {"--side", "S", "length spanned by the picture height, 1e-14 to 3 (default 2.27)",
             CliNumber(o.view.fltSide, 1e-14, 3.0)},
            {"--iterations", "N", "iteration limit (default 256)", CliWhole(o.iterations, 0, INT32_MAX)},
            {"--colors", "N", "colours used, rounded down to a power of two from 4 to 256 (default 256)",
             CliWhole(o.colors, 0, INT32_MAX)},
            {"--palette", "FILE", "the palette file (default palette.pal)", CliText(o.palette)},
        }};
    if (int status = CliParse(syntax, args); status >= 0) return status;
    if (!MandelPictureSizeOk(o.width, o.height))
        return CliUsageError("mandel", "--width and --height: the picture must stay within 2^30 bytes of 8-bit pixels");
    if (o.out.empty() && o.depthOut.empty()) return CliUsageError("mandel", "missing option -o OUT or --depth-out D.png");
    if (int status = CliRefuseSize("mandel", "-o", o.out, o.width, o.height)) return status;
    if (int status = CliRefuseSize("mandel", "--depth-out", o.depthOut, o.width, o.height)) return status;
    try {
        if (!o.depthOut.empty())
            if (int status = WriteDepth(o)) return status;
    } catch (const std::bad_alloc&) {
        return CliNoMemory(o.width, o.height);
    }
    if (o.out.empty()) return 0;
    std::vector<uint32_t> Kleuren;
    int32_t colors = RoundMaxColors(o.colors);
    if (!LoadColours(o, Kleuren, colors)) return 1;
    const int stride = MandelStride(o.width);
    unsigned ms = 0;
    const std::vector<uint8_t> pixels = Compute(o, stride, colors, ms);
    if (pixels.empty()) return 1;
    try {
        if (int status = WriteColours(o, pixels, stride, Kleuren)) return status;
    } catch (const std::bad_alloc&) {
        return CliNoMemory(o.width, o.height);
    }
    std::printf("%s: %dx%d, %d iterations, %d colours, %u ms\n", o.out.c_str(), o.width, o.height, o.iterations,
                int(colors), ms);
    return 0;
}

CliCommand reg("mandel", "a Mandelbrot picture as the explorer computes it", RunMandel);

}  // namespace
