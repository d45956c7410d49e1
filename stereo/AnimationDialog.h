#pragma once
// Stereo > "Create &animated stereogram...": the dialog choosing the depth frames, the texture,
// the output file and its format, then the animation made off the window's thread under a
// progress bar with Cancel, and the result in an animation window.
#include "documents/opened_file.h"
#include "stereo/animation_job.h"

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

class AnimationDialog : public QDialog {
    Q_OBJECT
public:
    // The request starts from `options` (the run's stereo options); the marked background is
    // offered as a texture only when `backgroundMarked`.
    AnimationDialog(QWidget* owner, const StereoOptions& options, bool backgroundMarked);
    // The request as the fields stand. `markedTexture` is the file the marked background's
    // picture was written to, used when that texture is chosen.
    AnimationRequest request(const std::string& markedTexture) const;
    bool markedTextureChosen() const;
    // OK: the request checked first; a refusal is said in a box and the dialog stays.
    void accept() override;

    // The formats of the output, in the format box's order, and their name endings.
    static constexpr const char* kFormatNames[] = {"Animated GIF", "Animated WebP (lossless)", "PNG sequence",
                                                   "MP4 video (H.264)", "WebM video (VP9)"};
    static constexpr const char* kFormatEndings[] = {".gif", ".webp", "%04d.png", ".mp4", ".webm"};

private:
    void browseSource();
    void browseFolder();
    void browseOutput();
    // The output name takes the ending of the chosen format.
    void formatChosen(int index);

    StereoOptions options;
    QLineEdit* sourceEdit;
    QComboBox* modeBox;     // automatic, coherent, fresh, still
    QComboBox* textureBox;  // random dots, black-and-white dots, the marked background
    QLineEdit* outputEdit;
    QComboBox* formatBox;
    QSpinBox* widthBox;
    QSpinBox* heightBox;
    QDoubleSpinBox* fpsBox;
    QSpinBox* framesBox;
};

// The request made in the background with a progress dialog whose Cancel stops it and leaves no
// file; the result read back into an animation window. Null after a message saying why (none
// when cancelled).
OPENEDFILE* RunAnimationRequest(const AnimationRequest& request);

// The whole command: the dialog over the frame, then RunAnimationRequest. Null when cancelled
// or refused.
OPENEDFILE* CreateAnimatedStereogram(const StereoOptions& options);
