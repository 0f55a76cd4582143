// Drawing the maze at 1024 × 768 headless (software OpenGL), and loading a data
// directory of 200 textures, models and animations.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DataLoader.h"
#include "VFile.h"
#include "aeCamera.h"
#include "aeConfig.h"
#include "aeGrafik.h"
#include "aeMaze.h"
#include "aeModel.h"
#include "aeTextureManager.h"
#include "aeWindow.h"

#include "RanimText.h"
#include "RvmText.h"

#include "../tests/MazeView.h"

namespace
{
namespace fs = std::filesystem;

void Put(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A 64 × 64 24-bit BMP with a two-colour pattern, magenta holes if asked.
std::string Texture(uint32_t a, uint32_t b, bool holes)
{
    const int w = 64, h = 64, row = w * 3;
    std::string f(54 + row * h, '\0');
    auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = char(v >> (8 * i)); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            uint32_t c = ((x / 8 + y / 8) & 1) ? a : b;
            if (holes && (x < 16 || x >= 48))
                c = 0xFF00FF;
            char* p = &f[54 + y * row + x * 3];
            p[0] = char(c & 0xFF);
            p[1] = char((c >> 8) & 0xFF);
            p[2] = char((c >> 16) & 0xFF);
        }
    return f;
}

std::string Square(const char* texture, int transparent, float lift)
{
    rvmtext::Model m;
    rvmtext::Material mat;
    mat.transparent = transparent;
    mat.texture = texture;
    m.materials.push_back(mat);
    m.vertices = {{-10, -10 + lift, 0, 0, 1}, {-10, 10 + lift, 0, 0, 0}, {10, 10 + lift, 0, 1, 0}, {10, -10 + lift, 0, 1, 1}};
    rvmtext::Triangle t1, t2;
    t1.index[0] = 0; t1.index[1] = 1; t1.index[2] = 2; t1.material = 0;
    t2.index[0] = 0; t2.index[1] = 2; t2.index[2] = 3; t2.material = 0;
    m.triangles = {t1, t2};
    return rvmtext::ToBinary(m);
}

std::string Animation(const char* object, int type, float rx)
{
    ranimtext::Animation a;
    ranimtext::Object o;
    o.name = object;
    o.type = type;
    ranimtext::KeyFrame k0, k1;
    k0.rotation[0] = k1.rotation[0] = rx;
    k1.time = 1.0f;
    k1.position[1] = type ? 1.0f : 0.0f;  // sprites bob up and down
    o.keys = {k0, k1};
    a.objects.push_back(o);
    return ranimtext::ToBinary(a);
}

// The data of the test map: textured walls, floor and ceiling, and a
// colour-keyed sprite that stays upright towards the viewer.
std::string MakeData()
{
    const fs::path dir = fs::temp_directory_path() / "halvoran-mazebench" / "data";
    fs::remove_all(dir);
    Put(dir / "textures" / "wall.bmp", Texture(0x806040, 0x604020, false));
    Put(dir / "textures" / "floor.bmp", Texture(0x505050, 0x707070, false));
    Put(dir / "textures" / "torch.bmp", Texture(0xFFC040, 0xFF8000, true));
    Put(dir / "models" / "wall.rvm", Square("wall.bmp", 0, 0.0f));
    Put(dir / "models" / "floor.rvm", Square("floor.bmp", 0, 0.0f));
    Put(dir / "animations" / "wall.ran", Animation("wall.rvm", 0, 0.0f));
    Put(dir / "animations" / "floor.ran", Animation("floor.rvm", 0, 1.5707963f));
    Put(dir / "animations" / "torch.ran", Animation("torch.bmp", 3, 0.0f));
    return dir.string() + "/";
}

void PutString(std::string& s, const std::string& v)
{
    s.push_back(static_cast<char>(v.size()));
    s += v;
}
template <class T>
void PutValue(std::string& s, T v)
{
    s.append(reinterpret_cast<const char*>(&v), sizeof(v));
}

void Tail(std::string& s, const char* animation, int mode)
{
    PutString(s, animation);
    PutValue<int32_t>(s, 0);
    PutValue<int32_t>(s, mode);
    PutValue<int32_t>(s, 0);
    PutString(s, "");
    PutValue<int32_t>(s, 0);
}

// A 64 × 64 hall: every field has floor, ceiling and a sprite; walls stand in
// short rows so that the 11 × 11 window stays mostly open.
std::string MakeMap(const std::string& data)
{
    std::string s;
    PutValue<int32_t>(s, 64);
    PutValue<int32_t>(s, 64);
    PutValue<float>(s, 10.0f);
    PutValue<float>(s, 10.0f);
    PutValue<float>(s, 0.05f);
    PutValue<int32_t>(s, 32);
    PutValue<int32_t>(s, 32);
    PutString(s, "");
    PutString(s, data);
    PutString(s, "");
    PutValue<int32_t>(s, 0);  // quests
    PutValue<int32_t>(s, 1);  // objects
    for (int i = 0; i < 4; ++i)
        PutValue<float>(s, 0.0f);
    Tail(s, "torch.ran", 1);
    PutValue<int32_t>(s, 1);  // walls
    PutValue<float>(s, 0.0f);
    Tail(s, "wall.ran", 1);
    PutValue<int32_t>(s, 1);  // floors
    Tail(s, "floor.ran", 1);
    PutValue<int32_t>(s, 1);  // ceilings
    PutValue<float>(s, 20.0f);
    Tail(s, "floor.ran", 1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const bool wall = (x % 4 == 1) && (y % 4 != 0);
            const int32_t field[7] = {0, 0, wall ? 0 : -1, -1, wall ? 0 : -1, -1, 0};
            s.append(reinterpret_cast<const char*>(field), sizeof(field));
        }
    return s;
}

bool OpenDevice(int width, int height)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    aeConfig::m_VideoMode = {static_cast<UINT>(width), static_cast<UINT>(height), 60, D3DFMT_X8R8G8B8};
    aeConfig::m_ZStencilBufferFormat = D3DFMT_D24S8;
    aeConfig::m_MultiSampling = D3DMULTISAMPLE_NONE;
    static HWND window = nullptr;
    if (!window)
        window = aeCreateWindow("Halvoran", width, height, nullptr);
    return window && aeGrafik::Init(window);
}

