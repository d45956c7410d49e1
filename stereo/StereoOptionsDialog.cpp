#include "stereo/StereoOptionsDialog.h"

#include "documents/opened_file.h"
#include "images/picture_writer.h"
#include "stereo/stereo_pictures.h"
#include "images/picture_document.h"
#include "workspace/mdi_child.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <tuple>
#include <utility>

namespace {

constexpr int kModes[] = {kDepthAuto, kDepthClassic, kDepthGrey};  // in the depth values box's order
constexpr int64_t kPreviewSmoothPixels = 1000000;  // larger marked depth is previewed unsmoothed

template <class W> W* Place(W* w, const char* id, QRect r) {
    if (id) w->setObjectName(id);
    w->setGeometry(r);
    return w;
}

QLabel* Label(QWidget* parent, const char* text, QRect r, QWidget* buddy) {
    auto* l = Place(new QLabel(text, parent), nullptr, r);
    if (buddy) l->setBuddy(buddy);
    return l;
}

}  // namespace

StereoOptionsDialog::StereoOptionsDialog(QWidget* owner, StereoOptions& v, int textureWidth)
    : QDialog(owner), values(v), textureWidth(textureWidth) {
    setWindowTitle("Stereo calculation options");
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    const DialogUnits Units(f);
    setFixedSize(Units(0, 0, 214, 368).size() + QSize(kPreviewWidth + 20, 0));

    // Resource order, which is also the tab order; the buttons sit below everything they act on.
    auto* goButton = Place(new QPushButton("&Go and create it", this), "1", Units(44, 348, 70, 14));
    auto* cancelButton = Place(new QPushButton("&Cancel", this), "2", Units(120, 348, 50, 14));
    blocksBox = Place(new QCheckBox("&Blocks on top of screen", this), "10", Units(14, 93, 94, 11));
    oversamEdit = Place(new QLineEdit(this), "12", Units(14, 10, 32, 12));
    bkdepthEdit = Place(new QLineEdit(this), "22", Units(15, 30, 32, 11));
    eyeEdit = Place(new QLineEdit(this), "21", Units(15, 51, 32, 11));
    distanceEdit = Place(new QLineEdit(this), "18", Units(14, 72, 32, 12));
    hiddenBox = Place(new QCheckBox("&Hidden removal", this), "11", Units(14, 110, 68, 11));
    invertBox = Place(new QCheckBox("&Invert depth", this), "13", Units(90, 110, 52, 11));
    // Beyond the classic set: the result's size beside its label, then depth source, relief and dots.
    widthEdit = Place(new QLineEdit(this), "23", Units(14, 125, 46, 12));
    heightEdit = Place(new QLineEdit(this), "24", Units(68, 125, 46, 12));
    depthModeBox = Place(new QComboBox(this), "25", Units(14, 142, 80, 13));
    depthModeBox->addItems({"Automatic", "Classic (blue levels)", "Grey values, white near"});
    reliefEdit = Place(new QLineEdit(this), "26", Units(14, 160, 32, 12));
    marksBox = Place(new QComboBox(this), "27", Units(14, 176, 56, 13));
    marksBox->addItems({"Off", "Dots", "Triangles"});  // in kMarks order
    smoothEdit = Place(new QLineEdit(this), "28", Units(110, 176, 24, 12));
    Label(this, "&Oversample factor 1,2,4,6", Units(53, 13, 86, 10), oversamEdit);
    Label(this, "Background &Depth", Units(53, 33, 66, 10), bkdepthEdit);
    Label(this, "&Eye separation", Units(53, 54, 66, 10), eyeEdit);
    Label(this, "Observer &Screen distance", Units(53, 75, 86, 10), distanceEdit);
    Label(this, "&Size", Units(121, 126, 21, 9), widthEdit);
    Label(this, "x", Units(62, 127, 5, 9), nullptr);
    Label(this, "Depth &values", Units(98, 144, 50, 10), depthModeBox);
    Label(this, "&Relief 1 to 4000", Units(53, 162, 86, 10), reliefEdit);
    Label(this, "Mar&ks", Units(74, 178, 34, 10), marksBox);
    Label(this, "S&mooth", Units(138, 178, 30, 10), smoothEdit);
    // Each number's unit in a column of its own; a depth unit is as long as a pixel is wide.
    const std::pair<int, const char*> units[] = {{13, "samples per pixel"}, {33, "depth units"}, {54, "pixels"},
                                                 {75, "depth units"},       {126, "pixels"},     {162, "depth units"},
                                                 {178, "pixels"}};
    for (auto [y, unit] : units) Place(new QLabel(unit, this), "unit", Units(y == 178 ? 168 : 146, y, y == 178 ? 40 : 62, 10));
    tieNote = Place(new QLabel(this), "tieNote", Units(14, 190, 192, 18));
    separations = Place(new QLabel(this), "separations", Units(14, 209, 192, 10));
    warning = Place(new QLabel(this), "warning", Units(14, 220, 192, 30));
    for (QLabel* l : {tieNote, warning}) l->setWordWrap(true), l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The same viewing in the world: typing here sets the pixel values above.
    Place(new QLabel("Physical: typing here sets the values above", this), "physical", Units(14, 252, 192, 10));
    eyeMmEdit = Place(new QLineEdit(this), "30", Units(14, 264, 32, 12));
    distanceMmEdit = Place(new QLineEdit(this), "31", Units(14, 280, 32, 12));
    dpiEdit = Place(new QLineEdit(this), "32", Units(14, 296, 32, 12));
    depthOfFieldEdit = Place(new QLineEdit(this), "33", Units(14, 312, 32, 12));
    viewingBox = Place(new QComboBox(this), "34", Units(14, 328, 100, 13));
    viewingBox->addItems({"Parallel (wall-eyed)", "Cross-eyed"});
    const std::tuple<QWidget*, int, const char*, const char*> physical[] = {
        {eyeMmEdit, 264, "E&ye separation", "mm"}, {distanceMmEdit, 280, "Viewing dista&nce", "mm"},
        {dpiEdit, 296, "Reso&lution", "dots per inch"}, {depthOfFieldEdit, 312, "Depth o&f field", "of the background"},
        {viewingBox, 328, "Vie&wing", nullptr}};
    for (auto [w, y, text, unit] : physical) {
        Place(new QLabel(text, this), "physical", Units(w == viewingBox ? 120 : 53, y + 2, 86, 10))->setBuddy(w);
        if (unit) Place(new QLabel(unit, this), "physicalUnit", Units(146, y + 2, 66, 10));
    }
    preview = Place(new QLabel(this), "preview", QRect(Units(214, 10, 0, 0).topLeft(), QSize(kPreviewWidth, kPreviewHeight)));
    showDepthBox = Place(new QCheckBox("Show de&pth", this), "35", Units(214, 0, 80, 11).translated(0, preview->geometry().bottom() + 8));
    const int below = showDepthBox->geometry().bottom() + 8;
    diagram = Place(new QLabel(this), "diagram", QRect(preview->x(), below, kPreviewWidth, 150));
    steps = Place(new QLabel(this), "steps", QRect(preview->x(), below + 154, kPreviewWidth, 20));
    diagram->setToolTip("Separation against depth, far at the left, near at the right. Shaded: the comfortable band "
                        "(at least half the far separation, at most your eyes' separation on this screen). Dashed: "
                        "the texture's width.");
    preview->setToolTip("The options on a sample ball, 1:1: look through it to see the depth.");
    showDepthBox->setToolTip("Shows the sample's depth picture instead, white near.");
    widthEdit->setPlaceholderText("width");
    heightEdit->setPlaceholderText("height");

    const std::pair<QWidget*, const char*> tips[] = {
        {oversamEdit, "How many samples make one pixel of the result: 1, 2, 4 or 6. More give smoother depth "
                      "steps and take longer."},
        {bkdepthEdit, "How far behind the screen the farthest depth lies, in depth units (one depth unit is as "
                      "long as a pixel is wide). Negative, and deeper than the relief."},
        {eyeEdit, "How far apart your eyes are, in pixels of the result. The far separation is always a little "
                  "less."},
        {distanceEdit, "How far your eyes are from the screen, in depth units (one depth unit is as long as a "
                       "pixel is wide)."},
        {blocksBox, "Shows a row of blocks instead of the depth picture in rows 8 to 31 from the bottom: a quick "
                    "test that you see the depth."},
        {hiddenBox, "Leaves out points that one eye cannot see behind a nearer surface; cleaner steep edges."},
        {invertBox, "Turns the depth picture inside out: what was near lies far."},
        {widthEdit, "The result's width in pixels, 16 to 16384; empty takes the depth picture's width."},
        {heightEdit, "The result's height in pixels, 16 to 16384; empty takes the depth picture's height."},
        {depthModeBox, "How a depth picture's pixels become depths: by their grey value (white near), by the "
                       "classic blue levels, or automatically (grey for a grey picture, else blue levels)."},
        {reliefEdit, "How far the nearest depth stands in front of the farthest, in depth units. A relief that "
                     "would reach the screen moves the background depth back with it."},
        {marksBox, "Adds a white band above the result with two marks (dots, or triangles pointing down) the far "
                   "separation apart: make them three to see the depth."},
        {smoothEdit, "Smooths grey depth over this many pixels (0 to 32; empty or 0: not at all) before use, "
                     "keeping the steps between surfaces in place: for jagged or terraced depth maps."},
        {eyeMmEdit, "How far apart your eyes are, in millimetres (63 is usual). Sets the eye separation in pixels."},
        {distanceMmEdit, "How far your eyes are from the screen or print, in millimetres (500 is usual). Sets the "
                         "distance, and the background depth as far behind the screen."},
        {dpiEdit, "Dots per inch of the result: the screen's own, or the printer's (such as 300) for a print."},
        {depthOfFieldEdit, "The relief as a share of the background depth, 0.01 to 0.99 (a third is usual)."},
        {viewingBox, "Parallel: look through the picture, eyes meeting behind it. Cross-eyed: cross your eyes in "
                     "front of it; the depth is made so that near still stands out."},
    };
    for (auto [w, tip] : tips) w->setToolTip(tip);

    QWidget* order[] = {goButton, cancelButton, blocksBox, oversamEdit, bkdepthEdit, eyeEdit, distanceEdit,
                        hiddenBox, invertBox, widthEdit, heightEdit, depthModeBox, reliefEdit, marksBox, smoothEdit,
                        eyeMmEdit, distanceMmEdit, dpiEdit, depthOfFieldEdit, viewingBox, showDepthBox};
    for (size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);

    goButton->setDefault(true);
    goButton->setFocus();
    oversamEdit->setText(QString::number(unsigned(values.oversam)));
    bkdepthEdit->setText(QString::number(values.bkdepth));
    eyeEdit->setText(QString::number(unsigned(values.Eye)));
    distanceEdit->setText(QString::number(unsigned(values.o)));
    invertBox->setChecked(values.invert == 1);
    hiddenBox->setChecked(values.dohiddenrem == 1);
    blocksBox->setChecked(values.BlocksOnTop != 0);
    auto side = [](int v) { return v ? QString::number(v) : QString(); };
    widthEdit->setText(side(values.OutWidth));
    heightEdit->setText(side(values.OutHeight));
    depthModeBox->setCurrentIndex(values.DepthMode == kDepthClassic ? 1 : values.DepthMode == kDepthGrey ? 2 : 0);
    reliefEdit->setText(QString::number(values.relief));
    marksBox->setCurrentIndex(std::clamp(values.dots, int(kMarksOff), int(kMarksTriangles)));
    smoothEdit->setText(values.smooth ? QString::number(values.smooth) : QString());
    viewingBox->setCurrentIndex(values.viewing == kViewCross ? 1 : 0);
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen && screen->physicalDotsPerInch() > 0 ? screen->physicalDotsPerInch() : 96.0;
    dpiEdit->setText(QString::number(values.dpi > 0 ? values.dpi : std::lround(dpi)));
    physicalFromPixels();

    tieBackgroundToRelief(false);
    connect(reliefEdit, &QLineEdit::textChanged, this, [this] { tieBackgroundToRelief(true); });
    connect(bkdepthEdit, &QLineEdit::textChanged, this, [this] { tieBackgroundToRelief(false); });
    connect(bkdepthEdit, &QLineEdit::textEdited, tieNote, &QLabel::clear);  // the user's own value now
    for (QLineEdit* e : {oversamEdit, bkdepthEdit, eyeEdit, distanceEdit, reliefEdit, widthEdit, heightEdit, dpiEdit})
        connect(e, &QLineEdit::textChanged, this, &StereoOptionsDialog::showSeparations);
    for (QLineEdit* e : {eyeMmEdit, distanceMmEdit, dpiEdit, depthOfFieldEdit})
        connect(e, &QLineEdit::textEdited, this, &StereoOptionsDialog::pixelsFromPhysical);
    for (QLineEdit* e : {bkdepthEdit, eyeEdit, distanceEdit, reliefEdit})
        connect(e, &QLineEdit::textEdited, this, &StereoOptionsDialog::physicalFromPixels);
    showSeparations();
    connect(viewingBox, &QComboBox::currentIndexChanged, this, &StereoOptionsDialog::showSeparations);
    for (QCheckBox* b : {showDepthBox, hiddenBox, invertBox})
        connect(b, &QCheckBox::toggled, this, &StereoOptionsDialog::remakePreview);
    connect(smoothEdit, &QLineEdit::textChanged, this, &StereoOptionsDialog::remakePreview);
    connect(depthModeBox, &QComboBox::currentIndexChanged, this, &StereoOptionsDialog::remakePreview);
    connect(goButton, &QPushButton::clicked, this, &StereoOptionsDialog::go);
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(2); });
}

