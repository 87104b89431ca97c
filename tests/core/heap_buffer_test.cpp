#include "core/heap_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "core/ptr_list.h"

namespace tav {
namespace {

TEST(HeapBuffer, LargeGranularityKeepsBlocks96BytesShortOfPages) {
    HeapBuffer buffer(4096);
    EXPECT_EQ(buffer.Data(), nullptr);
    buffer.SetSize(10);
    EXPECT_EQ(buffer.Capacity(), 4000);
    buffer.SetSize(10000);
    EXPECT_EQ(buffer.Capacity(), 12192);
    EXPECT_EQ(buffer.Size(), 10000);
    // Growth within the capacity does not reallocate.
    uint8_t* before = buffer.Data();
    buffer.SetSize(12000);
    EXPECT_EQ(buffer.Data(), before);
    // A huge request reserves at most 4 MiB extra.
    buffer.SetSize(20'000'000);
    EXPECT_EQ(buffer.Capacity(), (20'000'000 + 4194304 + 96) / 4096 * 4096 - 96);
}

TEST(HeapBuffer, SmallGranularityGrowsByHalfOrGranularity) {
    HeapBuffer buffer(128);
    buffer.SetSize(10);
    EXPECT_EQ(buffer.Capacity(), 10 + 128);
    buffer.SetSize(1000);
    EXPECT_EQ(buffer.Capacity(), 1500);
}

TEST(HeapBuffer, ShrinksOnlyWhenAllowedAndWellBelowCapacity) {
    HeapBuffer buffer(4096);
    buffer.SetSize(100000);
    const int32_t grown = buffer.Capacity();
    buffer.SetSize(10);
    EXPECT_EQ(buffer.Capacity(), grown) << "no shrink without permission";
    buffer.SetSize(100000);
    buffer.SetSize(90000, true);
    EXPECT_EQ(buffer.Capacity(), grown) << "above the threshold the block stays";
    buffer.SetSize(10, true);
    EXPECT_EQ(buffer.Capacity(), 4000);
    buffer.SetSize(0, true);
    EXPECT_EQ(buffer.Capacity(), 0);
    EXPECT_EQ(buffer.Data(), nullptr);
    buffer.SetSize(-5);
    EXPECT_EQ(buffer.Size(), 0);
}

TEST(HeapBuffer, OverflowingGrowthFailsAndKeepsContents) {
    HeapBuffer buffer(4096);
    ASSERT_TRUE(buffer.Append("abc", 4));
    buffer.SetSize(std::numeric_limits<int32_t>::max());
    EXPECT_EQ(buffer.Size(), 4);
    EXPECT_EQ(buffer.Capacity(), 4000);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.Data()), "abc");
    EXPECT_FALSE(buffer.Append("x", std::numeric_limits<int32_t>::max()));
    EXPECT_EQ(buffer.Size(), 4);
    HeapBuffer small(16);
    small.SetSize(std::numeric_limits<int32_t>::max() - 10);
    EXPECT_EQ(small.Size(), 0);
}

TEST(HeapBuffer, ExactSizeAndReserveHoldNoHeadroomAndKeepBytes) {
    HeapBuffer buffer(4096);
    ASSERT_TRUE(buffer.Append("abcdef", 7));
    ASSERT_NE(buffer.SetExactSize(8192), nullptr);
    EXPECT_EQ(buffer.Capacity(), 8192);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer.Data()), "abcdef");
    buffer.SetExactSize(4);
    EXPECT_EQ(buffer.Capacity(), 4) << "a smaller size gives the rest back";
    EXPECT_EQ(std::memcmp(buffer.Data(), "abcd", 4), 0);
    ASSERT_TRUE(buffer.Reserve(100));
    EXPECT_EQ(buffer.Capacity(), 100);
    EXPECT_EQ(buffer.Size(), 4);
    ASSERT_TRUE(buffer.Append("efgh", 4));
    EXPECT_EQ(buffer.Capacity(), 100) << "appends within the reserve stay in place";
    EXPECT_EQ(std::memcmp(buffer.Data(), "abcdefgh", 8), 0);
    EXPECT_EQ(buffer.SetExactSize(0), nullptr);
    EXPECT_EQ(buffer.Capacity(), 0);
}

TEST(HeapBuffer, ReallocationPreservesBytes) {
    HeapBuffer buffer(4096);
    for (int i = 0; i < 5000; ++i) {
        const auto byte = static_cast<uint8_t>(i * 7);
        ASSERT_TRUE(buffer.Append(&byte, 1));
    }
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(buffer.Data()[i], static_cast<uint8_t>(i * 7));
}

struct Tracked {
    explicit Tracked(std::vector<int>* log, int id) : log(log), id(id) {}
    ~Tracked() { log->push_back(id); }
    std::vector<int>* log;
    int id;
};

TEST(PtrList, OwnsElementsAndDeletesLastFirst) {
    std::vector<int> deleted;
    {
        PtrList<Tracked> list;
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(list.Append(new Tracked(&deleted, i)));
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Get(1)->id, 1);
        EXPECT_EQ(list.Get(3), nullptr);
        EXPECT_EQ(list.Get(-1), nullptr);
    }
    EXPECT_EQ(deleted, (std::vector<int>{2, 1, 0}));
}

}  // namespace
}  // namespace tav
