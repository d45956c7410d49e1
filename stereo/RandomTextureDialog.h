#pragma once
// "New random texture": a picture document of random dots sized for the current options.
#include "documents/opened_file.h"
#include "stereo/stereo_options.h"

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLineEdit;

class RandomTextureDialog : public QDialog {
    Q_OBJECT
public:
    // Starts with a fresh seed and colour dots.
    explicit RandomTextureDialog(QWidget* owner);
    uint32_t seed() const { return seed_; }
    bool blackAndWhite() const;

private:
    void accept() override;

    QLineEdit* seedEdit;
    QCheckBox* bwBox;
    uint32_t seed_ = 0;
};

// Asks for the seed and kind, then opens the texture as a picture document ("RANDOMTEXTURE",
// 2 x the background separation of `options` wide, 256 high). Null when cancelled or not made.
OPENEDFILE* NewRandomTexture(const StereoOptions& options);
// The document without asking.
OPENEDFILE* OpenRandomTexture(const StereoOptions& options, uint32_t seed, bool blackAndWhite);
