// The options dialog and CreateStereo on real windows; the field rules and every message text
// are checked on the field reader (stereo_options_test), here each path through the windows.
#include "app/MainFrame.h"
#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "images/picture_writer.h"
#include "mandel/MandelChild.h"
#include "mandel/mandel_calc.h"
#include "platform/message_box.h"
#include "stereo/CreateStereo.h"
#include "stereo/RandomTextureDialog.h"
#include "stereo/StereoReadBack.h"
#include "stereo/StereoOptionsDialog.h"
#include "stereo/TextDepthDialog.h"
#include "stereo/stereo_pictures.h"
#include "workspace/frame_interface.h"
#include "workspace/status_line.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <tuple>

namespace {

template <class W> W* Find(QWidget* dlg, const char* id) {
    W* w = dlg->findChild<W*>(id);
    EXPECT_NE(nullptr, w) << id;
    return w;
}

// oversample, depth, eye, distance, relief, size, smooth
const char* const kFields[] = {"12", "22", "21", "18", "26", "23", "24", "28"};
const char* const kBoxes[] = {"10", "11", "13", "25", "27"};  // blocks, hidden, invert, depth mode, marks (their index)

QStringList Texts(QWidget* dlg) {
    QStringList t;
    for (const char* id : kFields) t << Find<QLineEdit>(dlg, id)->text();
    for (const char* id : kBoxes)
        if (auto* box = dlg->findChild<QComboBox*>(id)) t << QString::number(box->currentIndex());
        else t << (Find<QCheckBox>(dlg, id)->isChecked() ? "x" : "");
    return t;
}

void SetTexts(QWidget* dlg, const QStringList& texts) {
    for (int i = 0; i < 8; ++i) Find<QLineEdit>(dlg, kFields[i])->setText(texts[i]);
    for (int i = 0; i < 5; ++i)
        if (i >= 3) Find<QComboBox>(dlg, kBoxes[i])->setCurrentIndex(texts[8 + i].toInt());
        else Find<QCheckBox>(dlg, kBoxes[i])->setChecked(!texts[8 + i].isEmpty());
}

// Waits for the dialog's preview to satisfy `good`, as its thread makes it.
bool PreviewArrives(QWidget* dlg, const std::function<bool(const QImage&)>& good) {
    const auto shown = [&] { return Find<QLabel>(dlg, "preview")->pixmap().toImage().convertToFormat(QImage::Format_RGB32); };
    for (int i = 0; i < 400 && !good(shown()); ++i) QApplication::processEvents(), QThread::msleep(5);
    return good(shown());
}

void Screenshot(QWidget* w, const char* name) {
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) w->grab().save(QString(out) + "/" + name);
}

auto Tie(const StereoOptions& s) {
    return std::tie(s.oversam, s.bkdepth, s.Eye, s.o, s.BlocksOnTop, s.dohiddenrem, s.invert, s.DepthMode, s.relief,
                    s.OutWidth, s.OutHeight, s.dots, s.smooth);
}

