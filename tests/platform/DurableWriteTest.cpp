// Files that must last: a full disk (the device /dev/full standing in for the
// temporary file, or a small tmpfs) is reported and never costs the old file.

#include <gtest/gtest.h>

#include <functional>
#include <sys/mount.h>
#include <unistd.h>

#include "TestSupport.h"
#include "VFile.h"
#include "aeDemo.h"
#include "aeFileSystem.h"

#include "ToolMain.h"

namespace
{
// Every writer of a lasting file, given the target's native path.
struct Writer
{
    const char* pcName;
    std::function<int(const std::string&, const std::string&)> write;
};

const Writer kWriters[] = {
    {"atomic", [](const std::string& path, const std::string& bytes)
     { return aeWriteNativeFileAtomically(path.c_str(), bytes.data(), bytes.size()); }},
    {"system path", [](const std::string& path, const std::string& bytes)
     { return aeWriteFileAtomically(path.c_str(), bytes.data(), bytes.size()); }},
    {"tool", [](const std::string& path, const std::string& bytes)
     { return tool::WriteAll("maptool", path.c_str(), bytes) ? 1 : 0; }},
    {"demo", [](const std::string& path, const std::string&)
     {
         if (!aeDemo::StartRecording(path.c_str()))
             return 0;
         aeDemoInput input = {};
         aeDemo::TakeInput(&input);
         aeDemo::FrameTime(20);
         return aeDemo::Stop();
     }},
};
}

TEST(PlatformDurableWrite, AFullDiskIsReportedAndTheOldFileStays)
{
    const std::string dir = test::ScratchDir("full");
    test::LogCapture log;
    for (const Writer& writer : kWriters)
    {
        SCOPED_TRACE(writer.pcName);
        const std::string path = dir + "/" + writer.pcName + ".dat";
        test::WriteBinary(path, "old bytes");
        // The temporary file beside the target lands on a full device.
        ASSERT_EQ(symlink("/dev/full", (path + ".tmp").c_str()), 0);
        EXPECT_EQ(writer.write(path, std::string(100, 'n')), 0);
        EXPECT_EQ(test::ReadBinary(path), "old bytes");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path + ".tmp")));
        // With room, the same call replaces the file.
        EXPECT_EQ(writer.write(path, "new"), 1);
        EXPECT_NE(test::ReadBinary(path), "old bytes");
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
    EXPECT_TRUE(log.Contains("konnte nicht gespeichert werden"));  // the demo says so
}

TEST(PlatformDurableWrite, BufferedStreamsReportTheFailedFlush)
{
    // A few bytes stay in the stream's buffer: only the flush at the close
    // meets the full disk, with or without the commit flag.
    for (const char* mode : {"wcb", "wb"})
    {
        SCOPED_TRACE(mode);
        FILE* file = aeFileOpen("/dev/full", mode);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fwrite("abc", 1, 3, file), 3u);
        EXPECT_EQ(aeFileClose(file), 0);
    }
    test::LogCapture log;
    VFile data;
    ASSERT_TRUE(data.Write(3, "abc"));
    EXPECT_EQ(data.WriteToFile("/dev/full"), 0);
    EXPECT_TRUE(log.Contains("konnte nicht beschrieben werden"));
}

TEST(PlatformDurableWrite, ASmallTmpfsThatFillsUpKeepsTheOldFile)
{
    const std::string dir = test::ScratchDir("tmpfs");
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const std::string path = dir + "/Spieler 1.ssd";
    const std::string old(40 * 1024, 'o');
    EXPECT_EQ(aeWriteNativeFileAtomically(path.c_str(), old.data(), old.size()), 1);
    // The new version needs room beside the old one, which the disk lacks.
    const std::string bigger(48 * 1024, 'n');
    EXPECT_EQ(aeWriteNativeFileAtomically(path.c_str(), bigger.data(), bigger.size()), 0);
    EXPECT_EQ(test::ReadBinary(path), old);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_EQ(aeWriteNativeFileAtomically(path.c_str(), "klein", 5), 1);
    EXPECT_EQ(test::ReadBinary(path), "klein");
    umount(dir.c_str());
}

TEST(PlatformDurableWrite, RecordingIntoAMissingFolderIsRefusedAtOnce)
{
    const std::string dir = test::ScratchDir("record");
    test::LogCapture log;
    EXPECT_EQ(aeFolderWritable((dir + "/demo.txt").c_str()), 1);
    EXPECT_EQ(aeFolderWritable((dir + "/fehlt/demo.txt").c_str()), 0);
    EXPECT_EQ(aeDemo::StartRecording((dir + "/fehlt/demo.txt").c_str()), 0);
    EXPECT_FALSE(aeDemo::IsRecording());
    EXPECT_TRUE(log.Contains("Der Ordner fehlt oder ist schreibgesch"));
}
