#include "documents/opened_file.h"
#include "platform/message_box.h"
#include "tests/common/test_files.h"

#include <QWidget>
#include <memory>
#include <tuple>
#include <gtest/gtest.h>

namespace {

TEST(DocumentList, RecordsStayLinkedInCreationOrderThroughDeletes) {
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

// A block with one zero byte after the data.
TEST(LoadFile, ReadsWholeFiles) {
    const TempDir dir("orvalis-loadfile");
    for (const std::string text : {"", "abc"}) {
        uint32_t size = 99;
        std::unique_ptr<unsigned char[]> block(LoadFile(WriteFileBytes(dir / "f", {text.begin(), text.end()}), &size));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(std::make_pair(size_t(size), std::string(reinterpret_cast<char*>(block.get()))), std::make_pair(text.size(), text));
    }
}

TEST(LoadFile, FilesThatCannotBeReadWholeAreReported) {
    platform::MessageRecorder rec;
    uint32_t size = 0;
    EXPECT_EQ(LoadFile("/nonexistent/x.gif", &size), nullptr);
    EXPECT_EQ(LoadFile("/proc/self/stat", &size), nullptr) << "a file that grows past its size while read";
    // The boxes' captions are checked with the frame's file faults.
    EXPECT_EQ(rec.texts(), std::vector<std::string>({"Couldn't open file:/nonexistent/x.gif", "Error reading file"}));
}

}  // namespace
