#include "platform/key_store.h"
#include "tests/common/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

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

}  // namespace
