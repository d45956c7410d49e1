#pragma once
// "New text depth...": a text's depth map (stereo/text_depth.h) made in a dialog with a live
// preview, opened as a picture document marked as the stereogram's depth.
#include "documents/opened_file.h"

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QFontComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TextDepthDialog : public QDialog {
    Q_OBJECT
public:
    explicit TextDepthDialog(QWidget* owner);
    std::string text() const;
    std::string family() const;
    int depthWidth() const;
    int depthHeight() const;
    double bevel() const;

private:
    void updatePreview();

    QLineEdit* textEdit;
    QFontComboBox* fontBox;
    QSpinBox *bevelBox, *widthBox, *heightBox;
    QLabel* preview;
};

// The document without asking: "Text depth: TEXT", 16-bit grey, marked as depth. Null (after
// a box saying why) when the text cannot be drawn.
OPENEDFILE* OpenTextDepth(const std::string& text, const std::string& family, int width, int height, double bevel);
// Asks, then opens it; null when cancelled.
OPENEDFILE* NewTextDepth();
