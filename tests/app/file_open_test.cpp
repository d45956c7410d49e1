#include "tests/app/frame_fixture.h"

using FileOpen = FrameTest;

// Opened, the picture is titled with its path, sized to its picture plus one pixel, painted
// from the scroll position with the workspace colour around it, and copied on request.
TEST_F(FileOpen, ABmpOpensInAWindowThatShowsAndCopiesItsWholePicture) {
    const std::string path = writeBmp("pic.bmp", 100, 80);
    openFile(path);
    BmpChild* child = activeBmp();
    ASSERT_TRUE(child && child->record() && rec.boxes.empty());
    OPENEDFILE* of = child->record();
    EXPECT_EQ(std::make_tuple(of->Type, of->Xsize, of->Ysize, child->width(), child->height()), std::make_tuple(DocKind::Picture, 100, 80, 101, 81));
    EXPECT_EQ(child->windowTitle().toStdString() + "|" + child->subWindow()->windowTitle().toStdString(), path + "|" + path);
    EXPECT_FALSE(child->horizontalBar()->isVisible() || child->verticalBar()->isVisible());
    // Client 50 x 40 with both bars: range 0..49 horizontally, steps of 5.
    const int ext = child->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    child->resize(50 + ext, 40 + ext), QApplication::processEvents();
    EXPECT_EQ(std::make_tuple(of->Xclient, of->Yclient, child->horizontalBar()->isVisible(), child->horizontalBar()->maximum(),
                              child->horizontalBar()->singleStep(), child->verticalBar()->maximum()),
              std::make_tuple(50, 40, true, 49, 5, 80 - 41));
    child->horizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(of->Xscroll, 49);
    QImage shot = child->grab().toImage();
    EXPECT_EQ(shot.pixel(7, 5) & 0xFFFFFF, Gradient(100, 80).at(56, 5));
    child->resize(120 + ext, 90 + ext), QApplication::processEvents();
    shot = child->grab().toImage();
    EXPECT_EQ(std::make_tuple(of->Xscroll, shot.pixel(99, 79) & 0xFFFFFF, shot.pixel(105, 5), shot.pixel(5, 85)),
              std::make_tuple(0, Gradient(100, 80).at(99, 79), WorkspaceColor().rgb(), WorkspaceColor().rgb()));
    frame->WmCommand(Command::Copy);
    EXPECT_EQ(rec.texts(), std::vector<std::string>{"Bitmap copied to clipboard."});
    EXPECT_EQ(rec.boxes.at(0).caption, "Orvalis");
    const QImage clip = QGuiApplication::clipboard()->image();
    EXPECT_EQ(std::make_pair(clip.size(), clip.pixel(99, 79) & 0xFFFFFF), std::make_pair(QSize(100, 80), Gradient(100, 80).at(99, 79)));
}

