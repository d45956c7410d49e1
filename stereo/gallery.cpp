// The gallery's sidecar files and the folder they are found in.
#include "stereo/gallery.h"
#include "images/picture_file.h"
#include "platform/whole_file.h"
#include "stereo/stereo_pictures.h"

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSidecarEnding = ".orvalis-gallery";
constexpr size_t kMaxSidecar = 64 * 1024;  // a few lines; anything larger is not one of ours

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

enum class Kind { Number, Size, Mode, Viewing, Switch, Texture, Title };
struct Key {
    const char* name;
    Kind kind;
    int field;  // the StereoField of a number
};
const Key kKeys[] = {
    {"oversample", Kind::Number, int(StereoField::Oversample)},
    {"background-depth", Kind::Number, int(StereoField::BackgroundDepth)},
    {"eye", Kind::Number, int(StereoField::Eye)},
    {"distance", Kind::Number, int(StereoField::Distance)},
    {"relief", Kind::Number, int(StereoField::Relief)},
    {"size", Kind::Size, int(StereoField::OutWidth)},
    {"depth-mode", Kind::Mode, 0},
    {"viewing", Kind::Viewing, 0},
    {"invert", Kind::Switch, 0},
    {"hidden", Kind::Switch, 0},
    {"blocks", Kind::Switch, 0},
    {"dots", Kind::Switch, 0},
    {"texture", Kind::Texture, 0},
    {"title", Kind::Title, 0},
};

}  // namespace

std::string ParseGallerySidecar(const std::string& text, const fs::path& depth, GalleryEntry& out) {
    StereoOptions o;
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye), std::to_string(o.o)};
    GalleryEntry e;
    e.depth = depth;
    e.title = depth.stem().string();
    std::map<std::string, int> seen;  // key -> its line
    int lineNo = 0;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(at, end - at));
        at = end + 1;
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        const size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : Trim(line.substr(eq + 1));
        const Key* key = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const Key& k) { return name == k.name; });
        if (key == std::end(kKeys)) return where + "unknown setting '" + name + "'";
        if (!seen.emplace(name, lineNo).second) return where + name + " is given twice";
        if (key->kind == Kind::Switch) {
            if (eq != std::string::npos) return where + name + " takes no value";
        } else if (value.empty()) {
            return where + name + " needs a value (" + name + " = ...)";
        }
        switch (key->kind) {
        case Kind::Number: {
            std::string* const texts[] = {&f.oversam, &f.bkdepth, &f.Eye, &f.o, &f.relief};
            *texts[key->field] = value;
            break;
        }
        case Kind::Size: {
            const size_t x = value.find('x');
            if (x == std::string::npos || x == 0 || x + 1 == value.size())
                return where + "size must be WIDTHxHEIGHT, such as 640x480";
            f.OutWidth = value.substr(0, x);
            f.OutHeight = value.substr(x + 1);
            break;
        }
        case Kind::Mode:
            if (value == "auto") o.DepthMode = kDepthAuto;
            else if (value == "classic") o.DepthMode = kDepthClassic;
            else if (value == "grey") o.DepthMode = kDepthGrey;
            else return where + "depth-mode must be auto, classic or grey";
            break;
        case Kind::Viewing:
            if (value == "parallel" || value == "cross") o.viewing = value == "cross" ? kViewCross : kViewParallel;
            else return where + "viewing must be parallel or cross";
            break;
        case Kind::Switch:
            (name == "invert" ? o.invert : name == "hidden" ? o.dohiddenrem : name == "blocks" ? o.BlocksOnTop : o.dots) = 1;
            break;
        case Kind::Texture: e.texture = (depth.parent_path() / value).lexically_normal(); break;
        case Kind::Title: e.title = value; break;
        }
    }
    if (e.texture.empty()) return "no texture line (texture = NAME)";
    StereoField bad{};
    if (std::string why = ReadStereoFields(f, o, &bad); !why.empty()) {
        // The line of the refused field, when the file set it.
        const char* const names[] = {"oversample", "background-depth", "eye", "distance", "relief", "size", "size"};
        const auto line = seen.find(names[int(bad)]);
        return (line == seen.end() ? std::string("the settings: ") : "line " + std::to_string(line->second) + ": ") + why;
    }
    e.options = o;
    out = std::move(e);
    return "";
}

