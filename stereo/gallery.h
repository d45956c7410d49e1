#pragma once
// The gallery: depth maps that come with the program, each with a sidecar file
// (NAME.orvalis-gallery beside NAME.png) that names a texture and the stereogram options to use.
//
// A sidecar holds one setting a line, named as orvalis-cli stereo names its options, without
// the dashes: "relief = 300", "depth-mode = grey", a switch ("dots") alone. "title = ..." is the
// name shown, "texture = textures/x.png" the texture, relative to the sidecar's folder. Blank
// lines and lines starting with '#' are skipped.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <filesystem>
#include <string>
#include <vector>

struct GalleryEntry {
    std::string title;                // the title line, or the depth map's name
    std::filesystem::path depth;      // the depth map
    std::filesystem::path texture;    // the suggested texture
    StereoOptions options;            // the defaults with the sidecar's settings applied
};

// Reads a sidecar's text for the depth map `depth` (its folder resolves the texture). Returns ""
// and fills `out`, or the reason for the first bad line, "line N: ..." (or for the options
// together, which the generator could not use); `out` is then left alone.
std::string ParseGallerySidecar(const std::string& text, const std::filesystem::path& depth, GalleryEntry& out);

// Every sidecar of `dir` whose depth map and texture exist, by file name; each sidecar that
// cannot be used adds "NAME: reason" to `problems`.
std::vector<GalleryEntry> ReadGallery(const std::filesystem::path& dir, std::vector<std::string>* problems = nullptr);

// Where the gallery is looked for: the installed data folder beside the running program
// (bin/../share/orvalis/gallery), then the source tree's samples/gallery the program was built from.
std::vector<std::filesystem::path> GallerySearchDirs();
// The first of them that holds a sidecar; empty when none does.
std::filesystem::path FindGallery();

// The help's practice pictures, from easy to normal: the disc of PracticeStereogram, then the
// gallery's sphere in large black and white dots, its stairs in fine coloured dots and its text
// on the brick tile with less relief; each `width` wide under two convergence dots. Only the
// disc when `gallery` lacks those files.
struct PracticeStep {
    Image32 picture;
    std::string caption;
};
std::vector<PracticeStep> PracticeSequence(int width, const std::filesystem::path& gallery);
