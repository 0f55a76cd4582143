// The game program as a process, headless: it starts, runs its loop and ends
// with exit code 0 on SIGTERM (handled like closing the window) or after
// --quit-after; a second copy started meanwhile ends at once with -2.

#include "TestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{
std::string ProgramPath()
{
    return (std::filesystem::path(HALVORAN_TEST_TMP) / ".." / ".." / "game" / "bin" / "Halvoran").lexically_normal().string();
}

// A scratch game tree; the program runs in its bin/ with its own home,
// configuration and runtime directories.
struct GameTree
{
    std::string root;
    explicit GameTree(const std::string& name)
    {
        root = test::ScratchDir(name);
        for (const char* dir : {"bin", "maps", "data", "home", "config", "runtime"})
            std::filesystem::create_directories(root + "/" + dir);
    }
    std::string Log() const { return test::ReadBinary(root + "/bin/Halvoran.log"); }

    pid_t Start(std::initializer_list<const char*> args) const
    {
        const std::string program = ProgramPath();
        const pid_t pid = fork();
        if (pid == 0)
        {
            if (chdir((root + "/bin").c_str()) != 0)
                _exit(100);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("ALSOFT_DRIVERS", "null", 1);
            setenv("HOME", (root + "/home").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const char* a : args)
                argv.push_back(const_cast<char*>(a));
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(101);
        }
        return pid;
    }
};

// Waits (bounded) for the process to end; its exit code as a signed byte, or
// 1000 when it did not end in time (it is then killed).
int Wait(pid_t pid, int seconds = 60)
{
    for (int i = 0; i < seconds * 20; ++i)
    {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : 2000;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return 1000;
}

bool WaitForLog(const GameTree& tree, const std::string& text, int seconds = 60)
{
    for (int i = 0; i < seconds * 20; ++i)
    {
        if (tree.Log().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}
}

TEST(AppProcess, SecondCopyEndsWithMinusTwoAndTerminationEndsNormally)
{
    if (!std::filesystem::exists(ProgramPath()))
        GTEST_SKIP() << "Halvoran is not built";
    GameTree tree("tree");
    const pid_t first = tree.Start({});
    ASSERT_GT(first, 0);
    if (!WaitForLog(tree, "--- Nachrichtenschleife ---"))
    {
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        FAIL() << "the loop was not reached:\n" << tree.Log();
    }
    const pid_t second = tree.Start({});
    EXPECT_EQ(Wait(second), -2);
    // The running copy's log knows nothing of the second one.
    const std::string log = tree.Log();
    EXPECT_EQ(log.find("--- Programmstart ---"), log.rfind("--- Programmstart ---"));

    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first), 0);
    const std::string end = tree.Log();
    const size_t start = end.find("--- Programmstart ---");
    const size_t loop = end.find("--- Nachrichtenschleife ---");
    const size_t quit = end.find("--- Beenden ---");
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(quit, std::string::npos) << end;
    EXPECT_LT(start, loop);
    EXPECT_LT(loop, quit);
    EXPECT_EQ(end.find("Fehler aufgetreten"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(tree.root + "/savegame"));
    EXPECT_TRUE(std::filesystem::exists(tree.root + "/config/Kelmstone Games/Halvoran.reg"));
}

TEST(AppProcess, QuitAfterEndsWithZeroAndBadArgumentsWithMinusOne)
{
    if (!std::filesystem::exists(ProgramPath()))
        GTEST_SKIP() << "Halvoran is not built";
    GameTree tree("tree");
    EXPECT_EQ(Wait(tree.Start({"--windowed", "--quit-after", "0.5"})), 0);
    EXPECT_NE(tree.Log().find("--- Beenden ---"), std::string::npos);
    EXPECT_NE(tree.Log().find("Fenstergr"), std::string::npos);  // a window of the video mode's size
    EXPECT_EQ(Wait(tree.Start({"--gibtsnicht"})), -1);
}
