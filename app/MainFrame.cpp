#include "app/MainFrame.h"

#include "app/app_icon.h"
#include "app/file_open.h"
#include "app/file_save.h"
#include "app/gallery_dialog.h"
#include "app/help_pages.h"
#include "app/recent_files.h"
#include "app/registry.h"
#include "gl/OpenGLChild.h"
#include "images/BmpChild.h"
#include "mandel/MandelChild.h"
#include "platform/message_box.h"
#include "stereo/AnimationChild.h"
#include "stereo/AnimationDialog.h"
#include "stereo/CreateStereo.h"
#include "stereo/RandomTextureDialog.h"
#include "stereo/TextDepthDialog.h"
#include "stereo/StereoOptionsDialog.h"
#include "stereo/StereoReadBack.h"
#include "stereo/gallery.h"
#include "workspace/mdi_child.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QScreen>
#include <QSettings>
#include <QStatusTipEvent>
#include <QUrl>

namespace {

// Lines short enough that the box never wraps them.
const char* const szAbout =
    "Orvalis 1.00\n\n"
    "Single-image random-texture stereograms\n"
    "from a texture and a depth picture,\n"
    "with BMP, GIF and JPEG pictures, WAV sounds,\n"
    "a Mandelbrot explorer and OpenGL views\n"
    "of DXF drawings.\n\n"
    "Vennlore";

// The frame's client area: the MDI area above the status line, which it overlaps by a pixel.
class FrameClient : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void resizeEvent(QResizeEvent*) override {
        SetStatusWidths(0, height(), width());
        if (QMdiArea* area = FrameMdiArea()) SetClientRect(area, width(), height() - StatusLineHeight(), nullptr);
    }
};

}  // namespace

MainFrame::MainFrame() {
    setObjectName("Orvalis");
    setWindowTitle(szMBTitle);
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    SetFrame(this);
    auto* client = new FrameClient(this);
    setCentralWidget(client);
    buildMenus();
    CreateStatusLine(this);
    area_ = new QMdiArea(client);
    area_->setObjectName("MDICLIENT");
    area_->move(0, 0);
    area_->lower();
    area_->viewport()->installEventFilter(this);
    connect(area_, &QMdiArea::subWindowActivated, this, [this] { updateMenus(); });
    updateMenus();
}

MainFrame::~MainFrame() {
    // The children are destroyed after this body; their activation signals must not reach
    // a frame that is half gone.
    for (auto* area : findChildren<QMdiArea*>()) area->disconnect(this);
    if (TheFrame() == this) SetFrame(nullptr);
}

void MainFrame::setStatusText(int popidx, const char* text) { SetStatusTextf(popidx, "%s", text); }

bool MainFrame::saveAs(QWidget* child) { return SaveDocument(this, qobject_cast<MdiChild*>(child), true); }

QAction* MainFrame::addCommand(QMenu* menu, const QString& text, Command id, const QKeySequence& key) {
    return bindCommand(menu->addAction(text), id, key);
}

QAction* MainFrame::bindCommand(QAction* a, Command id, const QKeySequence& key) {
    a->setObjectName(QString("cmd%1").arg(int(id)));
    a->setData(int(id));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(a, &QAction::triggered, this, [this, id] { WmCommand(id); });
    actions[id] = a;
    return a;
}

