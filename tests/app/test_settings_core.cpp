#include "platform/key_store.h"
#include "workspace/settings.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

template <class T> T At(const std::array<uint8_t, kSettingsSize>& b, size_t off) {
    T v;
    std::memcpy(&v, &b[off], sizeof v);
    return v;
}

TEST(SettingsRecord, DefaultsSitAtTheirStoredOffsets) {
    SETTINGS s;
    s.MndlW = 1234;  // must be overwritten
    SetDefaultSettings(s);
    const auto b = SettingsToBytes(s);
    EXPECT_EQ(At<double>(b, 232), -0.744846);
    EXPECT_EQ(At<double>(b, 240), -0.132678);
    EXPECT_EQ(At<double>(b, 248), 0.002463);
    // Little-endian 800, 600, 500, 16, 256 in the five ints from 256.
    const uint8_t ints[] = {0x20, 0x03, 0, 0, 0x58, 0x02, 0, 0, 0xF4, 0x01, 0, 0, 16, 0, 0, 0, 0, 1, 0, 0};
    EXPECT_EQ(0, std::memcmp(&b[256], ints, sizeof ints));
    EXPECT_STREQ(reinterpret_cast<const char*>(&b[276]), "palette.pal");
    for (size_t i = 0; i < 232; ++i) ASSERT_EQ(b[i], 0) << "byte " << i;  // placement, reserved, padding
    for (size_t i = 276 + 12; i < kSettingsSize; ++i) ASSERT_EQ(b[i], 0) << "byte " << i;
}

TEST(SettingsRecord, WindowPositionBitsAndRectangle) {
    SETTINGS s;
    SetDefaultSettings(s);
    s.wpMain.MaximizedWindow = 1;
    s.wpMain.FontSize = 0xAB;
    s.wpMain.NormalWindowPosition = {-4, 10, 800, 600};
    const auto b = SettingsToBytes(s);
    EXPECT_EQ(At<uint32_t>(b, 0), 1u | (0xABu << 1));
    EXPECT_EQ(At<int32_t>(b, 4), -4);
    EXPECT_EQ(At<int32_t>(b, 8), 10);
    EXPECT_EQ(At<int32_t>(b, 12), 800);
    EXPECT_EQ(At<int32_t>(b, 16), 600);
    SETTINGS back;
    SettingsFromBytes(back, b.data());
    EXPECT_EQ(back.wpMain.FontSize, 0xABu);
    EXPECT_EQ(back.wpMain.NormalWindowPosition.right, 800);
}

TEST(KeyStore, ValueIsAFileUnderTheConfigFolderWrittenWhole) {
    const auto dir = std::filesystem::temp_directory_path() / ("orvalis-ks-" + std::to_string(::getpid()));
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const std::string key = "Software\\Vennlore\\Orvalis\\1.00";
    EXPECT_EQ(keystore::KeyFolder(key), dir.string() + "/Vennlore/Orvalis/1.00");
    bool isNew = false;
    ASSERT_TRUE(keystore::CreateKey(key, &isNew));
    EXPECT_TRUE(isNew);
    ASSERT_TRUE(keystore::CreateKey(key, &isNew));
    EXPECT_FALSE(isNew);
    std::vector<uint8_t> v;
    EXPECT_EQ(keystore::ReadValue(key, "Settings", 10, v), keystore::ReadResult::Missing);
    const uint8_t bytes[] = {1, 2, 3, 0, 5};
    ASSERT_TRUE(keystore::WriteValue(key, "Settings", bytes, sizeof bytes));
    ASSERT_EQ(keystore::ReadValue(key, "Settings", 10, v), keystore::ReadResult::Read);
    EXPECT_EQ(v, std::vector<uint8_t>(bytes, bytes + 5));
    ASSERT_EQ(keystore::ReadValue(key, "Settings", 3, v), keystore::ReadResult::Read);  // read no further
    EXPECT_EQ(v, std::vector<uint8_t>(bytes, bytes + 3));
    // No temporary file is left beside the value.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(keystore::KeyFolder(key))) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(dir);
}

}  // namespace
