#pragma once
// "Stereo calculation options" (dialog 140): edits the run's stereogram values.
#include "stereo/stereo_options.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

class StereoOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows `values`; they change only when the dialog ends with "&Go and create it".
    StereoOptionsDialog(QWidget* owner, StereoOptions& values);

    // Ends with 2 like "&Cancel" (Escape and the close box too).
    void reject() override;

private:
    void go();

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
};

// Runs the dialog over the frame on `values`; 1 for "&Go and create it", 2 for "&Cancel".
int RunStereoOptionsDialog(StereoOptions& values);
