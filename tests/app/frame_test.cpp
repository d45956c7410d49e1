#include "app/MainFrame.h"
#include "app/file_open.h"
#include "app/registry.h"
#include "gl/OpenGLChild.h"
#include "images/BmpChild.h"
#include "images/bmp_writer.h"
#include "platform/message_box.h"
#include "wave/wave_data.h"
#include "workspace/frame_interface.h"
#include "workspace/scrolled_picture.h"
#include "tests/common/cli_run.h"
#include "tests/common/test_files.h"
#include "workspace/settings.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A picture whose pixel (x, y) is a colour worked out from x and y.
Image32 Gradient(int w, int h) {
    Image32 img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = uint32_t((x * 2) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 | 0x40;
    return img;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        frame = StartFrame("");
        frame->resize(900, 700);
        QApplication::processEvents();
    }
    void TearDown() override {
        rec.answers.clear();
        frame->CloseAll();
        flush();
        delete frame;
    }
    static void flush() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
    std::string writeBmp(const std::string& name, int w, int h) {
        const std::string path = tmp / name;
        EXPECT_TRUE(WriteBmp24(path, Gradient(w, h)));
        return path;
    }
    BmpChild* activeBmp() const { return qobject_cast<BmpChild*>(ActiveChild()); }
    int windowCount() const {
        int n = 0;
        for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) n += s->isVisible();
        return n;
    }

    TempDir tmp{"orvalis-frame"};
    MainFrame* frame = nullptr;
    platform::MessageRecorder rec;
};

// What a command prints on standard output.
std::string Output(const std::string& cmd) {
    std::string out;
    char buf[4096];
    FILE* p = popen(cmd.c_str(), "r");
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
    return out;
}

// Pillow's reading of a picture: its RGB bytes, or ("g16") its 16-bit grey values.
std::string Pillow(const std::string& path, const char* what = "rgb") {
    return Output(std::string("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                              "sys.stdout.buffer.write(im.convert('RGB').tobytes() if sys.argv[2] == 'rgb' else "
                              "b''.join(v.to_bytes(2, 'little') for v in im.getdata()))\" '") +
                  path + "' " + what);
}

// Answers the next Save As dialog with `path`, under `filter` when one is given.
void AnswerSaveDialog(const std::string& path, const QString& filter = {}) {
    QTimer::singleShot(0, [=] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        if (!filter.isEmpty()) dlg->selectNameFilter(filter);
        dlg->selectFile(QString::fromStdString(path));
        QMetaObject::invokeMethod(dlg, "accept");
    });
}

}  // namespace

