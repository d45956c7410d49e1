#pragma once
// Scroll-bar arithmetic of the picture windows, in the Win32 request terms.
namespace scroll {

enum Request { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3, ThumbPosition = 4, ThumbTrack = 5, Top = 6, Bottom = 7, EndScroll = 8 };

// New position for a request on a bar with range 0..max and the given page; `thumb` is the
// position carried by thumb requests. Returns -1 for requests that change nothing.
inline int NewPosition(int request, int pos, int page, int max, int thumb) {
    const int largest = max + 1 - page;
    int p = pos;
    switch (request) {
    case LineUp: p -= 5; break;
    case LineDown: p += 5; break;
    case PageUp: p -= page; break;
    case PageDown: p += page; break;
    case ThumbPosition:
    case ThumbTrack: p = thumb; break;
    case Top: p = 0; break;
    case Bottom: p = largest; break;
    default: return -1;
    }
    if (p < 0) p = 0;
    if (p > largest) p = largest;
    return p;
}

}  // namespace scroll