QAction* MainFrame::action(Command id) const {
    auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

void MainFrame::buildMenus() {
    // Each menu's items in order; an item without text is a separator.
    struct Item {
        const char* text;
        Command id;
        QKeySequence key;
    };
    const Item sep{nullptr, Command::Open, {}};
    const auto menu = [this](const char* title, std::initializer_list<Item> items) {
        QMenu* m = menuBar()->addMenu(title);
        for (const Item& item : items)
            if (item.text)
                addCommand(m, item.text, item.id, item.key);
            else
                m->addSeparator();
        return m;
    };
    QMenu* file = menu("&File", {{"&Open", Command::Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
                                 {"Open from &gallery", Command::OpenGallery, {}},
                                 {"&Save", Command::Save, QKeySequence(Qt::CTRL | Qt::Key_S)},
                                 {"Save &As...", Command::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                                 {"&Close", Command::Close, QKeySequence(Qt::CTRL | Qt::Key_W)}, sep,
                                 {"E&xit", Command::Exit, QKeySequence(Qt::CTRL | Qt::Key_Q)}});
    // Ctrl+F4 closes too, as on the system menu of a window.
    action(Command::Close)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)});
    connect(file, &QMenu::aboutToShow, this, &MainFrame::updateMenus);
    recentMenu_ = new QMenu("Open &Recent", file);
    file->insertMenu(action(Command::Save), recentMenu_);
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainFrame::fillRecentMenu);
    menu("&Edit", {{"&Copy", Command::Copy, {}}, {"C&olor", Command::Color, {}}});
    menu("&View", {{"&Fit to window", Command::ZoomFit, QKeySequence(Qt::CTRL | Qt::Key_0)},
                   {"&Actual size (100%)", Command::ZoomActual, QKeySequence(Qt::CTRL | Qt::Key_1)},
                   {"Zoom &in", Command::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
                   {"Zoom &out", Command::ZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)}});
    // Ctrl+= too: the plus sign needs Shift on most keyboards.
    action(Command::ZoomIn)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    stereoMenu_ = menu("&Stereo", {{"set as &Background", Command::SetBackground, {}},
                                   {"set as &Depth view", Command::SetDepthView, {}},
                                   {"&Options", Command::StereoOptions, {}},
                                   {"&Create it now", Command::CreateStereo, {}}, sep,
                                   {"New random &texture", Command::RandomTexture, {}},
                                   {"New te&xt depth...", Command::TextDepth, {}},
                                   {"Create &animated stereogram...", Command::CreateAnimation, {}}, sep,
                                   {"Reveal &depth", Command::RevealDepth, {}},
                                   {"Make stereo &pair...", Command::MakeStereoPair, {}}});
    QMenu* mandel = menu("&Mandel", {{"&Main Mandelbrot", Command::MandelMain, {}}, {"&New", Command::MandelNew, {}}, sep,
                                     {"&Paletteshow", Command::PaletteShow, {}}, {"Zoom&InShow", Command::ZoomInShow, {}},
                                     {"Zoom&OutShow", Command::ZoomOutShow, {}}});
    connect(mandel, &QMenu::aboutToShow, this, &MainFrame::updateMenus);
    menu("&Open GL", {{"&GL Aux", Command::GLAux, {}}, {"&GL 1", Command::GL1, {}}});
    windowMenu_ = menu("&Window", {{"&Cascade", Command::Cascade, QKeySequence(Qt::SHIFT | Qt::Key_F5)},
                                   {"&Tile", Command::Tile, QKeySequence(Qt::SHIFT | Qt::Key_F4)},
                                   {"&Arrange Icons", Command::ArrangeIcons, {}}, {"Cl&ose All", Command::CloseAll, {}}});
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainFrame::fillWindowList);

    bindCommand(menuBar()->addAction("&About"), Command::About);
    menu("&Help", {{"&Keys", Command::HelpKeys, QKeySequence(Qt::Key_F1)},
                   {"How to see a &stereogram", Command::HelpStereogram, {}}});
    // The items whose short names say little tell in the status line what they do.
    const std::pair<Command, const char*> tips[] = {
        {Command::Color, "Choose a colour; it is kept while the program runs, nothing draws with it yet"},
        {Command::PaletteShow, "Turn the colours of the active Mandelbrot picture round, a step every 0.1 s; again to stop"},
        {Command::ZoomInShow, "Zoom the active Mandelbrot view in (x 0.8) after each finished picture, on and on; again to stop"},
        {Command::ZoomOutShow, "Zoom the active Mandelbrot view out (x 1.2) after each finished picture, on and on; again to stop"},
        {Command::GLAux, "A new OpenGL window with a globe, a cone and a cylinder"},
        {Command::GL1, "A new OpenGL window with fog set up on an empty scene: it stays black"},
        {Command::HelpKeys, "The keys and mouse actions of each kind of window"},
        {Command::OpenGallery, "A depth map of the gallery with its texture, both marked, and its stereogram options"},
        {Command::HelpStereogram, "Parallel and cross viewing, with a picture to practise on"},
        {Command::CreateAnimation, "An animated stereogram of a depth sequence, an animation, a video or a turning model"}};
    for (const auto& [id, tip] : tips) action(id)->setStatusTip(tip);

    // Shift+F3 has no menu item.
    auto* privateCmd = new QAction(this);
    bindCommand(privateCmd, Command::ChildPrivate, QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addAction(privateCmd);

    // The MDI system keys QMdiArea does not give here, and the tab keys people expect.
    const std::pair<QList<QKeySequence>, void (QMdiArea::*)()> mdiKeys[] = {
        {{QKeySequence(Qt::CTRL | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_Tab)}, &QMdiArea::activateNextSubWindow},
        {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
         &QMdiArea::activatePreviousSubWindow},
    };
    for (const auto& [keys, act] : mdiKeys) {
        auto* a = new QAction(this);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this, act = act] { (area_->*act)(); });
        addAction(a);
    }
}