TEST(StereoOptionsDialog, ShowsItsTitleControlsAndTabOrderAsDesigned) {
    StereoOptions values;
    StereoOptionsDialog dlg(nullptr, values);
    EXPECT_EQ("Stereo calculation options", dlg.windowTitle());
    const std::pair<const char*, const char*> texts[] = {{"1", "&Go and create it"}, {"2", "&Cancel"},
        {"10", "&Blocks on top of screen"}, {"11", "&Hidden removal"}, {"13", "&Invert depth"}};
    for (auto [id, text] : texts) EXPECT_EQ(text, Find<QAbstractButton>(&dlg, id)->text()) << id;
    EXPECT_TRUE(Find<QPushButton>(&dlg, "1")->isDefault());
    EXPECT_EQ(QStringList({"1", "-800", "150", "700", "127", "", "", "", "", "", "", "0", "0"}), Texts(&dlg));
    const QComboBox* modes = Find<QComboBox>(&dlg, "25");
    EXPECT_EQ(QStringList({"Automatic", "Classic (blue levels)", "Grey values, white near"}),
              QStringList({modes->itemText(0), modes->itemText(1), modes->itemText(2)}));
    QStringList labels, order, units, want{"&Oversample factor 1,2,4,6", "Background &Depth", "&Eye separation",
                                           "Observer &Screen distance", "&Size", "x", "Depth &values", "&Relief 1 to 4000",
                                           "Mar&ks", "S&mooth"};
    for (QLabel* l : dlg.findChildren<QLabel*>())
        if (l->objectName().isEmpty()) labels << l->text();
    EXPECT_EQ(want, labels);
    // The buttons below every other control, a tip on every one but the labels; each number's unit on its row.
    const int top = std::min(Find<QWidget>(&dlg, "1")->y(), Find<QWidget>(&dlg, "2")->y());
    for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(w->objectName().size() == 1 || (w->geometry().bottom() < top && (qobject_cast<QLabel*>(w) || !w->toolTip().isEmpty())))
            << w->objectName().toStdString();
    for (const char* id : kFields)
        for (QRect f = Find<QWidget>(&dlg, id)->geometry(); QLabel* l : dlg.findChildren<QLabel*>("unit"))
            if (l->x() > f.right() && f.contains(f.center().x(), l->geometry().center().y())) units << l->text();
    EXPECT_EQ(QStringList({"samples per pixel", "depth units", "pixels", "depth units", "depth units", "pixels", "pixels", "pixels"}), units);
    for (QWidget* w = Find<QWidget>(&dlg, "1"); order.size() < 14; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
    EXPECT_EQ(QStringList({"1", "2", "10", "12", "22", "21", "18", "11", "13", "23", "24", "25", "26", "27"}), order);
    EXPECT_EQ(Find<QWidget>(&dlg, "23"), dlg.findChildren<QLabel*>()[4]->buddy());
    if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR")) dlg.grab().save(QString(out) + "/stereo-options.png");
}

TEST(StereoOptionsDialog, ShowsTheSeparationsAndMovesTheBackgroundWithTheRelief) {
    // Separations by hand, Eye x t / (t - o) truncated, t = background depth (far) or that + relief (near). A texture as
    // wide as the far separation is enough; oversampling leaves them in pixels; relief 1000 keeps the nearest at -673.
    // Depth steps: the separations' range in samples, ends included (at oversampling 2: 266 - 177 + 1).
    struct Case { QStringList texts; int texture; const char* bkdepth; const char* line; int warns; int steps; };  // warns: 1 near, 2 texture
    const Case cases[] = {
    // At 96 dpi a pixel is 25.4 / 96 mm: 80 px 21.17 mm.
        {{"1", "-800", "150", "700", "127"}, 80, "-800", "Separation 80 px far, 73 px near (21.2 mm, 19.3 mm)", 0, 8},  // 120000/1500, 100950/1373
        {{"2", "-1000", "200", "500", "600"}, 0, "-1000", "Separation 133 px far, 88 px near (35.2 mm, 23.3 mm)", 0, 90},  // 200000/1500, 80000/900
        {{"1", "-800", "150", "700", "1000"}, 0, "-1673", "Separation 105 px far, 73 px near (27.8 mm, 19.3 mm)", 0, 33},  // 250950/2373
        {{"1", "-2000", "150", "700", "1800"}, 64, "-2000", "Separation 111 px far, 33 px near (29.4 mm, 8.7 mm)", 3, 79},  // 300000/2700, 30000/900
    };
    for (const Case& c : cases) {
        StereoOptions values;
        StereoOptionsDialog dlg(nullptr, values, c.texture);
        Find<QLineEdit>(&dlg, "32")->setText("96");
        for (int i = 0; i < 5; ++i) Find<QLineEdit>(&dlg, kFields[i])->setText(c.texts[i]);
        const QString warning = Find<QLabel>(&dlg, "warning")->text();
        EXPECT_EQ(c.bkdepth, Find<QLineEdit>(&dlg, "22")->text());
        EXPECT_EQ(c.bkdepth != c.texts[1], Find<QLabel>(&dlg, "tieNote")->text().contains(QString(c.bkdepth) + " with the relief"));
        EXPECT_EQ(c.line, Find<QLabel>(&dlg, "separations")->text().toStdString());
        EXPECT_EQ(QString("%1 distinct depth steps").arg(c.steps), Find<QLabel>(&dlg, "steps")->text());
        EXPECT_EQ(c.warns, warning.contains("below half the far one") + 2 * warning.contains("texture (64 px) is narrower"))
            << warning.toStdString();
    }
    // Millimetres typed set the pixels (63 mm, 500 mm, 0.33 at 300 dpi: 744, 5906, 1949); pixels typed set the millimetres.
    StereoOptions values;
    StereoOptionsDialog dlg(nullptr, values);
    const auto type = [&](const char* id, const QString& text) {
        Find<QLineEdit>(&dlg, id)->setText(text);
        emit Find<QLineEdit>(&dlg, id)->textEdited(text);
    };
    for (auto [id, text] : {std::pair("30", "63"), {"31", "500"}, {"33", "0.33"}, {"32", "300"}}) type(id, text);
    EXPECT_EQ(QStringList({"1", "-5906", "744", "5906", "1949"}), Texts(&dlg).mid(0, 5));
    type("32", "96");
    type("21", "238");
    EXPECT_EQ("63.0", Find<QLineEdit>(&dlg, "30")->text());
    // The preview comes from its thread with the options as they stand: the sample's stereogram, then crossed.
    StereoOptions o{1, -1890, 238, 1890, 0, 0, 0, kDepthGrey, 624};
    const auto arrives = [&] {
        const QImage want = ToQImage(StereoOptionsDialog::PreviewOf(o));
        return PreviewArrives(&dlg, [&](const QImage& img) { return img == want; });
    };
    EXPECT_TRUE(arrives());
    o.viewing = kViewCross;
    Find<QComboBox>(&dlg, "34")->setCurrentIndex(1);
    EXPECT_TRUE(arrives());
    Screenshot(&dlg, "stereo-preview.png");
}

TEST(StereoOptionsDialog, StoresTheValuesOnlyOnGoWithEveryFieldGood) {
    // Run from the frame: the values of the run are shown and stored on "&Go and create it" only when
    // every field is good; a bad one keeps the dialog open with its message (the test then cancels).
    MainFrame frame;
    const StereoOptions start{6, -2000, 65, 300, 5, 1, 1, kDepthGrey, 1000, 640, 0, 1, kViewParallel, 0, 2};
    StereoOptions run = start;
    struct Case { const char* button; QStringList texts; int result; StereoOptions want; const char* message; };
    const Case cases[] = {
        {"2", {"4", "-300", "99", "500", "127", "", "", "", "", "", "", "0", "0"}, 2, start, nullptr},
        {"1", {"1", "-800", "15O", "700", "127", "", "", "", "", "", "x", "0", "0"}, 2, start,
         "Eye separation is not a number: it must be a whole number from 1 to 32768."},
        {"1", {"1", "-800", "150", "700", "127", "", "", "33", "", "", "", "0", "0"}, 2, start,
         "Smooth must be a whole number from 0 to 32."},
        {"1", {" 4", "-300", "99", "500 ", "200", "", "64", " 3", "", "", "x", "1", "2"}, 1,
         {4, -300, 99, 500, 0, 0, 1, kDepthClassic, 200, 0, 64, kMarksTriangles, kViewParallel, 0, 3}, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.join(" | ").toStdString());
        platform::MessageRecorder rec;
        QStringList shown;
        bool keptOpen = false;
        QTimer::singleShot(0, [&] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, dlg);
            shown = Texts(dlg);
            SetTexts(dlg, c.texts);
            Find<QPushButton>(dlg, c.button)->click();
            if ((keptOpen = dlg->isVisible())) Find<QPushButton>(dlg, "2")->click();
        });
        EXPECT_EQ(c.result, RunStereoOptionsDialog(run));
        EXPECT_EQ(QStringList({"6", "-2000", "65", "300", "1000", "640", "", "2", "x", "x", "x", "2", "1"}), shown);
        EXPECT_EQ(c.message != nullptr, keptOpen);
        EXPECT_EQ(Tie(c.want), Tie(run));
        EXPECT_EQ(c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}, rec.texts());
        for (const auto& b : rec.boxes) EXPECT_EQ("Orvalis", b.caption);
    }
}

