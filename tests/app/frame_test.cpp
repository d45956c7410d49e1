#include "tests/app/frame_fixture.h"
#include "mandel/MandelChild.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>

TEST_F(FrameTest, MenuBarHasEveryCommandWithItsText) {
    const std::map<int, QString> texts = {
        {100, "&Open"}, {105, "&Close"}, {111, "E&xit"}, {109, "&Copy"}, {101, "C&olor"},
        {114, "set as &Background"}, {115, "set as &Depth view"}, {117, "&Options"}, {116, "&Create it now"},
        {137, "&Main Mandelbrot"}, {119, "&New"}, {138, "&Paletteshow"}, {139, "Zoom&InShow"}, {140, "Zoom&OutShow"},
        {500, "&GL Aux"}, {501, "&GL 1"}, {107, "&Cascade"}, {106, "&Tile"}, {103, "&Arrange Icons"},
        {104, "Cl&ose All"}, {112, "&About"}, {128, "New random &texture"}, {652, "New te&xt depth..."},
        {610, "&Fit to window"}, {611, "&Actual size (100%)"}, {612, "Zoom &in"}, {613, "Zoom &out"},
        {602, "Open from &gallery"}};
    for (const auto& [id, text] : texts) {
        ASSERT_NE(frame->action(Command(id)), nullptr) << id;
        EXPECT_EQ(frame->action(Command(id))->text(), text) << id;
    }
    QStringList tops;
    for (QAction* a : frame->menuBar()->actions()) tops << a->text();
    EXPECT_EQ(tops, QStringList({"&File", "&Edit", "&View", "&Stereo", "&Mandel", "&Open GL", "&Window", "&About", "&Help"}));
    EXPECT_EQ(frame->action(Command::Cascade)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    EXPECT_EQ(frame->action(Command::Tile)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    EXPECT_EQ(frame->action(Command::ChildPrivate)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    EXPECT_EQ(frame->windowTitle(), "Orvalis");
    EXPECT_EQ(frame->WmCommand(Command::FirstWindowListEntry), 1);  // window-list ids are not the frame's own
    EXPECT_EQ(frame->windowMenu()->title(), "&Window");  // offered on a right click on the empty area
    QTest::mouseClick(FrameMdiArea()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_TRUE(frame->windowMenu()->isVisible());
    frame->windowMenu()->hide();
}

// The status line and the MDI area share one pixel.
TEST_F(FrameTest, StatusLinePartsHoldTheirTextUnderTheMdiArea) {
    frame->resize(1000, 600), QApplication::processEvents();
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

// A mark shows in the title, the Stereo menu's check and the status line, and goes with its window.
TEST_F(FrameTest, StereoMarksShowAndGoWithTheirWindow) {
    openFile(writeBmp("texture.bmp", 16, 16));
    BmpChild* pic = activeBmp();
    ASSERT_NE(pic, nullptr);
    const QString title = pic->windowTitle();
    StereoMarks& marks = TheFrame()->stereoMarks();
    const auto seen = [&](MdiChild* w) {  // title, Background and Depth checks, status
        return std::make_tuple(w->subWindow()->windowTitle(), frame->action(Command::SetBackground)->isChecked(),
                               frame->action(Command::SetDepthView)->isChecked(), StatusText(kStatusMarks) + std::string(" ") + StatusText(kStatusMarks + 1));
    };
    frame->WmCommand(Command::SetBackground);
    EXPECT_EQ(std::make_tuple(rec.beeps, marks.background.hwnd.data(), pic->record()->data<BMP_DATA>()->StereoType, seen(pic)),
              std::make_tuple(std::vector<unsigned>{0}, (QWidget*)pic, StereoRole::Background,
                              std::make_tuple(title + " - Background", true, false, std::string("Back: texture.bmp Depth: none"))));
    frame->WmCommand(Command::SetDepthView);
    EXPECT_EQ(std::make_tuple(marks.depth.hwnd.data(), pic->record()->data<BMP_DATA>()->StereoType, seen(pic)),
              std::make_tuple((QWidget*)pic, StereoRole::Depth,
                              std::make_tuple(title + " - Background - Depth", true, true, std::string("Back: texture.bmp Depth: texture.bmp"))));
    // A window that is not a picture: question beep, marked all the same; the picture keeps its depth mark.
    OPENEDFILE* other = AddFileStruct(nullptr, "sound");
    other->Type = DocKind::Wave;
    auto* plain = new MdiChild(other);
    plain->setWindowTitle("sound");
    AddChildWindow(plain);
    rec.clear();
    frame->WmCommand(Command::SetBackground);
    EXPECT_EQ(std::make_tuple(rec.beeps, marks.background.hwnd.data(), pic->windowTitle(), seen(plain)),
              std::make_tuple(std::vector<unsigned>{platform::MB_ICONQUESTION}, (QWidget*)plain, title + " - Depth",
                              std::make_tuple(QString("sound - Background"), true, false, std::string("Back: sound Depth: texture.bmp"))));
    plain->subWindow()->close(), DelFileStruct(plain), flush();
    EXPECT_EQ(std::make_tuple(marks.background.set, seen(pic)),
              std::make_tuple(false, std::make_tuple(title + " - Depth", false, true, std::string("Back: none Depth: texture.bmp"))));
    // After Close All, "Create it now" says nothing is marked, as before any mark.
    frame->WmCommand(Command::SetBackground), rec.clear(), frame->CloseAll(), flush();
    frame->WmCommand(Command::CreateStereo);
    EXPECT_EQ(std::make_tuple(marks.background.set, marks.depth.set, rec.texts(), StatusText(kStatusMarks) + std::string(" ") + StatusText(kStatusMarks + 1)),
              std::make_tuple(false, false, std::vector<std::string>{"No background selected!\nClick on background picture and\nselect in menu: Stereo, set as background "},
                              std::string("Back: none Depth: none")));
    rec.clear();
    frame->WmCommand(Command::SetDepthView);  // no active child
    EXPECT_EQ(std::make_pair(rec.beeps, marks.depth.set), std::make_pair(std::vector<unsigned>{platform::MB_ICONQUESTION}, false));
}

// The frame's placement and stereo options are saved at exit and restored at start.
TEST_F(FrameTest, PlacementAndStereoOptionsSurviveARestart) {
    const StereoOptions options{4, -2000, 90, 500, 1, 1, 0, kDepthClassic, 1000, 640, 480, 1};
    frame->stereoOptions() = options;
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
    EXPECT_EQ(StereoOptionsToBytes(frame->stereoOptions()), StereoOptionsToBytes(options));
}

TEST_F(FrameTest, NamesOnTheCommandLineOpenInOrder) {
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
}

TEST_F(FrameTest, DroppedFilesOpenInOrder) {
    const std::string second = writeBmp("second.bmp", 6, 4);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(ORVALIS_SOURCE_DIR "/tests/data/everyday/rgb.png")});
    const QPoint at = FrameMdiArea()->mapTo(frame, FrameMdiArea()->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop), flush();
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
        {"mandelbrot", [&] { frame->WmCommand(Command::MandelMain); }}};
    std::set<std::pair<int, int>> corners;
    for (const auto& [name, open] : steps) {
        open(), flush();
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
    openFile(big);
    EXPECT_TRUE(FrameMdiArea()->activeSubWindow()->isMaximized());
}

// A small picture and, in front, a 400 x 300 one.
struct TwoPictures : FrameTest {
    void SetUp() override {
        FrameTest::SetUp();
        FileOpenMsg(writeBmp("one.bmp", 20, 20));
        openFile(writeBmp("two.bmp", 400, 300));
        two = activeBmp();
        ASSERT_NE(two, nullptr);
    }
    BmpChild* two = nullptr;
};

// The window keys as real key presses: round the windows, Close (Ctrl+W, Ctrl+F4, normal and maximised,
// through the close question), Open, Exit, Help (F1); each shown on its menu item.
TEST_F(TwoPictures, WindowKeysWork) {
    QList<QMdiSubWindow*> subs = FrameMdiArea()->subWindowList(QMdiArea::CreationOrder);
    const auto active = [] { return FrameMdiArea()->activeSubWindow(); };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> round[] = {{Qt::Key_F6, Qt::ControlModifier},
        {Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_Tab, Qt::ControlModifier},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}};  // X sends Shift+Tab as Backtab
    for (size_t i = 0; i < std::size(round); ++i) {
        QTest::keyClick(active()->widget(), round[i].first, round[i].second);
        EXPECT_EQ(active(), subs[i % 2 ? 1 : 0]) << i;
    }
    frame->WmCommand(Command::SetDepthView), frame->WmCommand(Command::Tile);  // a marked pair to look at
    FrameMdiArea()->setActiveSubWindow(subs[0]), frame->WmCommand(Command::SetBackground), flush();
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) frame->grab().save(QString(out) + "/marked-pair.png");
    for (bool maximised : {false, true}) {
        for (const char* key : {"Ctrl+W", "Ctrl+F4"}) {  // Cancel keeps the changed picture, OK closes it
            maximised ? active()->showMaximized() : active()->showNormal();
            flush();
            static_cast<MdiChild*>(active()->widget())->record()->Changed = 1;
            rec.clear(), rec.answers = {platform::IDCANCEL};
            QTest::keyClick(active()->widget(), QKeySequence(key)[0].key(), QKeySequence(key)[0].keyboardModifiers()), flush();
            EXPECT_EQ(std::make_pair(rec.boxes.size(), windowCount()), std::make_pair(size_t(1), 2)) << key << maximised;
            rec.answers = {platform::IDNO};
            QTest::keyClick(active()->widget(), QKeySequence(key)[0].key(), QKeySequence(key)[0].keyboardModifiers()), flush();
            EXPECT_EQ(windowCount(), 1) << key << maximised;
            AnswerSaveDialog(writeBmp("again.bmp", 30, 30));  // Ctrl+O
            QTest::keyClick(frame, Qt::Key_O, Qt::ControlModifier), flush();
            frame->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(frame));  // as the window manager does after a dialog
            ASSERT_EQ(windowCount(), 2) << key << maximised;
        }
    }
    EXPECT_EQ(std::make_tuple(frame->action(Command::Open)->shortcut(), frame->action(Command::Close)->shortcuts(),
                              frame->action(Command::Exit)->shortcut(), frame->action(Command::HelpKeys)->shortcut()),
              std::make_tuple(QKeySequence("Ctrl+O"), QList<QKeySequence>{QKeySequence("Ctrl+W"), QKeySequence("Ctrl+F4")},
                              QKeySequence("Ctrl+Q"), QKeySequence("F1")));
    rec.answers = {platform::IDOK, platform::IDOK}, QTest::keyClick(frame, Qt::Key_Q, Qt::ControlModifier), flush();
    EXPECT_EQ(std::make_pair(frame->isVisible(), windowCount()), std::make_pair(false, 0));
}

