#include "stereo/StereoOptionsDialog.h"

#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

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

StereoOptionsDialog::StereoOptionsDialog(QWidget* owner, StereoOptions& v) : QDialog(owner), values(v) {
    setWindowTitle("Stereo calculation options");
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    const DialogUnits Units(f);
    setFixedSize(Units(0, 0, 153, 206).size());

    // Resource order, which is also the tab order.
    auto* goButton = Place(new QPushButton("&Go and create it", this), "1", Units(11, 143, 70, 14));
    auto* cancelButton = Place(new QPushButton("&Cancel", this), "2", Units(87, 143, 50, 14));
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
    depthModeBox = Place(new QComboBox(this), "25", Units(14, 160, 80, 13));
    depthModeBox->addItems({"Automatic", "Classic (blue levels)", "Grey values, white near"});
    reliefEdit = Place(new QLineEdit(this), "26", Units(14, 178, 32, 12));
    dotsBox = Place(new QCheckBox("Convergence do&ts", this), "27", Units(14, 193, 94, 11));
    Label(this, "&Oversample factor 1,2,4,6", Units(53, 13, 86, 10), oversamEdit);
    Label(this, "Background &Depth", Units(53, 33, 66, 10), bkdepthEdit);
    Label(this, "&Eye separation", Units(53, 54, 66, 10), eyeEdit);
    Label(this, "Observer &Screen distance", Units(53, 75, 86, 10), distanceEdit);
    Label(this, "&Size", Units(121, 126, 21, 9), widthEdit);
    Label(this, "x", Units(62, 127, 5, 9), nullptr);
    Label(this, "Depth &values", Units(98, 162, 50, 10), depthModeBox);
    Label(this, "&Relief 1 to 4000", Units(53, 181, 86, 10), reliefEdit);
    widthEdit->setPlaceholderText("width");
    heightEdit->setPlaceholderText("height");

    QWidget* order[] = {goButton, cancelButton, blocksBox, oversamEdit, bkdepthEdit, eyeEdit, distanceEdit,
                        hiddenBox, invertBox, widthEdit, heightEdit, depthModeBox, reliefEdit, dotsBox};
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
    dotsBox->setChecked(values.dots != 0);

    connect(goButton, &QPushButton::clicked, this, &StereoOptionsDialog::go);
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(2); });
}

void StereoOptionsDialog::reject() { done(2); }

void StereoOptionsDialog::go() {
    StereoOptions next = values;
    const StereoFieldTexts fields{oversamEdit->text().toStdString(), bkdepthEdit->text().toStdString(),
                                  eyeEdit->text().toStdString(),     distanceEdit->text().toStdString(),
                                  reliefEdit->text().toStdString(),  widthEdit->text().toStdString(),
                                  heightEdit->text().toStdString()};
    const std::string problem = ReadStereoFields(fields, next);
    if (!problem.empty()) {
        platform::MessageBox(this, problem, kStereoCaption, platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    next.dohiddenrem = hiddenBox->isChecked() ? 1 : 0;
    next.invert = invertBox->isChecked() ? 1 : 0;
    next.BlocksOnTop = blocksBox->isChecked() ? 1 : 0;
    static constexpr int kModes[] = {kDepthAuto, kDepthClassic, kDepthGrey};  // in the box's order
    next.DepthMode = kModes[std::clamp(depthModeBox->currentIndex(), 0, 2)];
    next.dots = dotsBox->isChecked() ? 1 : 0;
    values = next;
    done(1);
}

int RunStereoOptionsDialog(StereoOptions& values) {
    StereoOptionsDialog dlg(FrameWindow(), values);
    CenterWindow(&dlg);
    return ExecDialog(&dlg);
}
