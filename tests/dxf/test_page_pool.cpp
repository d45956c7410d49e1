// Page pool and face lists.
#include "dxf/face_list.h"
#include "dxf/page_pool.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// Makes the pool see 4096-byte system pages whatever the machine has.
class PoolTest : public testing::Test {
    unsigned int saved_ = page_pool::page_size;
    void SetUp() override { page_pool::page_size = 4096; }
    void TearDown() override { page_pool::page_size = saved_; }
};

class RecordingPool : public page_pool {
public:
    std::vector<std::pair<const void*, unsigned int>> tails;
    void add_to_list(void* block, unsigned int size) override { tails.emplace_back(block, size); }
};

const std::string kTooLarge =
    "page_pool::new_block: allocation request too large\npage_pool::page_alloc: allocation error\n";

TEST_F(PoolTest, RequestThatDoesNotFitStartsAPageForItAloneAndPassesOnTailsOf96OrMore) {
    const struct {
        const char* rule;
        size_t first, second;  // served from the first page; no longer fits
        unsigned int tail, new_page;  // tail 0: none passed on
    } cases[] = {
        {"96 left: passed on", 4000, 200, 96, 4096},
        {"88 left: kept", 4008, 200, 0, 4096},
        {"large request: rounded to whole pages", 96, 5000, 4000, 8192},
        {"exactly two pages", 8, 8192, 4088, 8192},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        RecordingPool pool;
        const page_chain_struct* first = pool.first_page();
        char* a = static_cast<char*>(pool.page_alloc(c.first));
        ASSERT_EQ(a, first->block);
        char* b = static_cast<char*>(pool.page_alloc(c.second));
        const page_chain_struct* second = pool.last_page();
        EXPECT_EQ(first->next_page, second);
        EXPECT_EQ(b, second->block);
        EXPECT_EQ(second->block_size, c.new_page);
        EXPECT_EQ(second->bytes_used, c.second);
        using Tails = std::vector<std::pair<const void*, unsigned int>>;
        EXPECT_EQ(pool.tails, (c.tail ? Tails{{a + c.first, c.tail}} : Tails{}));
        EXPECT_EQ(first->bytes_used, c.tail ? 4096u : c.first);
    }
}

TEST_F(PoolTest, RequestAbove8192BytesIsRefusedWithBothMessages) {
    for (size_t size : {size_t(8193), size_t(UINT_MAX), size_t(-1)}) {
        SCOPED_TRACE(size);
        RecordingPool pool;
        pool.page_alloc(100);
        testing::internal::CaptureStderr();
        EXPECT_EQ(pool.page_alloc(size), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), kTooLarge);
        EXPECT_EQ(pool.last_page(), pool.first_page());  // nothing changed
        EXPECT_TRUE(pool.tails.empty());
        EXPECT_NE(pool.page_alloc(100), nullptr);  // and the pool still serves
    }
}

TEST_F(PoolTest, PolyFaceCapacityIsLimitedByTheLargestPage) {
    const std::string none = "FaceList: a face must hold at least one point\n";
    const struct {
        int capacity, ok;
        std::string messages;
    } cases[] = {{682, 1, ""}, {683, 0, kTooLarge}, {INT_MAX, 0, kTooLarge}, {0, 0, none}, {-4, 0, none}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        FaceList list;
        ASSERT_EQ(list.get_new_3DFACE(), 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(list.get_new_poly_face(c.capacity), c.ok);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
        EXPECT_EQ(list.face_count(), 1 + c.ok);  // the face before is kept
        for (int i = 0; c.ok && i < c.capacity; ++i) list.add_poly_point(float(i), 0, 0);
        if (c.ok) { EXPECT_EQ(list.ListTail->cur_face.point_cnt, c.capacity); }
    }
}

// Points (1.5, -2, z) differ only in z; each face is listed by the z of its points.
TEST_F(PoolTest, PointsFillFacesUpToTheirCapacity) {
    enum Kind { kNoFace, kThreeD, kPoly };
    const struct {
        const char* rule;
        Kind kind;
        int capacity;
        std::vector<float> z;
        std::vector<std::vector<float>> faces;
    } cases[] = {
        {"an exact repeat of the last point is dropped", kPoly, 4, {1, 1, 2, 1}, {{1, 2, 1}}},
        {"a full face starts a new one of the same capacity", kPoly, 3, {0, 1, 2, 3, 4, 5, 6},
         {{0, 1, 2}, {3, 4, 5}, {6}}},
        {"3DFACE keeps at most four corners", kThreeD, 4, {0, 1, 2, 3, 4, 5}, {{0, 1, 2, 3}}},
        {"no face yet: points are ignored", kNoFace, 0, {1, 2}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        FaceList list;
        int made = c.kind == kThreeD ? list.get_new_3DFACE() : c.kind == kPoly ? list.get_new_poly_face(c.capacity) : 1;
        ASSERT_EQ(made, 1);
        for (float z : c.z) {
            if (c.kind != kPoly) list.add_3DFACE_point(1.5f, -2.0f, z);
            if (c.kind != kThreeD) { EXPECT_EQ(list.add_poly_point(1.5f, -2.0f, z), 1); }
        }
        std::vector<std::vector<float>> got;
        for (const FaceListStruct* p = list.ListHead; p; p = p->next_face) {
            got.emplace_back();
            for (int i = 0; i < p->cur_face.point_cnt; ++i) got.back().push_back(p->cur_face.f[i].v[2]);
        }
        EXPECT_EQ(got, c.faces);
    }
}

}  // namespace