void StereoOptionsDialog::reject() { done(2); }

StereoOptionsDialog::~StereoOptionsDialog() {
    if (worker.joinable()) worker.join();
}

Image32 StereoOptionsDialog::PreviewDepth() {
    Image32 d(kPreviewWidth, kPreviewHeight);
    d.grey16.resize(d.px.size());
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const double dx = (x - d.width / 2.0) / 70, dy = (y - d.height / 2.0) / 70, r = dx * dx + dy * dy;
            const double z = r < 1 ? 0.35 + 0.65 * std::sqrt(1 - r) : 0.3 * x / d.width;  // ball, slope behind
            const uint16_t v = uint16_t(std::lround(z * 65535));
            d.grey16[size_t(y) * size_t(d.width) + size_t(x)] = v;
            d.at(x, y) = uint32_t(v >> 8) * 0x010101u;
        }
    return d;
}

namespace {

// The options the preview is made with: the sample's own size and grey depth when no picture is
// marked; never the band of marks.
StereoOptions PreviewOptions(const StereoOptions& opts, bool sample) {
    StereoOptions o = opts;
    o.dots = kMarksOff;
    if (sample) o.OutWidth = o.OutHeight = 0, o.DepthMode = kDepthGrey;
    return o;
}

// Where the preview lies in a result W x H: its middle.
QRect PreviewPlace(int W, int H) {
    const int w = std::min(W, StereoOptionsDialog::kPreviewWidth), h = std::min(H, StereoOptionsDialog::kPreviewHeight);
    return QRect((W - w) / 2, (H - h) / 2, w, h);
}

}  // namespace

