// The file in memory: reading, writing, seeking, and files from disk and
// from the module's resources; the bounded reader over memory and over a file.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "BoundedReader.h"
#include "TestSupport.h"
#include "VFile.h"

TEST(FilesVFile, ReadWriteAndSeekKeepToTheBytes)
{
    VFile f("0123456789", 10);
    char buf[16] = {};
    EXPECT_EQ(f.Read(0, nullptr), 1);
    EXPECT_EQ(f.GetCursor(), 0);
    EXPECT_EQ(f.Read(6, buf), 1);
    EXPECT_FALSE(f.IsEOF());
    std::memset(buf, '#', sizeof(buf));
    EXPECT_EQ(f.Read(10, buf), 0);  // four left
    EXPECT_EQ(std::string(buf, 6), "6789##");
    EXPECT_EQ(f.GetCursor(), 10);
    EXPECT_TRUE(f.IsEOF());
    VFile g("0123456789", 10);
    EXPECT_EQ(g.Read(10, buf), 1);
    EXPECT_TRUE(g.IsEOF());
    test::LogCapture log("vfile");
    EXPECT_EQ(g.Read(-1, buf), 0);
    EXPECT_EQ(g.Read(1, nullptr), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    VFile closed;
    EXPECT_EQ(closed.Read(4, buf), 0);
    EXPECT_EQ(closed.GetSize(), 0);
    // Seeking: from the end, exactly to the end, never beyond or before the start.
    EXPECT_EQ(g.Seek(0, 1), 1);
    EXPECT_EQ(g.GetCursor(), 9);
    EXPECT_TRUE(g.IsEOF());
    EXPECT_EQ(g.Seek(10, -1), 1);
    EXPECT_EQ(g.GetCursor(), 10);
    EXPECT_FALSE(g.IsEOF());
    EXPECT_EQ(g.Seek(11, -1), 0);
    EXPECT_EQ(g.GetCursor(), 10);
    g.Seek(0, -1);
    EXPECT_EQ(g.Seek(-1, 0), 0);
    EXPECT_EQ(g.GetCursor(), 0);
    EXPECT_EQ(g.Seek(0x7FFFFFFF, 0), 0); // no overflow into a valid position
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    EXPECT_EQ(g.Seek(0, 2), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 3);
    EXPECT_TRUE(log.Contains("Funktion: VFile::Seek Beschreibung: Der Funktion wurden ungültige Parameter übergeben!"));
    // Writing ends the file behind the written bytes.
    f.Seek(2, -1);
    EXPECT_EQ(f.Write(4, "abcd"), 1);
    EXPECT_EQ(f.GetSize(), 6);
    EXPECT_EQ(f.GetCursor(), 6);
    EXPECT_TRUE(f.IsEOF());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(f.GetBuffer()), 6), "01abcd");
    EXPECT_EQ(f.Write(0, nullptr), 1);
    EXPECT_EQ(f.GetSize(), 6);
    VFile fresh;
    EXPECT_FALSE(fresh.IsOpened());
    EXPECT_EQ(fresh.Write(2, "xy"), 1);
    EXPECT_TRUE(fresh.IsOpened());
    // Many small writes keep every byte in order.
    for (int i = 0; i < 10000; ++i)
        fresh.Write(4, &i);
    EXPECT_EQ(fresh.GetSize(), 2 + 40000);
    int last = 0;
    std::memcpy(&last, fresh.GetBuffer() + fresh.GetSize() - 4, 4);
    EXPECT_EQ(last, 9999);
    // Writing from the block itself (overlapping) is safe.
    fresh.Seek(0, -1);
    EXPECT_EQ(fresh.Write(8, fresh.GetBuffer() + 2), 1);
    EXPECT_EQ(fresh.GetSize(), 8);
}

extern const aeResourceModule TestResources;

