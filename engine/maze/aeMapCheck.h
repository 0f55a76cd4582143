#pragma once
// Checks the bytes of a map file before anything of it is used. A map comes
// from disk and is untrusted: every size, count, index and string length is
// tested against the format and against the bytes that are really there.

// How bad a problem is.
enum
{
    AE_MAP_BROKEN = 0,  // the bytes cannot be a map; checking stops here
    AE_MAP_INVALID = 1, // readable, but the engine refuses it (index, field outside the grid)
    AE_MAP_WARNING = 2, // legal, but probably not what the author meant
};

// Receives each problem with a German description.
typedef void (*aeMapProblemCallback)(int kind, const char* message, void* user);

struct aeMapCheckResult
{
    int iBroken;
    int iInvalid;
    int iWarnings;
    int iSize;    // bytes the map takes, including its exit block (when not broken)
    int bHasExit; // whether the exit block is present
    int iWidth;   // grid size and number of quests, as far as the check got
    int iHeight;
    int iQuests;
};

// Walks size bytes of a map and reports every problem it finds (after a
// broken structure nothing further). Returns 1 when the engine can load the
// map (no broken or invalid problem), else 0. callback and result may be null.
int aeCheckMap(const unsigned char* data, int size, aeMapProblemCallback callback, void* user,
               aeMapCheckResult* result);
