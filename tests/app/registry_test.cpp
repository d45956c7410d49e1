#include "app/registry.h"
#include "platform/key_store.h"
#include "platform/message_box.h"
#include "stereo/stereo_options.h"
#include "tests/common/test_files.h"
#include "workspace/settings.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

namespace {

struct RegistryTest : ::testing::Test {
    void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1); }
    void TearDown() override { setenv("XDG_CONFIG_HOME", old.c_str(), 1); }
    std::string valuePath() const { return keystore::KeyFolder(SettingsKeyPath()) + "/Settings"; }
    const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    TempDir dir{"orvalis-reg"};
};

TEST_F(RegistryTest, FirstRunStartsFromDefaultsThatSaveAsA536ByteValue) {
    platform::MessageRecorder rec;
    SETTINGS s, t;
    std::memset(&s, 0x55, sizeof s);
    LoadSettingsInto(s);
    EXPECT_EQ(std::make_pair(s.MndlW, s.wpMain.NormalWindowPosition.right), std::make_pair(800, 0));
    s.MndlIteration = 999;
    SaveSettingsFrom(s);
    LoadSettingsInto(t);
    EXPECT_EQ(std::make_tuple(std::filesystem::file_size(valuePath()), t.MndlIteration, rec.boxes.size()), std::make_tuple(536u, 999, 0u));
}

// A value of the wrong size reads as defaults. Whatever sits at the value's path, the start neither
// stops, blocks nor reads without end. Columns: what sits there, how it is made.
TEST_F(RegistryTest, AnythingButARegularFileOfTheRightSizeGivesDefaultsThatSaveOverIt) {
    namespace fs = std::filesystem;
    const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
        {"535 bytes", [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(535, '\x7f'); }},
        {"537 bytes", [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(537, '\x7f'); }},
        {"a folder", [](const std::string& p) { fs::create_directories(p + "/kept"); }},
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }}};
    for (const auto& [what, make] : cases) {
        fs::remove_all(dir.path);
        fs::create_directories(keystore::KeyFolder(SettingsKeyPath()));
        make(valuePath());
        platform::MessageRecorder rec;
        SETTINGS s;
        LoadSettingsInto(s);
        EXPECT_EQ(std::make_tuple(rec.texts(), rec.boxes[0].caption, s.MndlIteration, std::string(s.Palettefile)),
                  std::make_tuple(std::vector<std::string>{"read"}, "Registry Error", 256, "palette.pal")) << what;
        SaveSettingsFrom(s);  // a folder cannot be replaced, anything else can
        const bool folder = what[2] == 'f';
        EXPECT_EQ(rec.texts(), (folder ? std::vector<std::string>{"read", "write"} : std::vector<std::string>{"read"})) << what;
        EXPECT_TRUE(folder ? fs::is_directory(valuePath() + "/kept") : fs::file_size(valuePath()) == 536u) << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(keystore::KeyFolder(SettingsKeyPath())), {}), 1) << what;
    }
}

// A save cut short by a kill leaves its temporary behind; the next start clears those of
// processes that are gone, and nothing else.
TEST_F(RegistryTest, StartRemovesTemporariesOfEndedSaves) {
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string folder = keystore::KeyFolder(SettingsKeyPath());
    std::filesystem::create_directories(folder);
    const std::pair<std::string, bool> files[] = {  // name, still there after the start
        {"Settings.tmp." + std::to_string(gone), false}, {"Settings.tmp." + std::to_string(::getpid()), false},
        {"Settings.tmp." + std::to_string(::getppid()), true},  // a save going on in a live process
        {"Settings.tmp.12x", true}, {"Other.tmp." + std::to_string(gone), true}, {"Settings.tmp.", true}};
    for (const auto& f : files) std::ofstream(folder + "/" + f.first) << "partial";
    SETTINGS s;
    LoadSettingsInto(s);
    for (const auto& f : files) EXPECT_EQ(std::filesystem::exists(folder + "/" + f.first), f.second) << f.first;
}

