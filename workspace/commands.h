#pragma once
// The menu commands by name. The values are the program's command ids: the frame's menu
// items, the accelerator keys and the Window list's entries use them, and the frame hands
// those meant for a window to the active one.
enum class Command : int {
    Open = 100,
    Color = 101,
    ArrangeIcons = 103,
    CloseAll = 104,
    Close = 105,
    Tile = 106,
    Cascade = 107,
    Reserved108 = 108,  // passed on to the active window, which ignores it (also 125-127, 131-133)
    Copy = 109,
    Exit = 111,
    About = 112,
    SetBackground = 114,
    SetDepthView = 115,
    CreateStereo = 116,
    StereoOptions = 117,
    ChildPrivate = 118,  // Shift+F3 only, passed on; no window reacts
    MandelNew = 119,     // to a Mandelbrot window: compute the current view
    Reserved125 = 125,
    Reserved126 = 126,
    Reserved127 = 127,
    RandomTexture = 128,
    Reserved131 = 131,
    Reserved132 = 132,
    Reserved133 = 133,
    MandelRepaint = 135,  // the Mandelbrot worker's "show what is done so far"
    MandelMain = 137,
    PaletteShow = 138,
    ZoomInShow = 139,
    ZoomOutShow = 140,
    FirstWindowListEntry = 145,  // the Window list's entries count up from here
    GLAux = 500,
    GL1 = 501,
    // Saving is not among the original commands; its ids lie above theirs.
    Save = 600,
    SaveAs = 601,
};

