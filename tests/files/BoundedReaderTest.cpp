// The bounded reader: counts checked against the bytes that are left, reads
// that stop at the end, the same over memory and over a VFile.

#include "BoundedReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

TEST(BoundedReader, CountsMustFitTheBytesThatAreLeft)
{
    struct Case
    {
        int32_t count;
        int rest, minBytes, max;
        bool ok;
    };
    const Case cases[] = {
        {0, 0, 4, INT_MAX, true},          {3, 12, 4, INT_MAX, true},
        {4, 12, 4, INT_MAX, false},        {-1, 100, 1, INT_MAX, false},
        {INT32_MAX, 8, 1, INT_MAX, false}, {INT32_MIN, 8, 1, INT_MAX, false},
        {5, 10, 1, 4, false},              {4, 10, 1, 4, true},
    };
    for (const Case& c : cases)
    {
        std::string bytes(4, '\0');
        std::memcpy(&bytes[0], &c.count, 4);
        bytes.append(static_cast<size_t>(c.rest), 'x');
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        aeBoundedReader memory(bytes.data(), static_cast<int>(bytes.size()));
        aeBoundedReader overFile(&file);
        for (aeBoundedReader* in : {&memory, &overFile})
        {
            int count = 0;
            EXPECT_EQ(in->ReadCount(&count, c.minBytes, c.max), c.ok) << c.count << " of " << c.minBytes;
            EXPECT_EQ(count, c.count);
            EXPECT_EQ(in->GetRemaining(), c.rest);
            EXPECT_EQ(in->GetPosition(), 4);
        }
        EXPECT_EQ(file.GetCursor(), 4);
    }
}

TEST(BoundedReader, ReadsStopAtTheEnd)
{
    const unsigned char data[6] = {1, 2, 3, 4, 5, 6};
    aeBoundedReader in(data, 6);
    int32_t v = 0;
    EXPECT_TRUE(in.Read(4, &v));
    EXPECT_EQ(v, 0x04030201);
    EXPECT_FALSE(in.Read(4, &v));
    EXPECT_EQ(in.GetPosition(), 4);
    EXPECT_EQ(in.GetCurrent()[0], 5);
    EXPECT_FALSE(in.Skip(3));
    EXPECT_FALSE(in.Skip(-1));
    EXPECT_TRUE(in.Skip(2));
    EXPECT_EQ(in.GetRemaining(), 0);
    int count = 7;
    EXPECT_FALSE(in.ReadCount(&count, 1));
    EXPECT_TRUE(in.Fits(0, 1));
    EXPECT_EQ(aeBoundedReader(nullptr, 10).GetRemaining(), 0);
}