// The arrows, Page Up/Down, Home/End and the wheel (Shift or sideways: horizontal).
TEST_F(TwoPictures, ScrollKeysAndWheelMoveThePictureByTheBarsSteps) {
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
}

// A new stereogram asks Save / Discard / Cancel on Ctrl+F4, Close All and Exit; Save goes through Save
// As (cancelled there, the window stays); Close All stops at the first Cancel; unchanged pictures
// close without a question.
TEST_F(FrameTest, ANewStereogramAsksSaveDiscardOrCancel) {
    openFile(ORVALIS_SOURCE_DIR "/samples/texture.bmp"), frame->WmCommand(Command::SetBackground);
    openFile(ORVALIS_SOURCE_DIR "/samples/depth.bmp"), frame->WmCommand(Command::SetDepthView);
    frame->WmCommand(Command::CreateStereo), frame->WmCommand(Command::CreateStereo), flush();
    openFile(writeBmp("after.bmp", 8, 8));
    QList<QMdiSubWindow*> subs = FrameMdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 5);  // rows of 640 RGB bytes need no padding
    const QImage rgb = static_cast<MdiChild*>(subs[3]->widget())->record()->hBmpSaved.convertToFormat(QImage::Format_RGB888);
    const std::string saved = tmp / "stereo.png", want(reinterpret_cast<const char*>(rgb.constBits()), rgb.sizeInBytes());
    // What closes (0: Ctrl+F4 on the first stereogram), the answer, the Save As dialog's (none,
    // cancelled, a name), then the windows left.
    const struct { Command how; int answer, dialog, windows; } steps[] = {
        {Command(0), platform::IDCANCEL, 0, 5}, {Command(0), platform::IDYES, 1, 5}, {Command(0), platform::IDNO, 0, 4},
        {Command::CloseAll, platform::IDCANCEL, 0, 2}, {Command::Exit, platform::IDYES, 2, 0}};
    for (const auto& s : steps) {
        rec.clear(), rec.answers = {s.answer}, FrameMdiArea()->setActiveSubWindow(subs[2]);
        const std::string title = subs[2]->widget()->windowTitle().toStdString();  // "File:NEWSTEREO  640X498X32"
        if (s.dialog == 2) AnswerSaveDialog(saved);
        if (s.dialog == 1) QTimer::singleShot(0, [] { QMetaObject::invokeMethod(QApplication::activeModalWidget(), "reject"); });
        s.how == Command(0) ? QTest::keyClick(subs[2]->widget(), Qt::Key_F4, Qt::ControlModifier) : void(frame->WmCommand(s.how));
        flush(), frame->activateWindow();
        EXPECT_TRUE(s.windows == 0 || QTest::qWaitForWindowActive(frame));  // as the window manager does after a dialog
        ASSERT_EQ(std::make_pair(rec.boxes.size(), windowCount()), std::make_pair(size_t(1), s.windows)) << int(s.how) << s.answer;
        EXPECT_EQ(std::make_tuple(rec.boxes[0].text, rec.boxes[0].caption, rec.boxes[0].flags),
                  std::make_tuple("\"" + title + "\" holds unsaved work.\nSave it before closing?", "Sure about this?",
                                  unsigned(platform::MB_SAVEDISCARDCANCEL | platform::MB_ICONQUESTION)));
        if (s.windows == 4) subs.removeAt(2);
    }
    EXPECT_EQ(std::make_pair(frame->isVisible(), Pillow(saved) == want), std::make_pair(false, true));
}

