#pragma once
// File > Open from gallery: the gallery's depth maps as thumbnails to choose from.
#include <string>
#include <vector>

class QWidget;
struct GalleryEntry;

// Shows the entries (and, below them, the sidecars left out and why); returns the index of the
// chosen entry, or -1 when the dialog is cancelled.
int ChooseGalleryEntry(QWidget* parent, const std::vector<GalleryEntry>& entries,
                       const std::vector<std::string>& problems);
