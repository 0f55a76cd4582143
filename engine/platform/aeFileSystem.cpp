#include "aeFileSystem.h"
#include "aeText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// Where the program's own relative names are moved to (an installed game
// writes into the user's folders). Set up once at start-up.
struct Redirect
{
    std::string sName;    // system form: a folder ("..\\savegame") or a pattern for bare names ("*.log")
    std::string sTarget;  // native folder
    bool bFolder;
};
std::vector<Redirect> s_Redirects;

std::string Slashed(const char* path)
{
    std::string utf8 = aeCp1252ToUtf8(path);
    for (char& c : utf8)
        if (c == '\\')
            c = '/';
    return utf8;
}
}

void aeRedirectFolder(const char* folder, const char* nativeTarget)
{
    if (!folder || !nativeTarget || !*folder || !*nativeTarget)
        return;
    std::string name = Slashed(folder);
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    s_Redirects.push_back({name, nativeTarget, true});
}

void aeRedirectFiles(const char* pattern, const char* nativeTarget)
{
    if (pattern && nativeTarget && *pattern && *nativeTarget)
        s_Redirects.push_back({pattern, nativeTarget, false});
}

void aeClearRedirects()
{
    s_Redirects.clear();
}

std::string aeNativePath(const char* path)
{
    if (!path)
        return std::string();
    std::string utf8 = Slashed(path);
    for (const Redirect& r : s_Redirects)
    {
        if (r.bFolder)
        {
            const size_t n = r.sName.size();
            if (utf8.compare(0, n, r.sName) == 0 && (utf8.size() == n || utf8[n] == '/'))
                return r.sTarget + utf8.substr(n);
        }
        else if (!std::strpbrk(path, "\\/") && aeWildcardMatch(r.sName.c_str(), path))
            return r.sTarget + "/" + utf8;
    }
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
        // A full disk shows itself only here: the buffered bytes fail to go
        // out, or the sync finds no room for them.
        bool ok = std::fflush(file) == 0;
        ok = fsync(fileno(file)) == 0 && ok;
        ok = std::fclose(file) == 0 && ok;
        return ok;
    }
    bool ok = std::fflush(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

namespace
{
// The folder part of a native path ("." for a bare name).
std::string ParentFolder(const std::string& native)
{
    const size_t slash = native.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : native.substr(0, slash);
}

bool WriteWhole(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0)
    {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Syncs the directory that holds path, so that a rename in it lasts.
bool SyncDirectory(const std::string& path)
{
    const int fd = open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot sync a directory at all; that is no failure.
    const bool ok = fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    close(fd);
    return ok;
}
}

int aeWriteNativeFileAtomically(const char* nativePath, const void* data, size_t size)
{
    if (!nativePath || !*nativePath || (!data && size > 0))
        return 0;
    const std::string target = nativePath;
    const std::string temp = target + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return 0;
    bool ok = WriteWhole(fd, data, size);
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), target.c_str()) == 0)
    {
        const int error = errno;
        const bool synced = SyncDirectory(target);
        errno = error;
        return synced ? 1 : 0;
    }
    const int error = errno;
    unlink(temp.c_str());
    errno = error;
    return 0;
}

int aeWriteFileAtomically(const char* path, const void* data, size_t size)
{
    return path ? aeWriteNativeFileAtomically(aeNativePath(path).c_str(), data, size) : 0;
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

namespace
{
unsigned char Cp1252ToUpper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 0x20);
    switch (c)
    {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
    }
}
}

int aeCompareFileNames(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q)
    {
        const unsigned int x = *p ? aeCp1252ToUnicode(Cp1252ToUpper(*p)) : 0;
        const unsigned int y = *q ? aeCp1252ToUnicode(Cp1252ToUpper(*q)) : 0;
        if (x != y)
            return x < y ? -1 : 1;
        if (!*p)
            break;
    }
    // Names that differ only in case (possible here, not on the original
    // file system) keep one fixed order all the same.
    const int bytes = std::strcmp(a, b);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

struct aeFindHandle
{
    std::vector<std::string> names;
    size_t next = 0;
};

static int NextMatch(aeFindHandle* h, char name[256])
{
    if (h->next >= h->names.size())
        return 0;
    const std::string& local = h->names[h->next++];
    std::memcpy(name, local.c_str(), local.size() + 1);
    return 1;
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
    const std::string pattern = sep ? sep + 1 : search;
    DIR* d = opendir(aeNativePath(dir.c_str()).c_str());
    if (!d)
        return nullptr;
    aeFindHandle* h = new aeFindHandle;
    while (dirent* e = readdir(d))
    {
        std::string local = aeUtf8ToCp1252(e->d_name);
        if (local.size() <= 255 && aeWildcardMatch(pattern.c_str(), local.c_str()))
            h->names.push_back(std::move(local));
    }
    closedir(d);
    // The original file system lists a folder in case-insensitive order; the
    // order of a Linux folder depends on its history.
    std::sort(h->names.begin(), h->names.end(),
              [](const std::string& a, const std::string& b) { return aeCompareFileNames(a.c_str(), b.c_str()) < 0; });
    if (!NextMatch(h, name))
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

int aeDirectoryExists(const char* path)
{
    struct stat st;
    return path && stat(aeNativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int aeFolderWritable(const char* path)
{
    if (!path || !*path)
        return 0;
    const std::string dir = ParentFolder(aeNativePath(path));
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && access(dir.c_str(), W_OK | X_OK) == 0;
}
