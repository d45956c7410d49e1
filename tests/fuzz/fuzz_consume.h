#pragma once
// Touches every pixel of a result, so a picture made from memory that was never written
// shows up under the sanitizers.
#include "images/image32.h"

#include <cstdint>

inline void ConsumePicture(const Image32& img) {
    volatile uint32_t sink = 0;
    uint32_t acc = 0;
    for (uint32_t p : img.px) acc += p;
    sink = acc;
    (void)sink;
}
