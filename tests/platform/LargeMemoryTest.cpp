// Blocks for the maze's grid: every size can be written in full and given
// back; large ones start on a 2 MB boundary, where huge pages can back them.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "aeLargeMemory.h"

TEST(PlatformLargeMemory, BlocksOfEverySizeAreWritableAndLargeOnesAligned)
{
    const size_t kMB = size_t{1} << 20;
    const struct
    {
        size_t bytes;
        bool large;
    } cases[] = {{0, false}, {100, false}, {4 * kMB - 1, false}, {4 * kMB, true}, {54 * kMB + 123, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bytes);
        unsigned char* block = static_cast<unsigned char*>(aeAllocateLarge(c.bytes));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xab, c.bytes);
        EXPECT_TRUE(c.bytes == 0 || block[c.bytes - 1] == 0xab);
        EXPECT_TRUE(!c.large || reinterpret_cast<uintptr_t>(block) % (2 * kMB) == 0);
        aeFreeLarge(block, c.bytes);
    }
    aeFreeLarge(nullptr, 0);
}
