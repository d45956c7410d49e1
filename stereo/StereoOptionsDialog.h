#pragma once
// "Stereo calculation options" (dialog 140): edits the run's stereogram values.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <functional>
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

    // The sample depth picture the preview shows when none is marked: a ball before a slope, grey, white near.
    static Image32 PreviewDepth();
    // The preview of the options as the window shows it, 1:1: the middle kPreviewWidth x
    // kPreviewHeight (or less) of the stereogram the options make of `depth` on `texture`, without
    // the band of marks; with no pictures, PreviewDepth's stereogram on random dots (grey depth, its
    // own size). Empty when the options or pictures are unusable, or when `stop` says so between rows.
    static Image32 PreviewOf(const StereoOptions& opts, const Image32* texture = nullptr,
                             const Image32* depth = nullptr, const std::function<bool()>& stop = {});
    // The part of the depth picture under that preview, at the preview's size.
    static Image32 PreviewDepthOf(const StereoOptions& opts, const Image32* depth = nullptr);
    static constexpr int kPreviewWidth = 400, kPreviewHeight = 200;
    // The marked pictures the preview is made from; `greyView` for a window's depth view, which
    // is always read in grey mode.
    void usePictures(Image32 texture, Image32 depth, bool greyView);

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
    QComboBox* marksBox;  // off, dots, triangles
    QLineEdit* smoothEdit;
    // The smoothing radius typed (empty: 0); false when it is no whole number from 0 to 32.
    bool readSmooth(int& radius) const;
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
    std::atomic<int> requested{0};  // the newest preview asked for; an older one stops between rows
    std::shared_ptr<const Image32> markedTexture, markedDepth;
    bool greyView = false;
    int textureWidth;
    int64_t nearest = -1;  // background depth + relief when last both good
};

// Runs the dialog over the frame on `values`, with the width of the marked texture if one is
// marked; 1 for "&Go and create it", 2 for "&Cancel".
int RunStereoOptionsDialog(StereoOptions& values);