Image32 StereoOptionsDialog::PreviewOf(const StereoOptions& opts, const Image32* texture, const Image32* depth,
                                       const std::function<bool()>& stop) try {
    const StereoOptions o = PreviewOptions(opts, !depth);
    const Image32 sample = depth ? Image32() : PreviewDepth();
    const Image32 dots = texture ? Image32()
                                 : RandomDotTexture(int(std::max<int64_t>(BackgroundSeparation(o), StereoSeparation(o, o.relief))), false, 1);
    if (!depth) depth = &sample;
    if (!texture) texture = &dots;
    if (texture->empty() || depth->empty()) return {};
    StereoMaker maker;
    if (!maker.Prepare(ViewOf(*texture), DepthOf(ViewOf(*depth)), o, 4)) return {};
    // Only the rows shown are made, whole; the columns are cut from them.
    const QRect r = PreviewPlace(maker.width(), maker.height());
    Image32 rows(maker.width(), r.height()), out(r.width(), r.height());
    for (int y = 0; y < r.height(); y += 16) {
        if (stop && stop()) return {};
        const int y1 = std::min(y + 16, r.height());
        if (!maker.Make(r.y() + y, r.y() + y1, reinterpret_cast<uint8_t*>(&rows.px[size_t(y) * size_t(rows.width)]),
                        ptrdiff_t(rows.width) * 4))
            return {};
    }
    for (int y = 0; y < r.height(); ++y)
        std::copy_n(&rows.px[size_t(y) * size_t(rows.width) + size_t(r.x())], r.width(), &out.px[size_t(y) * size_t(r.width())]);
    return out;
} catch (const std::bad_alloc&) {
    return {};
}

