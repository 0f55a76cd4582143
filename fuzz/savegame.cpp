// Savegames against a loaded map. The input is a map and a savegame: a 4-byte
// little-endian length n, n bytes of map, and the rest is the savegame.

#include "FuzzSupport.h"
#include "VFile.h"
#include "aeMaze.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzQuietLog();
    FuzzTempDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > kFuzzMaxInput)
        return 0;
    const uint32_t mapSize = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                             static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    if (mapSize > size - 4)
        return 0;
    VFile map(data + 4, static_cast<int>(mapSize));
    if (!aeMaze::Init(&map))
    {
        aeMaze::Exit();
        return 0;
    }
    // The menu's check of a savegame's size, made from the map's bytes alone,
    // agrees with the loaded map.
    FUZZ_CHECK(aeMaze::GetSavegameSize(data + 4, static_cast<int>(mapSize)) == aeMaze::GetSavegameSize());
    const size_t rest = size - 4 - mapSize;
    VFile savegame;
    if (rest > 0)
        savegame.Init(data + 4 + mapSize, static_cast<int>(rest));
    if (aeMaze::LoadSavegame(&savegame))
    {
        // A loaded savegame is written back byte for byte.
        VFile again;
        aeMaze::SaveSavegame(&again);
        FUZZ_CHECK(again.GetSize() == static_cast<int>(rest));
        // The game runs on from the loaded state.
        aeMaze::Update(0);
        aeMaze::CheckQuests();
        aeMaze::CheckWin();
        aeMaze::CheckCollisions();
    }
    aeMaze::Exit();
    return 0;
}
