// Text encodings and file listings of the platform layer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

#include "TestSupport.h"

#include "aeConsole.h"
#include "aeFileSystem.h"
#include "aeText.h"

TEST(PlatformText, Cp1252Utf8AndTheTerminal)
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
    // Terminal text follows the locale.
    const std::pair<const char*, std::string> locales[] = {
        {"C.UTF-8", test::U8(u8"ungültige Zeitangabe")},
        {"de_DE.ISO-8859-1", "ung\xfcltige Zeitangabe"}, // named, even when not generated here
        {"C", "ungueltige Zeitangabe"},
    };
    const char* saved = std::getenv("LC_ALL");
    const std::string restore = saved ? saved : "";
    for (const auto& [locale, expected] : locales)
    {
        setenv("LC_ALL", locale, 1);
        EXPECT_EQ(aeCp1252ToConsole("ung\xfcltige Zeitangabe"), expected) << locale;
    }
    if (saved)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

TEST(PlatformFiles, ListingsComeInTheOriginalFileSystemsOrder)
{
    // Case-insensitive, letters compared in upper case: "_" after the
    // letters, digits by character, accented capitals after Z.
    const char* const kSorted[] = {"a.hwm", "B.HWM", "Kerker.hwm", "Nachtweg.hwm", "Spieler 131.ssd", "Spieler 178.ssd",
                                   "Spieler 43.ssd", "Tutorial.hwm", "zz", "_Test.hwm", "\xc4rger", "\xe4rger2"};
    const int count = static_cast<int>(std::size(kSorted));
    for (int i = 0; i + 1 < count; ++i)
    {
        EXPECT_LT(aeCompareFileNames(kSorted[i], kSorted[i + 1]), 0) << kSorted[i];
        EXPECT_GT(aeCompareFileNames(kSorted[i + 1], kSorted[i]), 0) << kSorted[i];
    }
    EXPECT_EQ(aeCompareFileNames("Gleich", "Gleich"), 0);
    EXPECT_NE(aeCompareFileNames("gleich", "GLEICH"), 0);  // a fixed order all the same
    // The folder's own order does not matter: files made in reverse.
    const std::string dir = test::ScratchDir("order");
    for (int i = count - 1; i >= 0; --i)
        test::WriteBinary(dir + "/" + aeCp1252ToUtf8(kSorted[i]), "x");
    char name[256];
    aeFindHandle* find = aeFindFirst((dir + "/*").c_str(), name);
    ASSERT_NE(find, nullptr);
    EXPECT_STREQ(name, ".");  // "." and ".." first, as ever
    EXPECT_EQ(aeFindNext(find, name), 1);
    EXPECT_STREQ(name, "..");
    EXPECT_EQ(aeFindNext(find, name), 1);
    for (int i = 0; i < count; ++i)
    {
        EXPECT_STREQ(name, kSorted[i]);
        EXPECT_EQ(aeFindNext(find, name), i + 1 < count ? 1 : 0);
    }
    aeFindClose(find);
}
