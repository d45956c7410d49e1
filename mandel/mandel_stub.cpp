// Until the Mandelbrot window is built.
#include "app/subsystems.h"

const bool kMandelReady = false;
void Mandel_New(int) {}
