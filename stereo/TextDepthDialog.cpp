#include "stereo/TextDepthDialog.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "platform/message_box.h"
#include "stereo/stereo_options.h"
#include "stereo/text_depth.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>

#include <algorithm>
#include <new>

namespace {
constexpr int kPreviewWidth = 320, kPreviewHeight = 200;
}

TextDepthDialog::TextDepthDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle("New text depth");
    auto* form = new QFormLayout(this);
    textEdit = new QLineEdit("HELLO", this);
    textEdit->setObjectName("text");
    fontBox = new QFontComboBox(this);
    fontBox->setObjectName("font");
    fontBox->setCurrentFont(QFont(kTextDepthFont));
    const auto spin = [this](const char* name, int lo, int hi, int value) {
        auto* box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(lo, hi);
        box->setValue(value);
        return box;
    };
    widthBox = spin("width", 16, 16384, 800);
    heightBox = spin("height", 16, 16384, 600);
    bevelBox = spin("bevel", 0, 1000, int(DefaultTextBevel(800, 600)));
    auto* size = new QHBoxLayout;
    size->addWidget(widthBox);
    size->addWidget(new QLabel("x", this));
    size->addWidget(heightBox);
    preview = new QLabel(this);
    preview->setObjectName("preview");
    preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    preview->setAlignment(Qt::AlignCenter);
    preview->setStyleSheet("background: black; color: white");
    form->addRow("&Text", textEdit);
    form->addRow("&Font", fontBox);
    form->addRow("&Bevel (pixels)", bevelBox);
    auto* sizeLabel = new QLabel("&Size", this);
    sizeLabel->setBuddy(widthBox);
    form->addRow(sizeLabel, size);
    form->addRow(preview);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(textEdit, &QLineEdit::textChanged, this, &TextDepthDialog::updatePreview);
    connect(fontBox, &QFontComboBox::currentFontChanged, this, &TextDepthDialog::updatePreview);
    for (QSpinBox* box : {bevelBox, widthBox, heightBox})
        connect(box, &QSpinBox::valueChanged, this, &TextDepthDialog::updatePreview);
    updatePreview();
}

std::string TextDepthDialog::text() const { return textEdit->text().toStdString(); }
std::string TextDepthDialog::family() const { return fontBox->currentFont().family().toStdString(); }
int TextDepthDialog::depthWidth() const { return widthBox->value(); }
int TextDepthDialog::depthHeight() const { return heightBox->value(); }
double TextDepthDialog::bevel() const { return bevelBox->value(); }

// The depth made at the preview's scale, bevel and all, so a large picture previews at once.
void TextDepthDialog::updatePreview() {
    const double k = std::min({1.0, double(kPreviewWidth) / depthWidth(), double(kPreviewHeight) / depthHeight()});
    const int w = std::max(1, int(depthWidth() * k)), h = std::max(1, int(depthHeight() * k));
    std::vector<uint16_t> depth;
    const std::string why = TextDepth(text(), family(), w, h, bevel() * k, depth);
    if (!why.empty()) {
        preview->setPixmap({});
        preview->setText(QString::fromStdString(why));
        return;
    }
    QImage img(w, h, QImage::Format_Grayscale16);
    for (int y = 0; y < h; ++y) std::copy_n(&depth[size_t(y) * w], w, reinterpret_cast<uint16_t*>(img.scanLine(y)));
    preview->setPixmap(QPixmap::fromImage(img));
}

OPENEDFILE* OpenTextDepth(const std::string& text, const std::string& family, int width, int height, double bevel) {
    Image32 img;
    std::string why;
    try {
        std::vector<uint16_t> depth;
        why = TextDepth(text, family, width, height, bevel, depth);
        if (why.empty()) {
            img = GreyPicture(width, height, std::move(depth));
        }
    } catch (const std::bad_alloc&) {
        why = NotEnoughMemoryFor(width, height, "depth picture");
    }
    if (!why.empty()) {
        platform::MessageBox(FrameWindow(), "The text depth could not be made:\n" + why, kStereoCaption,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return nullptr;
    }
    OPENEDFILE* of = CreateBMPChild("Text depth: " + text);
    if (!of) return nullptr;
    BMP_DATA* bd = of->data<BMP_DATA>();
    bd->BitsPerPixel = 16;
    SetDocumentPicture(of, std::move(img));
    of->hwnd->setWindowTitle(QString::fromStdString(of->Filename));
    SetClientRect(of->hwnd.data(), of->Xsize, of->Ysize, FrameWindow());
    // Made to be a stereogram's depth, so marked as one at once.
    bd->StereoType = StereoRole::Depth;
    MarkStereoWindow(StereoRole::Depth, of->hwnd.data());
    return of;
}

OPENEDFILE* NewTextDepth() {
    TextDepthDialog dlg(FrameWindow());
    CenterWindow(&dlg);
    if (ExecDialog(&dlg) != QDialog::Accepted) return nullptr;
    return OpenTextDepth(dlg.text(), dlg.family(), dlg.depthWidth(), dlg.depthHeight(), dlg.bevel());
}
