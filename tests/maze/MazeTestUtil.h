#pragma once
// Helpers of the maze tests: maps built through the engine's map writer, a data directory
// with animation and sound files, records wired by hand, and the log.

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Engine.h"
#include "aeText.h"

namespace mazetest
{
// Little-endian bytes, appended field by field.
struct Bytes
{
    std::string s;
    Bytes& I(int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); return *this; }
    Bytes& F(float v) { s.append(reinterpret_cast<const char*>(&v), 4); return *this; }
    Bytes& B(uint8_t v) { s.push_back(static_cast<char>(v)); return *this; }
    Bytes& Str(const std::string& v) { B(static_cast<uint8_t>(v.size())); s += v; return *this; }
};

using Record = aeMapRecord;
using Quest = aeMapQuest;

// A map as its file holds it; Build() gives the bytes. An empty field table
// stands for fields without anything.
struct Map : aeMapData
{
    aeMapField& Field(int x, int y)
    {
        if (fields.empty())
            fields.assign(static_cast<size_t>(width * height), None());
        return fields[static_cast<size_t>(y * width + x)];
    }

    std::string Build() const
    {
        Map m = *this;
        if (m.fields.empty() && width > 0 && height > 0)
            m.fields.assign(static_cast<size_t>(width * height), None());
        std::string bytes;
        aeWriteMap(m, &bytes);
        return bytes;
    }

    static aeMapField None()
    {
        aeMapField none;
        none.fill(-1);
        return none;
    }
};

// An RVAN file with one object and two key frames.
inline std::string AnimationFile(float duration)
{
    Bytes b;
    b.s = "RVAN";
    b.F(duration).I(1).I(0).I(4).s += "quad";
    b.I(2);
    for (int k = 0; k < 2; ++k)
    {
        b.F(static_cast<float>(k)).I(1);
        for (int i = 0; i < 6; ++i)
            b.F(0.0f);
        b.F(1.0f).F(1.0f).F(1.0f);
    }
    return b.s;
}

// An RVS file: 3D or not, with buffers buffers of one second of 8-bit mono.
inline std::string SoundFile(bool is3D, uint32_t buffers, uint32_t dataBytes = 8000)
{
    Bytes b;
    b.s = std::string("RVS\0", 4);
    b.I(is3D ? 1 : 0).I(0).I(1).I(static_cast<int>(buffers)).I(0).F(1.0f).F(100.0f);
    // WAVEFORMATEX: PCM, mono, 8000 Hz, 8000 bytes/s, align 1, 8 bits, extra 0.
    b.s.append("\x01\x00\x01\x00", 4);
    b.I(8000).I(8000);
    b.s.append("\x01\x00\x08\x00\x00\x00", 6);
    b.I(static_cast<int>(dataBytes));
    b.s.append(dataBytes, '\x80');
    return b.s;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh scratch directory for the running test.
inline std::filesystem::path Scratch(const std::string& name)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto dir = std::filesystem::path(HALVORAN_TEST_TMP) / "maze" /
                     (std::string(info->test_suite_name()) + "." + info->name()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// A data directory with the animations "wall.ran" (1 s), "door.ran" (2 s),
// "sky.ran" (10 s) and the sounds "click.rvs" (plain, 2 buffers) and
// "hum.rvs" (3D, 3 buffers). Its path ends with a separator.
inline std::string DataDir()
{
    const auto dir = Scratch("data");
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

inline std::string Save()
{
    VFile file;
    aeMaze::Save(&file);
    return std::string(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<size_t>(file.GetSize()));
}

// The engine log in a scratch file while alive.
class Log
{
public:
    Log() : m_Path((Scratch("log") / "maze").string()) { aeLog::Init("Test", m_Path.c_str()); }
    ~Log() { aeLog::Exit(); }
    std::string Text() const { return aeUtf8ToCp1252(ReadFile(m_Path + ".log").c_str()); }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string m_Path;
};

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

    aeAnimation* Animation(float duration, const char* name = "anim")
    {
        auto a = std::make_unique<aeAnimation>();
        a->m_fTime = duration;
        std::strcpy(a->m_acName, name);
        m_Animations.push_back(std::move(a));
        return m_Animations.back().get();
    }

    aeSound* Sound(bool is3D, uint32_t buffers, const char* name = "sound")
    {
        auto s = std::make_unique<aeSound>();
        const std::string bytes = SoundFile(is3D, buffers);
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(s->Init(&file, name), 1);
        m_Sounds.push_back(std::move(s));
        return m_Sounds.back().get();
    }

    template <class T>
    int Add(DynList<T>& list, aeAnimation* animation, int action, int mode, int automatic, aeSound* sound = nullptr)
    {
        T* r = list.Insert();
        r->m_pAnimation = animation;
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

// A millisecond clock the test sets.
struct Clock
{
    static inline DWORD s_Now = 1000;
    static DWORD Read() { return s_Now; }
    explicit Clock(DWORD now) { s_Now = now; aeSetClockSource(&Read); }
    ~Clock() { aeSetClockSource(nullptr); }
};
}
