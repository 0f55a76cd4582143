#include "aeShell.h"
#include "aeText.h"

#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
aeShellOpenHook s_pHook = nullptr;
}

void aeSetShellOpenHook(aeShellOpenHook hook)
{
    s_pHook = hook;
}

int aeShellOpen(const char* target)
{
    if (!target || !target[0])
        return 0;
    if (s_pHook)
        return s_pHook(target);
    const std::string utf8 = aeCp1252ToUtf8(target);
    // Two forks, so that the opener is nobody's child here and never lingers
    // as a zombie of the game.
    const pid_t child = fork();
    if (child < 0)
        return 0;
    if (child == 0)
    {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0)
        {
            execlp("xdg-open", "xdg-open", utf8.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
    {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}
