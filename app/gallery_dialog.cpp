#include "app/gallery_dialog.h"
#include "stereo/gallery.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kThumbW = 144, kThumbH = 96;

// The depth map scaled into the thumbnail's box, on the far (black) colour; a picture Qt cannot
// read stays black.
QIcon Thumbnail(const GalleryEntry& e) {
    QPixmap box(kThumbW, kThumbH);
    box.fill(Qt::black);
    const QImage img(QString::fromStdString(e.depth.string()));
    if (!img.isNull()) {
        const QImage small = img.scaled(kThumbW, kThumbH, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter p(&box);
        p.drawImage((kThumbW - small.width()) / 2, (kThumbH - small.height()) / 2, small);
    }
    return QIcon(box);
}

QString Describe(const GalleryEntry& e) {
    const StereoOptions& o = e.options;
    return QString("%1\ntexture %2\nrelief %3, background depth %4, oversample %5, %6 depth")
        .arg(QString::fromStdString(e.depth.filename().string()), QString::fromStdString(e.texture.filename().string()))
        .arg(o.relief)
        .arg(o.bkdepth)
        .arg(o.oversam)
        .arg(DepthModeName(o.DepthMode));
}

}  // namespace

int ChooseGalleryEntry(QWidget* parent, const std::vector<GalleryEntry>& entries, const std::vector<std::string>& problems) {
    QDialog dlg(parent);
    dlg.setObjectName("galleryDialog");
    dlg.setWindowTitle("Open from gallery");
    auto* intro = new QLabel("Choose a depth map: it opens with its texture, both are marked for the stereogram and "
                             "its options are set. Then Stereo, \"Create it now\".");
    intro->setWordWrap(true);
    auto* list = new QListWidget;
    list->setObjectName("galleryList");
    list->setViewMode(QListView::IconMode);
    list->setIconSize(QSize(kThumbW, kThumbH));
    list->setGridSize(QSize(kThumbW + 24, kThumbH + 44));
    list->setResizeMode(QListView::Adjust);
    list->setMovement(QListView::Static);
    list->setWordWrap(true);
    for (const GalleryEntry& e : entries) {
        auto* item = new QListWidgetItem(Thumbnail(e), QString::fromStdString(e.title), list);
        item->setToolTip(Describe(e));
    }
    auto* detail = new QLabel;
    detail->setObjectName("galleryDetail");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    QPushButton* open = buttons->button(QDialogButtonBox::Open);
    open->setEnabled(false);
    QObject::connect(list, &QListWidget::currentRowChanged, &dlg, [&](int row) {
        open->setEnabled(row >= 0);
        detail->setText(row >= 0 ? Describe(entries[size_t(row)]) : QString());
    });
    QObject::connect(list, &QListWidget::itemActivated, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(intro);
    layout->addWidget(list, 1);
    layout->addWidget(detail);
    if (!problems.empty()) {
        QString text = "Left out:";
        for (const std::string& p : problems) text += "\n" + QString::fromStdString(p);
        auto* left = new QLabel(text);
        left->setObjectName("galleryProblems");
        left->setWordWrap(true);
        layout->addWidget(left);
    }
    layout->addWidget(buttons);
    dlg.resize(4 * (kThumbW + 24) + 40, 520);
    if (!entries.empty()) list->setCurrentRow(0);
    return dlg.exec() == QDialog::Accepted ? list->currentRow() : -1;
}
