#include "mandel/StartDialog.h"

#include "mandel/start_values.h"
#include "workspace/settings.h"
#include "workspace/window_utils.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>

StartDlg::StartDlg(QWidget* owner) : QDialog(owner) {
    setObjectName("StartDlg");
    setWindowTitle("Mandelbrot start values");
    setModal(true);
    // The template's dialog units, widened where this font's texts would not fit their labels.
    const QFontMetrics fm(font());
    DialogUnits u(font());
    const std::pair<const char*, int> labels[] = {{"Length", 34}, {"R value", 34}, {"I value", 34},
                                                  {"Width", 25},  {"Height", 25},  {"Iterations", 35},
                                                  {"Colors", 25}, {"Redraw every", 50}, {"milli seconds", 50},
                                                  {"Palette", 25}};
    for (auto [text, width] : labels) u.x = std::max(u.x, (fm.horizontalAdvance(text) + 2) / double(width));
    setFixedSize(u(0, 0, 216, 161).size());

    auto* group = new QGroupBox(this);
    group->setGeometry(u(5, 5, 205, 88));
    const auto label = [&](const char* text, int l, int t, int w, int h) {
        auto* s = new QLabel(text, this);
        s->setGeometry(u(l, t, w, h + 4));
    };
    const auto edit = [&](int id, int l, int t, int w, int h) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::number(id));
        e->setGeometry(u(l, t, w, h));
    };
    const auto button = [&](int id, const char* text, int l, int t, int w, int h) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::number(id));
        b->setGeometry(u(l, t, w, h));
        b->setAutoDefault(false);
        return b;
    };
    // Created in the template's order, which is also the tab order.
    label("Length", 11, 40, 34, 10);
    label("R value", 11, 57, 34, 10);
    label("I value", 11, 73, 34, 10);
    QPushButton* start = button(1, "Start picture", 90, 140, 50, 15);
    start->setDefault(true);
    QPushButton* main = button(3, "Main picture", 15, 15, 50, 12);
    edit(104, 52, 35, 150, 15);
    edit(105, 52, 54, 150, 15);
    edit(106, 52, 72, 150, 15);
    label("Width", 10, 105, 25, 8);
    edit(107, 40, 100, 35, 15);
    label("Height", 10, 125, 25, 8);
    edit(108, 40, 120, 35, 15);
    edit(109, 160, 15, 42, 15);
    label("Iterations", 120, 20, 35, 8);
    edit(110, 40, 140, 35, 15);
    label("Colors", 10, 145, 25, 8);
    edit(111, 130, 100, 25, 15);
    label("Redraw every", 80, 105, 50, 8);
    QPushButton* cancel = button(2, "Cancel", 155, 140, 40, 15);
    label("milli seconds", 160, 105, 50, 8);
    edit(112, 110, 120, 101, 13);
    this->edit(112)->setMaxLength(259);
    label("Palette", 80, 125, 25, 8);

    const StartTexts t = StartDialogTexts(Settings);
    const std::pair<int, const std::string*> fields[] = {{104, &t.Length}, {105, &t.R},          {106, &t.I},
                                                         {107, &t.Width},  {108, &t.Height},     {109, &t.Iterations},
                                                         {110, &t.Colors}, {111, &t.Redraw},     {112, &t.Palette}};
    for (auto [id, text] : fields) this->edit(id)->setText(QString::fromStdString(*text));

    connect(main, &QPushButton::clicked, this, &StartDlg::mainPicture);
    connect(start, &QPushButton::clicked, this, &StartDlg::startPicture);
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
}

QLineEdit* StartDlg::edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

void StartDlg::mainPicture() {
    StartTexts t;
    FillMainPicture(t);
    edit(104)->setText(QString::fromStdString(t.Length));
    edit(105)->setText(QString::fromStdString(t.R));
    edit(106)->setText(QString::fromStdString(t.I));
}

void StartDlg::startPicture() {
    const auto text = [this](int id) { return edit(id)->text().toStdString(); };
    StartTexts t{text(104), text(105), text(106), text(107), text(108), text(109), text(110), text(111), text(112)};
    StoreStartValues(Settings, t);
    done(1);
}
