// Walking a ZIP archive: stored entries, what is passed over, and archives
// that end the walk.

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
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            h[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, 0x04034B50, 4);
    put(4, 10, 2);
    put(6, flags, 2);
    put(8, method, 2);
    put(18, static_cast<uint32_t>(data.size()), 4);
    put(22, static_cast<uint32_t>(data.size()), 4);
    put(26, static_cast<uint32_t>(name.size()), 2);
    put(28, static_cast<uint32_t>(extra.size()), 2);
    return h + name + extra + data + ((flags & 8) ? std::string(12, 'D') : "");
}

const std::string kCentral = std::string("PK\x01\x02", 4) + std::string(42, '\0');

int Walk(const std::string& bytes)
{
    g_aEntries.clear();
    VFile archive(bytes.data(), static_cast<int>(bytes.size()));
    return aeReadArchive(&archive, Collect);
}

using Entries = std::vector<std::pair<std::string, std::string>>;

class FilesArchive : public ::testing::Test
{
protected:
    test::LogCapture m_Log{"archive"};
};
}

TEST_F(FilesArchive, StoredEntriesArriveAndCompressedOnesAreSkipped)
{
    EXPECT_EQ(Walk(Entry("a.txt", "alpha", 0, 0, "XXXX") + Entry("dir\\", "") + Entry("dir\\b.bin", "bb", 0, 8) + kCentral), 1);
    EXPECT_EQ(g_aEntries, (Entries{{"a.txt", "alpha"}, {"dir\\b.bin", "bb"}}));
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    EXPECT_EQ(Walk(std::string(40, 'J')), 1); // no local header at all
    EXPECT_TRUE(g_aEntries.empty());
    EXPECT_EQ(Walk(Entry(std::string(255, 'n'), "ok") + kCentral), 1);
    EXPECT_EQ(g_aEntries, (Entries{{std::string(255, 'n'), "ok"}}));
    EXPECT_EQ(Walk(Entry("one", "1") + Entry("packed", "zzzzzz", 8) + Entry("two", "22") + kCentral), 1);
    EXPECT_EQ(g_aEntries, (Entries{{"one", "1"}, {"two", "22"}}));
    EXPECT_TRUE(m_Log.Contains("Komprimiertes Objekt gefunden! Dekomprimierung wird nicht unterstützt!"));
}

TEST_F(FilesArchive, FaultyArchivesEndTheWalk)
{
    const std::string whole = Entry("truncated.bin", std::string(100, 'x')) + kCentral;
    std::string extraPastEnd = Entry("x", "1");
    extraPastEnd[28] = char(0xFF);
    const std::tuple<std::string, size_t, const char*> cases[] = {
        {Entry("one", "1") + Entry("secret", "xx", 0, 1) + Entry("two", "2") + kCentral, 1, "Die Daten sind verschlüsselt!"},
        {Entry("empty.txt", "") + kCentral, 0, "Fehler beim lesen der Datei innerhalb des Archivs!"}, // every file has data
        {Entry("one", "1"), 1, "Fehler beim Lesen des Headers!"}, // ends without a central directory
        {whole.substr(0, 10), 0, ""},
        {whole.substr(0, 35), 0, ""},
        {whole.substr(0, 60), 0, "Fehler beim Lesen des Dateinamens!"},
        {extraPastEnd + kCentral, 0, ""},
        {Entry(std::string(256, 'n'), "no") + Entry("after", "x") + kCentral, 0, "Der Dateiname im Archiv ist zu lang!"},
    };
    for (const auto& [bytes, entries, message] : cases)
    {
        SCOPED_TRACE(message);
        EXPECT_EQ(Walk(bytes), 0);
        EXPECT_EQ(g_aEntries.size(), entries);
        EXPECT_TRUE(m_Log.Contains(message));
    }
    VFile archive;
    const int errors = aeLog::m_iNumErrors;
    EXPECT_EQ(aeReadArchive(nullptr, Collect), 0);
    EXPECT_EQ(aeReadArchive(&archive, nullptr), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, errors + 2);
    archive.Write(3, "end");
    g_aEntries.clear();
    EXPECT_EQ(aeReadArchive(&archive, Collect), 1); // cursor at the end, eof set
    EXPECT_TRUE(g_aEntries.empty());
}

// Archives made by the real zip tool.
TEST_F(FilesArchive, ArchivesMadeByZip)
{
    const std::string dir = test::ScratchDir("zip_tool");
    std::filesystem::create_directories(dir + "/data/textures");
    std::map<std::string, std::string> files = {{"data/textures/wall.bmp", std::string(3000, 'W') + "end"},
                                                {"data/readme.txt", "Halvoran"},
                                                {"data/textures/floor.tga", std::string("\0\x01\x02\xff", 4)}};
    for (const auto& [name, bytes] : files)
        test::WriteBinary(dir + "/" + name, bytes);
    const std::string cmd = "cd '" + dir + "' && zip -q -0 -r stored.zip data && zip -q -9 -r deflated.zip data"
                            " && zip -q -0 -P geheim -r secret.zip data";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    // Folder entries are passed over; every file arrives with its bytes.
    EXPECT_EQ(Walk(test::ReadBinary(dir + "/stored.zip")), 1);
    EXPECT_EQ((std::map<std::string, std::string>(g_aEntries.begin(), g_aEntries.end())), files);
    EXPECT_EQ(g_aEntries.size(), files.size());
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
    EXPECT_EQ(Walk(test::ReadBinary(dir + "/deflated.zip")), 1);
    EXPECT_TRUE(m_Log.Contains("Komprimiertes Objekt gefunden!"));
    for (const auto& [name, bytes] : g_aEntries)
        EXPECT_EQ(files[name], bytes); // whatever zip chose to store is intact
    EXPECT_EQ(Walk(test::ReadBinary(dir + "/secret.zip")), 0);
    EXPECT_TRUE(m_Log.Contains("Die Daten sind verschlüsselt!"));
}