void MainFrame::updateMenus() {
    auto* child = qobject_cast<MdiChild*>(ActiveChild());
    const bool canSave = child && !child->saveFilters().isEmpty();
    for (Command id : {Command::Save, Command::SaveAs}) action(id)->setEnabled(canSave);
    for (Command id : {Command::ZoomFit, Command::ZoomActual, Command::ZoomIn, Command::ZoomOut})
        action(id)->setEnabled(qobject_cast<BmpChild*>(child) != nullptr);
    for (Command id : {Command::PaletteShow, Command::ZoomInShow, Command::ZoomOutShow}) {
        QAction* a = action(id);
        const int check = child ? child->menuCheck(id) : -1;
        a->setCheckable(check >= 0);
        a->setChecked(check == 1);
    }
    QWidget* active = ActiveChild();
    for (auto [id, role] : {std::pair{Command::SetBackground, StereoRole::Background}, std::pair{Command::SetDepthView, StereoRole::Depth}}) {
        action(id)->setCheckable(true);
        action(id)->setChecked(active && marks_.of(role).hwnd == active);
    }
}

void MainFrame::fillRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string> files = RecentFiles();
    if (files.empty()) recentMenu_->addAction("(none)")->setEnabled(false);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string path = files[i];
        QAction* a = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(path)));
        connect(a, &QAction::triggered, this, [path] {
            if (!QFileInfo::exists(QString::fromStdString(path))) {
                ForgetRecentFile(path);
                platform::MessageBox(FrameWindow(), "The file no longer exists:\n" + path + "\nIt is taken off the recent files.",
                                     szMBTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
                return;
            }
            FileOpenMsg(path);
        });
    }
}

void MainFrame::fillWindowList() {
    for (QAction* a : windowMenu_->actions())
        if (a->property("windowList").toBool()) {
            windowMenu_->removeAction(a);
            a->deleteLater();
        }
    const QList<QMdiSubWindow*> subs = area_->subWindowList();
    if (subs.isEmpty()) return;
    QAction* sep = windowMenu_->addSeparator();
    sep->setProperty("windowList", true);
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        ++n;
        const QString text = n < 10 ? QString("&%1 %2").arg(n).arg(sub->windowTitle()) : QString("%1 %2").arg(n).arg(sub->windowTitle());
        QAction* a = windowMenu_->addAction(text);
        a->setProperty("windowList", true);
        a->setObjectName(QString("cmd%1").arg(int(Command::FirstWindowListEntry) + n - 1));
        a->setCheckable(true);
        a->setChecked(sub == area_->activeSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) area_->setActiveSubWindow(target);
        });
    }
}

