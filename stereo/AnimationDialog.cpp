#include "stereo/AnimationDialog.h"

#include "images/picture_document.h"
#include "images/picture_writer.h"
#include "images/qt_picture_reader.h"
#include "platform/message_box.h"
#include "stereo/AnimationChild.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <new>

namespace {

void Say(const std::string& text) {
    platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

// The field a refusal of the request concerns, by the command-line option it names.
QString FieldOf(const std::string& option) {
    static const std::pair<const char*, const char*> fields[] = {
        {"--depth", "Depth frames"}, {"--texture", "Texture"}, {"-o", "Output file"}, {"--animate-texture", "Texture mode"},
        {"--fps", "Frames a second"}, {"--frames", "Frames"}, {"--size", "Size"}, {"--colors", "Colours"}};
    for (const auto& [opt, field] : fields)
        if (option == opt) return field;
    return {};
}

// "depth0003.png" to "depth%04d.png": a picture of a numbered sequence stands for all of it.
QString PatternOf(const QString& path) {
    const QFileInfo info(path);
    const QRegularExpressionMatch m = QRegularExpression(R"(^(.*?)(\d+)(\.[^.]+)$)").match(info.fileName());
    if (!m.hasMatch() || IsAnimatedPictureName(path.toStdString())) return path;
    const QString name = m.captured(1).replace('%', "%%") + QString("%0%1d").arg(m.captured(2).size()) + m.captured(3);
    return info.dir().filePath(name);
}

// Removes what a run wrote: the file, or each picture of a numbered sequence.
void RemoveOutput(const std::string& output, int frames) {
    std::error_code ec;
    FramePattern p;
    if (output.find('%') == std::string::npos || !ParseFramePattern(output, p).empty()) {
        std::filesystem::remove(output, ec);
        return;
    }
    for (long i = 0; i <= frames; ++i) std::filesystem::remove(FrameName(p, i), ec);
}

// A row's label whose key goes to `buddy` (a row holding a layout gets none by itself).
QLabel* BuddyLabel(const char* text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

QSpinBox* SizeBox(QWidget* parent, const char* name) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 16384);
    box->setSpecialValueText("the source's");
    return box;
}

// The fields of the last run's dialog, offered again while the program runs.
struct {
    QString source, output;
    int format = 0;
} last;

}  // namespace

