#pragma once
// The menu commands by name. The values are the program's command ids: the frame's menu
// items, the accelerator keys and the Window list's entries use them, and the frame hands
// those meant for a window to the active one.
enum class Command : int {
    // File
    Open = 100, Close = 105, Exit = 111,
    // Saving is not among the original commands; its ids lie above theirs.
    Save = 600, SaveAs = 601, OpenGallery = 602,
    // View: the zoom of a picture window, passed on to the active window
    ZoomFit = 610, ZoomActual = 611, ZoomIn = 612, ZoomOut = 613,
    // Edit
    Copy = 109, Color = 101,
    // Stereo
    SetBackground = 114, SetDepthView = 115, StereoOptions = 117, CreateStereo = 116, RandomTexture = 128,
    // Reading stereograms back, beyond the original commands
    RevealDepth = 650, MakeStereoPair = 651,
    // A text as depth, beyond the original commands too
    TextDepth = 652,
    // Animated stereograms
    CreateAnimation = 653,
    // Mandel; MandelNew also tells a Mandelbrot window to compute its view, MandelRepaint is
    // its worker's "show what is done so far"
    MandelMain = 137, MandelNew = 119, PaletteShow = 138, ZoomInShow = 139, ZoomOutShow = 140, MandelRepaint = 135,
    // Open GL
    GLAux = 500, GL1 = 501,
    // Window; the Window list's entries count up from FirstWindowListEntry
    Cascade = 107, Tile = 106, ArrangeIcons = 103, CloseAll = 104, FirstWindowListEntry = 145,
    About = 112,
    // Help: not among the original commands either
    HelpKeys = 700, HelpStereogram = 701,
    // Shift+F3 only; passed on, and no window reacts
    ChildPrivate = 118,
    // Passed on to the active window, which ignores them
    Reserved108 = 108, Reserved125 = 125, Reserved126 = 126, Reserved127 = 127,
    Reserved131 = 131, Reserved132 = 132, Reserved133 = 133,
};
