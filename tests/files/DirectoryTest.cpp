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
