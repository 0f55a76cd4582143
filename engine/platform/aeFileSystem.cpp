#include "aeFileSystem.h"
#include "aeText.h"

#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string aeNativePath(const char* path)
{
    if (!path)
        return std::string();
    std::string utf8 = aeCp1252ToUtf8(path);
    for (char& c : utf8)
        if (c == '\\')
            c = '/';
    return utf8;
}

namespace
{
// Streams opened with the commit flag, synced on close.
struct CommitList
{
    std::vector<FILE*> files;
} s_Commit;
}

FILE* aeFileOpen(const char* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    char native[8];
    size_t n = 0;
    bool commit = false;
    for (const char* m = mode; *m && n + 1 < sizeof(native); ++m)
    {
        if (*m == 'c')
            commit = true;
        else if (*m != 't' && *m != 'n')
            native[n++] = *m;
    }
    native[n] = 0;
    FILE* f = std::fopen(aeNativePath(path).c_str(), native);
    if (f && commit)
        s_Commit.files.push_back(f);
    return f;
}

int aeFileClose(FILE* file)
{
    if (!file)
        return 0;
    for (size_t i = 0; i < s_Commit.files.size(); ++i)
    {
        if (s_Commit.files[i] != file)
            continue;
        s_Commit.files.erase(s_Commit.files.begin() + static_cast<long>(i));
        std::fflush(file);
        fsync(fileno(file));
        break;
    }
    return std::fclose(file) == 0;
}

long long aeFileSize(const char* path)
{
    struct stat st;
    if (!path || stat(aeNativePath(path).c_str(), &st) != 0)
        return 0;
    return static_cast<long long>(st.st_size);
}

int aeFileRemove(const char* path)
{
    return path && std::remove(aeNativePath(path).c_str()) == 0;
}

int aeFileRename(const char* from, const char* to)
{
    return from && to && std::rename(aeNativePath(from).c_str(), aeNativePath(to).c_str()) == 0;
}

int aeMakeDirectory(const char* path)
{
    if (!path)
        return 0;
    const std::string native = aeNativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 1 : 0;
    return mkdir(native.c_str(), 0755) == 0;
}

int aeWildcardMatch(const char* pattern, const char* name)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    const unsigned char* n = reinterpret_cast<const unsigned char*>(name);
    const unsigned char* starP = nullptr;
    const unsigned char* starN = nullptr;
    for (;;)
    {
        if (*n == 0)
        {
            // The name is used up: what is left must be able to match nothing.
            while (*p == '*')
                ++p;
            if (*p == 0)
                return 1;
            if (*p == '.' && std::strchr(name, '.') == nullptr)
            {
                ++p;
                while (*p == '*')
                    ++p;
                if (*p == 0)
                    return 1;
            }
            if (!starP)
                return 0;
        }
        else if (*p == '*')
        {
            starP = ++p;
            starN = n;
            continue;
        }
        else if (*p != 0 && (*p == '?' || aeCp1252ToLower(*p) == aeCp1252ToLower(*n)))
        {
            ++p;
            ++n;
            continue;
        }
        else if (!starP)
            return 0;
        // Let the last star take one more character and try again.
        if (*starN == 0)
            return 0;
        p = starP;
        n = ++starN;
    }
}

struct aeFindHandle
{
    DIR* pDir;
    std::string pattern;
};

static int NextMatch(aeFindHandle* h, char name[256])
{
    while (dirent* e = readdir(h->pDir))
    {
        const std::string local = aeUtf8ToCp1252(e->d_name);
        if (local.size() > 255)
            continue;
        if (!aeWildcardMatch(h->pattern.c_str(), local.c_str()))
            continue;
        std::memcpy(name, local.c_str(), local.size() + 1);
        return 1;
    }
    return 0;
}

aeFindHandle* aeFindFirst(const char* search, char name[256])
{
    if (!search || !name)
        return nullptr;
    const char* sep = std::strrchr(search, '\\');
    const char* slash = std::strrchr(search, '/');
    if (slash && (!sep || slash > sep))
        sep = slash;
    std::string dir = sep ? std::string(search, static_cast<size_t>(sep - search + 1)) : std::string(".\\");
    aeFindHandle* h = new aeFindHandle;
    h->pattern = sep ? sep + 1 : search;
    h->pDir = opendir(aeNativePath(dir.c_str()).c_str());
    if (!h->pDir || !NextMatch(h, name))
    {
        aeFindClose(h);
        return nullptr;
    }
    return h;
}

int aeFindNext(aeFindHandle* handle, char name[256])
{
    return handle && name && NextMatch(handle, name);
}

void aeFindClose(aeFindHandle* handle)
{
    if (!handle)
        return;
    if (handle->pDir)
        closedir(handle->pDir);
    delete handle;
}

int aeFileReadable(const char* path)
{
    if (!path)
        return 0;
    const std::string native = aeNativePath(path);
    struct stat st;
    return stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && access(native.c_str(), R_OK) == 0;
}
