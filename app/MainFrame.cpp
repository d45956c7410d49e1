#include "app/MainFrame.h"

#include "app/app_icon.h"
#include "app/registry.h"
#include "gl/OpenGLChild.h"
#include "images/BmpChild.h"
#include "mandel/MandelChild.h"
#include "platform/message_box.h"
#include "stereo/CreateStereo.h"
#include "stereo/RandomTextureDialog.h"
#include "stereo/StereoOptionsDialog.h"
#include "workspace/frame_globals.h"
#include "workspace/mdi_child.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLWidget>
#include <QScreen>
#include <QSettings>
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
        if (hwndClient) SetClientRect(hwndClient, width(), height() - StatusHeight, nullptr);
    }
};

}  // namespace

MainFrame::MainFrame() {
    setObjectName("Orvalis");
    setWindowTitle(szMBTitle);
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    hwndFrame = this;
    SetFrame(this);
    auto* client = new FrameClient(this);
    setCentralWidget(client);
    buildMenus();
    CreateStatusLine(this);
    hwndClient = new QMdiArea(client);
    hwndClient->setObjectName("MDICLIENT");
    hwndClient->move(0, 0);
    hwndClient->lower();
    hwndClient->viewport()->installEventFilter(this);
    connect(hwndClient, &QMdiArea::subWindowActivated, this, [this] { updateMenus(); });
    updateMenus();
}

MainFrame::~MainFrame() {
    // The children are destroyed after this body; their activation signals must not reach
    // a frame that is half gone.
    for (auto* area : findChildren<QMdiArea*>()) area->disconnect(this);
    if (hwndFrame == this) {
        hwndFrame = nullptr;
        SetFrame(nullptr);
        hwndClient = nullptr;
    }
}

QAction* MainFrame::addCommand(QMenu* menu, const QString& text, int id, const QKeySequence& key) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString("cmd%1").arg(id));
    a->setData(id);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(a, &QAction::triggered, this, [this, id] { WmCommand(id); });
    actions[id] = a;
    return a;
}

QAction* MainFrame::action(int id) const {
    auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

void MainFrame::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&File");
    addCommand(file, "&Open", 100);
    // Saving is not among the original commands; its ids lie above theirs.
    addCommand(file, "&Save", 600, QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(file, "Save &As...", 601, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(file, &QMenu::aboutToShow, this, &MainFrame::updateMenus);
    addCommand(file, "&Close", 105);
    file->addSeparator();
    addCommand(file, "E&xit", 111);

    QMenu* edit = bar->addMenu("&Edit");
    addCommand(edit, "&Copy", 109);
    addCommand(edit, "C&olor", 101);

    StereoMenu = bar->addMenu("&Stereo");
    addCommand(StereoMenu, "set as &Background", 114);
    addCommand(StereoMenu, "set as &Depth view", 115);
    addCommand(StereoMenu, "&Options", 117);
    addCommand(StereoMenu, "&Create it now", 116);
    StereoMenu->addSeparator();
    addCommand(StereoMenu, "New random &texture", 128);

    MandelMenu = bar->addMenu("&Mandel");
    addCommand(MandelMenu, "&Main Mandelbrot", 137);
    addCommand(MandelMenu, "&New", 119);
    MandelMenu->addSeparator();
    addCommand(MandelMenu, "&Paletteshow", 138);
    addCommand(MandelMenu, "Zoom&InShow", 139);
    addCommand(MandelMenu, "Zoom&OutShow", 140);
    connect(MandelMenu, &QMenu::aboutToShow, this, &MainFrame::updateMenus);

    QMenu* gl = bar->addMenu("&Open GL");
    addCommand(gl, "&GL Aux", 500);
    addCommand(gl, "&GL 1", 501);

    ButtonMenuFrame = bar->addMenu("&Window");
    addCommand(ButtonMenuFrame, "&Cascade", 107, QKeySequence(Qt::SHIFT | Qt::Key_F5));
    addCommand(ButtonMenuFrame, "&Tile", 106, QKeySequence(Qt::SHIFT | Qt::Key_F4));
    addCommand(ButtonMenuFrame, "&Arrange Icons", 103);
    addCommand(ButtonMenuFrame, "Cl&ose All", 104);
    connect(ButtonMenuFrame, &QMenu::aboutToShow, this, &MainFrame::fillWindowList);

    QAction* about = bar->addAction("&About");
    about->setObjectName("cmd112");
    connect(about, &QAction::triggered, this, [this] { WmCommand(112); });
    actions[112] = about;

    // Shift+F3 has no menu item.
    auto* privateCmd = new QAction(this);
    privateCmd->setObjectName("cmd118");
    privateCmd->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    privateCmd->setShortcutContext(Qt::ApplicationShortcut);
    connect(privateCmd, &QAction::triggered, this, [this] { WmCommand(118); });
    addAction(privateCmd);
    actions[118] = privateCmd;

    // The MDI system keys QMdiArea does not give here; each sub-window's own menu closes it
    // on Ctrl+F4.
    const std::pair<QKeySequence, void (*)()> mdiKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F6), [] { hwndClient->activateNextSubWindow(); }},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), [] { hwndClient->activatePreviousSubWindow(); }},
    };
    for (const auto& [key, act] : mdiKeys) {
        auto* a = new QAction(this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, act);
        addAction(a);
    }
}

