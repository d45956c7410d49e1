#pragma once
// "Stereo calculation options" (dialog 140): edits the run's stereogram values.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <thread>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class StereoOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows `values`; they change only when the dialog ends with "&Go and create it".
    // `textureWidth`, when known (above 0), is the marked texture's width in pixels.
    StereoOptionsDialog(QWidget* owner, StereoOptions& values, int textureWidth = 0);

    ~StereoOptionsDialog() override;
    // Ends with 2 like "&Cancel" (Escape and the close box too).
    void reject() override;

    // The sample depth picture the preview shows: a ball before a slope, grey, white near.
    static Image32 PreviewDepth();
    // The preview of the options (PreviewDepth's stereogram on random dots) as the window shows it.
    static Image32 PreviewOf(const StereoOptions& opts);

private:
    void go();
    StereoFieldTexts fieldTexts() const;
    int chosenViewing() const;  // kViewParallel or kViewCross, as the viewing box shows
    // Remakes the preview off the window's thread; a result older than the newest request is dropped.
    void remakePreview();
    // A relief that would reach the screen takes the background depth back with it, so that the
    // nearest depth stays where it last was.
    void tieBackgroundToRelief(bool reliefChanged);
    // The separations line and its warnings, from the fields as they stand.
    void showSeparations();
    // The millimetre fields typed in set the pixel fields; pixel fields typed in set the millimetres.
    void pixelsFromPhysical();
    void physicalFromPixels();
    // The physical fields read, or the message for the first that is not good.
    std::string readPhysical(PhysicalViewing& p) const;

    StereoOptions& values;
    QLineEdit* oversamEdit;
    QLineEdit* bkdepthEdit;
    QLineEdit* eyeEdit;
    QLineEdit* distanceEdit;
    QCheckBox* blocksBox;
    QCheckBox* hiddenBox;
    QCheckBox* invertBox;
    QLineEdit* widthEdit;
    QLineEdit* heightEdit;
    QComboBox* depthModeBox;  // automatic, classic, grey
    QLineEdit* reliefEdit;
    QCheckBox* dotsBox;
    QLabel* tieNote;      // says when the background depth was moved
    QLabel* separations;  // "Separation 80 px far, 73 px near"
    QLabel* warning;      // what to change, in words
    QLineEdit* eyeMmEdit;
    QLineEdit* distanceMmEdit;
    QLineEdit* dpiEdit;        // the screen's own by default; a print's when typed
    QLineEdit* depthOfFieldEdit;
    QComboBox* viewingBox;     // parallel, cross-eyed
    QLabel* preview;           // shown 1:1
    QLabel* diagram;           // separation against depth, far to near
    QLabel* steps;             // "N distinct depth steps"
    void drawDiagram(const StereoOptions& o);
    QCheckBox* showDepthBox;
    std::thread worker;
    int requested = 0;         // the newest preview asked for
    int textureWidth;
    int64_t nearest = -1;  // background depth + relief when last both good
};

// Runs the dialog over the frame on `values`, with the width of the marked texture if one is
// marked; 1 for "&Go and create it", 2 for "&Cancel".
int RunStereoOptionsDialog(StereoOptions& values);
