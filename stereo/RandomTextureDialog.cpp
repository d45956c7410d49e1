#include "stereo/RandomTextureDialog.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "platform/message_box.h"
#include "stereo/stereo_pictures.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMainWindow>

#include <charconv>
#include <cstdio>
#include <random>

RandomTextureDialog::RandomTextureDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle("New random texture");
    auto* form = new QFormLayout(this);
    seedEdit = new QLineEdit(QString::number(std::random_device{}()), this);
    seedEdit->setObjectName("seed");
    bwBox = new QCheckBox("&Black and white", this);
    bwBox->setObjectName("bw");
    form->addRow("&Seed", seedEdit);
    form->addRow(bwBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RandomTextureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool RandomTextureDialog::blackAndWhite() const { return bwBox->isChecked(); }

void RandomTextureDialog::accept() {
    const std::string text = seedEdit->text().trimmed().toStdString();
    uint32_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) {
        platform::MessageBox(this, "Seed must be a whole number from 0 to 4294967295.", kStereoCaption,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    seed_ = v;
    QDialog::accept();
}

OPENEDFILE* OpenRandomTexture(const StereoOptions& options, uint32_t seed, bool blackAndWhite) {
    const Image32 img = RandomDotTexture(BackgroundSeparation(options), blackAndWhite, seed);
    OPENEDFILE* of = CreateBMPChild("RANDOMTEXTURE");
    if (!of) return nullptr;
    BMP_DATA* bd = of->data<BMP_DATA>();
    bd->BitsPerPixel = 32;
    bd->randomDots = blackAndWhite ? 2 : 1;
    bd->randomSeed = seed;
    SetDocumentPicture(of, img);
    char caption[300];
    std::snprintf(caption, sizeof caption, "File:%s  %uX%uX%u", of->Filename.c_str(), unsigned(of->Xsize),
                  unsigned(of->Ysize), unsigned(bd->BitsPerPixel));
    of->hwnd->setWindowTitle(caption);
    SetClientRect(of->hwnd.data(), of->Xsize, of->Ysize, FrameWindow());
    // Made to be a stereogram's background, so marked as one at once.
    bd->StereoType = StereoRole::Background;
    MarkStereoWindow(StereoRole::Background, of->hwnd.data());
    return of;
}

OPENEDFILE* NewRandomTexture(const StereoOptions& options) {
    RandomTextureDialog dlg(FrameWindow());
    CenterWindow(&dlg);
    if (ExecDialog(&dlg) != QDialog::Accepted) return nullptr;
    return OpenRandomTexture(options, dlg.seed(), dlg.blackAndWhite());
}
