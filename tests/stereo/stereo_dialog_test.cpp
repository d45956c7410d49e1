#include "app/MainFrame.h"
#include "app/frame_globals.h"
#include "app/subsystems.h"
#include "images/BmpChild.h"
#include "platform/message_box.h"
#include "stereo/StereoOptionsDialog.h"
#include "stereo/stereo_pictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {

template <class W> W* Find(QWidget* dlg, const char* id) {
    W* w = dlg->findChild<W*>(id);
    EXPECT_NE(nullptr, w) << id;
    return w;
}

const char* const kFields[] = {"12", "22", "21", "18"};  // oversample, depth, eye, distance
const char* const kBoxes[] = {"10", "11", "13"};         // blocks, hidden, invert

QStringList Texts(QWidget* dlg) {
    QStringList t;
    for (const char* id : kFields) t << Find<QLineEdit>(dlg, id)->text();
    for (const char* id : kBoxes) t << (Find<QCheckBox>(dlg, id)->isChecked() ? "x" : "");
    return t;
}

void Fill(QWidget* dlg, const QStringList& texts) {
    for (int i = 0; i < 4; ++i) Find<QLineEdit>(dlg, kFields[i])->setText(texts[i]);
    for (int i = 0; i < 3; ++i) Find<QCheckBox>(dlg, kBoxes[i])->setChecked(!texts[4 + i].isEmpty());
}

auto Tie(const StereoOptions& s) {
    return std::tie(s.oversam, s.bkdepth, s.Eye, s.o, s.BlocksOnTop, s.dohiddenrem, s.invert);
}

TEST(StereoOptionsDialog, ShowsTitleControlsDefaultsAndTabOrder) {
    StereoOptions values;
    StereoOptionsDialog dlg(nullptr, values);
    EXPECT_EQ("Stereo calculation options", dlg.windowTitle());
    const std::pair<const char*, const char*> texts[] = {
        {"1", "&Go and create it"}, {"2", "&Cancel"}, {"10", "&Blocks on top of screen"},
        {"11", "&Hidden removal"},  {"13", "&Invert depth"},
    };
    for (auto [id, text] : texts) EXPECT_EQ(text, Find<QAbstractButton>(&dlg, id)->text()) << id;
    EXPECT_TRUE(Find<QPushButton>(&dlg, "1")->isDefault());
    EXPECT_EQ(QStringList({"1", "-800", "150", "700", "", "", ""}), Texts(&dlg));
    QStringList labels;
    for (QLabel* l : dlg.findChildren<QLabel*>()) labels << l->text();
    EXPECT_EQ(QStringList({"&Oversample factor 1,2,4,6", "Background &Depth", "&Eye separation",
                           "Observer &Screen distance", "&Size"}),
              labels);
    QStringList order;
    QWidget* w = Find<QWidget>(&dlg, "1");
    for (int i = 0; i < 9; ++i) {
        order << w->objectName();
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(QStringList({"1", "2", "10", "12", "22", "21", "18", "11", "13"}), order);
}

TEST(StereoOptionsDialog, ShowsStoredValuesAndStoresThemOnlyOnGoWithGoodFields) {
    // Every message text is checked on the field reader; here each field's path through the dialog.
    const StereoOptions start{6, -2000, 65, 300, 5, 1, 1};
    enum Press { Go, Cancel, Escape };
    struct Case {
        Press press;
        QStringList texts;
        int result;
        StereoOptions want;
        const char* message = nullptr;
    } cases[] = {
        {Go, {" 4", "-300", "99", "500 ", "", "", "x"}, 1, {4, -300, 99, 500, 0, 0, 1}},
        {Cancel, {"4", "-300", "99", "500", "", "", ""}, 2, start},
        {Escape, {"4", "-300", "99", "500", "", "", ""}, 2, start},
        {Go, {"3", "-800", "150", "700", "", "", "x"}, 0, start, "Oversample factor must be 1, 2, 4 or 6."},
        {Go, {"1", "", "150", "700", "", "", "x"}, 0, start,
         "Background depth is not a number: it must be a whole number of -128 or less, so that every depth lies "
         "behind the screen."},
        {Go, {"1", "-800", "15O", "700", "", "", "x"}, 0, start,
         "Eye separation is not a number: it must be a whole number of 1 or more."},
        {Go, {"1", "-800", "150", "0", "", "", "x"}, 0, start,
         "Observer screen distance must be a whole number of 1 or more."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts.join(" | ").toStdString());
        StereoOptions values = start;
        StereoOptionsDialog dlg(nullptr, values);
        dlg.show();
        EXPECT_EQ(QStringList({"6", "-2000", "65", "300", "x", "x", "x"}), Texts(&dlg));
        Fill(&dlg, c.texts);
        platform::MessageRecorder rec;
        if (c.press == Escape) dlg.reject();
        else Find<QPushButton>(&dlg, c.press == Go ? "1" : "2")->click();
        EXPECT_EQ(c.result, dlg.result());
        EXPECT_EQ(c.result == 0, dlg.isVisible());
        EXPECT_EQ(Tie(c.want), Tie(values));
        ASSERT_EQ(c.message ? 1u : 0u, rec.boxes.size());
        if (c.message) {
            EXPECT_EQ("Orvalis", rec.boxes[0].caption);
            EXPECT_EQ(c.message, rec.boxes[0].text);
        }
    }
}

TEST(StereoOptionsDialog, RunReturnsButtonAndKeepsValuesForTheRun) {
    MainFrame frame;
    const StereoOptions before = CurrentStereoOptions;
    auto press = [](const char* button) {
        QTimer::singleShot(0, [=] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, dlg);
            Find<QLineEdit>(dlg, "21")->setText("120");
            Find<QPushButton>(dlg, button)->click();
        });
    };
    press("2");
    EXPECT_EQ(2, RunStereoOptionsDialog());
    EXPECT_EQ(Tie(before), Tie(CurrentStereoOptions));
    press("1");
    EXPECT_EQ(1, RunStereoOptionsDialog());
    EXPECT_EQ(120, CurrentStereoOptions.Eye);
    CurrentStereoOptions = before;
}

