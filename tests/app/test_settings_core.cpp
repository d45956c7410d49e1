#include "platform/file_writer.h"
#include "platform/key_store.h"
#include "tests/common/test_files.h"
#include "workspace/settings.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

template <class T> T At(const std::array<uint8_t, kSettingsSize>& b, size_t off) {
    T v;
    std::memcpy(&v, &b[off], sizeof v);
    return v;
}

TEST(SettingsRecord, DefaultsAndWindowPositionSitAtTheirStoredOffsets) {
    SETTINGS s, back;
    s.MndlW = 1234;  // must be overwritten
    SetDefaultSettings(s);
    auto b = SettingsToBytes(s);
    EXPECT_EQ(std::make_tuple(At<double>(b, 232), At<double>(b, 240), At<double>(b, 248)), std::make_tuple(-0.744846, -0.132678, 0.002463));
    // Little-endian 800, 600, 500, 16, 256 in the five ints from 256.
    const uint8_t ints[] = {0x20, 0x03, 0, 0, 0x58, 0x02, 0, 0, 0xF4, 0x01, 0, 0, 16, 0, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(0, std::memcmp(&b[256], ints, sizeof ints));
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[276]), "palette.pal");
    for (size_t i = 0; i < kSettingsSize; i = i == 231 ? 276 + 12 : i + 1) ASSERT_EQ(b[i], 0) << "byte " << i;  // placement, padding
    // The window position's bits and rectangle.
    s.wpMain.MaximizedWindow = 1;
    s.wpMain.FontSize = 0xAB;
    s.wpMain.NormalWindowPosition = {-4, 10, 800, 600};
    b = SettingsToBytes(s);
    EXPECT_EQ(std::make_tuple(At<uint32_t>(b, 0), At<int32_t>(b, 4), At<int32_t>(b, 8), At<int32_t>(b, 12), At<int32_t>(b, 16)),
              std::make_tuple(1u | (0xABu << 1), -4, 10, 800, 600));
    SettingsFromBytes(back, b.data());
    EXPECT_EQ(std::make_pair(unsigned(back.wpMain.FontSize), back.wpMain.NormalWindowPosition.right), std::make_pair(0xABu, 800));
}

TEST(KeyStore, ValueIsAFileUnderTheConfigFolderWrittenWhole) {
    const TempDir dir("orvalis-ks");
    setenv("XDG_CONFIG_HOME", dir.path.c_str(), 1);
    const std::string key = "Software\\Vennlore\\Orvalis\\1.00";
    EXPECT_EQ(keystore::KeyFolder(key), dir / "Vennlore/Orvalis/1.00");
    bool isNew = false, isNewAgain = true;
    ASSERT_TRUE(keystore::CreateKey(key, &isNew) && keystore::CreateKey(key, &isNewAgain));
    EXPECT_TRUE(isNew && !isNewAgain);
    std::vector<uint8_t> v;
    EXPECT_EQ(keystore::ReadValue(key, "Settings", 10, v), keystore::ReadResult::Missing);
    const std::vector<uint8_t> bytes = {1, 2, 3, 0, 5};
    ASSERT_TRUE(keystore::WriteValue(key, "Settings", bytes.data(), bytes.size()));
    ASSERT_EQ(keystore::ReadValue(key, "Settings", 10, v), keystore::ReadResult::Read);
    EXPECT_EQ(v, bytes);
    EXPECT_EQ(keystore::ReadValue(key, "Settings", 4, v), keystore::ReadResult::Failed);  // longer than asked
    // No temporary file is left beside the value.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(keystore::KeyFolder(key)), {}), 1);
}

// A replaced file keeps its mode and owner, a link keeps pointing at the file it names, and
// neither a writer killed halfway nor a write past the file size limit leaves a stray file.
TEST(OutputFile, ReplacesTheFileWholeAsItWasOrNotAtAll) {
    namespace fs = std::filesystem;
    const TempDir dir("orvalis-out");
    const std::vector<uint8_t> old = {'o', 'l', 'd'}, big(1 << 20, 'x');
    WriteFileBytes(dir / "f", old);
    ::chmod((dir / "f").c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) ::chown((dir / "f").c_str(), 65534, 65534);
    fs::create_directory(dir / "sub");
    fs::create_symlink("../f", dir / "sub/link");
    ASSERT_EQ(WriteFileAtomically(dir / "sub/link", big.data(), 5), "");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::make_pair(st.st_uid, st.st_gid), root ? std::make_pair(65534u, 65534u) : std::make_pair(::getuid(), ::getgid()));
    EXPECT_TRUE(fs::is_symlink(dir / "sub/link"));
    EXPECT_EQ(ReadFileBytes(dir / "f"), std::vector<uint8_t>(5, 'x'));
    WriteFileBytes(dir / "f", old);
    // Killed halfway; and stopped by the file size limit, with the system's reason.
    for (int kill : {1, 0}) {
        const pid_t child = ::fork();
        if (child == 0) {
            const rlimit limit{1 << 16, 1 << 16};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            OutputFile file;
            if (kill && file.open(dir / "f") && ::write(file.fd(), big.data(), 4096) == 4096) ::raise(SIGKILL);
            ::_exit(WriteFileAtomically(dir / "f", big.data(), big.size()) == std::strerror(EFBIG) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(status, kill ? SIGKILL : 0) << kill;
        EXPECT_EQ(ReadFileBytes(dir / "f"), old) << kill;
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"f", "sub"})) << kill;
    }
}

}  // namespace
