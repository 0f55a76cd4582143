#include "aeRegistry.h"
#include "aeError.h"
#include "aeFileSystem.h"
#include "aeText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

struct aeRegistryKey
{
    std::string sFile;  // UTF-8 path of the key's file
    std::vector<std::pair<std::string, DWORD>> aValues;  // names in Windows-1252
    REGSAM access = 0;
    bool bDamaged = false;  // the file held lines that could not be read
};

namespace
{
std::string ConfigDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0])
        return std::string(home) + "/.config";
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return std::string(pw->pw_dir) + "/.config";
    return "/tmp";
}

bool SameName(const std::string& a, const char* b)
{
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (aeCp1252ToLower(static_cast<unsigned char>(a[i])) != aeCp1252ToLower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One line "Name"=dword:hex; false if it is not of that form.
bool ParseLine(const std::string& line, std::string& name, DWORD& value)
{
    size_t i = 0;
    if (line.empty() || line[0] != '"')
        return false;
    std::string utf8;
    for (i = 1; i < line.size() && line[i] != '"'; ++i)
    {
        if (line[i] == '\\')
        {
            if (++i >= line.size())
                return false;
        }
        utf8 += line[i];
    }
    if (i >= line.size())
        return false;
    static const char kType[] = "=dword:";
    if (line.compare(i + 1, sizeof(kType) - 1, kType) != 0)
        return false;
    i += sizeof(kType);
    uint64_t v = 0;
    int digits = 0;
    for (; i < line.size() && HexDigit(line[i]) >= 0; ++i, ++digits)
        v = v * 16 + static_cast<uint64_t>(HexDigit(line[i]));
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (digits < 1 || digits > 8 || i != line.size())
        return false;
    name = aeUtf8ToCp1252(utf8.c_str());
    value = static_cast<DWORD>(v);
    return true;
}

// Reads the key's file into key; false if the file cannot be opened.
bool ReadKeyFile(aeRegistryKey* key)
{
    std::ifstream in(key->sFile, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        std::string name;
        DWORD value = 0;
        if (!ParseLine(line, name, value))
        {
            key->bDamaged = true;
            AE_ERROR("RegOpenKeyExA", "Die Zeile %d der Registry-Datei \"%s\" ist fehlerhaft und wird übergangen!", number,
                     aeUtf8ToCp1252(key->sFile.c_str()).c_str());
            continue;
        }
        bool found = false;
        for (auto& entry : key->aValues)
            if (SameName(entry.first, name.c_str()))
            {
                entry.second = value;
                found = true;
            }
        if (!found)
            key->aValues.emplace_back(name, value);
    }
    return true;
}

std::string KeyText(const std::vector<std::pair<std::string, DWORD>>& values)
{
    std::string text = aeCp1252ToUtf8("# Halvoran-Registry: Werte eines Schlüssels (REG_DWORD)\n");
    for (const auto& entry : values)
    {
        text += '"';
        for (char c : aeCp1252ToUtf8(entry.first.c_str()))
        {
            if (c == '"' || c == '\\')
                text += '\\';
            text += c;
        }
        char hex[32];
        std::snprintf(hex, sizeof(hex), "\"=dword:%08x\n", static_cast<unsigned>(entry.second));
        text += hex;
    }
    return text;
}

// Replaces the file by text; on any failure the old file stays as it was.
bool WriteFileAtomically(const std::string& file, const std::string& text)
{
    return aeWriteNativeFileAtomically(file.c_str(), text.data(), text.size()) != 0;
}

bool ValidKey(HKEY key)
{
    return key && key != HKEY_CURRENT_USER;
}

LONG OpenKey(HKEY root, const char* subKey, REGSAM access, HKEY* result, bool create, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (root != HKEY_CURRENT_USER)
        return ERROR_INVALID_HANDLE;
    const std::string file = aeRegistryFileForKey(subKey);
    if (file.empty())
        return ERROR_INVALID_PARAMETER;
    struct stat st;
    const bool exists = stat(file.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return ERROR_ACCESS_DENIED;
    if (!exists && !create)
        return ERROR_FILE_NOT_FOUND;

    aeRegistryKey* key = new (std::nothrow) aeRegistryKey;
    if (!key)
        return ERROR_ACCESS_DENIED;
    key->sFile = file;
    key->access = access;
    if (exists)
    {
        if (!ReadKeyFile(key))
        {
            delete key;
            return ERROR_ACCESS_DENIED;
        }
    }
    else
    {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
        if (!WriteFileAtomically(file, KeyText(key->aValues)))
        {
            AE_ERROR("RegCreateKeyExA", "Die Registry-Datei \"%s\" konnte nicht erstellt werden!",
                     aeUtf8ToCp1252(file.c_str()).c_str());
            delete key;
            return ERROR_ACCESS_DENIED;
        }
    }
    if (disposition)
        *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = key;
    return ERROR_SUCCESS;
}
}

std::string aeRegistryFileForKey(const char* subKey)
{
    if (!subKey)
        return std::string();
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = subKey;; ++p)
    {
        if (*p == '\\' || *p == 0)
        {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
            if (!*p)
                break;
            continue;
        }
        part += (*p == '/') ? '_' : *p;
    }
    if (!parts.empty() && SameName(parts.front(), "Software"))
        parts.erase(parts.begin());
    if (parts.empty())
        return std::string();
    std::string path = ConfigDirectory();
    for (const std::string& name : parts)
        path += "/" + ((name == "." || name == "..") ? std::string("_") : aeCp1252ToUtf8(name.c_str()));
    return path + ".reg";
}

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD, REGSAM access, HKEY* result)
{
    return OpenKey(root, subKey, access, result, false, nullptr);
}

LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD, char*, DWORD, REGSAM access, void*, HKEY* result,
                     DWORD* disposition)
{
    return OpenKey(root, subKey, access, result, true, disposition);
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    for (const auto& entry : key->aValues)
    {
        if (!SameName(entry.first, name ? name : ""))
            continue;
        if (type)
            *type = REG_DWORD;
        if (data)
        {
            if (*size < sizeof(DWORD))
            {
                *size = sizeof(DWORD);
                return ERROR_MORE_DATA;
            }
            std::memcpy(data, &entry.second, sizeof(DWORD));
        }
        if (size)
            *size = sizeof(DWORD);
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    if (type != REG_DWORD || size != sizeof(DWORD) || !data)
        return ERROR_INVALID_PARAMETER;
    if (!(key->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    DWORD value;
    std::memcpy(&value, data, sizeof(value));
    const char* valueName = name ? name : "";

    std::vector<std::pair<std::string, DWORD>> values = key->aValues;
    bool found = false;
    for (auto& entry : values)
        if (SameName(entry.first, valueName))
        {
            entry.second = value;
            found = true;
        }
    if (!found)
        values.emplace_back(valueName, value);

    // A damaged file is kept aside once before it is replaced, so that nothing
    // the user wrote into it by hand gets lost.
    if (key->bDamaged)
    {
        std::error_code ec;
        std::filesystem::copy_file(key->sFile, key->sFile + ".defekt", std::filesystem::copy_options::overwrite_existing,
                                   ec);
        if (ec)
        {
            AE_ERROR("RegSetValueExA", "Die fehlerhafte Registry-Datei \"%s\" konnte nicht gesichert werden!",
                     aeUtf8ToCp1252(key->sFile.c_str()).c_str());
            return ERROR_WRITE_FAULT;
        }
        key->bDamaged = false;
    }
    if (!WriteFileAtomically(key->sFile, KeyText(values)))
    {
        AE_ERROR("RegSetValueExA", "Die Registry-Datei \"%s\" konnte nicht geschrieben werden (%s)!",
                 aeUtf8ToCp1252(key->sFile.c_str()).c_str(), aeUtf8ToCp1252(std::strerror(errno)).c_str());
        return ERROR_WRITE_FAULT;
    }
    key->aValues = std::move(values);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (!ValidKey(key))
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}