// The About box shows its lines as written: none wraps, so no word stands alone on a line.
TEST_F(FrameTest, AboutLinesDoNotWrap) {
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
}

TEST_F(FrameTest, ColorKeepsTheChosenColourButNoCustomColours) {
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

// File, Open from gallery: the dialog lists the gallery's depth maps; the chosen one opens with its texture, the two
// marked as depth and background, its sidecar's options become the stereogram's, and Create makes it at once.
TEST_F(FrameTest, OpenFromGalleryOpensAndMarksADepthMapAndItsTexture) {
    int listed = 0;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        auto* list = dlg ? dlg->findChild<QListWidget*>("galleryList") : nullptr;
        if (!list) return;
        listed = list->count();
        list->setCurrentItem(list->findItems("Torus", Qt::MatchExactly).value(0));
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) dlg->grab().save(QString(out) + "/gallery.png");
        QMetaObject::invokeMethod(dlg, "accept");
    });
    frame->WmCommand(Command::OpenGallery), flush();
    EXPECT_EQ(std::make_pair(listed, windowCount()), std::make_pair(8, 2));
    const StereoMarks& m = frame->stereoMarks();
    ASSERT_TRUE(m.depth.hwnd && m.background.hwnd);
    EXPECT_EQ(fs::path(GetFileStruct(m.depth.hwnd)->Filename).filename(), "torus.png");
    EXPECT_EQ(fs::path(GetFileStruct(m.background.hwnd)->Filename).filename(), "photo-noise.png");
    EXPECT_TRUE(m.depth.hwnd->windowTitle().endsWith(" - Depth") && m.background.hwnd->windowTitle().endsWith(" - Background"));
    EXPECT_EQ(std::make_pair(frame->stereoOptions().relief, frame->stereoOptions().DepthMode), std::make_pair(200, int(kDepthGrey)));
    frame->WmCommand(Command::CreateStereo), flush();
    EXPECT_EQ(windowCount(), 3);
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) frame->grab().save(QString(out) + "/gallery-made.png");
}

