#pragma once
// A map file (.hwm) as plain values, its one checked parser and its one
// writer. The maze loads from it and saves through it; the map tool turns it
// into text and back.
//
// The file, little-endian:
//   width, height (int), floor depth, speed, fog (float), start x, y (int),
//   music, data directory, sky animation (strings: a length byte and that
//   many characters),
//   quests: count, then per quest its text and begin x, y, end x, y,
//   objects, walls, floors, ceilings: count, then per record its leading
//   floats (the box of an object, the thickness of a wall, the height of a
//   ceiling), animation, action, mode, automatic, sound, a count of
//   conditions and per condition x, y, bit, value,
//   the field table: width x height entries of seven record indices,
//   optionally the exit block: exit x, y and the name of the next map.
//
// A map comes from disk and is untrusted: every size, count, index and string
// length is checked against the format and against the bytes that are really
// there.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class VFile;

struct aeMapCondition
{
    int32_t x = 0, y = 0, bit = 0, value = 0;
};

struct aeMapRecord
{
    std::string animation;
    int32_t action = 0, mode = 0, automatic = 0;
    std::string sound;
    std::vector<aeMapCondition> conditions;
    // The leading floats: the box of an object (min x, min y, max x, max y),
    // the thickness of a wall or the height of a ceiling (the first value).
    float lead[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

struct aeMapQuest
{
    std::string text;
    int32_t bx = 0, by = 0, ex = 0, ey = 0;
};

// The blocks of records in file order, and the leading floats of each.
enum
{
    AE_MAP_OBJECTS = 0,
    AE_MAP_WALLS = 1,
    AE_MAP_FLOORS = 2,
    AE_MAP_CEILINGS = 3,
    AE_MAP_NUM_BLOCKS = 4,
};
inline constexpr int g_aiMapLeadFloats[AE_MAP_NUM_BLOCKS] = {4, 1, 0, 1};

// The seven record indices of a field in file order: floor, ceiling, walls 0
// to 3, object (the maze's slot order); -1 for none.
typedef std::array<int32_t, 7> aeMapField;

// The block of records a field's entry indexes: the four wall entries share
// the walls.
constexpr int aeMapBlockOfSlot(int slot)
{
    return slot == 0 ? AE_MAP_FLOORS : slot == 1 ? AE_MAP_CEILINGS : slot == 6 ? AE_MAP_OBJECTS : AE_MAP_WALLS;
}

// The largest grid: as many fields as a map file of at most 2 GiB can hold.
inline constexpr long long g_llMaxMapFields = INT32_MAX / 28;

struct aeMapData
{
    int32_t width = 1, height = 1;
    float depth = 10.0f, speed = 10.0f, fog = 0.05f;
    int32_t startX = 0, startY = 0;
    std::string music, data, sky;
    std::vector<aeMapQuest> quests;
    std::vector<aeMapRecord> objects, walls, floors, ceilings;
    // Row by row, width x height of them after parsing; written as they are.
    std::vector<aeMapField> fields;
    // Set before parsing (the parser keeps it): the field table is checked
    // where it lies in the bytes and not copied into fields (the check
    // result says where it begins), for a loader that reads the entries from
    // the bytes itself.
    bool fieldsInPlace = false;
    bool hasExit = false;
    int32_t exitX = 0, exitY = 0;
    std::string next;
    // Bytes behind the exit block (not part of the map; kept for the tool).
    std::string trailing;

    // A block by its number (AE_MAP_OBJECTS ...).
    std::vector<aeMapRecord>& Block(int block)
    {
        std::vector<aeMapRecord>* const blocks[AE_MAP_NUM_BLOCKS] = {&objects, &walls, &floors, &ceilings};
        return *blocks[block];
    }
    const std::vector<aeMapRecord>& Block(int block) const { return const_cast<aeMapData*>(this)->Block(block); }
};

// How bad a problem is.
enum
{
    AE_MAP_BROKEN = 0,  // the bytes cannot be a map; parsing stops here
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
    int iWidth;   // grid size and number of quests, as far as the parser got
    int iHeight;
    int iQuests;
    int iFieldTable; // where the field table begins in the bytes (0 until the parser reached it)
};

// Parses size bytes of a map into *map (null: only checks) and reports every
// problem it finds (after a broken structure nothing further; *map then holds
// what was read up to there). A negative count is an empty list. Returns 1
// when the engine can load the map (no broken or invalid problem), else 0.
// callback and result may be null.
int aeParseMap(const unsigned char* data, int size, aeMapData* map, aeMapProblemCallback callback, void* user,
               aeMapCheckResult* result);

// The check alone: aeParseMap without a map.
inline int aeCheckMap(const unsigned char* data, int size, aeMapProblemCallback callback, void* user,
                      aeMapCheckResult* result)
{
    return aeParseMap(data, size, nullptr, callback, user, result);
}

// Gives entry index (row by row) of a field table that is kept elsewhere.
typedef void (*aeMapFieldSource)(int index, aeMapField* entry, void* user);

// The bytes of a map: appended to *out, or written at the file's cursor.
// Strings longer than 255 characters are cut there. With a source, the field
// table is its width x height entries instead of map.fields (a grid held
// elsewhere need not be copied first).
void aeWriteMap(const aeMapData& map, std::string* out);
int aeWriteMap(const aeMapData& map, VFile* file, aeMapFieldSource source = nullptr, void* user = nullptr);
