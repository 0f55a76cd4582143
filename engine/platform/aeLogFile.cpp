#include "aeLogFile.h"
#include "aeFileSystem.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace
{
// Numbered names beyond this are not tried.
const int kMaxLogs = 99;
char s_acName[512] = "";
}

FILE* aeLogFileOpen(const char* path)
{
    if (!path)
        return nullptr;
    std::string stem(path);
    const std::string extension = ".log";
    if (stem.size() >= extension.size() && stem.compare(stem.size() - extension.size(), std::string::npos, extension) == 0)
        stem.erase(stem.size() - extension.size());
    for (int n = 1; n <= kMaxLogs; ++n)
    {
        const std::string name = n == 1 ? std::string(path) : stem + "-" + std::to_string(n) + extension;
        // Opened without emptying it: it may be another program's log.
        // Close-on-exec, so that programs started from here do not keep it.
        FILE* file = aeFileOpen(name.c_str(), "acbe");
        if (!file)
            return nullptr;
        const int fd = fileno(file);
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        {
            aeFileClose(file);
            continue;
        }
        // Ours (or a file system without locks, where it is taken as before).
        if (ftruncate(fd, 0) != 0)
        {
            aeFileClose(file);
            return nullptr;
        }
        std::snprintf(s_acName, sizeof(s_acName), "%s", name.c_str());
        return file;
    }
    return nullptr;
}

const char* aeLogFileName()
{
    return s_acName;
}
