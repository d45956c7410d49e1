#include "gl/gl_palette.h"

namespace {
GLPalette MakePalette() {
    GLPalette p{};
    const uint32_t basics[20] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x404040,
        0x602000, 0x206040, 0x402060, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    for (int i = 0; i < 20; ++i) p[i] = basics[i];
    int i = 20;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p[i++] = uint32_t(r * 51) << 16 | uint32_t(g * 51) << 8 | uint32_t(b * 51);
    for (int k = 0; k < 20; ++k) {
        uint32_t v = uint32_t(8 + k * 247 / 19);
        p[i++] = v << 16 | v << 8 | v;
    }
    return p;
}
}  // namespace

const GLPalette& DefaultGLPalette() {
    static const GLPalette pal = MakePalette();
    return pal;
}

uint32_t GLPaletteColour(const GLPalette& pal, int index) { return pal[unsigned(index) & 0xFF]; }
