#include "gl/view_state.h"

ViewingState SharedView;

void ViewingState::reset() {
    radius = 3.0 + 3.0 * 0.5;
    latitude = 0.0f;
    longitude = 0.0f;
    latinc = 6.0f;
    longinc = 2.5f;
}

void ViewingState::mouseMove(int x, int y) {
    uint32_t px = uint32_t(x) & 0xFFFF, py = uint32_t(y) & 0xFFFF;
    uint32_t lx = lastpos & 0xFFFF, ly = lastpos >> 16;
    if (py > ly) latitude += 0.5f;
    else if (py < ly) latitude -= 0.5f;
    if (px > lx) longitude += 0.5f;
    else if (px < lx) longitude -= 0.5f;
    lastpos = px | (py << 16);
}

void ViewingState::wheel(int delta, bool buttonsOrKeysHeld) {
    if (!buttonsOrKeysHeld) {
        if (delta > 0) radius -= 0.1;
        else radius += 0.1;
    }
    if (radius < 0.0) radius = 0.1;
}

void ViewingState::arrowKey(ArrowKey key) {
    switch (key) {
    case ArrowKey::Left: longitude -= longinc; break;
    case ArrowKey::Right: longitude += longinc; break;
    case ArrowKey::Up: latitude += latinc; break;
    case ArrowKey::Down: latitude -= latinc; break;
    }
}
