#pragma once
// The shipped game tree for the content tests: its maps as the map tool reads
// them, and a device, sound and bin/ as the working directory, as the game
// runs.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../graphics/GrafikTestSupport.h"
#include "TestSupport.h"

#include "DataLoader.h"
#include "Sound.h"
#include "MapText.h"
#include "aeMaze.h"
#include "aeModel.h"

namespace content
{
namespace fs = std::filesystem;
inline const fs::path kGame = HALVORAN_GAME_DIR;

inline maptext::Map ReadMap(const fs::path& path)
{
    maptext::Map m;
    std::string error;
    EXPECT_TRUE(maptext::FromBinary(test::ReadBinary(path.string()), &m, &error)) << path << ": " << error;
    return m;
}

// The record index in a field's slot (floor, ceiling, walls 0-3, object), -1 for none.
inline int Index(const maptext::Map& m, int x, int y, int slot)
{
    return m.fields[static_cast<size_t>(y * m.width + x)][static_cast<size_t>(slot)];
}

inline std::vector<fs::path> ShippedMaps()
{
    std::vector<fs::path> maps;
    for (const auto& e : fs::directory_iterator(kGame / "maps"))
        if (e.path().extension() == ".hwm")
            maps.push_back(e.path());
    std::sort(maps.begin(), maps.end());
    return maps;
}

class Fixture : public test::GrafikFixture
{
protected:
    // The device at this size, the sound if asked for, and bin/, where the
    // maps' relative paths start.
    void Open(UINT width, UINT height, bool withSound)
    {
        OpenDevice(width, height);
        m_bSound = withSound && aeSoundManager::Init() == 1;
        m_OldDir = fs::current_path();
        fs::current_path(kGame / "bin");
    }
    void TearDown() override
    {
        aeMaze::Exit();
        aeModelManager::Exit();
        aeDataLoader::Unload();
        aeSoundManager::Exit();
        if (!m_OldDir.empty())
            fs::current_path(m_OldDir);
        test::GrafikFixture::TearDown();
    }
    bool m_bSound = false;
    fs::path m_OldDir;
};
}   // namespace content