// The stereo options beside the record: written as worked out by hand, read back whole; a value the
// program cannot take gives the defaults (a wrong size with the record's "read" box, bad contents quietly).
TEST_F(RegistryTest, StereoOptionsAreReadBackAndAnUnusableValueGivesTheDefaults) {
    platform::MessageRecorder rec;
    const StereoOptions o{4, -2000, 90, 500, 1, 0, 0, kDepthClassic, 1000, 640, 480, kMarksTriangles, kViewCross, 300, 4};
    StereoOptions back{6};
    LoadStereoOptions(back);  // none stored yet
    EXPECT_EQ(StereoOptionsToBytes(back), StereoOptionsToBytes(StereoOptions{}));
    SaveStereoOptions(o);
    LoadStereoOptions(back);
    EXPECT_EQ(StereoOptionsToBytes(back), StereoOptionsToBytes(o));
    const std::string path = keystore::KeyFolder(SettingsKeyPath()) + "/StereoOptions";
    std::ifstream in(path, std::ios::binary);
    // "OSO3", 4, -2000 (0xFFFFF830), 90... 2 (triangles), 1 (cross), 300 dpi (0x12C), smooth 4
    const std::string good{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(std::string(good.data(), 13), std::string("OSO3\x04\0\0\0\x30\xF8\xFF\xFF\x5A", 13));
    EXPECT_EQ(good.substr(48), std::string("\x02\0\0\0\x01\0\0\0\x2C\x01\0\0\x04\0\0\0", 16));
    // The older records: without the DPI and smoothing (none), and without the viewing too (parallel).
    StereoOptions older = o;
    older.dpi = older.smooth = 0;
    for (const std::string& record : {"OSO2" + good.substr(4, 52), "OSO1" + good.substr(4, 48)}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << record;
        LoadStereoOptions(back);
        EXPECT_EQ(StereoOptionsToBytes(back), StereoOptionsToBytes(older)) << record.substr(0, 4);
        older.viewing = kViewParallel;
    }
    auto with = [&](size_t at, char v) { std::string b = good; b[at] = v; return b; };
    const std::tuple<const char*, std::string, bool> cases[] = {  // what, value, the "read" box
        {"51 bytes", good.substr(0, 51), true}, {"53 bytes", good.substr(0, 53), true}, {"65 bytes", good + '1', true},
        {"no tag", with(0, 'X'), false}, {"new tag, old size", good.substr(0, 56), false}, {"viewing 2", with(52, 2), false},
        {"marks 3", with(48, 3), false}, {"smooth 33", with(60, 33), false}, {"dpi 10028 (0x272C)", with(57, 0x27), false},
        {"oversample 3", with(4, 3), false}, {"switch 2", with(20, 2), false}, {"depth mode 3", with(32, 3), false},
        {"eye 0", with(12, 0), false}, {"relief 4328", with(37, 0x10), false}};
    for (const auto& [what, value, box] : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << value;
        rec.clear();
        back = o;
        LoadStereoOptions(back);
        EXPECT_EQ(StereoOptionsToBytes(back), StereoOptionsToBytes(StereoOptions{})) << what;
        EXPECT_EQ(rec.texts(), box ? std::vector<std::string>{"read"} : std::vector<std::string>{}) << what;
    }
}

TEST_F(RegistryTest, UncreatableKeyGivesCreateThenWriteBoxes) {
    std::filesystem::remove_all(dir.path);
    std::ofstream(dir.path.string()) << "a file where the folder should be";
    platform::MessageRecorder rec;
    SETTINGS s;
    LoadSettingsInto(s);
    EXPECT_EQ(std::make_pair(rec.texts(), s.MndlMaxColors), std::make_pair(std::vector<std::string>{"create"}, 16));
    SaveSettingsFrom(s);
    EXPECT_EQ(rec.texts(), std::vector<std::string>({"create", "create", "write"}));
}

}  // namespace