Image32 StereoOptionsDialog::PreviewDepthOf(const StereoOptions& opts, const Image32* depth) {
    if (!depth) return PreviewDepth();
    const StereoOptions o = PreviewOptions(opts, false);
    const int W = o.OutWidth ? o.OutWidth : depth->width, H = o.OutHeight ? o.OutHeight : depth->height;
    const QRect r = PreviewPlace(W, H);
    // The same part of a depth picture of another size, scaled to the preview's.
    const QRectF from(double(r.x()) * depth->width / W, double(r.y()) * depth->height / H,
                      double(r.width()) * depth->width / W, double(r.height()) * depth->height / H);
    const QRect part = from.toAlignedRect().intersected(QRect(0, 0, depth->width, depth->height));
    Image32 cut(std::max(part.width(), 1), std::max(part.height(), 1));
    for (int y = 0; y < part.height(); ++y)
        std::copy_n(&depth->px[size_t(part.y() + y) * size_t(depth->width) + size_t(part.x())], part.width(),
                    &cut.px[size_t(y) * size_t(cut.width)]);
    return FromQImage(ToQImage(cut).scaled(r.size()));
}

void StereoOptionsDialog::usePictures(Image32 texture, Image32 depth, bool grey) {
    markedTexture = std::make_shared<const Image32>(std::move(texture));
    markedDepth = std::make_shared<const Image32>(std::move(depth));
    greyView = grey;
    preview->setToolTip("The middle of the result, 1:1, from the marked depth and background pictures: look "
                        "through it to see the depth.");
    remakePreview();
}

