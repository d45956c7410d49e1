// Stereo > Create animated stereogram through its dialog, and the animation window it opens.
#include "tests/app/frame_fixture.h"

#include "stereo/AnimationChild.h"
#include "stereo/AnimationDialog.h"
#include "tests/common/depth_frames.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

namespace {

// The frames of an animation as a second reader counts them: Pillow, or ffprobe for a video.
int FramesOf(const std::string& path) {
    const bool video = path.ends_with(".mp4") || path.ends_with(".webm");
    return std::atoi(Output(video ? "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames "
                                    "-of csv=p=0 '" + path + "'"
                                  : "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                                    "print(Image.open(sys.argv[1]).n_frames)\" '" + path + "'").c_str());
}

struct DialogFields {
    std::string source, output;
    int format = 0, width = 0, height = 0;
};

// Fills the animation dialog when it shows and presses OK; with `shot`, saves its picture first.
void AnswerAnimationDialog(const DialogFields& f, const char* shot = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* dlg = qobject_cast<AnimationDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->findChild<QLineEdit*>("source")->setText(QString::fromStdString(f.source));
        dlg->findChild<QLineEdit*>("output")->setText(QString::fromStdString(f.output));
        dlg->findChild<QComboBox*>("format")->setCurrentIndex(f.format);
        dlg->findChild<QSpinBox*>("width")->setValue(f.width);
        dlg->findChild<QSpinBox*>("height")->setValue(f.height);
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR"); out && shot) dlg->grab().save(QString(out) + shot);
        dlg->accept();
        if (dlg->isVisible()) dlg->reject();  // refused: the box has been recorded
    });
}

}  // namespace

// The menu's dialog makes a GIF of six depth frames and opens it playing; Space pauses, Right
// and Left step round the loop; the shown frame is the depth view; Save As writes every format
// with all six frames (counted by Pillow); a refused request says why and opens nothing; a
// cancelled run leaves no window and no file; a window short of room keeps the first frames.
TEST_F(FrameTest, AnimatedStereogramFromTheDialogPlaysStepsAndSaves) {
    const std::string pattern = WriteSquareFrames(tmp.path, 6);
    ASSERT_FALSE(pattern.empty());
    const std::string gif = tmp / "anim.gif";
    AnswerAnimationDialog({pattern, gif, 0}, "/animation-dialog.png");
    frame->WmCommand(Command::CreateAnimation), flush();
    auto* anim = qobject_cast<AnimationChild*>(ActiveChild());
    ASSERT_NE(anim, nullptr) << (rec.texts().empty() ? "" : rec.texts()[0]);
    EXPECT_EQ(frame->action(Command::CreateAnimation)->text(), "Create &animated stereogram...");
    EXPECT_EQ(std::make_pair(anim->frameCount(), FramesOf(gif)), std::make_pair(6, 6));
    EXPECT_EQ(std::make_pair(anim->record()->Xsize, anim->record()->Ysize), std::make_pair(200, 100));
    EXPECT_TRUE(anim->playing());
    QTest::keyClick(anim, Qt::Key_Space);
    EXPECT_FALSE(anim->playing());
    anim->showFrame(4);
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Right, 5}, {Qt::Key_Right, 0}, {Qt::Key_Left, 5}};
    for (const auto& [key, to] : steps) {
        const QImage before = anim->record()->hBmpSaved;
        QTest::keyClick(anim, key);
        EXPECT_EQ(anim->currentFrame(), to);
        EXPECT_NE(anim->record()->hBmpSaved, before) << "the square moved, and its dots with it";
    }
    QTest::keyClick(anim, Qt::Key_Space);
    EXPECT_TRUE(anim->playing());
    std::set<int> shown;  // at 25 frames a second, over 0.6 s
    for (int i = 0; i < 30; ++i) QTest::qWait(20), shown.insert(anim->currentFrame());
    EXPECT_GE(shown.size(), 3u) << "it plays";
    for (int i = 0; i < 6; i += 5) {
        anim->showFrame(i), flush();
        if (const char* out = std::getenv("ORVALIS_SCREENSHOT_DIR"))
            frame->grab().save(QString(out) + QString("/animation-frame%1.png").arg(i));
    }
    anim->showFrame(2);
    frame->WmCommand(Command::SetDepthView);
    EXPECT_EQ(frame->stereoMarks().depth.hwnd, anim);
    openFile(writeBmp("texture.bmp", 64, 64)), frame->WmCommand(Command::SetBackground), frame->WmCommand(Command::CreateStereo);
    ASSERT_NE(activeBmp(), anim);
    EXPECT_EQ(std::make_pair(activeBmp()->record()->Xsize, activeBmp()->record()->Ysize), std::make_pair(200, 100));
    FrameMdiArea()->setActiveSubWindow(anim->subWindow());

    for (const char* name : {"again.webp", "again.gif", "again.mp4", "again.webm", "seq.png"}) {
        EXPECT_EQ(anim->saveDocument(tmp / name), "") << name;
        EXPECT_EQ(std::string(name) == "seq.png" ? int(fs::exists(tmp / "seq0005.png") && !fs::exists(tmp / "seq0006.png")) * 6
                                                 : FramesOf(tmp / name), 6) << name;
    }

    const int windows = windowCount();
    // Refused in the dialog, or by the run: one box each, saying why, and no window.
    const struct { std::string source, said; } refused[] = {
        {tmp / "d%q.bmp", "Depth frames: "}, {tmp / "none%04d.bmp", "The animated stereogram was not made:\n"}};
    for (const auto& r : refused) {
        rec.clear();
        AnswerAnimationDialog({r.source, tmp / "none.gif", 0});
        frame->WmCommand(Command::CreateAnimation), flush();
        ASSERT_EQ(rec.boxes.size(), 1u) << r.source;
        EXPECT_EQ(rec.boxes[0].text.rfind(r.said, 0), 0u) << rec.boxes[0].text;
        EXPECT_EQ(windowCount(), windows);
        EXPECT_FALSE(fs::exists(tmp / "none.gif"));
    }

    // Cancel at the first chance, on frames large enough that the run cannot end before it.
    const std::string cancelled = tmp / "cancelled.webp";
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible())
                p->findChild<QPushButton*>()->click(), press.stop();
    });
    press.start(0);
    AnswerAnimationDialog({pattern, cancelled, 1, 1600, 1200});
    frame->WmCommand(Command::CreateAnimation), flush();
    EXPECT_FALSE(press.isActive()) << "no progress dialog came";
    EXPECT_EQ(windowCount(), windows);
    EXPECT_FALSE(fs::exists(cancelled));

    rec.clear();
    ASSERT_NE(OpenAnimationWindow(gif, "short", 2 * 200 * 100 * 4), nullptr);
    auto* part = qobject_cast<AnimationChild*>(ActiveChild());
    EXPECT_EQ(part->frameCount(), 2);
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_NE(rec.boxes[0].text.find("first 2 frames"), std::string::npos) << rec.boxes[0].text;
}
