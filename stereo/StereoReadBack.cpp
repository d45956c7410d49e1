#include "stereo/StereoReadBack.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "images/picture_writer.h"
#include "platform/message_box.h"
#include "stereo/decode_stereo.h"
#include "stereo/stereo_pair.h"
#include "stereo/stereo_pictures.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>
#include <new>
#include <utility>

namespace {

constexpr int kProgressPixels = 1000000;  // larger pictures show a progress dialog

// Lives as a child of the stereogram's window, and goes with it.
class StereoSource : public QObject {
public:
    StereoSource(QWidget* parent, const StereoOptions& o, Image32 d, const QImage& s, PictureView v, int band,
                 const StereoTexture& t)
        : QObject(parent), opts(o), own(std::move(d)), shared(s), bandRows(band), texture(t) {
        setObjectName(kName);
        depth = shared.isNull() ? ViewOf(own) : v;
        if (!shared.isNull() && v.grey16) {
            grey16.assign(v.grey16, v.grey16 + size_t(v.width) * size_t(v.height));
            depth.grey16 = grey16.data();
        }
        if (texture.width) parent->installEventFilter(this);
        connect(&timer, &QTimer::timeout, this, &StereoSource::flip);
    }
    static constexpr char kName[] = "orvalisStereoSource";
    const StereoOptions opts;
    const Image32 own;
    // The depth document's picture, shared: only read, so never copied (a document that
    // changes its picture later gets a copy of its own).
    const QImage shared;
    std::vector<uint16_t> grey16;
    PictureView depth;
    const int bandRows;
    const StereoTexture texture;

    bool toggle() {
        OPENEDFILE* of = GetFileStruct(static_cast<QWidget*>(parent()));
        if (!texture.width || !of) return false;
        if (timer.isActive()) {
            timer.stop();
            if (showingOther) flip();
            return true;
        }
        if (other.isNull()) {
            Image32 pic = ShimmerPicture(opts, ImageOf(depth), texture);
            if (pic.empty()) return false;
            other = ToQImage(pic);
        }
        timer.start(kShimmerMs);
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_S &&
            !(static_cast<QKeyEvent*>(e)->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            ToggleShimmer(static_cast<QWidget*>(watched));
            return true;
        }
        return false;
    }

private:
    QTimer timer;
    QImage other;  // the picture not shown now
    bool showingOther = false;
    // Swaps the shown picture with the other one; the document's own is back after an even number.
    void flip() {
        OPENEDFILE* of = GetFileStruct(static_cast<QWidget*>(parent()));
        if (!of) return timer.stop();
        std::swap(of->hBmpSaved, other);
        showingOther = !showingOther;
        static_cast<QWidget*>(parent())->update();
    }
};

StereoSource* SourceOf(QWidget* window) {
    return window ? static_cast<StereoSource*>(window->findChild<QObject*>(StereoSource::kName, Qt::FindDirectChildrenOnly))
                  : nullptr;
}

void Say(const std::string& text) { platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK); }

std::string WindowName(const OPENEDFILE* of) {
    return QFileInfo(QString::fromStdString(of->Filename)).fileName().toStdString();
}

// A new picture window titled `title` holding `img`.
OPENEDFILE* OpenPictureWindow(const std::string& name, const std::string& title, Image32 img) {
    const int w = img.width, h = img.height;
    OPENEDFILE* of = CreateBMPChild(name);
    if (!of) return nullptr;
    of->data<BMP_DATA>()->BitsPerPixel = 32;
    if (!SetDocumentPicture(of, std::move(img))) {
        of->hwnd->close();
        Say(NotEnoughMemoryFor(w, h));
        return nullptr;
    }
    of->Changed = 1;
    of->hwnd->setWindowTitle(QString::fromStdString(title));
    SetClientRect(of->hwnd.data(), of->Xsize, of->Ysize, FrameWindow());
    return of;
}

