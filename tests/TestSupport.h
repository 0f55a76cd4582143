#pragma once
// Helpers shared by the engine tests: scratch directories, a log captured into
// a scratch file, and a clock the test drives.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "aeClock.h"
#include "aeLog.h"
#include "aeText.h"

namespace test
{
// A UTF-8 literal (u8"…") as bytes.
inline std::string U8(const char8_t* text)
{
    return std::string(reinterpret_cast<const char*>(text));
}

// A fresh, empty directory below the build's scratch folder, one set per test
// so that tests may run in parallel processes.
inline std::string ScratchDir(const std::string& name)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string owner = info ? std::string(info->test_suite_name()) + "." + info->name() : "global";
    const std::filesystem::path dir = std::filesystem::path(HALVORAN_TEST_TMP) / owner / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline std::string ReadBinary(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBinary(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Runs a shell command with its output into `log`; the exit code (-1: it did not exit).
inline int Shell(const std::string& command, const std::string& log = "/dev/null")
{
    const int status = std::system(("( " + command + " ) >'" + log + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool HaveProgram(const char* name) { return Shell(std::string("command -v ") + name) == 0; }

// Opens the engine log in a scratch file for the lifetime of the object;
// Text() gives what was written so far in the system's Windows-1252.
class LogCapture
{
public:
    explicit LogCapture(const std::string& name = "capture")
    {
        m_Path = ScratchDir("log_" + name) + "/test";
        aeLog::Init("Test", m_Path.c_str());
    }
    ~LogCapture() { aeLog::Exit(); }
    std::string Text() const { return aeUtf8ToCp1252(ReadBinary(m_Path + ".log").c_str()); }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string m_Path;
};

// Replaces the millisecond clock while alive. Each reading returns the current
// value; after `repeat` equal readings the clock moves on by `step`.
class FakeClock
{
public:
    explicit FakeClock(DWORD start, DWORD step = 1, int repeat = 1)
    {
        s_Now = start;
        s_Step = step;
        s_Repeat = repeat;
        s_Count = 0;
        aeSetClockSource(&Read, &Advance);
    }
    ~FakeClock() { aeSetClockSource(nullptr); }
    static void Set(DWORD now) { s_Now = now; s_Count = 0; }
    // Time passing, as in a wait (aeSleep) or in work the test stands for.
    static void Advance(DWORD ms) { s_Now += ms; }

private:
    static DWORD Read()
    {
        const DWORD now = s_Now;
        if (++s_Count >= s_Repeat)
        {
            s_Count = 0;
            s_Now = now + s_Step;
        }
        return now;
    }
    static inline std::atomic<DWORD> s_Now{0};
    static inline std::atomic<DWORD> s_Step{1};
    static inline std::atomic<int> s_Repeat{1};
    static inline std::atomic<int> s_Count{0};
};
}