void StereoOptionsDialog::drawDiagram(const StereoOptions& o) {
    const int64_t far = StereoSeparation(o, 0), near = StereoSeparation(o, o.relief);
    PhysicalViewing p;
    const bool physical = readPhysical(p).empty();
    const double eyes = physical ? double(MmToPixels(p.eyeMm, p.dpi)) : double(o.Eye);  // the eyes on this screen
    const double top = std::max({double(far), double(near), eyes, double(textureWidth)}) * 1.1;
    QPixmap pm(diagram->size());
    pm.fill(Qt::white);
    QPainter g(&pm);
    const int w = pm.width() - 1, h = pm.height() - 16;
    const auto yOf = [&](double sep) { return h - sep / top * h; };
    const double lo = std::max(far, near) / 2.0;  // the band: from half the wider end to the eyes
    g.fillRect(QRectF(0, yOf(eyes), w, yOf(lo) - yOf(eyes)), QColor(200, 235, 200));
    if (textureWidth > 0) {
        g.setPen(QPen(Qt::darkRed, 1, Qt::DashLine));
        g.drawLine(QPointF(0, yOf(textureWidth)), QPointF(w, yOf(textureWidth)));
    }
    g.setPen(QPen(Qt::black, 2));
    QPolygonF curve;
    for (int i = 0; i <= 100; ++i) curve << QPointF(w * i / 100.0, yOf(double(StereoSeparation(o, int64_t(o.relief) * i / 100))));
    g.drawPolyline(curve);
    g.setPen(Qt::black);
    const auto mm = [&](int64_t px) { return physical ? QString(", %1 mm").arg(PixelsToMm(double(px), p.dpi), 0, 'f', 1) : QString(); };
    g.drawText(QPointF(2, yOf(double(far)) - 4), QString("far %1 px%2").arg(far).arg(mm(far)));
    g.drawText(QRectF(0, yOf(double(near)) - 18, w - 2, 14), Qt::AlignRight, QString("near %1 px%2").arg(near).arg(mm(near)));
    g.drawText(QPointF(2, pm.height() - 3), "far");
    g.drawText(QRectF(0, pm.height() - 14, w - 2, 14), Qt::AlignRight, "near");
    g.end();
    diagram->setPixmap(pm);
    // Each whole sample of separation from end to end is one depth the eye can tell apart.
    const int64_t samples = StereoSeparation(o, 0, o.oversam) - StereoSeparation(o, o.relief, o.oversam);
    steps->setText(QString("%1 distinct depth steps").arg(std::abs(samples) + 1));
}