// A shown frame, as the stereogram commands need.
struct ShownFrame : MainFrame {
    ShownFrame() { resize(1000, 800), show(); }
};

TEST(CreateStereo, EachRunMakesANewStereogramOfTheMarkedSourcesOrSaysWhatIsMissing) {
    ShownFrame frame;
    Image32 texture(64, 50), depth(640, 480, 0x808080);
    for (size_t i = 0; i < texture.px.size(); ++i) texture.px[i] = uint32_t(i * 2654435761u >> 8) & 0xFFFFFF;
    auto open = [](const char* name, const Image32& img, uint16_t colours) {  // as the loaders leave it
        OPENEDFILE* of = CreateBMPChild(name);
        SetDocumentPicture(of, img);
        of->data<BMP_DATA>()->NumColors = colours;
        return of;
    };
    auto close = [](OPENEDFILE* of) {
        static_cast<MdiChild*>(of->hwnd.data())->subWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    platform::MessageRecorder rec;
    StereoOptions options;
    EXPECT_EQ(nullptr, CreateStereo(options));
    OPENEDFILE* back = open("t.bmp", texture, 256);
    MarkStereoWindow(StereoRole::Background, back->hwnd.data());
    EXPECT_EQ(nullptr, CreateStereo(options));
    QString warning;  // the marked texture's width reaches the options dialog
    QTimer::singleShot(0, [&] { if (QWidget* d = QApplication::activeModalWidget()) warning = Find<QLabel>(d, "warning")->text(), d->close(); });
    EXPECT_EQ(2, RunStereoOptionsDialog(options));
    EXPECT_TRUE(warning.contains("texture (64 px) is narrower")) << warning.toStdString();
    OPENEDFILE* front = open("d.bmp", depth, 0);
    MarkStereoWindow(StereoRole::Depth, front->hwnd.data());
    for (int oversam : {1, 4}) {
        options.oversam = oversam;
        OPENEDFILE* of = CreateStereo(options);
        ASSERT_NE(nullptr, of);
        BMP_DATA* bd = of->data<BMP_DATA>();
        EXPECT_EQ(std::make_tuple("NEWSTEREO", DocKind::Picture, 1, 640, 480, StereoRole::Result, 256, 32),
                  std::make_tuple(of->Filename, of->Type, of->Changed, of->Xsize, of->Ysize, bd->StereoType,
                                  bd->NumColors, bd->BitsPerPixel));
        EXPECT_EQ("File:NEWSTEREO  640X480X32", of->hwnd->windowTitle());
        EXPECT_EQ(QSize(640, 480), of->hwnd->size());
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, StereoOptions{oversam, -800, 150, 700, 0, 0, 0, kDepthGrey}, want));
        EXPECT_EQ(want.px, DocumentPicture(of).px);
        EXPECT_STREQ("Depth read as grey (automatic)", StatusText(kStatusNotes));
    }
    // Automatic on one pixel of colour reads classic, on kept 16-bit grey values grey (whatever the colours);
    // a named mode is taken as it is. Each as the named mode makes it, which differs from the other mode.
    Image32 colour = depth, wide(640, 480, 0x123456), want, other;
    colour.px[1000] = 0x8080BC;
    for (int i = 0; i < 640 * 480; ++i) wide.grey16.push_back(uint16_t(i * 37));
    const std::tuple<const Image32*, int, int, const char*> reads[] = {
        {&colour, kDepthAuto, kDepthClassic, "Depth read as classic (automatic)"},
        {&wide, kDepthAuto, kDepthGrey, "Depth read as grey (automatic)"},
        {&depth, kDepthClassic, kDepthClassic, "Depth read as classic"}};
    for (const auto& [img, mode, named, status] : reads) {
        MarkStereoWindow(StereoRole::Depth, open("m.bmp", *img, 0)->hwnd.data());
        OPENEDFILE* of = CreateStereo(StereoOptions{1, -800, 150, 700, 0, 0, 0, mode});
        ASSERT_NE(nullptr, of);
        ASSERT_TRUE(MakeStereoPicture(texture, *img, StereoOptions{1, -800, 150, 700, 0, 0, 0, named}, want));
        ASSERT_TRUE(MakeStereoPicture(texture, *img, StereoOptions{1, -800, 150, 700, 0, 0, 0, 1 - named}, other));
        EXPECT_TRUE(want.px == DocumentPicture(of).px && want.px != other.px) << status;
        EXPECT_STREQ(status, StatusText(kStatusNotes));
    }
    MarkStereoWindow(StereoRole::Depth, front->hwnd.data());
    int stereos = 0;
    for (OPENEDFILE* f = FirstFileStruct(); f; f = f->NextFile) stereos += f->Filename == "NEWSTEREO";
    EXPECT_EQ(5, stereos);
    close(front);
    EXPECT_EQ(nullptr, CreateStereo(options));
    close(back);  // closed marks read as never made
    EXPECT_EQ(nullptr, CreateStereo(options));
    QWidget stray;  // a window without a document
    MarkStereoWindow(StereoRole::Background, &stray), MarkStereoWindow(StereoRole::Depth, &stray);
    EXPECT_EQ(nullptr, CreateStereo(options));
    std::vector<std::pair<std::string, std::string>> boxes;
    for (const auto& b : rec.boxes) boxes.emplace_back(b.caption, b.text);
    const std::pair<std::string, std::string> noBack{"Orvalis", "No background selected!\nClick on background picture and\n"
                                                                "select in menu: Stereo, set as background "},
        noDepth{"Orvalis", "No depth selected!\nClick on depth picture and\nselect in menu: Stereo, set as depth"};
    EXPECT_EQ(boxes, (std::vector<std::pair<std::string, std::string>>{
                         noBack, noDepth, noDepth, noBack, {"Orvalis", "couldn't retreive back filestruct!"}}));
    TheFrame()->stereoMarks().background = TheFrame()->stereoMarks().depth = MarkedWindow();
    for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) s->close();  // the recorder answers OK
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(CreateStereo, ARandomTextureOverAMandelbrotWindowGivesItsGreyModeStereogram) {
    ShownFrame frame;
    platform::MessageRecorder rec;
    // "New random texture" (a bad seed is refused) as the background and a Mandelbrot window as the depth
    // view: the result is the stereogram of the window's iteration counts in grey mode, whatever the option.
    SetDefaultSettings(Settings);
    Settings.MndlW = 120, Settings.MndlH = 90;
    for (const char* seed : {"x", "5"})
        QTimer::singleShot(0, [seed] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(nullptr, dlg);
            Find<QLineEdit>(dlg, "seed")->setText(seed);
            Find<QCheckBox>(dlg, "bw")->setChecked(true);
            Find<QDialogButtonBox>(dlg, nullptr)->button(QDialogButtonBox::Ok)->click();
        });
    frame.WmCommand(Command::RandomTexture);
    OPENEDFILE* tex = GetLastFileStruct();
    ASSERT_EQ("RANDOMTEXTURE", tex->Filename);
    // Marked as the background as it is made.
    EXPECT_EQ(std::make_pair(QString("File:RANDOMTEXTURE  160X256X32 - Background"), tex->hwnd.data()),
              std::make_pair(tex->hwnd->windowTitle(), TheFrame()->stereoMarks().background.hwnd.data()));
    EXPECT_EQ(RandomDotTexture(80, true, 5).px, DocumentPicture(tex).px);
    ASSERT_NE(nullptr, Mandel_New(1));
    frame.WmCommand(Command::SetDepthView);
    OPENEDFILE* of = CreateStereo(StereoOptions{});
    ASSERT_NE(nullptr, of);
    EXPECT_STREQ("Depth read as grey", StatusText(kStatusNotes));
    Image32 mandel(120, 90);
    mandel.grey16 = MandelDepth(-2.0, -1.1338, 2.27, 120, 90, 256);
    StereoOptions grey;
    grey.DepthMode = kDepthGrey;
    Image32 want;
    ASSERT_TRUE(MakeStereoPicture(RandomDotTexture(80, true, 5), mandel, grey, want));
    EXPECT_EQ(want.px, DocumentPicture(of).px);
    // S shimmers: the picture and the same depth on dots of seed 6 in turn; S again stops on the picture.
    Image32 other;
    ASSERT_TRUE(MakeStereoPicture(RandomDotTexture(80, true, 6), mandel, grey, other));
    const auto shows = [&](const Image32& img) {
        for (int i = 0; i < 200 && DocumentPicture(of).px != img.px; ++i) QApplication::processEvents(), QThread::msleep(5);
        return DocumentPicture(of).px == img.px;
    };
    QTest::keyClick(of->hwnd.data(), Qt::Key_S);
    EXPECT_TRUE(shows(other));
    EXPECT_TRUE(shows(want));
    EXPECT_TRUE(shows(other));
    QTest::keyClick(of->hwnd.data(), Qt::Key_S);
    EXPECT_EQ(want.px, DocumentPicture(of).px);
    QTest::keyClick(tex->hwnd.data(), Qt::Key_S);  // no stereogram: nothing to shimmer, a beep
    EXPECT_EQ(RandomDotTexture(80, true, 5).px, DocumentPicture(tex).px);
    EXPECT_EQ(rec.texts(), std::vector<std::string>{"Seed must be a whole number from 0 to 4294967295."});
    EXPECT_EQ(rec.beeps, std::vector<unsigned>({0, 0}));
    TheFrame()->stereoMarks().background = TheFrame()->stereoMarks().depth = MarkedWindow();
    for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) s->close();
}

