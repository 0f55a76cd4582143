// The configuration record: the registry stand-in's text file of one key,
// read the way the game's options are read, then rewritten through a value
// change and read again; nothing that was read may change or get lost.

#include "FuzzSupport.h"
#include "aeRegistry.h"

#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

namespace
{
const char* const kKey = "Software\\Kelmstone Games\\Halvoran\\";
const char* const kNames[] = {"MultiSampling", "CursorSpeed", "3DGlasses", "ResolutionWidth", "ResolutionHeight", ""};
std::string s_sFile;

// The values of the names above (-1 when missing) after opening the key.
bool ReadValues(std::vector<std::pair<bool, DWORD>>* values)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    values->clear();
    for (const char* name : kNames)
    {
        DWORD data = 0, size = sizeof(data), type = 0;
        const bool found = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) ==
                           ERROR_SUCCESS;
        if (found)
            FUZZ_CHECK(type == REG_DWORD && size == sizeof(DWORD));
        values->emplace_back(found, found ? data : 0);
    }
    RegCloseKey(key);
    return true;
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzQuietLog();
    // tmpfs where there is one: every rewrite ends in fsync.
    std::string dir;
    if (access("/dev/shm", W_OK) == 0)
    {
        char path[] = "/dev/shm/halvoran-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(path) != nullptr);
        dir = path;
    }
    else
        dir = FuzzTempDirectory();
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    s_sFile = aeRegistryFileForKey(kKey);
    // The key's folder.
    HKEY key = nullptr;
    FUZZ_CHECK(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
               ERROR_SUCCESS);
    RegCloseKey(key);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    {
        std::ofstream out(s_sFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<std::pair<bool, DWORD>> before, after;
    FUZZ_CHECK(ReadValues(&before));

    // A value is changed: the whole key is written anew.
    HKEY key = nullptr;
    FUZZ_CHECK(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
               ERROR_SUCCESS);
    const DWORD speed = 2;
    FUZZ_CHECK(RegSetValueExA(key, "CursorSpeed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&speed),
                              sizeof(speed)) == ERROR_SUCCESS);
    RegCloseKey(key);

    FUZZ_CHECK(ReadValues(&after));
    before[1] = {true, speed};
    for (size_t i = 0; i < before.size(); ++i)
    {
        FUZZ_CHECK(before[i].first == after[i].first);
        FUZZ_CHECK(before[i].second == after[i].second);
    }
    return 0;
}
