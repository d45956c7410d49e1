// The open dialog and the dispatch of a path to the window and loader of its kind.
#include "app/file_open.h"
#include "gl/OpenGLChild.h"
#include "images/BmpChild.h"
#include "images/picture_file.h"
#include "images/picture_loaders.h"
#include "platform/message_box.h"
#include "wave/WavChild.h"
#include "wave/wave_document.h"
#include "workspace/frame_interface.h"
#include "workspace/mdi_child.h"
#include "workspace/window_utils.h"

#include <QFileDialog>
#include <QMdiSubWindow>

namespace {
// The filter chosen last time; kept for the run only.
QString selectedFilter;

// Each entry's patterns go in its last parentheses, which the dialog hides, so the shown
// descriptions are the program's own; "All Files" matches names without a dot too.
const QStringList& Filters() {
    static const QStringList f = {"Pictures (*.jpg *.gif *.bmp)", "WAV audio files (*.wav) (*.wav)",
                                  "Autocad drawing exchange (*.dxf) (*.dxf)", "All Files (*.*) (*)",
                                  "More pictures (*.png *.jpeg *.jpe *.tif *.tiff *.webp *.pbm *.pgm *.ppm *.pnm *.tga)"};
    return f;
}
}  // namespace

std::vector<std::string> CMUFileOpen(QWidget* owner, bool multiopen) {
    QFileDialog dlg(owner, "Open file");
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setNameFilters(Filters());
    if (!selectedFilter.isEmpty()) dlg.selectNameFilter(selectedFilter);
    dlg.setFileMode(multiopen ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    std::vector<std::string> out;
    if (dlg.exec() != QDialog::Accepted) return out;
    selectedFilter = dlg.selectedNameFilter();
    for (const QString& f : dlg.selectedFiles()) out.push_back(f.toStdString());
    if (owner) owner->update();
    return out;
}

void OpenMulti(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) FileOpenMsg(p);
}

void FileOpenMsg(const std::string& path) {
    const FileKind kind = DispatchKind(path);
    OPENEDFILE* of = nullptr;
    int ok = 1;
    bool resize = true;
    switch (kind) {
    case FileKind::Bmp:
    case FileKind::Gif:
    case FileKind::Jpeg:
        of = CreateBMPChild(path);
        if (!of) return;
        ok = kind == FileKind::Bmp ? LoadBitmapFile(of, path) : kind == FileKind::Gif ? LoadGifFile(of, path) : LoadJPGFile(of, path);
        break;
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
    case FileKind::None:  // every other name: a picture told by its content, or refused
        of = CreateBMPChild(path);
        if (!of) return;
        ok = LoadOtherPictureFile(of, path);
        break;
    }
    QPointer<QWidget> window = of->hwnd;
    if (!ok) {
        const std::string text = kind == FileKind::None ? CantOpenText(path) : DispatchFailureText(kind);
        platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK);
        if (auto* child = qobject_cast<MdiChild*>(window.data()); child && child->subWindow()) child->subWindow()->close();
        return;
    }
    if (!window) return;
    if (resize) SetClientRect(window, of->Xsize + 1, of->Ysize + 1, FrameWindow());
    window->setWindowTitle(QString::fromStdString(path));
    UpdateFrameMenus();  // a loaded sound can be saved
}
