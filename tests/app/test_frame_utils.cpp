#include "app/registry.h"
#include "documents/opened_file.h"
#include "images/scroll_math.h"
#include "platform/key_store.h"
#include "platform/message_box.h"
#include "workspace/frame_globals.h"
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
    struct Case {
        RECT32 in, out;
    } cases[] = {
        {{100, 50, 3000, 700}, {0, 50, 1024, 700}},   // wider than the screen: cut, then moved back
        {{-4, 10, 800, 600}, {0, 10, 804, 600}},      // maximised rectangle: moved, width kept
        {{900, 100, 1200, 400}, {724, 100, 1024, 400}},  // past the far side: moved back inside
        {{10, -8, 500, 300}, {10, 0, 500, 308}},       // vertical axis alike
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},        // exactly the screen
    };
    for (const auto& c : cases) {
        RECT32 r = c.in;
        SpU_validate_winpos(r, 1024, 768);
        EXPECT_EQ(r.left, c.out.left) << c.in.left << "," << c.in.top;
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.right, c.out.right);
        EXPECT_EQ(r.bottom, c.out.bottom);
    }
}

TEST(StatusLine, PartEdgesFollowTheFrameWidth) {
    EXPECT_EQ(StatusPartEdges(1000), (std::array<int, 8>{300, 500, 600, 700, 800, 800, 1000, 1100}));
    EXPECT_EQ(StatusPartEdges(500), (std::array<int, 8>{150, 250, 300, 350, 400, 400, 500, 550}));
}

TEST(ScrollMath, StepsPagesThumbAndClamping) {
    // 100-pixel picture, 50-pixel client: page 51, maximum 99, largest position 49.
    using namespace scroll;
    EXPECT_EQ(NewPosition(LineDown, 0, 51, 99, 0), 5);
    EXPECT_EQ(NewPosition(LineUp, 3, 51, 99, 0), 0);
    EXPECT_EQ(NewPosition(PageDown, 0, 51, 99, 0), 49);
    EXPECT_EQ(NewPosition(PageUp, 49, 51, 99, 0), 0);
    EXPECT_EQ(NewPosition(ThumbTrack, 0, 51, 99, 30), 30);
    EXPECT_EQ(NewPosition(ThumbPosition, 0, 51, 99, 300), 49);
    EXPECT_EQ(NewPosition(Bottom, 0, 51, 99, 0), 49);
    EXPECT_EQ(NewPosition(Top, 40, 51, 99, 0), 0);
    EXPECT_EQ(NewPosition(EndScroll, 40, 51, 99, 0), -1);
}

TEST(DocumentList, KeepsCreationOrderAndRelinksOnDelete) {
    QWidget a, b, c;
    ASSERT_EQ(FirstFileStruct(), nullptr);
    OPENEDFILE* ra = AddFileStruct(&a, "A");
    OPENEDFILE* rb = AddFileStruct(&b, "B");
    OPENEDFILE* rc = AddFileStruct(&c, "C");
    EXPECT_EQ(FirstFileStruct(), ra);
    EXPECT_EQ(GetLastFileStruct(), rc);
    EXPECT_EQ(GetFileStruct(&b), rb);
    EXPECT_EQ(rb->Filename, "B");
    QWidget stranger;
    EXPECT_EQ(GetFileStruct(&stranger), nullptr);
    EXPECT_EQ(DelFileStruct(&stranger), 0);

    EXPECT_EQ(DelFileStruct(&b), 1);
    EXPECT_EQ(ra->NextFile, rc);
    EXPECT_EQ(rc->PrevFile, ra);
    EXPECT_EQ(DelFileStruct(&a), 1);
    EXPECT_EQ(FirstFileStruct(), rc);
    EXPECT_EQ(rc->PrevFile, nullptr);

    // A record still waiting for its window is found by the null handle.
    OPENEDFILE* waiting = AddFileStruct(nullptr, "W");
    EXPECT_EQ(GetFileStruct(nullptr), waiting);
    EXPECT_EQ(DelFileStruct(nullptr), 1);
    EXPECT_EQ(DelFileStruct(&c), 1);
    EXPECT_EQ(FirstFileStruct(), nullptr);
    EXPECT_EQ(GetLastFileStruct(), nullptr);
}

TEST(LoadFile, ReadsWholeFilesAndReportsMissingOnes) {
    platform::MessageRecorder rec;
    const auto dir = std::filesystem::temp_directory_path();
    const std::string empty = (dir / "orvalis-empty.bin").string();
    { std::ofstream(empty, std::ios::binary); }
    uint32_t size = 99;
    unsigned char* block = LoadFile(empty, &size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(block[0], 0);
    delete[] block;

    const std::string data = (dir / "orvalis-data.bin").string();
    { std::ofstream(data, std::ios::binary) << "abc"; }
    block = LoadFile(data, &size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block)), "abc");
    delete[] block;
    EXPECT_TRUE(rec.boxes.empty());

    EXPECT_EQ(LoadFile("/nonexistent/x.gif", &size), nullptr);
    EXPECT_EQ(LoadFile("/proc/self/stat", &size), nullptr) << "a file that grows past its size while read";
    ASSERT_EQ(rec.boxes.size(), 2u);
    EXPECT_EQ(rec.boxes[0].text, "Couldn't open file:/nonexistent/x.gif");
    EXPECT_EQ(rec.boxes[0].caption, "LoadFile Error");
    EXPECT_EQ(rec.boxes[1].text, "Error reading file");
    std::filesystem::remove(empty);
    std::filesystem::remove(data);
}