void BM_MazeDraw1024x768(benchmark::State& state)
{
    if (!OpenDevice(1024, 768))
    {
        state.SkipWithError("no device");
        return;
    }
    const std::string map = MakeMap(MakeData());
    VFile file(map.data(), static_cast<int>(map.size()));
    if (!aeMaze::Init(&file))
    {
        state.SkipWithError("map");
        return;
    }
    aeCamera::Init(Vector2(0.0f, 0.0f), 0.3f, 0.0f);
    aeCamera::MoveToField(32, 32);
    float heading = 0.3f;
    for (auto _ : state)
    {
        heading += 0.01f;
        aeCamera::m_fRotation = heading;
        test::DrawMazeView(0.016f);
        aeGrafik::Present();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    aeMaze::Exit();
    aeGrafik::Exit();
}
BENCHMARK(BM_MazeDraw1024x768)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// 70 textures, 65 models and 65 animations, loose.
void BM_DataLoad200(benchmark::State& state)
{
    if (!OpenDevice(320, 240))
    {
        state.SkipWithError("no device");
        return;
    }
    const fs::path dir = fs::temp_directory_path() / "halvoran-loadbench";
    fs::remove_all(dir);
    for (int i = 0; i < 70; ++i)
        Put(dir / "textures" / ("t" + std::to_string(i) + ".bmp"), Texture(0x102030u * (i + 1), 0x808080, i % 3 == 0));
    for (int i = 0; i < 65; ++i)
    {
        const std::string texture = "t" + std::to_string(i) + ".bmp";
        Put(dir / "models" / ("m" + std::to_string(i) + ".rvm"), Square(texture.c_str(), i % 2, 0.0f));
        const std::string model = "m" + std::to_string(i) + ".rvm";
        Put(dir / "animations" / ("a" + std::to_string(i) + ".ran"), Animation(model.c_str(), 0, 0.0f));
    }
    const std::string base = dir.string() + "/";
    for (auto _ : state)
    {
        aeDataLoader::Load(base.c_str(), AE_LOAD_TEXTURES | AE_LOAD_MODELS | AE_LOAD_ANIMATIONS);
        state.PauseTiming();
        if (aeTextureManager::GetNumTextures() != 70 || aeModelManager::GetNumModels() != 65)
            state.SkipWithError("not everything loaded");
        aeDataLoader::Unload();
        state.ResumeTiming();
    }
    aeGrafik::Exit();
}
BENCHMARK(BM_DataLoad200)->Unit(benchmark::kMillisecond)->UseRealTime();
}