// Runs the decoder on its own thread while the window goes on; a large picture shows how
// far it got and may be cancelled.
DecodeResult DecodeInBackground(const PictureView& view, const StereoOptions* opts, DecodedStereo& out) {
    std::atomic<int> rows{0};
    std::atomic<bool> cancel{false};
    DecodeResult result = DecodeResult::NoStereogram;
    std::unique_ptr<QProgressDialog> progress;
    QTimer tick;
    if (int64_t(view.width) * view.height > kProgressPixels) {
        progress = std::make_unique<QProgressDialog>("Revealing the depth...", "Cancel", 0, view.height, FrameWindow());
        progress->setWindowTitle(szMBTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(0);
        QObject::connect(progress.get(), &QProgressDialog::canceled, [&] { cancel.store(true); });
        QObject::connect(&tick, &QTimer::timeout, [&] { progress->setValue(std::min(rows.load(), view.height - 1)); });
        tick.start(100);
    }
    RunBesideTheWindows([&] { result = DecodeStereogram(view, opts, out, {&rows, &cancel}); });
    return result;
}

}  // namespace

void KeepStereoSource(QWidget* window, const StereoOptions& opts, Image32 depth, int bandRows,
                      const StereoTexture& texture) {
    if (window) new StereoSource(window, opts, std::move(depth), QImage(), {}, bandRows, texture);
}

void KeepStereoSource(QWidget* window, const StereoOptions& opts, const QImage& shared, const PictureView& depth,
                      int bandRows, const StereoTexture& texture) {
    if (window) new StereoSource(window, opts, Image32(), shared, depth, bandRows, texture);
}

Image32 ShimmerPicture(const StereoOptions& opts, const Image32& depth, const StereoTexture& texture) {
    Image32 out;
    if (texture.width < 2 || !MakeStereoPicture(RandomDotTexture(texture.width / 2, texture.blackAndWhite, texture.seed + 1),
                                                depth, opts, out))
        return {};
    return out;
}

bool ToggleShimmer(QWidget* window) {
    StereoSource* source = SourceOf(window);
    if (source && source->toggle()) return true;
    FrameStatusf(kStatusNotes, "Shimmer works on a random-dot stereogram made here");
    return false;
}

OPENEDFILE* RevealDepth() {
    QWidget* active = ActiveChild();
    OPENEDFILE* of = active ? GetFileStruct(active) : nullptr;
    if (!of || of->Type != DocKind::Picture || of->hBmpSaved.isNull()) {
        Say("Reveal depth works on a picture window.");
        return nullptr;
    }
    // The window may close while the decoder runs: what is needed afterwards is taken now.
    const QPointer<StereoSource> source = SourceOf(active);
    const std::unique_ptr<const StereoOptions> opts(source ? new StereoOptions(source->opts) : nullptr);
    const std::string name = WindowName(of);
    Image32 picture;
    try {
        picture = DocumentPicture(of);
    } catch (const std::bad_alloc&) {
        Say(NotEnoughMemoryFor(of->Xsize, of->Ysize));
        return nullptr;
    }
    // The convergence dots above a stereogram the program made are no part of it.
    const int band = source && source->bandRows < picture.height ? source->bandRows : 0;
    PictureView view = ViewOf(picture);
    view.px += size_t(band) * size_t(view.stride);
    view.height -= band;
    view.grey16 = nullptr;
    DecodedStereo d;
    switch (DecodeInBackground(view, opts.get(), d)) {
    case DecodeResult::Found: break;
    case DecodeResult::Cancelled: return nullptr;
    case DecodeResult::NoMemory: Say(NotEnoughMemoryFor(view.width, view.height, "depth")); return nullptr;
    case DecodeResult::NoStereogram:
        Say("No stereogram found: the picture does not repeat itself as a stereogram does.");
        return nullptr;
    }
    DecodeFidelity fid;
    const bool scored = source && CompareDecoded(d, source->depth, source->opts, fid);
    Image32 depth;
    try {
        FillUnsure(d);
        depth = GreyPicture(d.width, d.height, DecodedDepth16(d, opts.get()));
    } catch (const std::bad_alloc&) {
        Say(NotEnoughMemoryFor(d.width, d.height, "depth"));
        return nullptr;
    }
    OPENEDFILE* out = OpenPictureWindow("Depth of " + name, "Depth of " + name, std::move(depth));
    if (out && scored) {
        // In the window's own part, the widest; the whole wording on the window's tooltip.
        FrameStatusf(0, "Depth: %.1f%% sure, %.1f%% in 1 level, error %.2f px, echo %.1f%%", 100 * fid.sure,
                     100 * fid.within, fid.meanError, 100 * fid.echo);
        char full[300];
        std::snprintf(full, sizeof full, "Against the depth picture it was made from: %.1f%% of the pixels sure, "
                      "%.1f%% of them within one depth level, mean error %.2f pixels of separation, %.1f%% echoes",
                      100 * fid.sure, 100 * fid.within, fid.meanError, 100 * fid.echo);
        out->hwnd->setToolTip(full);
    }
    return out;
}

