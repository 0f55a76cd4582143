// Where an installed game writes: the decision between an installed and a
// portable tree, and the user's folders from the XDG variables.

#include <gtest/gtest.h>

#include "TestSupport.h"

#include "aeUserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <grp.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Sets an environment variable for one scope and puts the old value back.
struct ScopedEnv
{
    std::string sName;
    std::optional<std::string> old;
    ScopedEnv(const char* name, const char* value) : sName(name)
    {
        if (const char* v = std::getenv(name))
            old = v;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old)
            setenv(sName.c_str(), old->c_str(), 1);
        else
            unsetenv(sName.c_str());
    }
};
}

// The marker beside the program (not in the working folder), or a tree the user
// cannot write, means an installed game.
TEST(UserFolders, TheMarkerOrAReadOnlyTreeMeansInstalled)
{
    const std::string root = test::ScratchDir("tree");
    const std::string bin = root + "/bin";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(aeIsInstalledTree(bin.c_str(), bin.c_str()), 0);
    test::WriteBinary(bin + "/" AE_INSTALLED_MARKER, "");
    EXPECT_EQ(aeIsInstalledTree(bin.c_str(), bin.c_str()), 1);
    // The marker beside the program counts, not one in the working folder.
    EXPECT_EQ(aeIsInstalledTree(root.c_str(), bin.c_str()), 0);
    std::filesystem::remove(bin + "/" AE_INSTALLED_MARKER);
    // A tree whose working folder, or the folder above it, cannot be written.
    // Root writes everywhere, so a child tries it as "nobody" when run as root.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        char dir[] = "/tmp/halvoran-tree-XXXXXX";
        bool ok = (geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)) &&
                  mkdtemp(dir);
        const std::string top = dir, work = top + "/bin";
        std::error_code error;
        ok = ok && std::filesystem::create_directory(work, error) && aeIsInstalledTree(work.c_str(), work.c_str()) == 0;
        for (const std::string& locked : {top, work})
        {
            chmod(locked.c_str(), 0555);
            ok = ok && aeIsInstalledTree(work.c_str(), work.c_str()) == 1;
            chmod(locked.c_str(), 0755);
        }
        std::filesystem::remove_all(top, error);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(UserFolders, XdgVariablesWithTheirDefaults)
{
    ScopedEnv home("HOME", "/home/spieler");
    {
        ScopedEnv data("XDG_DATA_HOME", "/daten/");
        EXPECT_EQ(aeXdgFolder("XDG_DATA_HOME", ".local/share", "halvoran"), "/daten/halvoran");
    }
    {
        // Unset or relative: the default below the home folder.
        ScopedEnv data("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(aeXdgFolder("XDG_DATA_HOME", ".local/share", "halvoran"), "/home/spieler/.local/share/halvoran");
        ScopedEnv state("XDG_STATE_HOME", "relativ");
        EXPECT_EQ(aeXdgFolder("XDG_STATE_HOME", ".local/state", "halvoran"), "/home/spieler/.local/state/halvoran");
    }
}