TEST_F(FrameTest, MenuBarHasEveryCommandWithItsTextAndTheStatusLineItsParts) {
    const std::map<int, QString> texts = {
        {100, "&Open"}, {105, "&Close"}, {111, "E&xit"}, {109, "&Copy"}, {101, "C&olor"},
        {114, "set as &Background"}, {115, "set as &Depth view"}, {117, "&Options"}, {116, "&Create it now"},
        {137, "&Main Mandelbrot"}, {119, "&New"}, {138, "&Paletteshow"}, {139, "Zoom&InShow"}, {140, "Zoom&OutShow"},
        {500, "&GL Aux"}, {501, "&GL 1"}, {107, "&Cascade"}, {106, "&Tile"}, {103, "&Arrange Icons"},
        {104, "Cl&ose All"}, {112, "&About"}, {128, "New random &texture"}};
    for (const auto& [id, text] : texts) {
        ASSERT_NE(frame->action(Command(id)), nullptr) << id;
        EXPECT_EQ(frame->action(Command(id))->text(), text) << id;
    }
    QStringList tops;
    for (QAction* a : frame->menuBar()->actions()) tops << a->text();
    EXPECT_EQ(tops, QStringList({"&File", "&Edit", "&Stereo", "&Mandel", "&Open GL", "&Window", "&About"}));
    EXPECT_EQ(frame->action(Command::Cascade)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    EXPECT_EQ(frame->action(Command::Tile)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    EXPECT_EQ(frame->action(Command::ChildPrivate)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    EXPECT_EQ(frame->windowTitle(), "Orvalis");
    EXPECT_EQ(frame->WmCommand(Command::FirstWindowListEntry), 1);  // window-list ids are not the frame's own
    EXPECT_EQ(frame->windowMenu()->title(), "&Window");  // offered on a right click on the empty area
    QTest::mouseClick(FrameMdiArea()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(frame->windowMenu()->isVisible());
    frame->windowMenu()->hide();
    // The status line and the MDI area share one pixel.
    frame->resize(1000, 600);
    QApplication::processEvents();
    QWidget* client = frame->centralWidget();
    QStatusBar* bar = client->findChild<QStatusBar*>("100");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(std::make_tuple(StatusLineHeight(), FrameMdiArea()->y() + FrameMdiArea()->height(), bar->y() + bar->height()),
              std::make_tuple(bar->height() - 1, bar->y() + 1, client->height()));
    SetStatusTextf(1, "Time:%d", 1234);
    EXPECT_TRUE(std::string(StatusText(1)) == "Time:1234" && !StatusRaised(1));
    SetStatusTextf(257, "Time:%d", 1234);  // part 1, raised
    EXPECT_TRUE(std::string(StatusText(1)) == "Time:1234" && StatusRaised(1));
    SetStatusTextf(0, "%s", std::string(400, 'x').c_str());
    EXPECT_EQ(std::string(StatusText(0)).size(), 255u);
}

// Opened, the picture is titled with its path, sized to its picture plus one pixel, painted
// from the scroll position with the workspace colour around it, and copied on request.
TEST_F(FrameTest, BmpOpensTitledSizedPaintedAndCopied) {
    const std::string path = writeBmp("pic.bmp", 100, 80);
    FileOpenMsg(path);
    flush();
    BmpChild* child = activeBmp();
    ASSERT_TRUE(child && child->record() && rec.boxes.empty());
    OPENEDFILE* of = child->record();
    EXPECT_EQ(std::make_tuple(of->Type, of->Xsize, of->Ysize, child->width(), child->height()), std::make_tuple(DocKind::Picture, 100, 80, 101, 81));
    EXPECT_EQ(child->windowTitle().toStdString() + "|" + child->subWindow()->windowTitle().toStdString(), path + "|" + path);
    EXPECT_FALSE(child->horizontalBar()->isVisible() || child->verticalBar()->isVisible());
    // Client 50 x 40 with both bars: range 0..49 horizontally, steps of 5.
    const int ext = child->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    child->resize(50 + ext, 40 + ext);
    QApplication::processEvents();
    EXPECT_EQ(std::make_tuple(of->Xclient, of->Yclient, child->horizontalBar()->isVisible(), child->horizontalBar()->maximum(),
                              child->horizontalBar()->singleStep(), child->verticalBar()->maximum()),
              std::make_tuple(50, 40, true, 49, 5, 80 - 41));
    child->horizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(of->Xscroll, 49);
    QImage shot = child->grab().toImage();
    EXPECT_EQ(shot.pixel(7, 5) & 0xFFFFFF, Gradient(100, 80).at(56, 5));
    child->resize(120 + ext, 90 + ext);
    QApplication::processEvents();
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
TEST_F(FrameTest, FilesThatCannotBeReadWholeGiveTheReadMessagesOfEveryKind) {
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
    for (const Kind& k : kinds)
        for (auto [name, error] : faults) {
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
        FileOpenMsg(tmp / name);
        flush();
        EXPECT_EQ(std::make_tuple(rec.texts(), shown, windowCount()), std::make_tuple(boxes, seen, stays)) << name;
    }
}

TEST_F(FrameTest, StereoMarkingBeepsAndKeepsHandles) {
    FileOpenMsg(writeBmp("texture.bmp", 16, 16));
    flush();
    BmpChild* pic = activeBmp();
    ASSERT_NE(pic, nullptr);
    frame->WmCommand(Command::SetBackground);
    EXPECT_EQ(std::make_tuple(rec.beeps, TheFrame()->stereoMarks().background.hwnd.data(), pic->record()->data<BMP_DATA>()->StereoType),
              std::make_tuple(std::vector<unsigned>{0}, (QWidget*)pic, StereoRole::Background));
    frame->WmCommand(Command::SetDepthView);
    EXPECT_EQ(std::make_tuple(TheFrame()->stereoMarks().depth.hwnd.data(), TheFrame()->stereoMarks().background.hwnd.data(), pic->record()->data<BMP_DATA>()->StereoType),
              std::make_tuple((QWidget*)pic, (QWidget*)pic, StereoRole::Depth));
    // A window that is not a picture: question beep, handle stored all the same.
    OPENEDFILE* other = AddFileStruct(nullptr, "sound");
    other->Type = DocKind::Wave;
    auto* plain = new MdiChild(other);
    AddChildWindow(plain);
    rec.clear();
    frame->WmCommand(Command::SetBackground);
    EXPECT_EQ(std::make_pair(rec.beeps, TheFrame()->stereoMarks().background.hwnd.data()), std::make_pair(std::vector<unsigned>{platform::MB_ICONQUESTION}, (QWidget*)plain));
    plain->subWindow()->close();
    DelFileStruct(plain);
    // Closing the marked picture leaves a handle that reads as gone, not dangling.
    pic->subWindow()->close();
    flush();
    EXPECT_TRUE(TheFrame()->stereoMarks().depth.set && !TheFrame()->stereoMarks().depth.hwnd);
    rec.clear();
    frame->WmCommand(Command::SetDepthView);  // no active child
    EXPECT_EQ(std::make_pair(rec.beeps, TheFrame()->stereoMarks().depth.set), std::make_pair(std::vector<unsigned>{platform::MB_ICONQUESTION}, false));
}

// The frame's placement is saved at exit and restored at start; named and dropped files open in order.
TEST_F(FrameTest, PlacementIsRestoredAtStartAndCommandLineAndDroppedFilesOpenInOrder) {
    frame->move(120, 60);
    frame->resize(500, 300);  // inside the offscreen screen, so the check moves nothing
    QApplication::processEvents();
    frame->WmCommand(Command::Exit);  // Exit: no documents, so the frame goes and saves
    flush();
    SETTINGS stored;
    LoadSettingsInto(stored);
    const RECT32 r = stored.wpMain.NormalWindowPosition;
    EXPECT_EQ(std::make_tuple(r.right - r.left, r.bottom - r.top, stored.MndlW), std::make_tuple(500, 300, 800));  // the rest as it was
    delete frame;
    frame = StartFrame("");
    QApplication::processEvents();
    EXPECT_EQ(std::make_pair(frame->size(), frame->frameGeometry().topLeft()), std::make_pair(QSize(500, 300), QPoint(r.left, r.top)));
    EXPECT_EQ(CommandLineFileName("\"/a b/c.bmp\""), "/a b/c.bmp");
    EXPECT_EQ(CommandLineFileName("\"\"/x.bmp\" tail"), "/x.bmp");
    EXPECT_EQ(CommandLineFileName("\"\"\""), "");
    EXPECT_EQ(CommandLineFileName(std::string(300, 'a')).size(), 255u);
    const std::string path = writeBmp("with space.bmp", 10, 10), second = writeBmp("second.bmp", 6, 4);
    // One quoted name; the desktop's %F (every file a window, the last one active); an empty
    // name; a missing file (its one box).
    const std::string missing = tmp / "missing.bmp";
    for (auto [start, windows, active, boxes] : {std::tuple{0, 1, path, 0}, {1, 2, second, 0}, {2, 0, std::string(), 0},
                                                 {3, 0, std::string(), 1}}) {
        delete frame;
        rec.clear();
        const std::string line = start == 0 ? "\"" + path + "\"" : start == 3 ? "\"" + missing + "\"" : "\"\"";
        frame = start == 1 ? StartFrame(std::vector<std::string>{path, second}) : StartFrame(line);
        flush();
        EXPECT_EQ(std::make_tuple(windowCount(), int(rec.boxes.size())), std::make_tuple(windows, boxes)) << start;
        EXPECT_EQ(activeBmp() ? activeBmp()->windowTitle().toStdString() : "", active);
    }
    rec.clear();
    // Files dropped on the frame open in the order given too.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(ORVALIS_SOURCE_DIR "/tests/data/everyday/rgb.png")});
    const QPoint at = FrameMdiArea()->mapTo(frame, FrameMdiArea()->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
    flush();
    std::vector<std::string> opened;
    for (OPENEDFILE* of = FirstFileStruct(); of; of = of->NextFile) opened.push_back(fs::path(of->Filename).filename());
    EXPECT_EQ(opened, std::vector<std::string>({"second.bmp", "rgb.png"}));
    EXPECT_EQ(GetFileStruct(ActiveChild())->Xsize, 23);  // the last one opened is in front
    EXPECT_TRUE(rec.boxes.empty());
}

// In an 800 x 600 frame a large picture, a stereogram of it and a 2000 x 1500 Mandelbrot
// window each open at a new cascade slot, wholly inside the visible MDI area (close box
// included), with both scroll bars. Cascade then gives every window one size inside the
// area; a window opened while the active one is maximised opens maximised. With
// ORVALIS_SCREENSHOT_DIR set, each new window's frame is saved there.
TEST_F(FrameTest, LargeWindowsOpenInsideTheVisibleAreaWithBothBars) {
    frame->resize(800, 600);
    flush();
    const QRect area = FrameMdiArea()->viewport()->rect();
    const std::string big = writeBmp("big.bmp", 1024, 768);
    QDir::setCurrent(QString(ORVALIS_SOURCE_DIR) + "/mandel");  // its palette file
    Settings.MndlW = 2000, Settings.MndlH = 1500;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"texture", [&] { FileOpenMsg(writeBmp("texture.bmp", 64, 64)), frame->WmCommand(Command::SetBackground); }},
        {"picture", [&] { FileOpenMsg(big), frame->WmCommand(Command::SetDepthView); }},
        {"stereogram", [&] { frame->WmCommand(Command::CreateStereo); }},
        {"mandelbrot", [&] { frame->WmCommand(Command::MandelMain); }},
    };
    std::set<std::pair<int, int>> corners;
    for (const auto& [name, open] : steps) {
        open();
        flush();
        auto* child = qobject_cast<MdiChild*>(ActiveChild());
        ASSERT_NE(child, nullptr) << name;
        const QRect g = child->subWindow()->geometry();
        EXPECT_TRUE(area.contains(g)) << name << ": " << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
        corners.insert({g.x(), g.y()});
        const bool large = std::string(name) != "texture";
        for (const char* bar : {"hscroll", "vscroll"})
            EXPECT_EQ(child->findChild<QScrollBar*>(bar)->isVisible(), large) << name << " " << bar;
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) {
            EXPECT_TRUE(frame->grab().save(QString(out) + "/small-frame-" + name + ".png"));
        }
    }
    EXPECT_EQ(corners.size(), 4u) << "each window at its own slot";
    frame->WmCommand(Command::Cascade);
    const QList<QMdiSubWindow*> subs = FrameMdiArea()->subWindowList();
    for (QMdiSubWindow* sub : subs) {
        EXPECT_EQ(sub->size(), subs[0]->size());
        EXPECT_TRUE(area.contains(sub->geometry()));
    }
    EXPECT_LT(subs[0]->width(), area.width());
    FrameMdiArea()->activeSubWindow()->showMaximized();
    FileOpenMsg(big);
    flush();
    EXPECT_TRUE(FrameMdiArea()->activeSubWindow()->isMaximized());
}

// Ctrl+F6 and Ctrl+Shift+F6 go round the windows. In a picture the arrows, Page Up/Down, Home/End
// and the wheel (Shift or sideways: horizontal) scroll by the bars' steps. Ctrl+F4, Close All and
// Exit ask only for a changed picture, and Cancel keeps it.
TEST_F(FrameTest, MdiKeysPictureScrollKeysAndWheelAndTheCloseQuestions) {
    FileOpenMsg(writeBmp("one.bmp", 20, 20));
    FileOpenMsg(writeBmp("two.bmp", 400, 300));
    flush();
    BmpChild* two = activeBmp();
    ASSERT_NE(two, nullptr);
    QList<QMdiSubWindow*> subs = FrameMdiArea()->subWindowList(QMdiArea::CreationOrder);
    QTest::keyClick(two, Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(FrameMdiArea()->activeSubWindow(), subs[0]);
    QTest::keyClick(FrameMdiArea()->activeSubWindow()->widget(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(FrameMdiArea()->activeSubWindow(), subs[1]);

    const int ext = two->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    SetClientRect(two, 100 + ext, 80 + ext, nullptr);  // client 100 x 80: page 101 and 81
    flush();
    OPENEDFILE* of = two->record();
    ASSERT_EQ(std::make_pair(of->Xclient, of->Yclient), std::make_pair(100, 80));
    const int L = QApplication::wheelScrollLines() * 5;  // one wheel notch
    // A key, or (key 0) a wheel turn by (dx, dy), with Shift or not; then the scroll position.
    const struct { int key, dx, dy; bool shift; int x, y; } steps[] = {
        {Qt::Key_Down, 0, 0, 0, 0, 5},  {Qt::Key_Right, 0, 0, 0, 5, 5}, {Qt::Key_PageDown, 0, 0, 0, 5, 86},
        {Qt::Key_End, 0, 0, 0, 5, 219}, {Qt::Key_Left, 0, 0, 0, 0, 219}, {Qt::Key_Home, 0, 0, 0, 0, 0},
        {0, 0, -120, 0, 0, L},          {0, 0, -120, 1, L, L},          {0, 120, 0, 0, 0, L},
        {Qt::Key_Up, 0, 0, 0, 0, L - 5}, {Qt::Key_PageUp, 0, 0, 0, 0, 0}};
    for (const auto& s : steps) {
        QWheelEvent e({10, 10}, two->mapToGlobal(QPointF(10, 10)), {}, {s.dx, s.dy}, {}, s.shift ? Qt::ShiftModifier : Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        s.key ? QTest::keyClick(two, Qt::Key(s.key)) : void(QApplication::sendEvent(two, &e));
        EXPECT_EQ(std::make_pair(of->Xscroll, of->Yscroll), std::make_pair(s.x, s.y)) << s.key << " " << s.dx << " " << s.dy;
    }
    of->Changed = 1;
    rec.answers = {platform::IDCANCEL, platform::IDCANCEL};
    QTest::keyClick(two, Qt::Key_F4, Qt::ControlModifier);
    flush();
    EXPECT_EQ(windowCount(), 2);
    EXPECT_EQ(frame->CloseAll(), 1);
    flush();
    ASSERT_EQ(std::make_pair(windowCount(), activeBmp()), std::make_pair(1, two));
    ASSERT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(std::make_tuple(rec.boxes[1].text, rec.boxes[1].caption, rec.boxes[1].flags),
              std::make_tuple("OK to close?", "Sure about this?", unsigned(platform::MB_OKCANCEL | platform::MB_ICONQUESTION)));
    for (int answer : {platform::IDCANCEL, platform::IDOK}) {  // Exit waits for the changed picture's consent
        rec.answers = {answer};
        frame->WmCommand(Command::Exit);
        flush();
        EXPECT_EQ(std::make_pair(frame->isVisible(), windowCount()), std::make_pair(answer == platform::IDCANCEL, int(answer == platform::IDCANCEL)));
    }
    EXPECT_EQ(FirstFileStruct(), nullptr);
}

// A failed Save As leaves no file and the window changed under its old name. Every format Save As
// writes reads back in Pillow as the picture (JPEG within a small error); the window then carries
// the name and no unsaved work, and Save writes there without asking.
TEST_F(FrameTest, SaveAsWritesEachFormatAndSoundsAndTheWindowTakesTheNewName) {
    FileOpenMsg(writeBmp("gradient.bmp", 40, 30));
    flush();
    OPENEDFILE* of = activeBmp()->record();
    of->Changed = 1;
    const fs::path locked = tmp.path / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    AnswerSaveDialog((locked / "out.png").string());
    {
        const WithoutFileRights plain;  // root writes anywhere
        frame->WmCommand(Command::SaveAs);
    }
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "Can't save file: " + (locked / "out.png").string() + "\nPermission denied");
    EXPECT_EQ(rec.boxes[0].caption, "Orvalis");
    EXPECT_EQ(of->Changed, 1);
    EXPECT_EQ(of->Filename, tmp / "gradient.bmp");
    EXPECT_TRUE(fs::is_empty(locked));
    fs::permissions(locked, fs::perms::owner_all);
    rec.clear();
    std::string want;
    for (uint32_t p : Gradient(40, 30).px) want += {char(p >> 16), char(p >> 8), char(p)};
    const std::pair<const char*, const char*> cases[] = {
        {"a.png", ""}, {"a.bmp", ""}, {"a.jpg", ""}, {"a.jpeg", ""}, {"a.tif", ""}, {"a.tiff", ""}, {"a.webp", ""},
        {"plain", "TIFF picture (*.tif *.tiff)"}};
    for (const auto& [name, filter] : cases) {
        of->Changed = 1;
        const std::string path = tmp / name, saved = *filter ? path + ".tif" : path;
        AnswerSaveDialog(path, filter);
        frame->WmCommand(Command::SaveAs);
        const std::string got = Pillow(saved);
        ASSERT_EQ(got.size(), want.size()) << name;
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(int(uint8_t(got[i])) - int(uint8_t(want[i]))));
        EXPECT_LE(worst, fs::path(name).extension().string().rfind(".jp", 0) == 0 ? 6 : 0) << name;
        EXPECT_EQ(of->Changed, 0) << name;
        EXPECT_EQ(of->Filename, saved);
        EXPECT_EQ(ActiveChild()->windowTitle().toStdString(), saved);
    }
    fs::remove(tmp / "plain.tif");
    frame->WmCommand(Command::Save);  // its name is a TIFF now: saved there, no dialog
    EXPECT_EQ(Pillow(tmp / "plain.tif"), want);
    EXPECT_TRUE(rec.boxes.empty());

    // 16-bit grey stays 16-bit through a TIFF save.
    FileOpenMsg(ORVALIS_SOURCE_DIR "/tests/data/everyday/grey16.png");
    flush();
    AnswerSaveDialog(tmp / "grey16.tif");
    frame->WmCommand(Command::SaveAs);
    std::ifstream g16(ORVALIS_SOURCE_DIR "/tests/data/everyday/grey16.png.g16", std::ios::binary);
    EXPECT_EQ(Pillow(tmp / "grey16.tif", "g16"), std::string(std::istreambuf_iterator<char>(g16), {}));

    // A saved sound holds the document's format and its samples as they are now (changed here as
    // an outline would change them), as sox reads them.
    const std::string in = tmp / "tone.wav", out = tmp / "saved.wav";
    ASSERT_EQ(std::system(("sox -n -r 11025 -c 2 -b 16 -e signed-integer '" + in + "' synth 0.05 sine 440").c_str()), 0);
    FileOpenMsg(in);
    flush();
    EXPECT_TRUE(frame->action(Command::Save)->isEnabled() && frame->action(Command::SaveAs)->isEnabled());
    auto* wd = GetFileStruct(ActiveChild())->data<WAVE_DATA>();
    ASSERT_NE(wd, nullptr);
    for (uint32_t i = 0; i < 64; ++i) wd->lpData[i] = uint8_t(i * 37);
    const std::string samples(reinterpret_cast<const char*>(wd->lpData.get()), wd->dwDataSize);
    AnswerSaveDialog(out);
    frame->WmCommand(Command::SaveAs);
    EXPECT_EQ(Output("soxi -r '" + out + "'; soxi -c '" + out + "'; soxi -b '" + out + "'"), "11025\n2\n16\n");
    EXPECT_EQ(Output("sox '" + out + "' -t raw -"), samples);
}

// The About box shows its lines as written: none wraps, so no word stands alone on a line.
TEST_F(FrameTest, AboutLinesDoNotWrapAndColorKeepsTheColourButNoCustomColours) {
    { platform::MessageRecorder off; }  // the real box
    int wrapped = -1;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (auto* label = box ? box->findChild<QLabel*>("qt_msgbox_label") : nullptr) {
            wrapped = label->heightForWidth(label->width()) > label->heightForWidth(100000);
            if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) box->grab().save(QString(out) + "/about.png");
        }
        if (box) box->close();
    });
    frame->WmCommand(Command::About);
    EXPECT_EQ(wrapped, 0);
    // Edit, Color keeps the chosen colour; custom colours live for one call, and Qt writes no
    // settings file of its own for them.
    QRgb customAtStart = 0;
    auto pick = [&](QColor c) {
        QTimer::singleShot(0, [&customAtStart, c] {
            auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            if (!dlg) return;
            customAtStart = QColorDialog::customColor(0).rgb();
            QColorDialog::setCustomColor(0, Qt::red);  // as "Add to Custom Colors" does
            dlg->setCurrentColor(c);
            dlg->accept();
        });
        frame->WmCommand(Command::Color);
    };
    pick(QColor(10, 20, 30));
    EXPECT_EQ(frame->chosenColor(), 0x1E140Au);
    pick(QColor(1, 2, 3));
    EXPECT_EQ(std::make_pair(frame->chosenColor(), customAtStart), std::make_pair(0x030201u, qRgb(255, 255, 255)));
    EXPECT_FALSE(QFile::exists(QString(std::getenv("XDG_CONFIG_HOME")) + "/QtProject.conf"));
}
