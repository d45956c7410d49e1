#include "gl/gl_layer.h"

namespace {
const GLPalette* current_palette = nullptr;
GLuint current_list_base = 1;

const GLPalette& Palette() { return current_palette ? *current_palette : DefaultGLPalette(); }
}  // namespace

void SetCurrentGLTarget(const GLPalette* palette, GLuint listBase) {
    current_palette = palette;
    current_list_base = listBase;
}

void IndexColour(int index) {
    uint32_t c = GLPaletteColour(Palette(), index);
    glColor3ub(GLubyte(c >> 16), GLubyte(c >> 8), GLubyte(c));
}

void ClearIndex(float index) {
    uint32_t c = GLPaletteColour(Palette(), int(index));
    glClearColor(float(c >> 16 & 0xFF) / 255.0f, float(c >> 8 & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f, 1.0f);
}

GLuint GLList(int n) { return current_list_base + GLuint(n - 1); }
