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

#include <cstdlib>
#include <random>

namespace {

template <class W> W* Find(QWidget* dlg, const char* id) {
    W* w = dlg->findChild<W*>(id);
    EXPECT_NE(nullptr, w) << id;
    return w;
}

void SetFields(QWidget* dlg, const char* over, const char* depth, const char* eye, const char* dist) {
    Find<QLineEdit>(dlg, "12")->setText(over);
    Find<QLineEdit>(dlg, "22")->setText(depth);
    Find<QLineEdit>(dlg, "21")->setText(eye);
    Find<QLineEdit>(dlg, "18")->setText(dist);
}

bool Same(const StereoOptions& a, const StereoOptions& b) {
    return a.oversam == b.oversam && a.bkdepth == b.bkdepth && a.Eye == b.Eye && a.o == b.o &&
           a.BlocksOnTop == b.BlocksOnTop && a.dohiddenrem == b.dohiddenrem && a.invert == b.invert;
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
    const std::pair<const char*, const char*> fields[] = {{"12", "1"}, {"22", "-800"}, {"21", "150"}, {"18", "700"}};
    for (auto [id, text] : fields) EXPECT_EQ(text, Find<QLineEdit>(&dlg, id)->text()) << id;
    for (const char* id : {"10", "11", "13"}) EXPECT_FALSE(Find<QCheckBox>(&dlg, id)->isChecked()) << id;
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

TEST(StereoOptionsDialog, ShowsCurrentValuesAsStored) {
    StereoOptions values{6, -2000, 65, 300, 5, 1, 1};
    StereoOptionsDialog dlg(nullptr, values);
    const std::pair<const char*, const char*> fields[] = {{"12", "6"}, {"22", "-2000"}, {"21", "65"}, {"18", "300"}};
    for (auto [id, text] : fields) EXPECT_EQ(text, Find<QLineEdit>(&dlg, id)->text()) << id;
    for (const char* id : {"10", "11", "13"}) EXPECT_TRUE(Find<QCheckBox>(&dlg, id)->isChecked()) << id;
}

TEST(StereoOptionsDialog, CancelAndEscapeChangeNothing) {
    for (bool escape : {false, true}) {
        StereoOptions values;
        StereoOptionsDialog dlg(nullptr, values);
        SetFields(&dlg, "4", "-300", "99", "500");
        Find<QCheckBox>(&dlg, "11")->setChecked(true);
        if (escape) dlg.reject();
        else Find<QPushButton>(&dlg, "2")->click();
        EXPECT_EQ(2, dlg.result());
        EXPECT_TRUE(Same(StereoOptions{}, values));
    }
}

TEST(StereoOptionsDialog, GoStoresAllSevenValues) {
    StereoOptions values{2, -900, 100, 600, 1, 1, 1};
    StereoOptionsDialog dlg(nullptr, values);
    SetFields(&dlg, " 4", "-300", "99", "500 ");
    Find<QCheckBox>(&dlg, "10")->setChecked(false);
    Find<QCheckBox>(&dlg, "11")->setChecked(false);
    Find<QCheckBox>(&dlg, "13")->setChecked(true);
    platform::MessageRecorder rec;
    Find<QPushButton>(&dlg, "1")->click();
    EXPECT_EQ(1, dlg.result());
    EXPECT_TRUE(rec.boxes.empty());
    EXPECT_TRUE(Same(StereoOptions{4, -300, 99, 500, 0, 0, 1}, values));
}

TEST(StereoOptionsDialog, GoWithBadFieldShowsItsMessageAndKeepsDialogAndValues) {
    struct Case {
        const char* fields[4];
        const char* text;
    } cases[] = {
        {{"3", "-800", "150", "700"}, "Oversample factor must be 1, 2, 4 or 6."},
        {{"one", "-800", "150", "700"}, "Oversample factor is not a number: it must be 1, 2, 4 or 6."},
        {{"1", "-100", "150", "700"},
         "Background depth must be a whole number of -128 or less, so that every depth lies behind the screen."},
        {{"1", "", "150", "700"},
         "Background depth is not a number: it must be a whole number of -128 or less, so that every depth lies "
         "behind the screen."},
        {{"1", "-800", "0", "0"}, "Eye separation must be a whole number of 1 or more."},
        {{"1", "-800", "15O", "700"}, "Eye separation is not a number: it must be a whole number of 1 or more."},
        {{"1", "-800", "150", "0"}, "Observer screen distance must be a whole number of 1 or more."},
        {{"1", "-800", "150", "7e2"}, "Observer screen distance is not a number: it must be a whole number of 1 or more."},
    };
    for (const Case& c : cases) {
        StereoOptions values;
        StereoOptionsDialog dlg(nullptr, values);
        dlg.show();
        SetFields(&dlg, c.fields[0], c.fields[1], c.fields[2], c.fields[3]);
        Find<QCheckBox>(&dlg, "13")->setChecked(true);
        platform::MessageRecorder rec;
        Find<QPushButton>(&dlg, "1")->click();
        ASSERT_EQ(1u, rec.boxes.size()) << c.text;
        EXPECT_EQ("Orvalis", rec.boxes[0].caption);
        EXPECT_EQ(c.text, rec.boxes[0].text);
        EXPECT_TRUE(dlg.isVisible()) << c.text;
        EXPECT_TRUE(Same(StereoOptions{}, values)) << c.text;
    }
}

TEST(StereoOptionsDialog, RunReturnsButtonAndKeepsValuesForTheRun) {
    MainFrame frame;
    const StereoOptions before = CurrentStereoOptions;
    auto press = [](const char* field, const char* button) {
        QTimer::singleShot(0, [=] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, dlg);
            Find<QLineEdit>(dlg, "21")->setText(field);
            Find<QPushButton>(dlg, button)->click();
        });
    };
    press("120", "2");
    EXPECT_EQ(2, RunStereoOptionsDialog());
    EXPECT_TRUE(Same(before, CurrentStereoOptions));
    press("120", "1");
    EXPECT_EQ(1, RunStereoOptionsDialog());
    EXPECT_EQ(120, CurrentStereoOptions.Eye);
    CurrentStereoOptions = before;
}

