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
protected:
    void SetUp() override {
        saved_ = page_pool::page_size;
        page_pool::page_size = 4096;
    }
    void TearDown() override { page_pool::page_size = saved_; }

private:
    unsigned int saved_ = 0;
};

struct Tail {
    const void* block;
    unsigned int size;
};

class RecordingPool : public page_pool {
public:
    std::vector<Tail> tails;
    void add_to_list(void* block, unsigned int size) override { tails.push_back({block, size}); }
};

struct TailCase {
    const char* rule;
    size_t first;       // request served from the first page
    size_t second;      // request that no longer fits
    unsigned int tail;  // bytes passed on from the first page, 0 for none
    unsigned int new_page;
};

TEST_F(PoolTest, RequestThatDoesNotFitStartsAPageForItAloneAndPassesOnTailsOf96OrMore) {
    const TailCase cases[] = {
        {"96 left: passed on", 4000, 200, 96, 4096},
        {"88 left: kept", 4008, 200, 0, 4096},
        {"large request: rounded to whole pages", 96, 5000, 4000, 8192},
        {"exactly two pages", 8, 8192, 4088, 8192},
    };
    for (const TailCase& c : cases) {
        SCOPED_TRACE(c.rule);
        RecordingPool pool;
        ASSERT_NE(pool.first_page(), nullptr);
        EXPECT_EQ(pool.first_page()->block_size, 4096u);
        char* a = static_cast<char*>(pool.page_alloc(c.first));
        ASSERT_EQ(a, pool.first_page()->block);
        char* b = static_cast<char*>(pool.page_alloc(c.second));
        ASSERT_NE(b, nullptr);
        const page_chain_struct* second = pool.last_page();
        ASSERT_NE(second, pool.first_page());
        EXPECT_EQ(pool.first_page()->next_page, second);
        EXPECT_EQ(b, second->block);
        EXPECT_EQ(second->block_size, c.new_page);
        EXPECT_EQ(second->bytes_used, c.second);
        if (c.tail) {
            ASSERT_EQ(pool.tails.size(), 1u);
            EXPECT_EQ(pool.tails[0].block, a + c.first);
            EXPECT_EQ(pool.tails[0].size, c.tail);
            EXPECT_EQ(pool.first_page()->bytes_used, 4096u);
        } else {
            EXPECT_TRUE(pool.tails.empty());
            EXPECT_EQ(pool.first_page()->bytes_used, c.first);
        }
    }
}

TEST_F(PoolTest, RequestAbove8192BytesIsRefusedWithBothMessages) {
    const size_t sizes[] = {8193, size_t(UINT_MAX), size_t(-1)};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        RecordingPool pool;
        pool.page_alloc(100);
        testing::internal::CaptureStderr();
        EXPECT_EQ(pool.page_alloc(size), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "page_pool::new_block: allocation request too large\n"
                  "page_pool::page_alloc: allocation error\n");
        EXPECT_EQ(pool.last_page(), pool.first_page());  // nothing changed
        EXPECT_TRUE(pool.tails.empty());
        EXPECT_NE(pool.page_alloc(100), nullptr);  // and the pool still serves
    }
}

std::vector<int> FaceSizes(const FaceList& list) {
    std::vector<int> out;
    for (const FaceListStruct* p = list.ListHead; p; p = p->next_face) out.push_back(p->cur_face.point_cnt);
    return out;
}

TEST_F(PoolTest, PolyFaceCapacityIsLimitedByTheLargestPage) {
    const std::string too_large =
        "page_pool::new_block: allocation request too large\npage_pool::page_alloc: allocation error\n";
    const std::string none = "FaceList: a face must hold at least one point\n";
    const struct {
        int capacity;
        int ok;
        std::string messages;
    } cases[] = {{682, 1, ""}, {683, 0, too_large}, {INT_MAX, 0, too_large}, {0, 0, none}, {-4, 0, none}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        FaceList list;
        ASSERT_EQ(list.get_new_3DFACE(), 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(list.get_new_poly_face(c.capacity), c.ok);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
        EXPECT_EQ(list.face_count(), 1 + c.ok);  // the face before is kept
        for (int i = 0; c.ok && i < c.capacity; ++i) list.add_poly_point(float(i), 0, 0);
        if (c.ok) {
            EXPECT_EQ(FaceSizes(list), (std::vector<int>{0, c.capacity}));
        }
    }
}

TEST_F(PoolTest, ExactRepeatOfTheLastPointIsDropped) {
    FaceList list;
    ASSERT_EQ(list.get_new_poly_face(4), 1);
    const float A[3] = {1.5f, -2.0f, 0.25f}, B[3] = {1.5f, -2.0f, 0.5f};
    for (const float* p : {A, A, B, A}) list.add_poly_point(p[0], p[1], p[2]);
    const face& f = list.ListHead->cur_face;
    ASSERT_EQ(f.point_cnt, 3);
    EXPECT_EQ(f.f[0].v[2], 0.25f);
    EXPECT_EQ(f.f[1].v[2], 0.5f);
    EXPECT_EQ(f.f[2].v[2], 0.25f);
}

TEST_F(PoolTest, FullPolyFaceStartsANewFaceOfTheSameCapacity) {
    struct Case {
        int capacity;
        int points;
        std::vector<int> sizes;
    } cases[] = {
        {3, 7, {3, 3, 1}},
        {4, 8, {4, 4}},
        {3, 8, {3, 3, 2}},
        {5, 1, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        FaceList list;
        ASSERT_EQ(list.get_new_poly_face(c.capacity), 1);
        for (int i = 0; i < c.points; ++i) EXPECT_EQ(list.add_poly_point(float(i), float(i * i), 1.0f), 1);
        EXPECT_EQ(FaceSizes(list), c.sizes);
        for (const FaceListStruct* p = list.ListHead; p; p = p->next_face)
            EXPECT_EQ(p->cur_face.point_max, c.capacity);
        EXPECT_EQ(list.point_count(), c.points);
    }
}

TEST_F(PoolTest, ThreeDFaceKeepsAtMostFourCornersAndNeedsAFace) {
    FaceList list;
    list.add_3DFACE_point(1, 2, 3);  // no face yet: ignored
    EXPECT_EQ(list.add_poly_point(1, 2, 3), 1);
    EXPECT_EQ(list.ListHead, nullptr);
    ASSERT_EQ(list.get_new_3DFACE(), 1);
    for (int i = 0; i < 6; ++i) list.add_3DFACE_point(float(i), 0, 0);
    EXPECT_EQ(FaceSizes(list), std::vector<int>{4});
    EXPECT_EQ(list.ListHead->cur_face.f[3].v[0], 3.0f);
}

}  // namespace
