#include <gtest/gtest.h>

#include "TestSupport.h"

#include "aeFileSystem.h"
#include "aeText.h"

TEST(PlatformText, Cp1252AndUtf8RoundTrip)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string utf8 = aeCp1252ToUtf8(all.c_str());
    EXPECT_EQ(aeUtf8ToCp1252(utf8.c_str()), all);
    EXPECT_EQ(aeCp1252ToUtf8("\x80 \x9f \xe4"), test::U8(u8"€ Ÿ ä"));
    EXPECT_EQ(aeUtf8ToCp1252("\xe6\x97\xa5\xe6\x9c\xac"), "??");
    EXPECT_EQ(aeUtf8ToCp1252("\xff\xe4"), "\xff\xe4");  // stray bytes pass through
    EXPECT_EQ(aeCp1252ToLower(static_cast<unsigned char>('\xc4')), static_cast<unsigned char>('\xe4'));
    EXPECT_EQ(aeCp1252ToLower(static_cast<unsigned char>('\xd7')), static_cast<unsigned char>('\xd7'));
}

TEST(PlatformFiles, PathsAndWildcards)
{
    EXPECT_EQ(aeNativePath("..\\maps\\Übung.hwm"), test::U8(u8"../maps/Übung.hwm"));
    EXPECT_TRUE(aeWildcardMatch("*.*", "README"));
    EXPECT_TRUE(aeWildcardMatch("*.hwm", "X.HWM"));
    EXPECT_TRUE(aeWildcardMatch("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(aeWildcardMatch("a*b*c", "aXbYbZ"));
    EXPECT_TRUE(aeWildcardMatch("?", "\xe4"));
    EXPECT_FALSE(aeWildcardMatch("?", ""));
    EXPECT_TRUE(aeWildcardMatch("*ÄRGER*", "großer ärger.txt"));
    EXPECT_FALSE(aeWildcardMatch("*.ssd", "a.ssd.bak"));
    EXPECT_TRUE(aeWildcardMatch("*", ""));
}
