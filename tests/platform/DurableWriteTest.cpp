// Files that must last: a full disk (the device /dev/full standing in for the
// temporary file) is reported and never costs the old file.

#include <gtest/gtest.h>

#include <unistd.h>

#include "TestSupport.h"
#include "VFile.h"
#include "aeDemo.h"
#include "aeFileSystem.h"

#include "ToolMain.h"

namespace
{
// Every writer of a lasting file, given the target's native path.
using S = const std::string&;
const std::pair<const char*, int (*)(S, S)> kWriters[] = {
    {"atomic", [](S path, S bytes) { return aeWriteNativeFileAtomically(path.c_str(), bytes.data(), bytes.size()); }},
    {"system path", [](S path, S bytes) { return aeWriteFileAtomically(path.c_str(), bytes.data(), bytes.size()); }},
    {"tool", [](S path, S bytes) { return tool::WriteAll("maptool", path.c_str(), bytes) ? 1 : 0; }},
    {"demo", [](S path, S) {
         aeDemoInput input = {};
         if (!aeDemo::StartRecording(path.c_str()))
             return 0;
         aeDemo::TakeInput(&input);
         aeDemo::FrameTime(20);
         return aeDemo::Stop();
     }},
};
}

TEST(PlatformDurableWrite, AFullDiskIsReportedAndTheOldFileStaysAndAMissingFolderIsRefused)
{
    const std::string dir = test::ScratchDir("full");
    test::LogCapture log;
    for (const auto& [name, save] : kWriters)
    {
        SCOPED_TRACE(name);
        const std::string path = dir + "/" + name + ".dat";
        test::WriteBinary(path, "old bytes");
        // The temporary file beside the target lands on a full device.
        ASSERT_EQ(symlink("/dev/full", (path + ".tmp").c_str()), 0);
        EXPECT_EQ(save(path, std::string(100, 'n')), 0);
        EXPECT_EQ(test::ReadBinary(path), "old bytes");
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(path + ".tmp")));
        // With room, the same call replaces the file.
        EXPECT_EQ(save(path, "new"), 1);
        EXPECT_NE(test::ReadBinary(path), "old bytes");
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    }
    EXPECT_TRUE(log.Contains("konnte nicht gespeichert werden"));  // the demo says so
    // Recording into a missing folder is refused at once.
    EXPECT_EQ(aeFolderWritable((dir + "/demo.txt").c_str()), 1);
    EXPECT_EQ(aeFolderWritable((dir + "/fehlt/demo.txt").c_str()), 0);
    EXPECT_EQ(aeDemo::StartRecording((dir + "/fehlt/demo.txt").c_str()), 0);
    EXPECT_FALSE(aeDemo::IsRecording());
    EXPECT_TRUE(log.Contains("Der Ordner fehlt oder ist schreibgesch"));
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