// F1 (Help, Keys) opens the page of the active window's kind; each page names its keys; Help also
// explains stereograms with a practice picture whose background repeats at the dots' distance.
TEST_F(FrameTest, HelpShowsEachWindowKindsKeysAndAPracticeStereogram) {
    EXPECT_EQ(frame->action(Command::HelpKeys)->text() + frame->action(Command::HelpStereogram)->text(), "&KeysHow to see a &stereogram");
    QTabWidget* tabs = nullptr;
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame));  // shortcuts need an active window
    const auto page = [&] {
        auto* b = qobject_cast<QTextBrowser*>(tabs->currentWidget());
        return b ? b : tabs->currentWidget()->findChild<QTextBrowser*>();
    };
    const struct { std::function<void()> open; const char* tab; std::vector<QString> keys; } pages[] = {
        {[] {}, "keysWindows", {"Ctrl+O", "Ctrl+F4", "Ctrl+Q", "Ctrl+Shift+Tab", "Ctrl+F6", "F1"}},
        {[this] { openFile(writeBmp("p.bmp", 20, 20)); }, "keysWindows", {"Ctrl+W"}},
        {[] { openFile(ORVALIS_SOURCE_DIR "/tests/data/wav/stereo16.wav"); }, "keysWave", {"Enter", "Space", "m", "Clear the outline"}},
        {[] { std::snprintf(Settings.Palettefile, sizeof Settings.Palettefile, "%s", ORVALIS_SOURCE_DIR "/mandel/palette.pal"), Mandel_New(1), flush(); }, "keysMandel", {"+", "Zoom out by 1.5", "h or H", "Drag", "Wheel"}},
        {[&] { tabs->setCurrentIndex(3); }, "keysOpenGL", {"Left, Right", "Up, Down", "dragging the mouse", "Wheel"}}};
    for (const auto& p : pages) {
        p.open();
        if (std::string(p.tab) != "keysOpenGL") QTest::keyClick(frame, Qt::Key_F1), tabs = frame->findChild<QTabWidget*>("helpTabs");
        ASSERT_NE(tabs, nullptr);
        EXPECT_EQ(tabs->currentWidget()->objectName(), p.tab);
        for (const QString& key : p.keys) EXPECT_TRUE(page()->toPlainText().contains(key)) << p.tab << " " << key.toStdString();
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) tabs->window()->grab().save(QString(out) + "/help-" + p.tab + ".png");
    }
    frame->WmCommand(Command::HelpStereogram);
    EXPECT_EQ(std::make_pair(tabs->currentWidget()->objectName(), frame->findChildren<QTabWidget*>().size()), std::make_pair(QString("seeing"), qsizetype(1)));
    for (const char* words : {"Parallel viewing", "Cross viewing", "three dots"}) EXPECT_TRUE(page()->toPlainText().contains(words)) << words;
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) tabs->window()->grab().save(QString(out) + "/help-seeing.png");
    const QImage pic = tabs->findChild<QLabel*>("practicePicture")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegularExpressionMatch said = QRegularExpression("(\\d+) pixels apart.* every (\\d+) pixels").match(tabs->findChild<QLabel*>("practiceCaption")->text());
    ASSERT_TRUE(said.hasMatch() && pic.width() == 400);
    // The band: the rows before the first one that is no more than a tenth black; the dots' centres on its blackest row.
    const auto black = [&](int x, int y) { return (pic.pixel(x, y) & 0xFFFFFF) == 0; };
    const auto blacks = [&](int y) { int n = 0; for (int x = 0; x < 400; ++x) n += black(x, y); return n; };
    int band = 0, mid = 0;
    for (; band < pic.height() && blacks(band) < 40; ++band) if (blacks(band) > blacks(mid)) mid = band;
    std::vector<int> edges;
    for (int x = 1; x < 400; ++x) if (black(x, mid) != black(x - 1, mid)) edges.push_back(x);
    ASSERT_EQ(edges.size(), 4u);
    const int d = (edges[2] + edges[3]) / 2 - (edges[0] + edges[1]) / 2, near = said.captured(2).toInt();
    EXPECT_EQ(d, said.captured(1).toInt());
    // Rows above the disc repeat at d all along; the disc's middle row repeats at the nearer separation in its middle.
    const auto repeats = [&](int y, int x0, int x1, int period) {
        for (int x = x0; x < x1; ++x) if (pic.pixel(x, y) != pic.pixel(x + period, y)) return false;
        return true;
    };
    for (int y = band; y < band + 20; ++y) EXPECT_TRUE(repeats(y, 0, 400 - d, d)) << y;
    const int centre = band + (pic.height() - band) / 2;
    EXPECT_TRUE(repeats(centre, 170, 230, near) && !repeats(centre, 170, 230, d) && near < d - 5);
    // Next goes through the practice pictures made from the gallery, each 400 wide and new, to the last; Back returns.
    auto* next = tabs->findChild<QPushButton*>("practiceNext");
    auto* back = tabs->findChild<QPushButton*>("practiceBack");
    std::vector<QImage> seen{pic};
    for (int i = 0; next->isEnabled() && i < 10; ++i) next->click();
    for (QLabel* shown = tabs->findChild<QLabel*>("practicePicture"); back->isEnabled(); back->click()) {
        const QImage img = shown->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(img.width() == 400 && std::find(seen.begin(), seen.end(), img) == seen.end());
        seen.push_back(img);
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) tabs->window()->grab().save(QString(out) + QString("/practice-%1.png").arg(6 - int(seen.size())));
        EXPECT_TRUE(tabs->findChild<QLabel*>("practiceCaption")->text().startsWith(QString("Practice picture %1 of 4").arg(5 - seen.size() + 1)));
    }
    EXPECT_EQ(seen.size(), 4u);
}

