// The animated GIF and WebP readers of animate's depth frames and the animation window: any
// bytes open and play through to their end or are refused with a reason, never read past the end.
#include "images/animation_reader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const char* name : {"f.gif", "f.webp"}) {
        AnimationReader r;
        std::string why;
        if (!r.OpenBytes(data, size, name, why)) {
            if (why.empty()) std::abort();
            continue;
        }
        Image32 frame;
        int delay = 0;
        for (int i = 0; i < 32 && r.Next(frame, delay, why); ++i)
            if (frame.empty() || frame.px.size() != size_t(frame.width) * size_t(frame.height)) std::abort();
    }
    return 0;
}
