#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "aeDirectory.h"

namespace
{
std::vector<std::pair<int, std::string>> g_aFound;
int g_iStopAfter = 0;

int Collect(int isFile, char* path)
{
    g_aFound.emplace_back(isFile, path);
    return !(g_iStopAfter && static_cast<int>(g_aFound.size()) >= g_iStopAfter);
}

std::vector<std::pair<int, std::string>> Search(const std::string& dir, const char* pattern, int filesOnly)
{
    g_aFound.clear();
    EXPECT_EQ(aeSearchDirectory(dir.c_str(), Collect, pattern, filesOnly), 1);
    std::sort(g_aFound.begin(), g_aFound.end());
    return g_aFound;
}

class FilesDirectory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_iStopAfter = 0;
        m_Dir = test::ScratchDir("directory");
        for (const std::string& name : {std::string("a.hwm"), std::string("B.HWM"), std::string("Tutorial.hwm.bak"), std::string("README"), test::U8(u8"Spielstand Jörg 1.ssd")})
            test::WriteBinary(m_Dir + "/" + name, "x");
        std::filesystem::create_directories(m_Dir + "/maps.hwm");
        m_Win = m_Dir + "\\";  // the system's own form: a trailing backslash
    }
    std::string m_Dir, m_Win;
    test::LogCapture m_Log{"directory"};
};
}

TEST_F(FilesDirectory, PatternsFollowWindowsRules)
{
    using V = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(Search(m_Win, "*.hwm", 1), (V{{1, m_Win + "B.HWM"}, {1, m_Win + "a.hwm"}}));
    EXPECT_EQ(Search(m_Win, nullptr, 1).size(), 5u);  // also the name without a dot
    EXPECT_EQ(Search(m_Win, "*.ssd", 1), (V{{1, m_Win + "Spielstand Jörg 1.ssd"}}));  // Windows-1252 name
    // Folders are reported with a backslash when asked for; "." is left out, ".." is not.
    const V all = Search(m_Win, "*", 0);
    EXPECT_NE(std::find(all.begin(), all.end(), std::make_pair(0, m_Win + "maps.hwm\\")), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), std::make_pair(0, m_Win + "..\\")), all.end());
    EXPECT_EQ(std::find(all.begin(), all.end(), std::make_pair(0, m_Win + ".\\")), all.end());
    EXPECT_EQ(all.size(), 7u);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);
}

TEST_F(FilesDirectory, FailuresAndStopping)
{
    g_aFound.clear();
    EXPECT_EQ(aeSearchDirectory(m_Win.c_str(), Collect, "*.sav", 1), 0);
    EXPECT_TRUE(m_Log.Contains("Fehler beim finden der 1. Datei!"));
    EXPECT_EQ(aeSearchDirectory((m_Win + "missing\\").c_str(), Collect, "*", 1), 0);
    EXPECT_EQ(aeSearchDirectory(nullptr, Collect, "*", 1), 0);
    EXPECT_EQ(aeSearchDirectory(m_Win.c_str(), nullptr, "*", 1), 0);
    EXPECT_TRUE(g_aFound.empty());
    g_iStopAfter = 1;
    EXPECT_EQ(aeSearchDirectory(m_Win.c_str(), Collect, "*", 1), 1);
    EXPECT_EQ(g_aFound.size(), 1u);
}

TEST(FilesPaths, RemoveDirExtensionAndFileExists)
{
    char path[] = "a\\b\\c.txt";
    EXPECT_STREQ(RemoveDir(path), "c.txt");
    EXPECT_STREQ(RemoveDir("c.txt"), "c.txt");
    EXPECT_STREQ(RemoveDir("a/b.txt"), "a/b.txt");
    EXPECT_STREQ(RemoveDir("dir\\"), "");
    EXPECT_STREQ(GetFilenameExtension("x.tar.rvm"), "rvm");
    EXPECT_STREQ(GetFilenameExtension("noext"), "noext");
    const std::string dir = test::ScratchDir("exists");
    test::WriteBinary(dir + "/f.txt", "1");
    EXPECT_EQ(FileExists((dir + "\\f.txt").c_str()), 1);
    EXPECT_EQ(FileExists((dir + "\\g.txt").c_str()), 0);
    EXPECT_EQ(FileExists(dir.c_str()), 0);
    EXPECT_EQ(FileExists(nullptr), 0);
}