AnimationDialog::AnimationDialog(QWidget* owner, const StereoOptions& o, bool backgroundMarked)
    : QDialog(owner), options(o) {
    setWindowTitle("Create animated stereogram");
    auto* form = new QFormLayout(this);
    sourceEdit = new QLineEdit(this);
    sourceEdit->setObjectName("source");
    sourceEdit->setPlaceholderText("depth%04d.png, a folder, a GIF, WebP, video or 3-D model");
    sourceEdit->setMinimumWidth(360);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceEdit);
    auto* browse = new QPushButton("&Browse...", this);
    auto* folder = new QPushButton("Fo&lder...", this);
    sourceRow->addWidget(browse);
    sourceRow->addWidget(folder);
    connect(browse, &QPushButton::clicked, this, &AnimationDialog::browseSource);
    connect(folder, &QPushButton::clicked, this, &AnimationDialog::browseFolder);
    form->addRow(BuddyLabel("&Depth frames:", sourceEdit), sourceRow);

    textureBox = new QComboBox(this);
    textureBox->setObjectName("texture");
    textureBox->addItems({"Random dots", "Random black-and-white dots", "The marked background picture"});
    if (!backgroundMarked) textureBox->setItemData(2, 0, Qt::UserRole - 1);  // shown, not chosen
    form->addRow("&Texture:", textureBox);
    modeBox = new QComboBox(this);
    modeBox->setObjectName("mode");
    modeBox->addItems({"Automatic (coherent for dots, still for a picture)", "Coherent: dots stay where the depth stays",
                       "Fresh: new dots every frame (flickers)", "Still: one texture throughout (the shape shows)"});
    form->addRow("Texture &mode:", modeBox);

    sourceEdit->setText(last.source);
    outputEdit = new QLineEdit(last.output.isEmpty() ? QDir::home().filePath("stereogram.gif") : last.output, this);
    outputEdit->setObjectName("output");
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(outputEdit);
    auto* browseOut = new QPushButton("Bro&wse...", this);
    outputRow->addWidget(browseOut);
    connect(browseOut, &QPushButton::clicked, this, &AnimationDialog::browseOutput);
    form->addRow(BuddyLabel("&Output file:", outputEdit), outputRow);
    formatBox = new QComboBox(this);
    formatBox->setObjectName("format");
    for (const char* name : kFormatNames) formatBox->addItem(name);
    formatBox->setCurrentIndex(last.format);
    connect(formatBox, &QComboBox::currentIndexChanged, this, &AnimationDialog::formatChosen);
    form->addRow("&Format:", formatBox);

    widthBox = SizeBox(this, "width");
    heightBox = SizeBox(this, "height");
    widthBox->setValue(options.OutWidth), heightBox->setValue(options.OutHeight);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(widthBox);
    sizeRow->addWidget(new QLabel("x", this));
    sizeRow->addWidget(heightBox);
    sizeRow->addStretch();
    form->addRow(BuddyLabel("&Size:", widthBox), sizeRow);
    fpsBox = new QDoubleSpinBox(this);
    fpsBox->setObjectName("fps");
    fpsBox->setRange(0, 100);
    fpsBox->setDecimals(1);
    fpsBox->setSpecialValueText("the source's (25 when it has none)");
    form->addRow("Frames a s&econd:", fpsBox);
    framesBox = new QSpinBox(this);
    framesBox->setObjectName("frames");
    framesBox->setRange(0, 1000000);
    framesBox->setSpecialValueText("all of the source's (36 of a model)");
    form->addRow("F&rames:", framesBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AnimationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AnimationDialog::reject);
    form->addRow(buttons);
}

void AnimationDialog::browseSource() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Depth frames", QFileInfo(sourceEdit->text()).path(),
        "Depth frames (*.png *.bmp *.jpg *.jpeg *.tif *.tiff *.pgm *.gif *.webp *.mp4 *.webm *.mkv *.avi *.mov "
        "*.obj *.stl *.ply *.gltf *.glb *.fbx *.3ds *.dxf);;All files (*)");
    if (!path.isEmpty()) sourceEdit->setText(PatternOf(path));
}

void AnimationDialog::browseFolder() {
    const QString dir = QFileDialog::getExistingDirectory(this, "Folder of depth pictures", sourceEdit->text());
    if (!dir.isEmpty()) sourceEdit->setText(dir);
}

void AnimationDialog::browseOutput() {
    const QString path = QFileDialog::getSaveFileName(this, "Output file", outputEdit->text());
    if (path.isEmpty()) return;
    outputEdit->setText(path);
    formatChosen(formatBox->currentIndex());
}

void AnimationDialog::formatChosen(int index) {
    if (index < 0) return;
    QString name = outputEdit->text();
    // Whatever ending the name had, its format's or another, gives way to the chosen one's.
    for (const char* end : kFormatEndings)
        if (name.endsWith(end, Qt::CaseInsensitive)) name.chop(int(std::strlen(end)));
    if (const qsizetype dot = name.lastIndexOf('.'); dot > name.lastIndexOf('/')) name.truncate(dot);
    outputEdit->setText(name + kFormatEndings[index]);
}

bool AnimationDialog::markedTextureChosen() const { return textureBox->currentIndex() == 2; }