void StereoOptionsDialog::remakePreview() {
    StereoOptions o = values;
    if (!ReadStereoFields(fieldTexts(), o).empty()) return;
    o.dohiddenrem = hiddenBox->isChecked();
    o.invert = invertBox->isChecked();
    o.viewing = chosenViewing();
    o.DepthMode = greyView ? kDepthGrey : kModes[std::clamp(depthModeBox->currentIndex(), 0, 2)];
    if (!ValidateStereoOptions(o).empty() || !readSmooth(o.smooth)) return;
    const int asked = ++requested;
    const bool depth = showDepthBox->isChecked();
    // The one before stops at its next rows: a newer change has made it old.
    if (worker.joinable()) worker.join();
    QPointer<StereoOptionsDialog> self(this);
    worker = std::thread([self, asked, depth, o, texture = markedTexture, marked = markedDepth, this] {
        const auto stale = [&] { return requested.load() != asked; };
        // A marked depth picture is smoothed as a result would be, when that is quick.
        std::shared_ptr<const Image32> d = marked;
        if (d && o.smooth > 0 && int64_t(d->width) * d->height <= kPreviewSmoothPixels) {
            Image32 smoothed = *d;
            if (SmoothDepthPicture(smoothed, o.DepthMode, o.smooth)) d = std::make_shared<const Image32>(std::move(smoothed));
        }
        if (stale()) return;
        const Image32 pic = depth ? PreviewDepthOf(o, d.get()) : PreviewOf(o, texture.get(), d.get(), stale);
        if (pic.empty()) return;
        const QImage img = ToQImage(pic);
        QMetaObject::invokeMethod(qApp, [self, asked, img] {
            if (self && asked == self->requested.load()) self->preview->setPixmap(QPixmap::fromImage(img));
        }, Qt::QueuedConnection);
    });
}

bool StereoOptionsDialog::readSmooth(int& radius) const {
    const std::string text = smoothEdit->text().toStdString();
    if (text.find_first_not_of(" \t") == std::string::npos) return radius = 0, true;
    return ParseStereoNumber(text, radius) == NumberReading::Ok && radius >= 0 && radius <= kMaxSmooth;
}

