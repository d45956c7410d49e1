// The open dialog and the dispatch of a path to the window and loader of its kind.
#include "app/file_open.h"
#include "app/recent_files.h"
#include "app/registry.h"
#include "documents/file_kind.h"
#include "gl/OpenGLChild.h"
#include "gl/model_display.h"
#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "images/picture_file.h"
#include "images/qt_picture_reader.h"
#include "platform/message_box.h"
#include "platform/whole_file.h"
#include "wave/WavChild.h"
#include "wave/wave_document.h"
#include "workspace/frame_interface.h"
#include "workspace/mdi_child.h"
#include "workspace/window_utils.h"

#include <QFileDialog>
#include <QFileInfo>
#include <filesystem>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
QString AllPicturesFilter() {
    QStringList patterns;
    for (const std::string& e : PictureNameEndings()) patterns << "*." + QString::fromStdString(e);
    return "All pictures (" + patterns.join(' ') + ")";
}

// The window of a document already open from `path` and holding no unsaved work, or null.
MdiChild* OpenWindowOf(const std::string& path) {
    std::error_code ec;
    for (OPENEDFILE* of = FirstFileStruct(); of; of = of->NextFile)
        if (auto* child = qobject_cast<MdiChild*>(of->hwnd.data());
            child && child->subWindow() && !of->Changed && std::filesystem::equivalent(of->Filename, path, ec))
            return child;
    return nullptr;
}

// The filter chosen last time; kept for the run only.
QString selectedFilter;
// The folder the dialog opened in last, kept in the settings store.
const char* const kOpenFolder = "OpenFolder";

// Every name ending Assimp reads, "*.3ds *.obj ...".
QString ModelPatterns() {
    return QString::fromStdString(ModelExtensions()).replace(';', ' ');
}

// Each entry's patterns go in its last parentheses, which the dialog hides, so the shown
// descriptions are the program's own; "All Files" matches names without a dot too. The first
// shows every picture there is, whatever its format.
const QStringList& Filters() {
    static const QStringList f = {AllPicturesFilter(), "Pictures (*.jpg *.gif *.bmp)", "WAV audio files (*.wav) (*.wav)",
                                  "Autocad drawing exchange (*.dxf) (*.dxf)",
                                  "3-D models (*.obj *.stl *.ply *.gltf *.glb *.3mf *.off *.dae) (" + ModelPatterns() + ")",
                                  "All Files (*.*) (*)",
                                  "More pictures (*.png *.jpeg *.jpe *.tif *.tiff *.webp *.pbm *.pgm *.ppm *.pnm *.tga)"};
    return f;
}
}  // namespace

std::vector<std::string> CMUFileOpen(QWidget* owner, bool multiopen) {
    QFileDialog dlg(owner, "Open file");
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setNameFilters(Filters());
    if (!selectedFilter.isEmpty()) dlg.selectNameFilter(selectedFilter);
    const QString folder = QString::fromStdString(LoadTextValue(kOpenFolder, 4096));
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) dlg.setDirectory(folder);
    dlg.setFileMode(multiopen ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    std::vector<std::string> out;
    if (dlg.exec() != QDialog::Accepted) return out;
    selectedFilter = dlg.selectedNameFilter();
    if (const std::string now = dlg.directory().absolutePath().toStdString(); now != folder.toStdString())
        SaveTextValue(kOpenFolder, now);
    for (const QString& f : dlg.selectedFiles()) out.push_back(f.toStdString());
    if (owner) owner->update();
    return out;
}

void OpenMulti(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) FileOpenMsg(p);
}

void FileOpenMsg(const std::string& path) {
    if (MdiChild* open = OpenWindowOf(path)) {  // shown again rather than a second copy
        QMdiSubWindow* sub = open->subWindow();
        if (sub->isMinimized()) sub->showNormal();
        FrameMdiArea()->setActiveSubWindow(sub);
        NoteRecentFile(path);
        return;
    }
    const FileKind kind = DispatchKind(path);
    OPENEDFILE* of = nullptr;
    int ok = 1;
    bool resize = true, said = false;  // said: the loader has shown a box of its own
    switch (kind) {
    case FileKind::Bmp:
    case FileKind::Gif:
    case FileKind::Jpeg: {
        of = CreateBMPChild(path);
        if (!of) return;
        PictureResult r = LoadPictureOfKind(kind, path);
        said = !r.messages.empty();
        ok = ApplyPictureResult(of, std::move(r));
        break;
    }
    case FileKind::Wav:
        of = CreateWavChild(path);
        if (!of) return;
        ok = LoadWavFile(of, path);
        resize = false;
        break;
    case FileKind::Dxf:
        of = CreateGLChild(path, DocKind::Dxf);
        if (!of) return;
        resize = false;
        break;
    case FileKind::None: {  // every other name: a 3-D model by its name, a picture told by its content, or refused
        if (IsModelName(path)) {
            of = CreateGLChild(path, DocKind::Model);
            if (!of) return;
            resize = false;
            break;
        }
        // Read before any window is made: a file that no reader takes (or that does not read)
        // gets only the box of a name the table does not claim.
        PictureResult r = LoadQtPictureFile(path);
        if (!r.ok) {
            if (!r.unknown)
                for (const UserMessage& m : r.messages) platform::MessageBox(FrameMdiArea(), m.text, m.caption, platform::MB_OK);
            platform::MessageBox(FrameWindow(), CantOpenText(path), szMBTitle, platform::MB_OK);
            return;
        }
        of = CreateBMPChild(path);
        if (!of) return;
        ok = ApplyPictureResult(of, std::move(r));
        break;
    }
    }
    QPointer<QWidget> window = of->hwnd;
    if (!ok) {
        // The wave loader's box says why, so it stands alone; so does a picture loader's box
        // for a file that does not open at all.
        FileParts file;
        const bool alone = kind == FileKind::Wav || (said && !file.open(path));
        if (!alone)
            platform::MessageBox(FrameWindow(), kind == FileKind::None ? CantOpenText(path) : DispatchFailureText(kind), szMBTitle,
                                 platform::MB_OK);
        if (auto* child = qobject_cast<MdiChild*>(window.data()); child && child->subWindow()) child->subWindow()->close();
        return;
    }
    if (!window) return;
    if (resize) SetClientRect(window, of->Xsize + 1, of->Ysize + 1, FrameWindow());
    window->setWindowTitle(QString::fromStdString(path));
    NoteRecentFile(path);
    UpdateFrameMenus();  // a loaded sound can be saved
}
