// Until the OpenGL window is built.
#include "app/subsystems.h"

const bool kGLReady = false;
OPENEDFILE* CreateGLChild(const std::string&, int) { return nullptr; }