int StereoOptionsDialog::chosenViewing() const { return viewingBox->currentIndex() == 1 ? kViewCross : kViewParallel; }

StereoFieldTexts StereoOptionsDialog::fieldTexts() const {
    return {oversamEdit->text().toStdString(), bkdepthEdit->text().toStdString(),
            eyeEdit->text().toStdString(),     distanceEdit->text().toStdString(),
            reliefEdit->text().toStdString(),  widthEdit->text().toStdString(),
            heightEdit->text().toStdString()};
}

void StereoOptionsDialog::tieBackgroundToRelief(bool reliefChanged) {
    int relief = 0, bkdepth = 0;
    if (ParseStereoNumber(reliefEdit->text().toStdString(), relief) != NumberReading::Ok || relief < 1 ||
        relief > kMaxRelief || ParseStereoNumber(bkdepthEdit->text().toStdString(), bkdepth) != NumberReading::Ok)
        return;
    if (int64_t(bkdepth) + relief < 0) {
        nearest = int64_t(bkdepth) + relief;
        return;
    }
    if (!reliefChanged) return;  // a background depth typed in front of the relief is the user's to mend
    const int64_t moved = std::max<int64_t>(nearest - relief, INT32_MIN);
    bkdepthEdit->setText(QString::number(moved));
    tieNote->setText(QString("Background depth moved to %1 with the relief, so the nearest depth stays at %2.")
                         .arg(moved)
                         .arg(moved + relief));
}

void StereoOptionsDialog::showSeparations() {
    StereoOptions o = values;
    const std::string problem = ReadStereoFields(fieldTexts(), o);
    if (!problem.empty()) {
        separations->setText("Separation: not known until the fields are right");
        warning->setText(QString::fromStdString(problem));
        return;
    }
    remakePreview();
    o.viewing = chosenViewing();
    // In pixels of the result whatever the oversampling, and in millimetres at the resolution when it is good.
    const int64_t far = StereoSeparation(o, 0), near = StereoSeparation(o, o.relief);
    QString line = QString("Separation %1 px far, %2 px near").arg(far).arg(near);
    PhysicalViewing p;
    if (readPhysical(p).empty())
        line += QString(" (%1 mm, %2 mm)").arg(PixelsToMm(double(far), p.dpi), 0, 'f', 1).arg(PixelsToMm(double(near), p.dpi), 0, 'f', 1);
    separations->setText(line);
    drawDiagram(o);
    QStringList warnings;
    if (2 * std::min(near, far) < std::max(near, far)) warnings << "Near separation below half the far one: so deep a relief is hard to see; lower it.";
    if (textureWidth > 0 && textureWidth < far)
        warnings << QString("The marked texture (%1 px) is narrower than the far separation: its repeats will show.")
                        .arg(textureWidth);
    warning->setText(warnings.join(" "));
}

std::string StereoOptionsDialog::readPhysical(PhysicalViewing& p) const {
    const std::tuple<QLineEdit*, double*, double, double, const char*> fields[] = {
        {eyeMmEdit, &p.eyeMm, 1, 1000, "Eye separation in mm"},
        {distanceMmEdit, &p.distanceMm, 1, 100000, "Viewing distance in mm"},
        {dpiEdit, &p.dpi, 1, 10000, "Resolution"},
        {depthOfFieldEdit, &p.depthOfField, 0.01, 0.99, "Depth of field"}};
    for (auto [edit, dest, lo, hi, name] : fields) {
        bool ok = false;
        *dest = edit->text().trimmed().toDouble(&ok);
        if (!ok || !(*dest >= lo && *dest <= hi))
            return QString("%1 must be a number from %2 to %3.").arg(name).arg(lo).arg(hi).toStdString();
    }
    return {};
}

