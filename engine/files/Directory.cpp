#include "aeDirectory.h"
#include "aeError.h"
#include "aeFileSystem.h"

#include <cstring>
#include <string>

char* RemoveDir(char* path)
{
    if (!path)
        return path;
    char* sep = std::strrchr(path, '\\');
    return sep ? sep + 1 : path;
}

const char* RemoveDir(const char* path)
{
    return RemoveDir(const_cast<char*>(path));
}

char* GetFilenameExtension(char* path)
{
    if (!path)
        return path;
    char* dot = std::strrchr(path, '.');
    return dot ? dot + 1 : path;
}

const char* GetFilenameExtension(const char* path)
{
    return GetFilenameExtension(const_cast<char*>(path));
}

int FileExists(const char* path)
{
    return aeFileReadable(path);
}

int aeSearchDirectory(const char* directory, aeDirectoryCallback callback, const char* pattern, int filesOnly)
{
    if (!directory || !callback)
    {
        AE_INVALID_PARAMETER("aeSearchDirectory");
        return 0;
    }
    const std::string search = std::string(directory) + (pattern ? pattern : "*");
    char name[256];
    aeFindHandle* find = aeFindFirst(search.c_str(), name);
    if (!find)
    {
        AE_ERROR("aeSearchDirectory", "Fehler beim finden der 1. Datei!");
        return 0;
    }
    do
    {
        if (std::strcmp(name, ".") == 0)
            continue;
        // Paths are handed on in the system's 256-byte buffers.
        char path[256];
        const size_t dirLength = std::strlen(directory);
        const size_t nameLength = std::strlen(name);
        if (dirLength + nameLength + 1 >= sizeof(path))
        {
            AE_WARNING("aeSearchDirectory", "Der Pfad %s%s ist zu lang und wird übergangen!", directory, name);
            continue;
        }
        std::memcpy(path, directory, dirLength);
        std::memcpy(path + dirLength, name, nameLength + 1);
        const int isFile = aeFileReadable(path);
        if (!isFile)
            std::strcat(path, "\\");
        if (!filesOnly || isFile)
        {
            if (!callback(isFile, path))
                break;
        }
    } while (aeFindNext(find, name));
    aeFindClose(find);
    return 1;
}