OPENEDFILE* MakeStereoPairWindow() {
    // Every picture window, the marked depth and background first chosen.
    std::vector<OPENEDFILE*> pictures;
    QMdiArea* area = FrameMdiArea();
    for (QMdiSubWindow* sub : area ? area->subWindowList() : QList<QMdiSubWindow*>()) {
        OPENEDFILE* of = GetFileStruct(sub->widget());
        if (of && of->Type == DocKind::Picture && !of->hBmpSaved.isNull()) pictures.push_back(of);
    }
    if (pictures.empty()) {
        Say("Open a picture and its depth map first.");
        return nullptr;
    }
    std::vector<QPointer<QWidget>> windows;
    for (OPENEDFILE* of : pictures) windows.emplace_back(of->hwnd);
    QDialog dlg(FrameWindow());
    dlg.setWindowTitle("Make stereo pair");
    auto* form = new QFormLayout(&dlg);
    auto* depthBox = new QComboBox(&dlg);
    auto* pictureBox = new QComboBox(&dlg);
    const StereoMarks* marks = TheFrame() ? &TheFrame()->stereoMarks() : nullptr;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const QString title = pictures[i]->hwnd->windowTitle();
        depthBox->addItem(title);
        pictureBox->addItem(title);
        if (marks && marks->depth.hwnd == pictures[i]->hwnd) depthBox->setCurrentIndex(int(i));
        if (marks && marks->background.hwnd == pictures[i]->hwnd) pictureBox->setCurrentIndex(int(i));
    }
    auto* layoutBox = new QComboBox(&dlg);
    for (PairLayout l : {PairLayout::SideBySide, PairLayout::Cross, PairLayout::Anaglyph})
        layoutBox->addItem(PairLayoutName(l), int(l));
    auto* strength = new QDoubleSpinBox(&dlg);
    strength->setRange(0, 10000);
    strength->setDecimals(1);
    strength->setSpecialValueText("3% of the width");
    strength->setSuffix(" px");
    form->addRow("&Depth map:", depthBox);
    form->addRow("&Picture:", pictureBox);
    form->addRow("&Layout:", layoutBox);
    form->addRow("&Strength:", strength);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);
    if (dlg.exec() != QDialog::Accepted) return nullptr;

    // A window closed while the dialog was open takes its record with it: find both again.
    auto recordOf = [&](int i) { return windows[size_t(i)] ? GetFileStruct(windows[size_t(i)]) : nullptr; };
    OPENEDFILE* depthOf = recordOf(depthBox->currentIndex());
    OPENEDFILE* pictureOf = recordOf(pictureBox->currentIndex());
    if (!depthOf || !pictureOf) return nullptr;
    PairOptions o;
    o.layout = PairLayout(layoutBox->currentData().toInt());
    o.strength = strength->value();
    Image32 pair;
    std::string why;  // the pictures are not empty: only memory can run out
    try {
        if (!MakeStereoPair(DocumentPicture(pictureOf), DocumentPicture(depthOf), o, pair, why)) {
            Say(NotEnoughMemoryFor(pictureOf->Xsize, pictureOf->Ysize));
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        Say(NotEnoughMemoryFor(pictureOf->Xsize, pictureOf->Ysize));
        return nullptr;
    }
    const std::string title = std::string(o.layout == PairLayout::Anaglyph ? "Anaglyph of " : "Stereo pair of ") +
                              WindowName(pictureOf);
    return OpenPictureWindow(title, title, std::move(pair));
}
