#include "aeInstanceLock.h"
#include "aeText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

struct aeInstanceLock
{
    int iFile;
};

const char* aeInstanceLockPath(const char* name, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return nullptr;
    std::string file = aeCp1252ToUtf8(name ? name : "");
    for (char& c : file)
        if (c == '/' || c == '\\')
            c = '_';
    std::string path;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        path = std::string(runtime) + "/" + file + ".lock";
    else
        path = "/tmp/" + file + "-" + std::to_string(static_cast<unsigned long>(getuid())) + ".lock";
    std::snprintf(buffer, static_cast<size_t>(size), "%s", path.c_str());
    return buffer;
}

int aeInstanceLockAcquire(const char* name, aeInstanceLock** lock)
{
    if (lock)
        *lock = nullptr;
    char path[4096];
    aeInstanceLockPath(name, path, sizeof(path));
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return AE_INSTANCE_LOCK_DENIED;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? AE_INSTANCE_LOCK_BUSY : AE_INSTANCE_LOCK_DENIED;
    }
    aeInstanceLock* held = new (std::nothrow) aeInstanceLock{fd};
    if (!held)
    {
        close(fd);
        return AE_INSTANCE_LOCK_DENIED;
    }
    if (lock)
        *lock = held;
    else
        delete held;  // the caller does not want it back: the lock lasts as long as the process
    return AE_INSTANCE_LOCK_TAKEN;
}

void aeInstanceLockRelease(aeInstanceLock* lock)
{
    if (!lock)
        return;
    flock(lock->iFile, LOCK_UN);
    close(lock->iFile);
    delete lock;
}
