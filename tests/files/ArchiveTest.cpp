#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

#include "TestSupport.h"
#include "VFile.h"
#include "aeArchive.h"

namespace
{
std::vector<std::pair<std::string, std::string>> g_aEntries;

void Collect(VFile* entry, char* name)
{
    EXPECT_EQ(entry->GetCursor(), 0);
    g_aEntries.emplace_back(name, std::string(reinterpret_cast<char*>(entry->GetBuffer()), entry->GetSize()));
}

// A local header and its data, as written by an archiver.
std::string Entry(const std::string& name, const std::string& data, uint16_t method = 0, uint16_t flags = 0,
                  const std::string& extra = "")
{
    std::string h(30, '\0');
    auto put16 = [&](size_t at, uint16_t v) { h[at] = char(v & 0xFF); h[at + 1] = char(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) h[at + i] = char((v >> (8 * i)) & 0xFF); };
    put32(0, 0x04034B50);
    put16(4, 10);
    put16(6, flags);
    put16(8, method);
    put32(18, static_cast<uint32_t>(data.size()));
    put32(22, static_cast<uint32_t>(data.size()));
    put16(26, static_cast<uint16_t>(name.size()));
    put16(28, static_cast<uint16_t>(extra.size()));
    std::string out = h + name + extra + data;
    if (flags & 8)
        out += std::string(12, 'D');
    return out;
}

const std::string kCentral = std::string("PK\x01\x02", 4) + std::string(42, '\0');

int Walk(const std::string& bytes)
{
    g_aEntries.clear();
    VFile archive(bytes.data(), static_cast<int>(bytes.size()));
    return aeReadArchive(&archive, Collect);
}

class FilesArchive : public ::testing::Test
{
protected:
    test::LogCapture m_Log{"archive"};
};
}

TEST_F(FilesArchive, StoredEntriesWithExtraFieldsAndDescriptors)
{
    EXPECT_EQ(Walk(Entry("a.txt", "alpha", 0, 0, "XXXX") + Entry("dir\\", "") + Entry("dir\\b.bin", "bb", 0, 8) + kCentral), 1);
    ASSERT_EQ(g_aEntries.size(), 2u);
    EXPECT_EQ(g_aEntries[0], (std::pair<std::string, std::string>("a.txt", "alpha")));
    EXPECT_EQ(g_aEntries[1], (std::pair<std::string, std::string>("dir\\b.bin", "bb")));
    EXPECT_EQ(aeLog::m_iNumErrors, 0);

    EXPECT_EQ(Walk(std::string(40, 'J')), 1);  // no local header at all
    EXPECT_TRUE(g_aEntries.empty());
}

TEST_F(FilesArchive, CompressedEntriesAreSkipped)
{
    EXPECT_EQ(Walk(Entry("one", "1") + Entry("packed", "zzzzzz", 8) + Entry("two", "22") + kCentral), 1);
    ASSERT_EQ(g_aEntries.size(), 2u);
    EXPECT_EQ(g_aEntries[1].first, "two");
    EXPECT_TRUE(m_Log.Contains("Komprimiertes Objekt gefunden! Dekomprimierung wird nicht unterstützt!"));
}

TEST_F(FilesArchive, FaultyArchivesEndTheWalk)
{
    EXPECT_EQ(Walk(Entry("one", "1") + Entry("secret", "xx", 0, 1) + Entry("two", "2") + kCentral), 0);
    EXPECT_EQ(g_aEntries.size(), 1u);
    EXPECT_TRUE(m_Log.Contains("Die Daten sind verschlüsselt!"));

    EXPECT_EQ(Walk(Entry("empty.txt", "") + kCentral), 0);  // every file has data
    EXPECT_TRUE(m_Log.Contains("Fehler beim lesen der Datei innerhalb des Archivs!"));

    EXPECT_EQ(Walk(Entry("one", "1")), 0);  // ends without a central directory
    EXPECT_EQ(g_aEntries.size(), 1u);
    EXPECT_TRUE(m_Log.Contains("Fehler beim Lesen des Headers!"));

    const std::string whole = Entry("truncated.bin", std::string(100, 'x')) + kCentral;
    for (size_t cut : {10u, 35u, 60u})
    {
        EXPECT_EQ(Walk(whole.substr(0, cut)), 0) << cut;
        EXPECT_TRUE(g_aEntries.empty());
    }
    EXPECT_TRUE(m_Log.Contains("Fehler beim Lesen des Dateinamens!"));

    std::string extraPastEnd = Entry("x", "1", 0, 0, "");
    extraPastEnd[28] = char(0xFF);
    EXPECT_EQ(Walk(extraPastEnd + kCentral), 0);
    EXPECT_TRUE(g_aEntries.empty());
}

TEST_F(FilesArchive, OverlongNamesAreRejectedNotCopied)
{
    EXPECT_EQ(Walk(Entry(std::string(255, 'n'), "ok") + kCentral), 1);
    ASSERT_EQ(g_aEntries.size(), 1u);
    EXPECT_EQ(g_aEntries[0].first.size(), 255u);
    EXPECT_EQ(Walk(Entry(std::string(256, 'n'), "no") + Entry("after", "x") + kCentral), 0);
    EXPECT_TRUE(g_aEntries.empty());
    EXPECT_TRUE(m_Log.Contains("Der Dateiname im Archiv ist zu lang!"));
}

TEST_F(FilesArchive, NullArgumentsAndAFinishedArchive)
{
    VFile archive;
    EXPECT_EQ(aeReadArchive(nullptr, Collect), 0);
    EXPECT_EQ(aeReadArchive(&archive, nullptr), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    archive.Write(3, "end");
    g_aEntries.clear();
    EXPECT_EQ(aeReadArchive(&archive, Collect), 1);  // cursor at the end, eof set
    EXPECT_TRUE(g_aEntries.empty());
}

// Archives made by the real zip tool.
TEST_F(FilesArchive, ArchivesMadeByZip)
{
    const std::string dir = test::ScratchDir("zip_tool");
    std::filesystem::create_directories(dir + "/data/textures");
    std::map<std::string, std::string> files = {
        {"data/textures/wall.bmp", std::string(3000, 'W') + "end"},
        {"data/readme.txt", "Halvoran"},
        {"data/textures/floor.tga", std::string("\0\x01\x02\xff", 4)}};
    for (const auto& [name, bytes] : files)
        test::WriteBinary(dir + "/" + name, bytes);
    const std::string cmd = "cd '" + dir + "' && zip -q -0 -r stored.zip data && zip -q -9 -r deflated.zip data"
                            " && zip -q -0 -P geheim -r secret.zip data";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    // Folder entries are passed over; every file arrives with its bytes.
    EXPECT_EQ(Walk(test::ReadBinary(dir + "/stored.zip")), 1);
    std::map<std::string, std::string> seen(g_aEntries.begin(), g_aEntries.end());
    EXPECT_EQ(seen, files);
    EXPECT_EQ(g_aEntries.size(), files.size());
    EXPECT_EQ(aeLog::m_iNumErrors, 0);

    EXPECT_EQ(Walk(test::ReadBinary(dir + "/deflated.zip")), 1);
    EXPECT_TRUE(m_Log.Contains("Komprimiertes Objekt gefunden!"));
    for (const auto& [name, bytes] : g_aEntries)
        EXPECT_EQ(files[name], bytes);  // whatever zip chose to store is intact

    EXPECT_EQ(Walk(test::ReadBinary(dir + "/secret.zip")), 0);
    EXPECT_TRUE(m_Log.Contains("Die Daten sind verschlüsselt!"));
}