// Every kind of file that cannot be read whole: missing, a directory, a FIFO, a file nobody may
// read, and a file that ends before its size (a sysfs file claims 4096 bytes and holds a few).
// Each gives the kind's message for a failed open or read through the dispatch (one box for a
// file that does not open, and for every failed sound) and through orvalis-cli (status 1),
// and no window.
TEST_F(FileOpen, FilesThatCannotBeReadWholeGiveTheReadMessagesOfEveryKind) {
    const char* kShort = "/sys/devices/system/cpu/online";
    ASSERT_GT(fs::file_size(kShort), 64u) << kShort << " must claim more than it holds";
    const std::pair<const char*, int> faults[] = {{"missing", ENOENT}, {"dir", EISDIR}, {"fifo", EINVAL}, {"locked", EACCES},
                                                  {"short", EIO}};
    // Boxes (caption:text, '|' between them) for a failed open and a failed read, then what the
    // command line writes for each after "orvalis-cli: %p: "; %p is the path, %e the error code,
    // %s its text.
    struct Kind { const char *ext, *cli, *open, *read, *cliOpen, *cliRead; } kinds[] = {
        {"bmp", "picture %p %p.bmp", "Error:Error on Fail in file open = %e\n",
         "Error:Error on Fail in mapping view of the Map File object = %e\n|Orvalis:Error reading bitmap!",
         "Error on Fail in file open = %e", "Error on Fail in mapping view of the Map File object = %e"},
        {"gif", "picture %p %p.bmp", "LoadFile Error:Couldn't open file:%p",
         "Error:Error reading file|Orvalis:Error from LoadGIF()!", "Couldn't open file:%p", "Error reading file"},
        {"jpg", "picture %p %p.bmp", "Orvalis:Error reading JPEG file!", "Orvalis:Error reading JPEG file!",
         "Error reading JPEG file!", "Error reading JPEG file!"},
        {"wav", "wave-info %p", ":couldn't load", ":read error", "couldn't load: %s", "read error: %s"},
        {"dxf", "dxf-info %p", "Error:The drawing could not be read:\n%p\n%s", "Error:The drawing could not be read:\n%p\n%s",
         "%s", "read error: %s"},
        {"pal", "mandel -o %p.bmp --width 8 --height 8 --palette %p", "LoadFile Error:Couldn't open file:%p",
         "Error:Error reading file", "%s", "%s"},
        {"png", "picture %p %p.bmp", "Orvalis:Can't open file: %p", "Orvalis:Can't open file: %p", "The file could not be read: %s.",
         "The file could not be read: %s."},
    };
    const bool root = ::geteuid() == 0;  // root reads any file: it gives up the right for the locked one
    const std::string palette = Settings.Palettefile;
    bool (*probe)() = GLContextProbe;
    GLContextProbe = [] { return true; };  // the offscreen platform has no OpenGL; the file fails first
    for (const Kind& k : kinds) for (auto [name, error] : faults) {
        const std::string path = tmp / (std::string(name) + "." + k.ext), fault = name;
        if (fault == "dir") fs::create_directory(path);
        if (fault == "fifo") ::mkfifo(path.c_str(), 0644);
        if (fault == "locked") std::ofstream(path) << "x", fs::permissions(path, fs::perms::none);
        if (fault == "short") fs::create_symlink(kShort, path);
        auto fill = [&](std::string t) {
            for (auto [key, value] : {std::pair<std::string, std::string>{"%p", path}, {"%e", std::to_string(error)},
                                      {"%s", std::strerror(error)}})
                for (size_t at; (at = t.find(key)) != std::string::npos;) t.replace(at, 2, value);
            return t;
        };
        const bool read = fault == "short", locked = root && fault == "locked";
        rec.clear();
        {
            const WithoutFileRights plain;
            if (std::string(k.ext) == "pal") {
                std::snprintf(Settings.Palettefile, sizeof Settings.Palettefile, "%s", path.c_str());
                frame->WmCommand(Command::MandelMain);
            } else {
                FileOpenMsg(path);
            }
        }
        flush();
        std::string boxes;
        for (const auto& b : rec.boxes) boxes += (boxes.empty() ? "" : "|") + b.caption + ":" + b.text;
        EXPECT_EQ(boxes, fill(read ? k.read : k.open)) << path;
        EXPECT_TRUE(windowCount() == 0 && !FirstFileStruct()) << path;
        const CliRun cli = RunCli(fill(k.cli), std::string("SDL_AUDIODRIVER=dummy ") + (locked ? kWithoutFileRights : ""));
        const std::string err = fill(std::string("orvalis-cli: %p: ") + (read ? k.cliRead : k.cliOpen) + "\n");
        EXPECT_EQ(std::make_pair(cli.status, cli.err), std::make_pair(1, err)) << path;
    }
    std::strcpy(Settings.Palettefile, palette.c_str());
    GLContextProbe = probe;
    // Text under a name the table does not claim: that box alone, and never a window (a
    // picture under such a name opens); as a sound: the loader's box alone.
    int shown = 0;
    QObject::connect(FrameMdiArea(), &QMdiArea::subWindowActivated, frame, [&](QMdiSubWindow* w) { shown += w != nullptr; });
    std::ofstream(tmp / "notes.txt") << "Not a picture.\n";
    fs::copy_file(tmp / "notes.txt", tmp / "notes.wav");
    fs::copy_file(ORVALIS_SOURCE_DIR "/tests/data/everyday/rgb.png", tmp / "rgb.txt");
    using Texts = std::vector<std::string>;
    for (auto [name, boxes, seen, stays] : {std::tuple{"notes.txt", Texts{"Can't open file: " + tmp / "notes.txt"}, 0, 0},
                                            {"notes.wav", Texts{"No wave file"}, 1, 0}, {"rgb.txt", Texts{}, 1, 1}}) {
        rec.clear(), shown = 0;
        openFile(tmp / name);
        EXPECT_EQ(std::make_tuple(rec.texts(), shown, windowCount()), std::make_tuple(boxes, seen, stays)) << name;
    }
}