TEST(CreateStereo, GivesItsMessagesInOrderAndAChangedStereoDocumentEachRunWithThePipelinePixels) {
    MainFrame frame;
    frame.resize(1000, 800);
    frame.show();
    std::mt19937 rng(3);
    Image32 texture(64, 50), depth(640, 480, 0x808080);
    for (auto& p : texture.px) p = rng() & 0xFFFFFF;
    for (int y = 100; y < 300; ++y)
        for (int x = 200; x < 400; ++x) depth.at(x, y) = 0xA0A0A0;
    auto open = [](const char* name, const Image32& img, uint16_t colours) {  // as the loaders leave it
        OPENEDFILE* of = CreateBMPChild(hwndClient, name, 1);
        SetDocumentPicture(of, img);
        of->data<BMP_DATA>()->NumColors = colours;
        return of;
    };
    auto close = [](OPENEDFILE* of) {
        const bool closed = static_cast<MdiChild*>(of->hwnd.data())->subWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    };
    platform::MessageRecorder rec;
    EXPECT_EQ(nullptr, CreateStereo());
    OPENEDFILE* back = open("t.bmp", texture, 256);
    hwndBackground.mark(back->hwnd.data());
    EXPECT_EQ(nullptr, CreateStereo());
    OPENEDFILE* front = open("d.bmp", depth, 0);
    hwndForeground.mark(front->hwnd.data());
    const StereoOptions before = CurrentStereoOptions;
    for (int oversam : {1, 4}) {
        CurrentStereoOptions.oversam = oversam;
        OPENEDFILE* of = CreateStereo();
        ASSERT_NE(nullptr, of);
        BMP_DATA* bd = of->data<BMP_DATA>();
        EXPECT_EQ(std::make_tuple("NEWSTEREO", 1, 1, 640, 480, 3, 256, 32),
                  std::make_tuple(of->Filename, of->Type, of->Changed, of->Xsize, of->Ysize, bd->StereoType,
                                  bd->NumColors, bd->BitsPerPixel));
        EXPECT_EQ("File:NEWSTEREO  640X480X32", of->hwnd->windowTitle());
        EXPECT_EQ(QSize(640, 480), of->hwnd->size());
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, CurrentStereoOptions, want));
        EXPECT_EQ(want.px, DocumentPicture(of).px);
    }
    CurrentStereoOptions = before;
    int stereos = 0;
    for (OPENEDFILE* f = FirstFileStruct(); f; f = f->NextFile) stereos += f->Filename == "NEWSTEREO";
    EXPECT_EQ(2, stereos);
    rec.answers.push_back(platform::IDCANCEL);
    EXPECT_FALSE(close(GetLastFileStruct()));
    close(front);
    EXPECT_EQ(nullptr, CreateStereo());
    close(back);
    EXPECT_EQ(nullptr, CreateStereo());
    std::vector<std::pair<std::string, std::string>> boxes;
    for (const auto& b : rec.boxes) boxes.emplace_back(b.caption, b.text);
    const std::vector<std::pair<std::string, std::string>> want = {
        {"Orvalis",
         "No background selected!\nClick on background picture and\nselect in menu: Stereo, set as background "},
        {"Orvalis", "No depth selected!\nClick on depth picture and\nselect in menu: Stereo, set as depth"},
        {"Sure about this?", "OK to close?"},
        {"Orvalis", "couldn't retreive depth filestruct!"},
        {"Orvalis", "couldn't retreive back filestruct!"},
    };
    EXPECT_EQ(want, boxes);
    hwndBackground = hwndForeground = MarkedWindow();
    for (QMdiSubWindow* s : hwndClient->subWindowList()) s->close();  // the recorder answers OK
}

}  // namespace
