#pragma once
// The registry of the current user, as a program sees it through the Win32
// registry functions: keys with named values. Each key is one text file below
// the user's configuration directory ($XDG_CONFIG_HOME, else ~/.config); the
// key path "Software\\Maker\\Program" becomes "<config>/Maker/Program.reg" (the
// leading "Software" component is dropped: that directory already is the
// place for programs' settings). Only 4-byte integer values (REG_DWORD) are
// kept. Every RegSetValueExA writes the whole file anew through a temporary
// file in the same directory and a rename, so an interrupted write never
// leaves a damaged or half-written key behind.
//
// File format (UTF-8 text, names in quotes with \\ and \" escaped):
//     "Name"=dword:0000002a
// Lines starting with '#' or ';' and empty lines are ignored. A line that
// cannot be read is reported in the log; the readable values stay usable, and
// before the damaged file is first replaced it is kept as "<file>.defekt".

#include <cstdint>
#include <string>

#include "aeWinTypes.h"

typedef struct aeRegistryKey* HKEY;
typedef DWORD REGSAM;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define ERROR_WRITE_FAULT 29L

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define REG_NONE 0
#define REG_DWORD 4

// Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// Opens the key, creating it (and the directories above it) when needed.
// disposition (may be null) receives REG_CREATED_NEW_KEY or
// REG_OPENED_EXISTING_KEY.
LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM access,
                     void* security, HKEY* result, DWORD* disposition);
// Reads a value: type (may be null) receives REG_DWORD; data (may be null
// to ask for the size) receives the 4 bytes when *size is at least 4; *size
// becomes 4. ERROR_FILE_NOT_FOUND when the key has no such value.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
// Writes a REG_DWORD value of exactly 4 bytes and stores the key's file at
// once (atomically). On failure the file on disk is unchanged.
LONG RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegCloseKey(HKEY key);

// The file a key path below HKEY_CURRENT_USER is kept in (UTF-8 path); empty
// for a path without any name in it.
std::string aeRegistryFileForKey(const char* subKey);
