// Until the stereogram generator is built.
#include "app/subsystems.h"

const bool kStereoReady = false;
int RunStereoOptionsDialog() { return 2; }
OPENEDFILE* CreateStereo() { return nullptr; }