void StereoOptionsDialog::pixelsFromPhysical() {
    PhysicalViewing p;
    if (std::string why = readPhysical(p); !why.empty()) {
        warning->setText(QString::fromStdString(why));
        return;
    }
    StereoOptions o;
    ApplyPhysical(o, p);
    eyeEdit->setText(QString::number(o.Eye));
    distanceEdit->setText(QString::number(o.o));
    bkdepthEdit->setText(QString::number(o.bkdepth));
    reliefEdit->setText(QString::number(o.relief));
    tieNote->clear();
}

void StereoOptionsDialog::physicalFromPixels() {
    bool ok = false;
    const double dpi = dpiEdit->text().toDouble(&ok);
    StereoOptions o;
    if (!ok || dpi <= 0 || !ReadStereoFields(fieldTexts(), o).empty()) return;
    const PhysicalViewing p = PhysicalOf(o, dpi);
    eyeMmEdit->setText(QString::number(p.eyeMm, 'f', 1));
    distanceMmEdit->setText(QString::number(p.distanceMm, 'f', 0));
    depthOfFieldEdit->setText(QString::number(p.depthOfField, 'f', 2));
}

void StereoOptionsDialog::go() {
    StereoOptions next = values;
    const StereoFieldTexts fields = fieldTexts();
    const std::string problem = ReadStereoFields(fields, next);
    if (!problem.empty()) {
        platform::MessageBox(this, problem, kStereoCaption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    next.dohiddenrem = hiddenBox->isChecked() ? 1 : 0;
    next.invert = invertBox->isChecked() ? 1 : 0;
    next.BlocksOnTop = blocksBox->isChecked() ? 1 : 0;
    next.DepthMode = kModes[std::clamp(depthModeBox->currentIndex(), 0, 2)];
    next.dots = marksBox->currentIndex();
    if (!readSmooth(next.smooth)) {
        platform::MessageBox(this, "Smooth must be a whole number from 0 to 32.", kStereoCaption,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    PhysicalViewing p;
    // The screen's own figure is only a starting point: a saved file states a DPI once the
    // user has chosen one, and keeps the format's usual figure (and its bytes) otherwise.
    if (readPhysical(p).empty() && (values.dpi > 0 || dpiEdit->isModified())) next.dpi = int(std::lround(p.dpi));
    next.viewing = chosenViewing();
    if (std::string why = ValidateStereoOptions(next); !why.empty()) {
        platform::MessageBox(this, why, kStereoCaption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    values = next;
    done(1);
}

int RunStereoOptionsDialog(StereoOptions& values) {
    int textureWidth = 0;
    Image32 texture, depth;
    bool greyView = false;
    if (FrameInterface* frame = TheFrame()) {
        QWidget* backWindow = frame->stereoMarks().background.hwnd.data();
        const OPENEDFILE* back = backWindow ? GetFileStruct(backWindow) : nullptr;
        if (back && !back->hBmpSaved.isNull()) textureWidth = back->Xsize;
        // The preview is made from copies of the marked pictures, which the dialog's thread may read
        // while the windows go on; a window's depth view as "Create it now" takes it.
        try {
            QWidget* front = frame->stereoMarks().depth.hwnd.data();
            const OPENEDFILE* of = front ? GetFileStruct(front) : nullptr;
            if (auto* view = qobject_cast<MdiChild*>(front); view && view->hasDepthView()) {
                if (view->depthView(depth.width, depth.height, depth.grey16)) {
                    ShowGrey16(depth, depth.grey16);
                    greyView = true;
                } else {
                    depth = Image32();
                }
            } else if (of && !of->hBmpSaved.isNull()) {
                depth = DocumentPicture(of);
            }
            if (back && !back->hBmpSaved.isNull() && !depth.empty()) texture = DocumentPicture(back);
        } catch (const std::bad_alloc&) {
            texture = depth = Image32();
        }
    }
    StereoOptionsDialog dlg(FrameWindow(), values, textureWidth);
    if (!texture.empty() && !depth.empty()) dlg.usePictures(std::move(texture), std::move(depth), greyView);
    CenterWindow(&dlg);
    return ExecDialog(&dlg);
}