AnimationRequest AnimationDialog::request(const std::string& markedTexture) const {
    AnimationRequest r;
    r.depth = sourceEdit->text().trimmed().toStdString();
    r.output = outputEdit->text().trimmed().toStdString();
    r.texture = textureBox->currentIndex() == 0 ? "random" : textureBox->currentIndex() == 1 ? "random-bw" : markedTexture;
    r.options = options;
    r.options.OutWidth = r.width = widthBox->value();
    r.options.OutHeight = r.height = heightBox->value();
    const AnimateTexture modes[] = {AnimateTexture::Coherent, AnimateTexture::Coherent, AnimateTexture::Fresh,
                                    AnimateTexture::Still};
    r.mode = modes[modeBox->currentIndex()];
    r.modeGiven = modeBox->currentIndex() != 0;
    r.fps = fpsBox->value();
    r.frames = framesBox->value();
    r.readOther = &LoadQtPictureFile;
    r.writeOther = [](const std::string& path, const Image32& frame) {
        return WritePicture(path, ToQImage(frame), PictureFormatFromName(path));
    };
    return r;
}

void AnimationDialog::accept() {
    // The marked picture is written out only for the run; any picture's name stands for it here.
    const AnimationRefusal refused = CheckAnimationRequest(request("marked.png"));
    if (refused.empty()) {
        last = {sourceEdit->text(), outputEdit->text(), formatBox->currentIndex()};
        return QDialog::accept();
    }
    const QString field = FieldOf(refused.option);
    Say((field.isEmpty() ? QString() : field + ": ").toStdString() + refused.why);
}

OPENEDFILE* RunAnimationRequest(const AnimationRequest& request) {
    std::atomic<bool> cancel{false};
    std::string result;
    int made = 0;
    QProgressDialog progress("Making the animated stereogram...", "Cancel", 0, 0, FrameWindow());
    progress.setWindowTitle(szMBTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QObject::connect(&progress, &QProgressDialog::canceled, [&] { cancel = true; });
    progress.show();
    RunBesideTheWindows([&] {
        // Each frame waits for the bar to show it, so the window answers a Cancel between frames.
        result = MakeAnimation(request, [&](int done, int total) {
            QMetaObject::invokeMethod(&progress, [&, done, total] {
                if (progress.wasCanceled()) cancel = true;
                progress.setMaximum(total);
                progress.setValue(total ? done : 0);
                progress.setLabelText(QString("Making the animated stereogram: frame %1%2").arg(done).arg(
                    total ? QString(" of %1").arg(total) : QString()));
            }, Qt::BlockingQueuedConnection);
            return !cancel;
        }, nullptr, &made);
    });
    progress.disconnect();  // closing it would say "cancelled"
    progress.close();
    if (cancel) {
        // Cancelled after the last frame, the finished file goes too.
        if (result.empty()) RemoveOutput(request.output, made);
        return nullptr;
    }
    if (!result.empty()) return Say("The animated stereogram was not made:\n" + result), nullptr;
    const std::string title = QFileInfo(QString::fromStdString(request.output)).fileName().toStdString();
    return OpenAnimationWindow(request.output, title);
}

OPENEDFILE* CreateAnimatedStereogram(const StereoOptions& options) {
    FrameInterface* frame = TheFrame();
    if (!frame) return nullptr;
    QWidget* marked = frame->stereoMarks().background.hwnd.data();
    OPENEDFILE* background = marked ? GetFileStruct(marked) : nullptr;
    AnimationDialog dlg(FrameWindow(), options, background && !background->hBmpSaved.isNull());
    if (dlg.exec() != QDialog::Accepted) return nullptr;
    // The marked window's picture as it stands, unsaved changes and all, for the run only.
    QTemporaryDir dir;
    std::string texture;
    if (dlg.markedTextureChosen()) {
        background = marked ? GetFileStruct(marked) : nullptr;  // it may have closed meanwhile
        if (!background || background->hBmpSaved.isNull()) return Say("No background selected!"), nullptr;
        texture = dir.filePath("texture.png").toStdString();
        if (std::string why = WritePicture(texture, background->hBmpSaved, PictureFormat::Png); !why.empty())
            return Say("The marked background could not be handed over:\n" + why), nullptr;
    }
    return RunAnimationRequest(dlg.request(texture));
}