std::vector<GalleryEntry> ReadGallery(const fs::path& dir, std::vector<std::string>* problems) {
    std::vector<fs::path> sidecars;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == kSidecarEnding) sidecars.push_back(it->path());
    std::sort(sidecars.begin(), sidecars.end());
    std::vector<GalleryEntry> entries;
    for (const fs::path& s : sidecars) {
        const auto say = [&](const std::string& why) {
            if (problems) problems->push_back(s.filename().string() + ": " + why);
        };
        const WholeFile file = ReadWholeFile(s.string(), 0, kMaxSidecar);
        if (!file) {
            say(file.fault == FileFault::Size ? "too large for a sidecar" : "cannot be read");
            continue;
        }
        GalleryEntry e;
        fs::path depth = s;
        depth.replace_extension(".png");
        if (std::string why = ParseGallerySidecar(std::string(file.data(), file.data() + file.size), depth, e); !why.empty())
            say(why);
        else if (!fs::is_regular_file(e.depth, ec))
            say("its depth map " + e.depth.filename().string() + " is missing");
        else if (!fs::is_regular_file(e.texture, ec))
            say("its texture " + e.texture.string() + " is missing");
        else
            entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<fs::path> GallerySearchDirs() {
    std::vector<fs::path> dirs;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) dirs.push_back((exe.parent_path() / ORVALIS_DATA_FROM_BIN / "gallery").lexically_normal());
    dirs.push_back(ORVALIS_SOURCE_GALLERY);
    return dirs;
}

fs::path FindGallery() {
    for (const fs::path& dir : GallerySearchDirs()) {
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == kSidecarEnding) return dir;
    }
    return {};
}

namespace {

// A gallery picture through the program's PNG reader; empty when it does not read.
Image32 ReadGalleryPng(const fs::path& path) {
    const WholeFile file = ReadWholeFile(path.string());
    if (!file) return {};
    PictureResult r = ReadPngBytes(file.data(), file.size);
    return r.ok ? std::move(r.image) : Image32{};
}

// Each dot of `t` as a k x k block.
Image32 Enlarged(const Image32& t, int k) {
    Image32 out(t.width * k, t.height * k);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = t.at(x / k, y / k);
    return out;
}

}  // namespace

std::vector<PracticeStep> PracticeSequence(int width, const fs::path& gallery) {
    std::vector<PracticeStep> steps;
    steps.push_back({PracticeStereogram(width, width / 2),
                     "A disc in black and white dots, standing well out of the background."});
    if (steps.back().picture.empty()) return {};
    if (gallery.empty()) return steps;
    struct Made {
        const char* depth;
        const char* texture;  // a gallery texture, or "" for random dots
        int relief, dotSize;
        bool bw;
        const char* caption;
    };
    const Made made[] = {
        {"sphere.png", "", 200, 2, true, "A sphere in large black and white dots: a rounded shape."},
        {"stairs.png", "", 160, 1, false, "Stairs in fine coloured dots: flat steps, each a little nearer than the last."},
        {"text.png", "textures/tile.png", 120, 1, false,
         "Letters on a brick texture with less relief, as most stereograms are made."},
    };
    for (const Made& m : made) {
        const Image32 depth = ReadGalleryPng(gallery / m.depth);
        StereoOptions o = PracticeOptions();
        o.relief = m.relief;
        const int sep = BackgroundSeparation(o);
        Image32 texture = *m.texture ? ReadGalleryPng(gallery / m.texture)
                                     : Enlarged(RandomDotTexture((sep + m.dotSize - 1) / m.dotSize, m.bw, 7), m.dotSize);
        if (depth.empty() || texture.empty()) break;
        o.OutWidth = width;
        o.OutHeight = std::max(kMinOutSide, int(int64_t(depth.height) * width / depth.width));
        Image32 stereo;
        if (!MakeStereoPicture(texture, depth, o, stereo)) break;
        steps.push_back({BelowConvergenceBand(stereo, sep, 4), m.caption});
    }
    return steps;
}
