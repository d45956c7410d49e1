// The frame-name pattern of orvalis-cli animate: any text is refused with a reason, or gives
// names that hold the text around the number and the number itself, zeros in front.
#include "images/animation_reader.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FramePattern p;
    if (!ParseFramePattern(std::string(reinterpret_cast<const char*>(data), size), p).empty()) return 0;
    if (p.digits < 0 || p.digits > 99) std::abort();
    for (long i : {0L, 7L, 123456789L}) {
        const std::string name = FrameName(p, i), number = std::to_string(i);
        const size_t width = std::max(number.size(), size_t(p.digits)), end = name.size() - p.tail.size();
        if (name.size() != p.head.size() + width + p.tail.size() || name.compare(0, p.head.size(), p.head) != 0 ||
            name.compare(end, p.tail.size(), p.tail) != 0 || name.compare(end - number.size(), number.size(), number) != 0)
            std::abort();
    }
    return 0;
}