TEST(CreateStereo, ALargeResultIsMadeInTheBackgroundAndEscCancelsIt) {
    ShownFrame frame;
    platform::MessageRecorder rec;
    const Image32 dots = RandomDotTexture(80, false, 2), depth(60, 40, 0x404040);
    for (auto [role, img] : {std::pair(StereoRole::Background, &dots), {StereoRole::Depth, &depth}}) {
        OPENEDFILE* of = CreateBMPChild("in");
        SetDocumentPicture(of, *img);
        MarkStereoWindow(role, of->hwnd.data());
    }
    const auto bar = [] { return FrameWindow()->findChild<QProgressBar*>("statusProgress"); };
    // Esc while it runs: no window, no bar, a note.
    StereoOptions big;
    big.OutWidth = 4000, big.OutHeight = 3000;
    const qsizetype windows = FrameMdiArea()->subWindowList().size();
    QTimer::singleShot(0, [] { QTest::keyClick(FrameWindow(), Qt::Key_Escape); });
    EXPECT_EQ(nullptr, CreateStereo(big));
    EXPECT_EQ(windows, FrameMdiArea()->subWindowList().size());
    EXPECT_EQ(nullptr, bar());
    EXPECT_STREQ("Stereogram cancelled", StatusText(kStatusNotes));
    // Left alone (4.32 million pixels, just over the line): the bar while it runs, then the window with the
    // generator's own pixels and the resolution to save.
    big.OutWidth = 2400, big.OutHeight = 1800, big.dots = kMarksTriangles, big.dpi = 300;
    bool barShown = false;
    QTimer::singleShot(0, [&] { barShown = bar() && bar()->isVisible(); });
    QTimer::singleShot(300, [&] { if (bar()) Screenshot(FrameWindow(), "stereo-progress.png"); });
    OPENEDFILE* of = CreateStereo(big);
    ASSERT_NE(nullptr, of);
    Image32 want;
    ASSERT_TRUE(MakeStereoPicture(dots, depth, big, want));
    EXPECT_TRUE(barShown && !bar());
    EXPECT_EQ(want.px, DocumentPicture(of).px);
    EXPECT_EQ(11811, of->data<BMP_DATA>()->perMetre);
    EXPECT_TRUE(rec.boxes.empty());
    TheFrame()->stereoMarks().background = TheFrame()->stereoMarks().depth = MarkedWindow();
    for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) s->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// "New text depth...": the preview follows the fields (an empty text says why instead), and OK
