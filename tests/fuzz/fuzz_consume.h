#pragma once
// A picture that claims success must be whole: as many words as its size says.
#include "images/image32.h"

#include <cstdlib>

inline void ConsumePicture(const Image32& img) {
    if (img.width <= 0 || img.height <= 0 || img.px.size() != size_t(img.width) * size_t(img.height)) std::abort();
}
