#include "app/registry.h"
#include "documents/opened_file.h"
#include "platform/key_store.h"
#include "platform/message_box.h"
#include "tests/common/test_files.h"
#include "workspace/settings.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(ValidateWinpos, PullsRectanglesOntoTheScreen) {
    const std::pair<RECT32, RECT32> cases[] = {
        {{100, 50, 3000, 700}, {0, 50, 1024, 700}},      // wider than the screen: cut, then moved back
        {{-4, 10, 800, 600}, {0, 10, 804, 600}},         // maximised rectangle: moved, width kept
        {{900, 100, 1200, 400}, {724, 100, 1024, 400}},  // past the far side: moved back inside
        {{10, -8, 500, 300}, {10, 0, 500, 308}},         // vertical axis alike
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},          // exactly the screen
    };
    for (auto [in, out] : cases) {
        SpU_validate_winpos(in, 1024, 768);
        EXPECT_EQ(std::tie(in.left, in.top, in.right, in.bottom), std::tie(out.left, out.top, out.right, out.bottom));
    }
}

TEST(StatusLine, PartEdgesFollowTheFrameWidth) {
    EXPECT_EQ(StatusPartEdges(1000), (std::array<int, 8>{300, 500, 600, 700, 800, 800, 1000, 1100}));
    EXPECT_EQ(StatusPartEdges(500), (std::array<int, 8>{150, 250, 300, 350, 400, 400, 500, 550}));
}

TEST(DocumentList, KeepsCreationOrderAndRelinksOnDelete) {
    QWidget a, b, c, stranger;
    ASSERT_EQ(FirstFileStruct(), nullptr);
    OPENEDFILE *ra = AddFileStruct(&a, "A"), *rb = AddFileStruct(&b, "B"), *rc = AddFileStruct(&c, "C");
    EXPECT_EQ(std::make_tuple(FirstFileStruct(), GetLastFileStruct(), GetFileStruct(&b), GetFileStruct(&stranger)),
              std::make_tuple(ra, rc, rb, nullptr));
    EXPECT_EQ(rb->Filename, "B");
    EXPECT_EQ(DelFileStruct(&stranger), 0);
    EXPECT_EQ(DelFileStruct(&b), 1);
    EXPECT_EQ(std::make_pair(ra->NextFile, rc->PrevFile), std::make_pair(rc, ra));
    EXPECT_EQ(DelFileStruct(&a), 1);
    EXPECT_EQ(std::make_pair(FirstFileStruct(), rc->PrevFile), std::make_pair(rc, (OPENEDFILE*)nullptr));
    // A record still waiting for its window is found by the null handle.
    OPENEDFILE* waiting = AddFileStruct(nullptr, "W");
    EXPECT_EQ(GetFileStruct(nullptr), waiting);
    EXPECT_EQ(DelFileStruct(nullptr) + DelFileStruct(&c), 2);
    EXPECT_EQ(std::make_pair(FirstFileStruct(), GetLastFileStruct()), std::make_pair((OPENEDFILE*)nullptr, (OPENEDFILE*)nullptr));
}

// A block with one zero byte after the data; missing files, and files that grow while read.
TEST(LoadFile, ReadsWholeFilesAndReportsMissingOnes) {
    platform::MessageRecorder rec;
    const TempDir dir("orvalis-loadfile");
    for (const std::string text : {"", "abc"}) {
        uint32_t size = 99;
        std::unique_ptr<unsigned char[]> block(LoadFile(WriteFileBytes(dir / "f", {text.begin(), text.end()}), &size));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(std::make_pair(size_t(size), std::string(reinterpret_cast<char*>(block.get()))), std::make_pair(text.size(), text));
    }
    uint32_t size = 0;
    EXPECT_EQ(LoadFile("/nonexistent/x.gif", &size), nullptr);
    EXPECT_EQ(LoadFile("/proc/self/stat", &size), nullptr) << "a file that grows past its size while read";
    // The boxes' captions are checked with the frame's file faults.
    EXPECT_EQ(rec.texts(), std::vector<std::string>({"Couldn't open file:/nonexistent/x.gif", "Error reading file"}));
}

TEST(ExecDialog, DialogWithoutProcedureEndsWithTheButtonId) {
    for (const char* id : {"1", "42"}) {
        QDialog dlg;
        for (const char* name : {"1", "42"}) new QPushButton(name, &dlg);
        for (QPushButton* b : dlg.findChildren<QPushButton*>()) b->setObjectName(b->text());
        QTimer::singleShot(0, dlg.findChild<QPushButton*>(id), &QPushButton::click);
        EXPECT_EQ(ExecDialog(&dlg, false), std::atoi(id));
    }
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1); }
    void TearDown() override { setenv("XDG_CONFIG_HOME", old.c_str(), 1); }
    std::string valuePath() const { return keystore::KeyFolder(SettingsKeyPath()) + "/Settings"; }
    const std::string old = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    TempDir dir{"orvalis-reg"};
};

TEST_F(RegistryTest, FirstRunUsesDefaultsAndSavesA536ByteValue) {
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
// stops, blocks nor reads without end.
TEST_F(RegistryTest, AnythingButARegularFileOfTheRightSizeIsAFailedReadAndSavingLosesNothing) {
    namespace fs = std::filesystem;
    const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
        {"535 bytes", [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(535, '\x7f'); }},
        {"537 bytes", [](const std::string& p) { std::ofstream(p, std::ios::binary) << std::string(537, '\x7f'); }},
        {"a folder", [](const std::string& p) { fs::create_directories(p + "/kept"); }},
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"a link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
    };
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