TEST(ExecDialog, DialogWithoutProcedureEndsWithTheButtonId) {
    QDialog dlg;
    auto* ok = new QPushButton("OK", &dlg);
    ok->setObjectName("1");
    auto* other = new QPushButton("Other", &dlg);
    other->setObjectName("42");
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(ExecDialog(&dlg, false), 1);
    QDialog dlg2;
    auto* b = new QPushButton("Other", &dlg2);
    b->setObjectName("42");
    QTimer::singleShot(0, b, &QPushButton::click);
    EXPECT_EQ(ExecDialog(&dlg2, false), 42);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("orvalis-reg-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        old = std::getenv("XDG_CONFIG_HOME");
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    void TearDown() override {
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    std::string valuePath() const { return keystore::KeyFolder(SettingsKeyPath()) + "/Settings"; }
    std::filesystem::path dir;
    std::string old;
};

TEST_F(RegistryTest, FirstRunUsesDefaultsAndSavesA536ByteValue) {
    platform::MessageRecorder rec;
    SETTINGS s;
    std::memset(&s, 0x55, sizeof s);
    LoadSettingsInto(s);
    EXPECT_TRUE(rec.boxes.empty());
    EXPECT_EQ(s.MndlW, 800);
    EXPECT_EQ(s.wpMain.NormalWindowPosition.right, 0);
    s.MndlIteration = 999;
    SaveSettingsFrom(s);
    EXPECT_EQ(std::filesystem::file_size(valuePath()), 536u);
    SETTINGS t;
    LoadSettingsInto(t);
    EXPECT_EQ(t.MndlIteration, 999);
    EXPECT_TRUE(rec.boxes.empty());
}

TEST_F(RegistryTest, WrongSizedValueGivesReadBoxAndDefaults) {
    for (size_t size : {535u, 537u}) {
        platform::MessageRecorder rec;
        std::filesystem::create_directories(keystore::KeyFolder(SettingsKeyPath()));
        std::ofstream(valuePath(), std::ios::binary) << std::string(size, '\x7f');
        SETTINGS s;
        LoadSettingsInto(s);
        ASSERT_EQ(rec.boxes.size(), 1u) << size;
        EXPECT_EQ(rec.boxes[0].text, "read");
        EXPECT_EQ(rec.boxes[0].caption, "Registry Error");
        EXPECT_EQ(s.MndlH, 600);
        EXPECT_STREQ(s.Palettefile, "palette.pal");
    }
}

// Whatever sits at the value's path, the start neither stops, blocks nor reads without end.
TEST_F(RegistryTest, AnythingButARegularFileIsAFailedReadAndSavingLosesNothing) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        bool replaced;  // saving puts a 536-byte value in its place
    } cases[] = {
        {"a folder", [](const std::string& p) { fs::create_directories(p + "/kept"); }, false},
        {"a pipe", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, true},
        {"a link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }, true},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir);
        fs::create_directories(keystore::KeyFolder(SettingsKeyPath()));
        c.make(valuePath());
        platform::MessageRecorder rec;
        SETTINGS s;
        LoadSettingsInto(s);
        EXPECT_EQ(rec.texts(), std::vector<std::string>{"read"}) << c.what;
        EXPECT_EQ(s.MndlIteration, 256) << c.what;
        SaveSettingsFrom(s);
        const std::vector<std::string> boxes = c.replaced ? std::vector<std::string>{"read"}
                                                          : std::vector<std::string>{"read", "write"};
        EXPECT_EQ(rec.texts(), boxes) << c.what;
        if (c.replaced) EXPECT_EQ(fs::file_size(valuePath()), 536u) << c.what;
        else EXPECT_TRUE(fs::is_directory(valuePath() + "/kept")) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(keystore::KeyFolder(SettingsKeyPath())), {}), 1) << c.what;
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
    std::filesystem::create_directories(dir.parent_path());
    std::ofstream(dir.string()) << "a file where the folder should be";
    platform::MessageRecorder rec;
    SETTINGS s;
    LoadSettingsInto(s);
    EXPECT_EQ(rec.texts(), std::vector<std::string>({"create"}));
    EXPECT_EQ(s.MndlMaxColors, 16);
    SaveSettingsFrom(s);
    EXPECT_EQ(rec.texts(), std::vector<std::string>({"create", "create", "write"}));
    std::filesystem::remove(dir);
}

}  // namespace
