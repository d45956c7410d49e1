// Until the wave window is built.
#include "app/subsystems.h"

const bool kWaveReady = false;
OPENEDFILE* CreateWavChild(QMdiArea*, const std::string&, int) { return nullptr; }
int LoadWavFile(OPENEDFILE*, const std::string&) { return 0; }