// A picture document as the loaders leave it.
OPENEDFILE* OpenPicture(const char* name, const Image32& img, uint16_t colours) {
    OPENEDFILE* of = CreateBMPChild(hwndClient, name, 1);
    if (!of) return nullptr;
    SetDocumentPicture(of, img);
    of->data<BMP_DATA>()->NumColors = colours;
    return of;
}

class CreateStereoTest : public testing::Test {
protected:
    void SetUp() override {
        frame = new MainFrame;
        frame->resize(1000, 800);
        frame->show();
        hwndBackground = MarkedWindow();
        hwndForeground = MarkedWindow();
        std::mt19937 rng(3);
        texture = Image32(64, 50);
        for (auto& p : texture.px) p = rng() & 0xFFFFFF;
        depth = Image32(640, 480, 0x808080);
        for (int y = 100; y < 300; ++y)
            for (int x = 200; x < 400; ++x) depth.at(x, y) = 0xA0A0A0;
    }
    void TearDown() override {
        hwndBackground = MarkedWindow();
        hwndForeground = MarkedWindow();
        for (QMdiSubWindow* s : hwndClient->subWindowList()) {
            if (auto* c = qobject_cast<MdiChild*>(s->widget()))
                if (OPENEDFILE* of = c->record()) of->Changed = 0;
            s->close();
        }
        delete frame;
    }
    MainFrame* frame = nullptr;
    Image32 texture, depth;
};

TEST_F(CreateStereoTest, MissingMarksAndGoneWindowsGiveTheirMessagesInOrder) {
    platform::MessageRecorder rec;
    EXPECT_EQ(nullptr, CreateStereo());
    OPENEDFILE* back = OpenPicture("t.bmp", texture, 0);
    hwndBackground.mark(back->hwnd.data());
    EXPECT_EQ(nullptr, CreateStereo());
    OPENEDFILE* front = OpenPicture("d.bmp", depth, 0);
    hwndForeground.mark(front->hwnd.data());
    static_cast<MdiChild*>(front->hwnd.data())->subWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, CreateStereo());
    static_cast<MdiChild*>(back->hwnd.data())->subWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, CreateStereo());
    const std::vector<std::string> want = {
        "No background selected!\nClick on background picture and\nselect in menu: Stereo, set as background ",
        "No depth selected!\nClick on depth picture and\nselect in menu: Stereo, set as depth",
        "couldn't retreive depth filestruct!",
        "couldn't retreive back filestruct!",
    };
    EXPECT_EQ(want, rec.texts());
    for (const auto& b : rec.boxes) EXPECT_EQ("Orvalis", b.caption);
}

TEST_F(CreateStereoTest, MakesAChangedStereoDocumentEachRunWithThePipelinePixels) {
    OPENEDFILE* back = OpenPicture("t.bmp", texture, 256);
    OPENEDFILE* front = OpenPicture("d.bmp", depth, 0);
    hwndBackground.mark(back->hwnd.data());
    hwndForeground.mark(front->hwnd.data());
    platform::MessageRecorder rec;
    const StereoOptions before = CurrentStereoOptions;
    for (int oversam : {1, 4}) {
        CurrentStereoOptions.oversam = oversam;
        OPENEDFILE* of = CreateStereo();
        ASSERT_NE(nullptr, of);
        EXPECT_TRUE(rec.boxes.empty());
        EXPECT_EQ("NEWSTEREO", of->Filename);
        EXPECT_EQ(1, of->Type);
        EXPECT_EQ(1, of->Changed);
        EXPECT_EQ(640, of->Xsize);
        EXPECT_EQ(480, of->Ysize);
        BMP_DATA* bd = of->data<BMP_DATA>();
        EXPECT_EQ(3, bd->StereoType);
        EXPECT_EQ(256, bd->NumColors);
        EXPECT_EQ(32, bd->BitsPerPixel);
        EXPECT_EQ("File:NEWSTEREO  640X480X32", of->hwnd->windowTitle());
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, CurrentStereoOptions, want));
        EXPECT_EQ(want.px, DocumentPicture(of).px);
        EXPECT_EQ(QSize(640, 480), of->hwnd->size());
    }
    CurrentStereoOptions = before;
    int stereos = 0;
    for (OPENEDFILE* f = FirstFileStruct(); f; f = f->NextFile) stereos += f->Filename == "NEWSTEREO";
    EXPECT_EQ(2, stereos);
    // Closing a result asks first.
    OPENEDFILE* last = GetLastFileStruct();
    rec.answers.push_back(platform::IDCANCEL);
    EXPECT_FALSE(static_cast<MdiChild*>(last->hwnd.data())->subWindow()->close());
    EXPECT_EQ("OK to close?", rec.boxes.back().text);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