TEST(FilesVFile, InitFromAnotherFileMemoryAndModuleResources)
{
    test::LogCapture log("vfile_init");
    VFile src("0123456789", 10);
    src.Seek(3, -1);
    VFile part(&src, 4);
    EXPECT_EQ(part.GetSize(), 4);
    EXPECT_EQ(part.GetCursor(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(part.GetBuffer()), 4), "3456");
    EXPECT_EQ(src.GetCursor(), 3);
    EXPECT_EQ(part.Init(&src, 8), 0);  // only seven left
    EXPECT_FALSE(part.IsOpened());     // the old contents are gone
    EXPECT_TRUE(log.Contains("Beschreibung: pVFile ist zu klein!"));
    EXPECT_EQ(part.Init(&src, 0), 0);
    EXPECT_EQ(part.Init(&part, 1), 0);
    EXPECT_EQ(part.Init(static_cast<const void*>(nullptr), 3), 0);
    EXPECT_EQ(part.Init("abc", 0), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 5);
    EXPECT_EQ(src.Close(), 1);
    EXPECT_EQ(src.Close(), 1);
    VFile moved = std::move(part);
    EXPECT_EQ(part.GetBuffer(), nullptr);
    // The module's resources, by number and by name.
    const std::string expected = "Halvoran-Testressource";
    for (const char* name : {static_cast<const char*>(MAKEINTRESOURCE(7)), "#7", "named", "NAMED"})
    {
        VFile r(&TestResources, name, "tst");
        ASSERT_TRUE(r.IsOpened());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(r.GetBuffer()), r.GetSize()), expected);
    }
    VFile missing(&TestResources, MAKEINTRESOURCE(8), "TST");
    EXPECT_FALSE(missing.IsOpened());
    EXPECT_TRUE(log.Contains("Es konnte nicht auf die Resource #8 des Types TST zugegriffen werden!"));
    VFile wrongType(&TestResources, "NAMED", "RVM");
    EXPECT_FALSE(wrongType.IsOpened());
    EXPECT_EQ(wrongType.Init(nullptr, "NAMED", "TST"), 0);
}

TEST(FilesVFile, DiskFilesRoundTrip)
{
    test::LogCapture log("vfile_disk");
    const std::string dir = test::ScratchDir("vfile_disk");
    const std::string path = dir + "/saved.bin";
    VFile fresh;
    EXPECT_EQ(fresh.WriteToFile(path.c_str()), 0);
    EXPECT_TRUE(log.Contains("Die Datei wurde noch nicht geöffnet oder beschrieben!"));
    fresh.Write(5, "hallo");
    fresh.Seek(1, -1);
    EXPECT_EQ(fresh.WriteToFile(path.c_str()), 1);
    EXPECT_EQ(test::ReadBinary(path), "hallo");
    EXPECT_EQ(fresh.GetCursor(), 1);
    VFile loaded(path.c_str());
    EXPECT_TRUE(loaded.IsOpened());
    EXPECT_EQ(loaded.GetSize(), 5);
    // Backslash paths and Windows-1252 names reach the right file.
    const std::string winPath = dir + "\\Größe.bin";
    EXPECT_EQ(loaded.WriteToFile(winPath.c_str()), 1);
    EXPECT_EQ(test::ReadBinary(dir + test::U8(u8"/Größe.bin")), "hallo");
    test::WriteBinary(dir + "/empty.bin", "");
    EXPECT_EQ(loaded.Init((dir + "/empty.bin").c_str()), 0);
    EXPECT_FALSE(loaded.IsOpened());
    EXPECT_TRUE(log.Contains("empty.bin konnte nicht gelesen werden!"));
    EXPECT_EQ(loaded.Init((dir + "/missing.bin").c_str()), 0);
    EXPECT_TRUE(log.Contains("missing.bin konnte nicht geöffnet werden!"));
    EXPECT_EQ(loaded.Init(dir.c_str()), 0);  // a directory is no file
    EXPECT_EQ(fresh.WriteToFile((dir + "/no/such/dir/x.bin").c_str()), 0);
    EXPECT_TRUE(log.Contains("x.bin konnte nicht geöffnet werden!"));
}

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
            EXPECT_FALSE(in->Skip(c.rest + 1));
            EXPECT_FALSE(in->Skip(-1));
        }
        EXPECT_EQ(file.GetCursor(), 4);
    }
    EXPECT_EQ(aeBoundedReader(nullptr, 10).GetRemaining(), 0);
}
