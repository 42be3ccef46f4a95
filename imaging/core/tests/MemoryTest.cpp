#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "imaging/core/QkMemory.h"

namespace {

TEST(AllocMixed, TagsTheAllocatorAndZeroFills)
{
    struct Case {
        int64_t size;
        uint8_t tag;
    };
    for (const Case c : {Case{16, 0}, Case{0, 0}, Case{2 * 1048576, 1}}) {
        SCOPED_TRACE(c.size);
        uint8_t* block = AllocMixed(c.size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block[-1], c.tag);
        EXPECT_TRUE(std::all_of(block, block + c.size, [](uint8_t b) { return b == 0; }));
        FreeMixed(block);
        EXPECT_EQ(block, nullptr);
    }
}

TEST(AllocMixed, ImpossibleSizesGiveNil)
{
    EXPECT_EQ(AllocMixed(-1), nullptr);
    EXPECT_EQ(AllocMixed(std::numeric_limits<int64_t>::max()), nullptr);
    void* block = nullptr;
    EXPECT_FALSE(TryGetMem(block, -1));
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(GlobalAllocZero(-5), nullptr);
}

TEST(TryGetMem, GivesZeroFilledBlocks)
{
    void* block = nullptr;
    ASSERT_TRUE(TryGetMem(block, 64));
    const auto* bytes = static_cast<const uint8_t*>(block);
    EXPECT_TRUE(std::all_of(bytes, bytes + 64, [](uint8_t b) { return b == 0; }));
    FreeMem(block);
    EXPECT_EQ(block, nullptr);
}

TEST(PhysicalMemory, AvailableIsPositiveAndNotAboveTheTotal)
{
    const int64_t total = GetPhysicalMemory(false);
    const int64_t available = GetPhysicalMemory(true);
    EXPECT_GT(total, 0);
    EXPECT_GT(available, 0);
    EXPECT_LE(available, total);
}

} // namespace