bool MainFrame::eventFilter(QObject* obj, QEvent* e) {
    if (area_ && obj == area_->viewport() && e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::RightButton) {
            windowMenu_->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

void MainFrame::openFromGallery() {
    const std::filesystem::path dir = FindGallery();
    std::vector<std::string> problems;
    const std::vector<GalleryEntry> entries = dir.empty() ? std::vector<GalleryEntry>{} : ReadGallery(dir, &problems);
    if (entries.empty()) {
        std::string where;
        for (const std::filesystem::path& d : GallerySearchDirs()) where += "\n" + d.string();
        platform::MessageBox(this, "No gallery found. It is looked for in:" + where, szMBTitle, platform::MB_OK);
        return;
    }
    const int chosen = ChooseGalleryEntry(this, entries, problems);
    if (chosen >= 0) openGalleryEntry(entries[size_t(chosen)]);
}

bool MainFrame::openGalleryEntry(const GalleryEntry& entry) {
    // The texture first, so the depth map ends up in front.
    for (auto [role, path] : {std::pair{StereoRole::Background, entry.texture}, std::pair{StereoRole::Depth, entry.depth}}) {
        FileOpenMsg(path.string());
        QWidget* w = ActiveChild();
        const OPENEDFILE* of = w ? GetFileStruct(w) : nullptr;
        std::error_code ec;
        if (!of || !std::filesystem::equivalent(of->Filename, path, ec)) return false;  // the loader said why
        markStereo(role, w);
    }
    stereoOptions_ = entry.options;
    SaveStereoOptions(stereoOptions_);
    SetStatusTextf(0, "%s: Stereo, Create it now makes its stereogram", entry.title.c_str());
    return true;
}

void MainFrame::markStereo(StereoRole role, QWidget* active) {
    MarkStereoWindow(role, active);
    OPENEDFILE* of = active ? GetFileStruct(active) : nullptr;
    auto* child = qobject_cast<MdiChild*>(active);
    if (role == StereoRole::Depth && of && child && child->hasDepthView()) {  // a Mandelbrot or OpenGL window
        platform::MessageBeep(0);
        return;
    }
    if (of && of->Type == DocKind::Picture) {
        if (BMP_DATA* bd = of->data<BMP_DATA>()) {
            bd->StereoType = role;
            platform::MessageBeep(0);
            return;
        }
    }
    platform::MessageBeep(platform::MB_ICONQUESTION);
}

void MainFrame::CMUColor() {
    // The custom colours start white and live for this call only.
    auto clearCustom = [] {
        for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::white);
    };
    clearCustom();
    QColorDialog dlg(QColor(crColor & 0xFF, (crColor >> 8) & 0xFF, (crColor >> 16) & 0xFF), this);
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    if (dlg.exec() == QDialog::Accepted) {
        const QColor c = dlg.selectedColor();
        crColor = uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
    }
    clearCustom();
    update();
}

int MainFrame::CloseAll() {
    // The first window that stays (Cancel) stops the rest: the user went back to look at it.
    for (QPointer<QMdiSubWindow> sub : area_->subWindowList())
        if (sub && !sub->close()) return 1;
    return 0;
}

int MainFrame::WmCommand(int id) {
    auto* child = qobject_cast<MdiChild*>(ActiveChild());
    using C = Command;
    switch (Command(id)) {
    case C::Open: OpenMulti(CMUFileOpen(this, true)); break;
    case C::OpenGallery: openFromGallery(); break;
    case C::Save: SaveActiveDocument(this, false); break;
    case C::SaveAs: SaveActiveDocument(this, true); break;
    case C::Close:
        if (QMdiSubWindow* sub = area_->activeSubWindow()) sub->close();
        break;
    case C::Exit: close(); break;
    case C::Color: CMUColor(); break;
    case C::SetBackground: markStereo(StereoRole::Background, ActiveChild()); break;
    case C::SetDepthView: markStereo(StereoRole::Depth, ActiveChild()); break;
    case C::StereoOptions:
        if (RunStereoOptionsDialog(stereoOptions_) != 2) {
            SaveStereoOptions(stereoOptions_);  // kept at once, should the program not end cleanly
            CreateStereo(stereoOptions_);
        }
        break;
    case C::CreateStereo: CreateStereo(stereoOptions_); break;
    case C::RandomTexture: NewRandomTexture(stereoOptions_); break;
    case C::TextDepth: NewTextDepth(); break;
    case C::RevealDepth: RevealDepth(); break;
    case C::MakeStereoPair: MakeStereoPairWindow(); break;
    case C::CreateAnimation: CreateAnimatedStereogram(stereoOptions_); break;
    case C::MandelMain: Mandel_New(1); break;
    case C::MandelNew: Mandel_New(0); break;
    case C::GLAux: CreateGLChild("TEST", DocKind::GLAux); break;
    case C::GL1: CreateGLChild("TEST", DocKind::GL1); break;
    case C::Cascade: CascadeWindows(area_); break;
    case C::Tile: area_->tileSubWindows(); break;
    case C::ArrangeIcons: {
        // Minimised windows in a row along the bottom, left to right.
        int x = 0;
        for (QMdiSubWindow* sub : area_->subWindowList())
            if (sub->isMinimized()) {
                sub->move(x, area_->viewport()->height() - sub->height());
                x += sub->width();
            }
        break;
    }
    case C::CloseAll: CloseAll(); break;
    case C::About: platform::MessageBox(this, szAbout, szMBTitle, platform::MB_OK | platform::MB_ICONINFORMATION); break;
    case C::HelpKeys: ShowHelp(this, helpPageOfActive()); break;
    case C::HelpStereogram: ShowHelp(this, HelpPage::Seeing); break;
    case C::Copy:
    case C::ZoomFit:
    case C::ZoomActual:
    case C::ZoomIn:
    case C::ZoomOut:
    case C::PaletteShow:
    case C::ZoomInShow:
    case C::ZoomOutShow:
    case C::ChildPrivate:
    case C::Reserved108:
    case C::Reserved125:
    case C::Reserved126:
    case C::Reserved127:
    case C::Reserved131:
    case C::Reserved132:
    case C::Reserved133:
        if (child) child->command(Command(id));
        break;
    default: return 1;
    }
    return 0;
}

HelpPage MainFrame::helpPageOfActive() const {
    const OPENEDFILE* of = ActiveChild() ? GetFileStruct(ActiveChild()) : nullptr;
    if (qobject_cast<AnimationChild*>(ActiveChild())) return HelpPage::Animation;
    switch (of ? of->Type : DocKind::Picture) {
    case DocKind::Wave: return HelpPage::Wave;
    case DocKind::Mandel: return HelpPage::Mandel;
    case DocKind::Dxf:
    case DocKind::Model:
    case DocKind::GLAux:
    case DocKind::GL1: return HelpPage::OpenGL;
    default: return HelpPage::Windows;
    }
}

bool MainFrame::event(QEvent* e) {
    // The status line is our own eight-part one, not the main window's bar.
    if (e->type() == QEvent::StatusTip) {
        ShowStatusTip(static_cast<QStatusTipEvent*>(e)->tip().toUtf8().constData());
        return true;
    }
    return QMainWindow::event(e);
}

namespace {
std::vector<std::string> DroppedFiles(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (mime)
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}
}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (!DroppedFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* e) {
    const std::vector<std::string> paths = DroppedFiles(e->mimeData());
    if (paths.empty()) return;
    e->acceptProposedAction();
    OpenMulti(paths);
}

void MainFrame::closeEvent(QCloseEvent* e) {
    if (CloseAll() > 0) {
        e->ignore();
        return;
    }
    if (!saved) {
        SpU_SaveWindowPosition(this, Settings.wpMain);
        SaveSettings();
        SaveStereoOptions(stereoOptions_);
        saved = true;
    }
    e->accept();
}

std::string CommandLineFileName(const std::string& cmdLine) {
    std::string s = cmdLine.substr(0, 255);
    size_t start = s.find_first_not_of('"');
    if (start == std::string::npos) return {};
    s = s.substr(start);
    if (size_t q = s.find('"'); q != std::string::npos) s.resize(q);
    return s;
}

MainFrame* StartFrame(const std::string& cmdLine) {
    // Qt keeps dialog state (custom colours, file dialog history) in a settings file of its
    // own; the program writes no such file, so that store points where nothing can be made.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, "/dev/null");
    LoadSettings();
    auto* frame = new MainFrame;
    LoadStereoOptions(frame->stereoOptions());
    const RECT32& stored = Settings.wpMain.NormalWindowPosition;
    if (stored.right != 0) {
        RECT32 r = stored;
        SpU_validate_winpos(r);
        frame->resize(r.right - r.left, r.bottom - r.top);
    } else {
        const QRect work = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry() : QRect(0, 0, 1024, 768);
        frame->resize(work.width() * 3 / 4, work.height() * 3 / 4);
    }
    PositionWindow(frame, Settings.wpMain);
    // With OpenGL in use the frame composes through it from the start (a hidden OpenGL child
    // says so), so the first OpenGL window does not make the toolkit recreate the frame's
    // native window, which flickers under a window manager.
    if (QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts) && GLContextProbe()) (new QOpenGLWidget(frame))->hide();
    frame->show();
    const std::string name = CommandLineFileName(cmdLine);
    if (!name.empty()) FileOpenMsg(name);
    return frame;
}

MainFrame* StartFrame(const std::vector<std::string>& args) {
    MainFrame* frame = StartFrame(args.size() == 1 ? args[0] : std::string());
    if (args.size() > 1) OpenMulti(args);
    return frame;
}