// opens the text's 16-bit depth marked as depth, the plateau white (its shape: the CLI's test).
TEST(TextDepth, TheDialogPreviewsAndOpensTheDepthMarkedAsDepth) {
    ShownFrame frame;
    platform::MessageRecorder rec;
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, dlg);
        Find<QLineEdit>(dlg, "text")->setText("");
        EXPECT_EQ(Find<QLabel>(dlg, "preview")->text(), "the text has no visible letters in the font '" +
                                                           Find<QFontComboBox>(dlg, "font")->currentFont().family() + "'");
        Find<QLineEdit>(dlg, "text")->setText("HI");
        Find<QSpinBox>(dlg, "width")->setValue(300), Find<QSpinBox>(dlg, "height")->setValue(120);
        EXPECT_EQ(Find<QLabel>(dlg, "preview")->pixmap().size(), QSize(300, 120));
        Find<QDialogButtonBox>(dlg, nullptr)->button(QDialogButtonBox::Ok)->click();
    });
    frame.WmCommand(Command::TextDepth);
    OPENEDFILE* of = GetLastFileStruct();
    ASSERT_TRUE(of && of->hwnd->windowTitle() == "Text depth: HI - Depth");
    EXPECT_EQ(of->hwnd.data(), TheFrame()->stereoMarks().depth.hwnd.data());
    const Image32 d = DocumentPicture(of);
    ASSERT_EQ(d.grey16.size(), 300u * 120u);
    EXPECT_EQ(*std::max_element(d.grey16.begin(), d.grey16.end()), 65535);
    EXPECT_EQ(OpenTextDepth(" ", "DejaVu Sans", 300, 120, 6), nullptr);
    EXPECT_EQ(rec.texts(), std::vector<std::string>{
                               "The text depth could not be made:\nthe text has no visible letters in the font 'DejaVu Sans'"});
    TheFrame()->stereoMarks().depth = MarkedWindow();
    for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) s->close();
}