// The short menu names get status tips that say what the items do, shown while hovered.
TEST_F(FrameTest, CrypticItemsTellWhatTheyDoInTheStatusLine) {
    const std::pair<Command, const char*> items[] = {{Command::GL1, "fog"}, {Command::PaletteShow, "colours"},
        {Command::ZoomInShow, "in"}, {Command::ZoomOutShow, "out"}, {Command::Color, "colour"}};
    auto* bar = frame->centralWidget()->findChild<QStatusBar*>("100");
    for (const auto& [id, word] : items) {
        QAction* a = frame->action(id);
        auto* menu = qobject_cast<QMenu*>(a->associatedObjects().value(0));
        ASSERT_NE(menu, nullptr);
        frame->menuBar()->setActiveAction(menu->menuAction()), menu->setActiveAction(a);  // as the mouse opens and hovers
        EXPECT_TRUE(a->statusTip().contains(word) && bar->currentMessage() == a->statusTip()) << a->text().toStdString();
        menu->hide();
        EXPECT_EQ(bar->currentMessage(), "");
    }
}

// Zoom by keys, the View menu and Ctrl+wheel: 100% shows the picture's own pixels, 200% each one
// as a 2 x 2 block; an ordinary picture is smoothed, a stereogram never (each pixel shown is one of
// the picture's pixels under it); the zoom shows after the title, marks kept.
TEST_F(TwoPictures, ZoomShowsThePictureAtEachStepAndAStereogramUnsmoothed) {
    const std::string path = two->record()->Filename;
    const Image32 pic = Gradient(400, 300);
    const OPENEDFILE* of = two->record();
    SetClientRect(two, 200, 150, nullptr), flush();
    const auto ctrl = [this](Qt::Key k) { QTest::keyClick(two, k, Qt::ControlModifier), flush(); };
    QWheelEvent up({0, 0}, two->mapToGlobal(QPointF(0, 0)), {}, {0, 120}, {}, Qt::ControlModifier, Qt::NoScrollPhase, false);
    const auto wheel = [&](int) { QApplication::sendEvent(two, &up), flush(); };
    const struct { std::function<void()> act; double zoom; const char* note; } steps[] = {
        {[&] { ctrl(Qt::Key_Minus); }, 0.5, " - Zoom 50%"}, {[&] { ctrl(Qt::Key_Minus); }, 0.25, " - Zoom 25%"},
        {[&] { ctrl(Qt::Key_Plus); }, 0.5, " - Zoom 50%"},  {[&] { ctrl(Qt::Key_0); }, 0.5, " - Zoom 50%"},  // 200 x 150 holds 400 x 300 at half
        {[&] { wheel(120); }, 1, ""},                       {[&] { wheel(120); }, 2, " - Zoom 200%"},
        {[&] { frame->WmCommand(Command::ZoomActual); }, 1, ""}, {[&] { frame->WmCommand(Command::ZoomIn); }, 2, " - Zoom 200%"}};
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(std::make_tuple(two->zoom(), two->subWindow()->windowTitle().toStdString(), two->windowTitle().toStdString()),
                  std::make_tuple(s.zoom, path + s.note, path)) << s.note;
        const QImage shot = two->grab().toImage();
        for (int y = 0; y < of->Yclient; y += 7)
            for (int x = 0; x < of->Xclient; x += 7)
                ASSERT_TRUE(s.zoom != 1 || (shot.pixel(x, y) & 0xFFFFFF) == pic.at(x + of->Xscroll, y + of->Yscroll)) << x << "," << y;
    }
    frame->WmCommand(Command::SetBackground);
    EXPECT_EQ(two->subWindow()->windowTitle().toStdString(), path + " - Background - Zoom 200%");
    for (bool stereogram : {false, true})
        for (double z : {0.5, 2.0}) {
            two->record()->data<BMP_DATA>()->stereogram = stereogram, two->setZoom(z, {0, 0}), flush();
            const QImage shot = two->grab().toImage();
            int mixed = 0;  // pixels that are none of the picture's pixels under them
            for (int y = 0, sx, sy; y < 140; ++y)
                for (int x = 0; x < 180 && ((sx = int(x / z)), (sy = int(y / z)), true); ++x)
                    mixed += std::set<uint32_t>{pic.at(sx, sy), pic.at(sx + 1, sy), pic.at(sx, sy + 1), pic.at(sx + 1, sy + 1)}.count(shot.pixel(x, y) & 0xFFFFFF) == 0;
            EXPECT_EQ(mixed > 1000, !stereogram) << mixed << " " << z;
            EXPECT_EQ(two->subWindow()->windowTitle().endsWith("% (view at 100% to see the depth)"), stereogram);
        }
}

