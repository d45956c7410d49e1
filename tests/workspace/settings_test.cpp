#include "workspace/settings.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

template <class T> T At(const std::array<uint8_t, kSettingsSize>& b, size_t off) {
    T v;
    std::memcpy(&v, &b[off], sizeof v);
    return v;
}

TEST(SettingsRecord, EachFieldSitsAtItsStoredOffset) {
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
    s.wpMain.MaximizedWindow = 1, s.wpMain.FontSize = 0xAB, s.wpMain.NormalWindowPosition = {-4, 10, 800, 600};
    b = SettingsToBytes(s);
    EXPECT_EQ(std::make_tuple(At<uint32_t>(b, 0), At<int32_t>(b, 4), At<int32_t>(b, 8), At<int32_t>(b, 12), At<int32_t>(b, 16)),
              std::make_tuple(1u | (0xABu << 1), -4, 10, 800, 600));
    SettingsFromBytes(back, b.data());
    EXPECT_EQ(std::make_pair(unsigned(back.wpMain.FontSize), back.wpMain.NormalWindowPosition.right), std::make_pair(0xABu, 800));
}

}  // namespace