TEST(RevealDepth, AMadeStereogramShowsItsDepthAndFiguresNoiseSaysSo) {
    ShownFrame frame;
    platform::MessageRecorder rec;
    Image32 depth(640, 200), noise(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 640; ++x) depth.at(x, y) = std::abs(x - 320) < 120 && std::abs(y - 100) < 40 ? 0xFFFFFF : 0;
    std::mt19937 rng(4);
    for (uint32_t& p : noise.px) p = rng() & 0xFFFFFF;
    auto open = [](const char* name, const Image32& img) {
        OPENEDFILE* of = CreateBMPChild(name);
        SetDocumentPicture(of, img);
        return of;
    };
    const Image32 dots = RandomDotTexture(160, false, 3);
    MarkStereoWindow(StereoRole::Background, open("dots", dots)->hwnd);
    MarkStereoWindow(StereoRole::Depth, open("square", depth)->hwnd);
    // With both marked, the preview is the middle 400 x 200 of the result itself (900 x 300 here: columns 250
    // to 649, rows 50 to 249, the band of marks left out); its depth, the same part of the square, white
    // in the middle (depth 320, 100) and black at the corner (depth 178, 17).
    StereoOptions wide;
    wide.OutWidth = 900, wide.OutHeight = 300;
    Image32 full;
    ASSERT_TRUE(MakeStereoPicture(dots, depth, wide, full));
    const QImage middle = ToQImage(full).copy(250, 50, 400, 200);
    bool stereoShown = false, depthShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, dlg);
        Find<QLineEdit>(dlg, "23")->setText("900"), Find<QLineEdit>(dlg, "24")->setText("300");
        Find<QComboBox>(dlg, "27")->setCurrentIndex(kMarksTriangles);
        stereoShown = PreviewArrives(dlg, [&](const QImage& img) { return img == middle; });
        Screenshot(dlg, "stereo-preview-marked.png");
        Find<QCheckBox>(dlg, "35")->setChecked(true);
        depthShown = PreviewArrives(dlg, [](const QImage& img) {
            return img.size() == QSize(400, 200) && img.pixel(200, 100) == 0xFFFFFFFFu && img.pixel(0, 0) == 0xFF000000u;
        });
        Find<QPushButton>(dlg, "2")->click();
    });
    StereoOptions unchanged;
    EXPECT_EQ(2, RunStereoOptionsDialog(unchanged));
    EXPECT_TRUE(stereoShown && depthShown);
    StereoOptions o;
    o.dots = kMarksTriangles;  // the band above is left out of the reading
    ASSERT_NE(nullptr, CreateStereo(o));
    Screenshot(FrameWindow(), "stereo-triangles.png");
    frame.WmCommand(Command::RevealDepth);
    OPENEDFILE* found = GetLastFileStruct();
    ASSERT_EQ(found->hwnd->windowTitle(), "Depth of NEWSTEREO");
    const Image32 got = DocumentPicture(found);
    ASSERT_EQ(std::make_pair(got.width, got.height), std::make_pair(640, 200));
    EXPECT_TRUE(got.at(320, 100) == 0xFFFFFF && got.at(320, 170) == 0 && got.at(560, 30) == 0);
    double sure = 0, within = 0;
    ASSERT_EQ(std::sscanf(StatusText(0), "Depth: %lf%% sure, %lf%% in 1 level", &sure, &within), 2) << StatusText(0);
    EXPECT_TRUE(sure >= 80 && within >= 95) << StatusText(0);
    // The depth found and the texture make an anaglyph the size of the picture.
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, dlg);
        const QList<QComboBox*> boxes = dlg->findChildren<QComboBox*>();
        ASSERT_EQ(boxes.size(), 3);
        boxes[0]->setCurrentText("Depth of NEWSTEREO");
        boxes[2]->setCurrentText("anaglyph");
        Find<QDialogButtonBox>(dlg, nullptr)->button(QDialogButtonBox::Ok)->click();
    });
    frame.WmCommand(Command::MakeStereoPair);
    EXPECT_EQ(GetLastFileStruct()->hwnd->windowTitle(), "Anaglyph of dots");
    EXPECT_EQ(GetLastFileStruct()->Xsize, 320);  // the texture's width, twice the separation
    // The picture closed while the dialog is open: nothing is made, nothing is read from it.
    OPENEDFILE* anaglyph = GetLastFileStruct();
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, dlg);
        for (QMdiSubWindow* s : FrameMdiArea()->subWindowList())
            if (s->widget()->windowTitle().startsWith("dots")) delete s;
        Find<QDialogButtonBox>(dlg, nullptr)->button(QDialogButtonBox::Ok)->click();
    });
    frame.WmCommand(Command::MakeStereoPair);
    EXPECT_EQ(GetLastFileStruct(), anaglyph);
    OPENEDFILE* last = open("noise", noise);
    frame.WmCommand(Command::RevealDepth);
    EXPECT_EQ(GetLastFileStruct(), last);
    EXPECT_EQ(rec.texts(), std::vector<std::string>{"No stereogram found: the picture does not repeat itself as a stereogram does."});
    TheFrame()->stereoMarks().background = TheFrame()->stereoMarks().depth = MarkedWindow();
    for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) s->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
