#pragma once
// Helpers of the maze tests: maps as the engine's own aeMapData written by its
// writer, a data directory with animation and sound files, and a maze whose
// records the test wires by hand.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Engine.h"
#include "TestSupport.h"
#include "aeMapData.h"

namespace mazetest
{
// Little-endian bytes, appended field by field.
struct Bytes
{
    std::string s;
    Bytes& I(int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); return *this; }
    Bytes& F(float v) { s.append(reinterpret_cast<const char*>(&v), 4); return *this; }
};

// Field (x, y) of a map; an empty field table is first filled with fields without anything.
inline aeMapField& Field(aeMapData& m, int x, int y)
{
    if (m.fields.empty())
        m.fields.assign(static_cast<size_t>(m.width * m.height), aeMapField{-1, -1, -1, -1, -1, -1, -1});
    return m.fields[static_cast<size_t>(y * m.width + x)];
}

// The map's file bytes.
inline std::string Build(aeMapData m)
{
    if (m.width > 0 && m.height > 0)
        Field(m, 0, 0);
    std::string bytes;
    aeWriteMap(m, &bytes);
    return bytes;
}

// An RVAN file with one object and two key frames (time, visible, position and rotation 0, scale 1).
inline std::string AnimationFile(float duration)
{
    Bytes b{"RVAN"};
    b.F(duration).I(1).I(0).I(4).s += "quad";
    b.I(2).F(0).I(1).F(0).F(0).F(0).F(0).F(0).F(0).F(1).F(1).F(1);
    return b.F(1).I(1).F(0).F(0).F(0).F(0).F(0).F(0).F(1).F(1).F(1).s;
}

// An RVS file: 3D or not, with buffers buffers of one second of 8-bit mono.
inline std::string SoundFile(bool is3D, uint32_t buffers, uint32_t dataBytes = 8000)
{
    Bytes b{std::string("RVS\0", 4)};
    b.I(is3D ? 1 : 0).I(0).I(1).I(static_cast<int>(buffers)).I(0).F(1.0f).F(100.0f);
    // WAVEFORMATEX: PCM, mono, 8000 Hz, 8000 bytes/s, align 1, 8 bits, extra 0.
    b.s.append("\x01\x00\x01\x00", 4);
    b.I(8000).I(8000).s.append("\x01\x00\x08\x00\x00\x00", 6);
    b.I(static_cast<int>(dataBytes)).s.append(dataBytes, '\x80');
    return b.s;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    test::WriteBinary(path.string(), bytes);
}

// A data directory with the animations "wall.ran" (1 s), "door.ran" (2 s),
// "sky.ran" (10 s) and the sounds "click.rvs" (plain, 2 buffers) and
// "hum.rvs" (3D, 3 buffers). Its path ends with a separator.
inline std::string DataDir()
{
    const std::filesystem::path dir = test::ScratchDir("data");
    WriteFile(dir / "animations" / "wall.ran", AnimationFile(1.0f));
    WriteFile(dir / "animations" / "door.ran", AnimationFile(2.0f));
    WriteFile(dir / "animations" / "sky.ran", AnimationFile(10.0f));
    WriteFile(dir / "sounds" / "click.rvs", SoundFile(false, 2));
    WriteFile(dir / "sounds" / "hum.rvs", SoundFile(true, 3));
    return dir.string() + "/";
}

// Loads map bytes into the maze; the result of aeMaze::Init.
inline int Load(const std::string& bytes)
{
    VFile file(bytes.data(), static_cast<int>(bytes.size()));
    return aeMaze::Init(&file);
}

inline std::string Text(const VFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<size_t>(file.GetSize()));
}

inline std::string Save()
{
    VFile file;
    aeMaze::Save(&file);
    return Text(file);
}

// A hand-built maze: width x height fields, records appended by the test.
// Animations and sounds are owned here, not by the managers.
class MazeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        aeMaze::Exit();
        aeSoundManager::Init();
        aeCamera::Init(Vector2(0.0f, 0.0f), 0.0f, 0.0f);
    }
    void TearDown() override
    {
        aeMaze::Exit();
        aeMaze::m_aQuests.Clear();
        aeSoundManager::Exit();
        aeSetClockSource(nullptr);
    }

    void Grid(int w, int h) { ASSERT_EQ(aeMaze::Init(w, h), 1); }

    aeAnimation* Animation(float duration)
    {
        m_Animations.push_back(std::make_unique<aeAnimation>());
        m_Animations.back()->m_fTime = duration;
        std::strcpy(m_Animations.back()->m_acName, "anim");
        return m_Animations.back().get();
    }

    aeSound* Sound(bool is3D, uint32_t buffers)
    {
        m_Sounds.push_back(std::make_unique<aeSound>());
        const std::string bytes = SoundFile(is3D, buffers);
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(m_Sounds.back()->Init(&file, "sound"), 1);
        return m_Sounds.back().get();
    }

    // Appends a record with an animation of the given length (none for a negative one).
    template <class T>
    int Add(DynList<T>& list, float duration, int action, int mode, int automatic, aeSound* sound = nullptr)
    {
        T* r = list.Insert();
        r->m_pAnimation = duration < 0.0f ? nullptr : Animation(duration);
        r->m_iAction = action;
        r->m_iMode = mode;
        r->m_bAutomatic = automatic;
        r->m_pSound = sound;
        return list.GetNumElements() - 1;
    }

    static void Condition(aeMazeRecord* record, int x, int y, int bit, int value)
    {
        *record->m_aConditions.Insert() = aeCondition{x, y, bit, value};
    }

    std::vector<std::unique_ptr<aeAnimation>> m_Animations;
    std::vector<std::unique_ptr<aeSound>> m_Sounds;
};
}
