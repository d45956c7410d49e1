#pragma once
// What the scenes need from the window whose context is current: colour indices turned into
// colours through its palette, its own display-list names, and its buffer swap.
#include "gl/gl_palette.h"

#include <GL/gl.h>

struct OPENEDFILE;

// Set by a window before every piece of GL work on its context.
void SetCurrentGLTarget(const GLPalette* palette, GLuint listBase);

void IndexColour(int index);   // as glIndexi
void ClearIndex(float index);  // as glClearIndex
// Display list n (1 to 3) of the current window. Windows of one frame share their GL
// objects, so each window owns three list names of its own.
GLuint GLList(int n);
// The end of a frame that swaps buffers; the window counts it.
void SwapGLBuffers(OPENEDFILE* of);
