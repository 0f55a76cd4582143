#pragma once
// The game program as a child process in a scratch game tree, headless: its
// own bin/ working directory, home, configuration and runtime directories.

#include "TestSupport.h"
#include "Game.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <unistd.h>
#include <vector>

// Skips a test of the program when it has not been built.
#define REQUIRE_PROGRAM()                              \
    if (!std::filesystem::exists(test::ProgramPath())) \
    GTEST_SKIP() << "Halvoran is not built"

namespace test
{
inline std::string ProgramPath()
{
    return (std::filesystem::path(HALVORAN_TEST_TMP) / ".." / ".." / "game" / "bin" / "Halvoran").lexically_normal().string();
}

// Starts program headless in dir with root's home, configuration and runtime
// folders (and any further variables), its standard error into
// root/stderr.txt.
inline pid_t StartProgram(const std::string& program, const std::string& root, const std::string& dir,
                          std::initializer_list<std::pair<const char*, std::string>> env,
                          std::initializer_list<const char*> args)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        if (chdir(dir.c_str()) != 0)
            _exit(100);
        for (const auto& [name, value] : {std::pair<const char*, std::string>{"SDL_VIDEODRIVER", "offscreen"},
                                          {"ALSOFT_DRIVERS", "null"}, {"HOME", root + "/home"},
                                          {"XDG_CONFIG_HOME", root + "/config"}, {"XDG_RUNTIME_DIR", root + "/runtime"},
                                          {"UserName", "Spieler"}, {"LC_ALL", "C.UTF-8"}})
            setenv(name, value.c_str(), 1);
        for (const auto& [name, value] : env)
            setenv(name, value.c_str(), 1);
        if (FILE* err = std::freopen((root + "/stderr.txt").c_str(), "w", stderr))
            (void)err;
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

// A scratch game tree; the program runs in its bin/ with its own home,
// configuration and runtime directories.
struct GameTree
{
    std::string root;
    explicit GameTree(const std::string& name)
    {
        root = test::ScratchDir(name);
        for (const char* dir : {"bin", "home", "config", "runtime", "maps", "data"})
            std::filesystem::create_directories(root + "/" + dir);
    }
    // The shipped maps and data instead of empty folders.
    void UseContent() const
    {
        for (const char* dir : {"maps", "data", "demos"})
        {
            std::filesystem::remove_all(root + "/" + dir);
            std::filesystem::create_directory_symlink(std::string(HALVORAN_GAME_DIR) + "/" + dir, root + "/" + dir);
        }
    }
    std::string Log() const { return test::ReadBinary(root + "/bin/Halvoran.log"); }
    // What the program wrote to standard error (as bytes, in the terminal's
    // encoding, UTF-8 here).
    std::string Stderr() const { return test::ReadBinary(root + "/stderr.txt"); }

    pid_t Start(std::initializer_list<const char*> args) const
    {
        return StartProgram(ProgramPath(), root, root + "/bin", {}, args);
    }
};

// Waits (bounded) for the process to end; its exit code as a signed byte, or
// 1000 when it did not end in time (it is then killed).
inline int Wait(pid_t pid, int seconds = 60)
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

// How long a run of the game from a demo may last (a campaign run lasts long
// on two cores).
const int kLongRun = 1200;

// Demo text built line by line (frames, milliseconds, buttons and counts).
struct DemoText
{
    std::string text = "HALVORAN-DEMO 1\n";
    DemoText& Add(int frames, const std::string& input = "", int ms = 50)
    {
        text += std::to_string(frames) + " " + std::to_string(ms) + (input.empty() ? "" : " " + input) + "\n";
        return *this;
    }
    DemoText& Press(const std::string& button) { return Add(1, button).Add(2); }
    // Skips the intro and waits until the main page has faded in.
    DemoText& SkipIntro() { return Add(5).Press("Escape").Add(25); }
    // From one place of the screen to another (fractions of its size), in
    // whole frames of mouse counts: 250 counts move the cursor 0.3 of the
    // screen at the middle speed.
    DemoText& MoveCursor(Vector2 from, Vector2 to)
    {
        const float countsPerScreen = 250.0f / 0.3f;
        int x = static_cast<int>(std::lround((to.x - from.x) * countsPerScreen));
        int y = static_cast<int>(std::lround((to.y - from.y) * countsPerScreen));
        while (x || y)
        {
            const int sx = std::clamp(x, -250, 250), sy = std::clamp(y, -250, 250);
            Add(1, "x=" + std::to_string(sx) + " y=" + std::to_string(sy));
            x -= sx;
            y -= sy;
        }
        return *this;
    }
    // In the game: Escape, the cursor from the middle onto "Spiel speichern",
    // a click, Return on the save page.
    DemoText& SaveInGame()
    {
        return Press("Escape")
            .MoveCursor(Vector2(0.5f, 0.5f), g_aGameButtons[GAME_BUTTON_SAVE].vCentre)
            .Press("Knopf_1")
            .Press("Return");
    }
    void Write(const std::string& path) const { test::WriteBinary(path, text); }
};

inline bool WaitForLog(const GameTree& tree, const std::string& text, int seconds = 60)
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