void MainFrame::updateMenus() {
    auto* child = qobject_cast<MdiChild*>(ActiveChild());
    const bool canSave = child && !child->saveFilters().isEmpty();
    for (int id : {600, 601}) action(id)->setEnabled(canSave);
    for (int id : {138, 139, 140}) {
        QAction* a = action(id);
        const int check = child ? child->menuCheck(id) : -1;
        a->setCheckable(check >= 0);
        a->setChecked(check == 1);
    }
}

void MainFrame::fillWindowList() {
    for (QAction* a : ButtonMenuFrame->actions())
        if (a->property("windowList").toBool()) {
            ButtonMenuFrame->removeAction(a);
            a->deleteLater();
        }
    const QList<QMdiSubWindow*> subs = hwndClient->subWindowList();
    if (subs.isEmpty()) return;
    QAction* sep = ButtonMenuFrame->addSeparator();
    sep->setProperty("windowList", true);
    int n = 0;
    for (QMdiSubWindow* sub : subs) {
        ++n;
        const QString text = n < 10 ? QString("&%1 %2").arg(n).arg(sub->windowTitle()) : QString("%1 %2").arg(n).arg(sub->windowTitle());
        QAction* a = ButtonMenuFrame->addAction(text);
        a->setProperty("windowList", true);
        a->setObjectName(QString("cmd%1").arg(145 + n - 1));
        a->setCheckable(true);
        a->setChecked(sub == hwndClient->activeSubWindow());
        QPointer<QMdiSubWindow> target(sub);
        connect(a, &QAction::triggered, this, [target] {
            if (target) hwndClient->setActiveSubWindow(target);
        });
    }
}

bool MainFrame::eventFilter(QObject* obj, QEvent* e) {
    if (hwndClient && obj == hwndClient->viewport() && e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::RightButton) {
            ButtonMenuFrame->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

void MainFrame::markStereo(int role) {
    QWidget* active = ActiveChild();
    (role == 1 ? hwndBackground : hwndForeground).mark(active);
    OPENEDFILE* of = active ? GetFileStruct(active) : nullptr;
    auto* child = qobject_cast<MdiChild*>(active);
    if (role == 2 && of && child && child->hasDepthView()) {  // a Mandelbrot or OpenGL window
        platform::MessageBeep(0);
        return;
    }
    if (of && of->Type == 1) {
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
    int refused = 0;
    for (QMdiSubWindow* sub : hwndClient->subWindowList())
        if (!sub->close()) ++refused;
    return refused;
}

int MainFrame::WmCommand(int id) {
    auto* child = qobject_cast<MdiChild*>(ActiveChild());
    switch (id) {
    case 100: OpenMulti(CMUFileOpen(this, true)); break;
    case 600: SaveActiveDocument(this, false); break;
    case 601: SaveActiveDocument(this, true); break;
    case 105:
        if (QMdiSubWindow* sub = hwndClient->activeSubWindow()) sub->close();
        break;
    case 111: close(); break;
    case 101: CMUColor(); break;
    case 114: markStereo(1); break;
    case 115: markStereo(2); break;
    case 117:
        if (RunStereoOptionsDialog() != 2) CreateStereo();
        break;
    case 116: CreateStereo(); break;
    case 128: NewRandomTexture(); break;
    case 137: Mandel_New(1); break;
    case 119: Mandel_New(0); break;
    case 500:
    case 501: CreateGLChild("TEST", id); break;
    case 107: CascadeWindows(hwndClient); break;
    case 106: hwndClient->tileSubWindows(); break;
    case 103: {
        // Minimised windows in a row along the bottom, left to right.
        int x = 0;
        for (QMdiSubWindow* sub : hwndClient->subWindowList())
            if (sub->isMinimized()) {
                sub->move(x, hwndClient->viewport()->height() - sub->height());
                x += sub->width();
            }
        break;
    }
    case 104: CloseAll(); break;
    case 112: platform::MessageBox(this, szAbout, szMBTitle, platform::MB_OK | platform::MB_ICONINFORMATION); break;
    case 109:
    case 138:
    case 139:
    case 140:
    case 118:
    case 108:
    case 125:
    case 126:
    case 127:
    case 131:
    case 132:
    case 133:
        if (child) child->command(id);
        break;
    default: return 1;
    }
    return 0;
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
