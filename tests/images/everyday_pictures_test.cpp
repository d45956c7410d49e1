// The names the extension table does not claim: each format read through the dispatch equals
// Pillow's reading (tests/data/make_everyday.sh), 16-bit grey values kept; content decides.
#include "image_test_util.h"
#include "images/picture_rows.h"
#include "images/qt_picture_reader.h"

#include <set>

namespace {

namespace fs = std::filesystem;
const std::string kEveryday = kDataDir + "everyday/";

// 16-bit grey files keep their grey values beside the picture (ExpectPillowsPicture checks both).
// The PNG, JPEG and TIFF files read by the stereogram's row readers, a few rows at a time,
// give the same.
TEST(EverydayPictures, EachFileReadsAsPillowReadsIt) {
    int files = 0;
    std::set<std::string> streamed;
    for (const auto& e : fs::directory_iterator(kEveryday)) {
        const std::string path = e.path().string();
        if (!fs::exists(path + ".ppm")) continue;
        ++files;
        ExpectPillowsPicture(ReadAnyPictureFile(path), path, path);
        if (std::unique_ptr<PictureRows> rows = OpenPictureRows(path)) {
            streamed.insert(e.path().filename().string());
            PictureResult r;
            r.ok = ReadPictureRows(*rows, 5, r.image);
            ExpectPillowsPicture(r, path, path + " by rows");
        }
    }
    EXPECT_EQ(files, 20);
    EXPECT_EQ(streamed, std::set<std::string>({"grey.png", "grey16.png", "grey16.tiff", "grey16_key.png", "grey4_key.png",
                                               "palette.png", "photo.jpe", "photo.jpeg", "rgb.png", "rgb.tif", "rgba.png"}));
}

TEST(EverydayPictures, ContentDecidesWhereTheNameSaysNothing) {
    const TempDir tmp("orvalis_everyday");
    const fs::path& dir = tmp.path;
    const std::pair<std::string, std::string> renamed[] = {
        {kEveryday + "rgb.png", "depth.dat"}, {kEveryday + "photo.jpeg", "photo.xyz"},
        {kEveryday + "grey16.tiff", "depth"}, {kDataDir + "gif/im_3x3_il.gif", "anim.dat"}};
    for (const auto& [from, to] : renamed) {
        fs::copy_file(from, dir / to);
        const bool gif = fs::path(from).extension() == ".gif";  // its reference is <name>.ppm
        ExpectPillowsPicture(ReadAnyPictureFile(tmp / to), gif ? fs::path(from).replace_extension().string() : from, to);
    }
}

TEST(EverydayPictures, EachRefusalGivesItsReasonBeforeTheDispatchsBox) {
    const TempDir tmp("orvalis_everyday");
    const fs::path& dir = tmp.path;
    std::ofstream(dir / "notes.png") << "just some text\n";
    std::ofstream(dir / "a.Jpg") << "x";  // the table claims .jpg, not .Jpg
    std::ofstream(dir / "huge.pgm") << "P5\n9000 9000\n255\n" << std::string(64, '\0');
    const auto cantOpen = [&](const char* name) {
        return std::make_pair(std::string("Orvalis"), "Can't open file: " + (dir / name).string());
    };
    const std::pair<const char*, Boxes> refused[] = {
        {"notes.png", {{"Error", "The picture could not be read: Unsupported image format."}, cantOpen("notes.png")}},
        {"a.Jpg", {{"Error", "The picture could not be read: Unsupported image format."}, cantOpen("a.Jpg")}},
        {"huge.pgm", {{"Error", "The picture is too large (9000 x 9000 pixels; at most 32768 a side and 67108864 in all)!"},
                      cantOpen("huge.pgm")}},
    };
    for (const auto& [name, boxes] : refused) {
        const PictureResult r = ReadAnyPictureFile((dir / name).string());
        EXPECT_FALSE(r.ok) << name;
        EXPECT_EQ(Messages(r), boxes) << name;  // file faults: the frame's file-fault table
    }
}

}  // namespace
