#include "app/help_pages.h"

#include "stereo/gallery.h"
#include "stereo/stereo_pictures.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

namespace {

struct KeyRow {
    const char* key;
    const char* does;
};

struct KeyPage {
    const char* name;  // the tab's object name
    const char* tab;
    const char* intro;
    std::initializer_list<KeyRow> rows;
};

const KeyPage kWindowKeys{
    "keysWindows", "Windows",
    "These keys work in every window of the program; the menus show them beside their items.",
    {{"Ctrl+O", "Open one or more files (File, Open)."},
     {"Ctrl+S", "Save the active picture, stereogram, Mandelbrot picture or sound (File, Save)."},
     {"Ctrl+Shift+S", "Save it under a new name or in another format (File, Save As)."},
     {"Ctrl+W or Ctrl+F4", "Close the active window; a window with unsaved changes asks first."},
     {"Ctrl+Q", "Exit: close every window (each asks as above), then the program."},
     {"Ctrl+Tab or Ctrl+F6", "Go to the next window."},
     {"Ctrl+Shift+Tab or Ctrl+Shift+F6", "Go to the previous window."},
     {"Shift+F5", "Cascade the windows."},
     {"Shift+F4", "Tile the windows."},
     {"F1", "This help, at the page of the active window's kind."},
     {"Ctrl+0", "Fit the active picture to its window (View, Fit to window)."},
     {"Ctrl+1", "Show the picture at its own size, 100% (View, Actual size); a stereogram fuses only so."},
     {"Ctrl++ or Ctrl+=, Ctrl+-, Ctrl+wheel", "Zoom the picture in or out, in doubling steps from 1/8 to 8."},
     {"Arrows, Page Up, Page Down, Home, End", "Scroll a picture that is larger than its window."},
     {"Wheel (Shift+wheel: sideways)", "Scroll a picture up and down (left and right)."},
     {"Right click on the empty area", "The Window menu."},
     {"S", "Shimmer, in a random-dot stereogram made here: the window shows it and the same depth on other dots "
           "in turn, a few times a second, so the hidden shape flickers into view; S again stops it."},
     {"Esc", "Cancel a large stereogram being made in the background (its progress shows in the status line)."}}};

const KeyPage kWaveKeys{
    "keysWave", "Wave",
    "Keys typed while a sound's window is active (m and c in lower case only). The view keys change only how the sound is drawn.",
    {{"1", "Channel view: the left channel above, the right channel below, time from left to right."},
     {"2", "X/Y view: every moment of the sound is a point, the left channel across and the right channel up, "
           "joined by lines, as on an oscilloscope."},
     {"3", "Outline view: the X/Y view over your outline. Each left click adds a point to the outline; a line "
           "follows the mouse from the last point."},
     {"4", "Information view: one line with the sampling rate, bits, channels and number of samples."},
     {"i or I", "A box with the same information."},
     {"Enter", "Play the sound once."},
     {"Space", "Play the sound over and over (1000 times); while it plays, stop it."},
     {"p, P, r or R", "Play the sound 1000 times, starting again from the beginning when it plays already."},
     {"m", "Make the sound from the outline: its points, joined by straight lines, are traced once over the whole "
           "length of the sound (left channel across, right channel up), and the X/Y view shows the figure, "
           "mirrored left to right. Needs two points or more. The sound then counts as changed: closing asks, and "
           "Save keeps the new sound."},
     {"c", "Clear the outline; the sound stays as it is."}}};

const KeyPage kMandelKeys{
    "keysMandel", "Mandelbrot",
    "Keys and mouse in a Mandelbrot window. Every change of the view computes the picture again; the status line "
    "shows the time it took (Time: milliseconds).",
    {{"+", "Zoom in by 2. The point half the window's height in from its top left corner stays in place (the "
           "middle of a square window)."},
     {"-", "Zoom out by 1.5 about the same point."},
     {"h or H", "Home: back to the view of the whole set."},
     {"Drag with the left button", "Draw a rectangle; when the button is let go, the view becomes the rectangle: "
                                   "its top left corner and its height (the window keeps its shape)."},
     {"Right click while dragging", "Forget the rectangle."},
     {"Wheel", "Forward: zoom in by 2, back: zoom out by 1.5, about the point under the mouse. Nothing when Ctrl, "
               "Shift or Alt or a mouse button is held."},
     {"Mandel, Paletteshow", "Turn the colours round, a step every tenth of a second; again to stop."},
     {"Mandel, ZoomInShow / ZoomOutShow", "After each finished picture, zoom in (side x 0.8) or out (x 1.2) and "
                                          "compute again, on and on; again to stop."}}};

const KeyPage kOpenGLKeys{
    "keysOpenGL", "OpenGL",
    "Keys and mouse in an OpenGL window (a DXF drawing, GL Aux or GL 1). All OpenGL windows are seen from one "
    "shared view, which a new OpenGL window starts afresh; the status line shows it as Lat (degrees up), Lon "
    "(degrees round) and R (the distance of the eye).",
    {{"Left, Right", "Turn the view round the scene by 2.5 degrees."},
     {"Up, Down", "Tilt the view up or down by 6 degrees."},
     {"Moving or dragging the mouse", "Turn the view half a degree across and half a degree up or down with every "
                                      "move, the way the mouse went."},
     {"Wheel", "Forward: the eye 0.1 nearer, back: 0.1 farther. Nothing when Shift or Ctrl or a mouse button "
               "is held."}}};

const KeyPage kAnimationKeys{
    "keysAnimation", "Animation",
    "Keys in an animation window, which Stereo, Create animated stereogram opens on its result. It plays the "
    "frames over and over; the status line shows which frame is on screen. The frame shown is the window's "
    "picture: set as Depth view, Reveal depth and Copy take that frame, and File, Save As writes all the "
    "frames again as an animated GIF, WebP, PNG sequence, MP4 or WebM video.",
    {{"Space", "Play or pause."},
     {"Right, Left", "Pause and show the next or the previous frame (after the last comes the first)."},
     {"Ctrl+0, Ctrl+1, Ctrl++, Ctrl+-", "Zoom as in a picture window; a stereogram fuses only at 100%."}}};

const KeyPage* const kKeyPages[] = {&kWindowKeys, &kWaveKeys, &kMandelKeys, &kOpenGLKeys, &kAnimationKeys};

QString KeyPageHtml(const KeyPage& page) {
    QString html = QString("<p style='margin-bottom:8px'>%1</p><table cellspacing=0 cellpadding=4>").arg(QString(page.intro).toHtmlEscaped());
    for (const KeyRow& r : page.rows)
        html += QString("<tr><td valign=top style='white-space:nowrap'><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString(r.key).toHtmlEscaped(), QString(r.does).toHtmlEscaped());
    return html + "</table>";
}

const char* const kSeeingHtml =
    "<p>A stereogram hides a shape in a field of dots. Each eye must look at its own copy of the pattern, "
    "which repeats across the picture; when the two copies meet, the shape stands out in depth.</p>"
    "<h3>Parallel viewing (the way these pictures are made)</h3>"
    "<p>Look through the picture as if at something far behind the screen. Bring your face close, so that "
    "everything is blurred, let your eyes relax as when staring into the distance, and move slowly back "
    "without focusing. The two black dots above the picture seem to double into four; when the middle two "
    "meet as one, so that you see three dots in a row, hold that gaze and let it sink into the picture. "
    "After a moment it sharpens and a disc floats in front of the dots.</p>"
    "<h3>Cross viewing</h3>"
    "<p>Cross your eyes instead: hold a fingertip halfway between your eyes and the screen and look at it. "
    "Move the finger until the dots behind it show as three, then look at the picture past the finger. "
    "Seen this way the depth turns over: the disc lies in a hole behind the dots. If you see a hole, you are "
    "crossing your eyes.</p>"
    "<h3>Tips</h3>"
    "<p>Look at a stereogram at its own size: a picture shown larger or smaller repeats at other distances "
    "and does not fuse as made. Keep your head level, blink when you need to, and give it time; the first "
    "time can take minutes. Stereo, Options, \"Convergence dots\" puts the same two dots above your own "
    "stereograms.</p>"
    "<h3>Practice</h3>"
    "<p>The pictures below go from easy to normal: first a disc and a sphere in large black and white dots "
    "with strong relief, then finer coloured dots, then letters on an ordinary texture with less relief. "
    "Go on with Next when one comes easily. File, \"Open from gallery\" has more depth maps to make your own.</p>";

QWidget* SeeingPage() {
    auto* page = new QWidget;
    page->setObjectName("seeing");
    auto* layout = new QVBoxLayout(page);
    auto* text = new QTextBrowser;
    text->setHtml(kSeeingHtml);
    layout->addWidget(text, 1);
    // The practice pictures, easy to normal, one at a time with Back and Next.
    auto steps = std::make_shared<std::vector<PracticeStep>>(PracticeSequence(400, FindGallery()));
    auto* picture = new QLabel;
    picture->setObjectName("practicePicture");
    picture->setAlignment(Qt::AlignCenter);
    picture->setMinimumHeight(300);
    layout->addWidget(picture);
    auto* caption = new QLabel;
    caption->setObjectName("practiceCaption");
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);
    auto* back = new QPushButton("< &Back");
    back->setObjectName("practiceBack");
    auto* next = new QPushButton("&Next >");
    next->setObjectName("practiceNext");
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(back);
    row->addWidget(next);
    row->addStretch();
    layout->addLayout(row);
    StereoOptions near = PracticeOptions();
    near.bkdepth += near.relief;  // the disc's white is the nearest depth
    const QString first = QString(" The two black dots are %1 pixels apart, as far as the dots of the background "
                                  "repeat; the disc repeats every %2 pixels.")
                              .arg(BackgroundSeparation(PracticeOptions()))
                              .arg(BackgroundSeparation(near));
    auto show = [=](int i) {
        const int n = int(steps->size());
        if (i < 0 || i >= n) return;
        const Image32& pic = (*steps)[size_t(i)].picture;
        const QImage img(reinterpret_cast<const uchar*>(pic.px.data()), pic.width, pic.height, pic.width * 4,
                         QImage::Format_RGB32);
        picture->setPixmap(QPixmap::fromImage(img.copy()));
        picture->setProperty("step", i);
        caption->setText(QString("Practice picture %1 of %2: %3").arg(i + 1).arg(n).arg(QString::fromStdString((*steps)[size_t(i)].caption)) +
                         (i == 0 ? first : QString()));
        back->setEnabled(i > 0);
        next->setEnabled(i + 1 < n);
    };
    QObject::connect(back, &QPushButton::clicked, picture, [=] { show(picture->property("step").toInt() - 1); });
    QObject::connect(next, &QPushButton::clicked, picture, [=] { show(picture->property("step").toInt() + 1); });
    show(0);
    return page;
}

QDialog* MakeHelp(QWidget* parent) {
    auto* dlg = new QDialog(parent);
    dlg->setObjectName("Help");
    dlg->setWindowTitle("Orvalis Help");
    auto* tabs = new QTabWidget;
    tabs->setObjectName("helpTabs");
    for (const KeyPage* page : kKeyPages) {
        auto* text = new QTextBrowser;
        text->setObjectName(page->name);
        text->setHtml(KeyPageHtml(*page));
        tabs->addTab(text, QString("Keys: %1").arg(page->tab));
    }
    tabs->addTab(SeeingPage(), "How to see a stereogram");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    auto* layout = new QVBoxLayout(dlg);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    dlg->resize(720, 720);
    return dlg;
}

}  // namespace

void ShowHelp(QWidget* parent, HelpPage page) {
    auto* dlg = parent ? parent->findChild<QDialog*>("Help", Qt::FindDirectChildrenOnly) : nullptr;
    if (!dlg) dlg = MakeHelp(parent);
    dlg->findChild<QTabWidget*>("helpTabs")->setCurrentIndex(int(page));
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
}
