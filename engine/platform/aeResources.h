#pragma once
// Module resource tables: byte blocks built into a module (the engine library or
// the game program) and looked up by identifier or name and by type, as the
// original platform's FindResource/LoadResource did.

#include <cstdint>

struct aeResourceEntry
{
    int                  iId;    // integer identifier, or 0 when pName is used
    const char*          pName;  // name, or null for an integer identifier
    const char*          pType;  // resource type, e.g. "RVM"
    const unsigned char* pBegin;
    const unsigned char* pEnd;
};

struct aeResourceModule
{
    const char*            pModuleName;
    const aeResourceEntry* pEntries;
    int                    iNumEntries;
};

// A module handle is the module's resource table.
typedef const aeResourceModule* HINSTANCE;
typedef HINSTANCE HMODULE;

// An integer identifier passed where a name is expected (MAKEINTRESOURCE).
inline char* MAKEINTRESOURCE(int id) { return reinterpret_cast<char*>(static_cast<uintptr_t>(static_cast<uint16_t>(id))); }
inline bool IS_INTRESOURCE(const char* p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

// Finds a resource; name may be an integer identifier (MAKEINTRESOURCE) or a
// string ("#101" also means identifier 101). Types and names compare without
// regard to case. Returns 1 and the block, or 0 when there is none.
int aeFindResource(HINSTANCE module, const char* name, const char* type,
                   const unsigned char** data, int* size);