// File > Open Recent holds the last eight files opened, most recent first, across a restart; a
// missing one is taken off with a message, a bad stored value gives none. The Open dialog lists
// every picture first and opens in the folder last used, after a restart too. The same file
// again brings its window forward, unless that window holds unsaved work.
TEST_F(FrameTest, RecentFilesLastFolderAndTheSameFileOpenedTwice) {
    fs::create_directory(tmp / "sub");
    std::vector<std::string> p;
    for (int i = 0; i < 10; ++i) p.push_back(writeBmp("sub/p" + std::to_string(i) + ".bmp", 4, 4));
    const auto dialog = [](std::function<void(QFileDialog*)> act) { QTimer::singleShot(0, [=] { act(qobject_cast<QFileDialog*>(QApplication::activeModalWidget())); }); };
    QStringList filters, want;
    dialog([&](QFileDialog* d) { filters = d->nameFilters(), d->selectFile(QString::fromStdString(p[0])), QMetaObject::invokeMethod(d, "accept"); });
    frame->WmCommand(Command::Open), flush();
    EXPECT_EQ(filters.mid(0, 2), QStringList({"All pictures (*.bmp *.gif *.jpg *.jpeg *.jpe *.png *.tif *.tiff *.webp *.pbm *.pgm *.ppm *.pnm *.tga)",
                                            "Pictures (*.jpg *.gif *.bmp)"}));
    for (int i = 1; i < 10; ++i) openFile(p[i]);
    QMdiSubWindow* five = FrameMdiArea()->subWindowList(QMdiArea::CreationOrder)[5];
    openFile(p[5]);  // the open window comes forward
    EXPECT_EQ(std::make_pair(windowCount(), FrameMdiArea()->activeSubWindow()), std::make_pair(10, five));
    static_cast<MdiChild*>(five->widget())->record()->Changed = 1, openFile(p[5]);
    EXPECT_EQ(std::make_pair(windowCount(), FrameMdiArea()->activeSubWindow() != five), std::make_pair(11, true));
    frame->CloseAll(), flush(), delete frame, fs::remove(p[9]);
    frame = StartFrame(""), QApplication::processEvents();
    const auto menu = [this] {
        emit frame->recentMenu()->aboutToShow();
        QStringList texts;
        for (QAction* a : frame->recentMenu()->actions()) texts << a->text();
        return texts;
    };
    for (int i : {5, 9, 8, 7, 6, 4, 3, 2}) want << QString("&%1 %2").arg(want.size() + 1).arg(QString::fromStdString(p[i]));
    EXPECT_EQ(menu(), want);
    rec.clear(), frame->recentMenu()->actions()[1]->trigger();
    EXPECT_EQ(rec.texts(), std::vector<std::string>{"The file no longer exists:\n" + p[9] + "\nIt is taken off the recent files."});
    for (int i = 2; i < 8; ++i) want[i].replace(1, 1, QString::number(i));
    EXPECT_EQ(menu(), want.mid(0, 1) + want.mid(2));
    QString folder;
    dialog([&](QFileDialog* d) { folder = d->directory().absolutePath(), QMetaObject::invokeMethod(d, "reject"); });
    EXPECT_EQ((frame->WmCommand(Command::Open), folder.toStdString()), tmp / "sub");
    for (const std::string& bad : {std::string("relative/name\n"), std::string("/a\xff\n"), std::string("/a\0b\n", 5)}) {
        std::ofstream(keystore::KeyFolder(SettingsKeyPath()) + "/RecentFiles", std::ios::binary) << bad;
        EXPECT_EQ(menu(), QStringList{"(none)"}) << bad;
    }
}
