// Loading and saving a 512 x 512 map with a few hundred records, and one
// frame of game logic on it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "Engine.h"

namespace
{
struct Bytes
{
    std::string s;
    void I(int32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }
    void F(float v) { s.append(reinterpret_cast<const char*>(&v), 4); }
    void Str(const std::string& v)
    {
        s.push_back(static_cast<char>(v.size()));
        s += v;
    }
};

// 512 x 512 fields; 100 quests, 50 objects, 200 walls, 100 floors, 50
// ceilings, each record with two conditions. Every field has a floor and a
// ceiling, every fourth a wall, every 16th an object.
std::string BigMap()
{
    const int n = 512;
    Bytes b;
    b.I(n);
    b.I(n);
    b.F(10.0f);
    b.F(10.0f);
    b.F(0.05f);
    b.I(n / 2);
    b.I(n / 2);
    b.Str("");
    b.Str("/nonexistent/halvoran-bench-data/");
    b.Str("");
    b.I(100);
    for (int i = 0; i < 100; ++i)
    {
        b.Str("Quest " + std::to_string(i));
        b.I(i);
        b.I(i);
        b.I(n - 1 - i);
        b.I(i);
    }
    auto tail = [&](int i) {
        b.Str("anim" + std::to_string(i % 7) + ".ran");
        b.I(i % 5 == 2 ? 0 : i % 5);
        b.I(i % 3);
        b.I(i % 2);
        b.Str(i % 4 ? "" : "sound.rvs");
        b.I(2);
        for (int c = 0; c < 2; ++c)
        {
            b.I((i * 7 + c) % n);
            b.I((i * 13 + c) % n);
            b.I(c + 1);
            b.I(0);
        }
    };
    const int counts[4] = {50, 200, 100, 50};
    b.I(counts[0]);
    for (int i = 0; i < counts[0]; ++i)
    {
        b.F(-3.0f);
        b.F(-3.0f);
        b.F(3.0f);
        b.F(3.0f);
        tail(i);
    }
    b.I(counts[1]);
    for (int i = 0; i < counts[1]; ++i)
    {
        b.F(0.5f);
        tail(i);
    }
    b.I(counts[2]);
    for (int i = 0; i < counts[2]; ++i)
        tail(i);
    b.I(counts[3]);
    for (int i = 0; i < counts[3]; ++i)
    {
        b.F(10.0f);
        tail(i);
    }
    for (int i = 0; i < n * n; ++i)
    {
        b.I(i % counts[2]);
        b.I(i % counts[3]);
        for (int w = 0; w < 4; ++w)
            b.I((i + w) % 4 == 0 ? (i / 4 + w) % counts[1] : -1);
        b.I(i % 16 == 0 ? (i / 16) % counts[0] : -1);
    }
    b.I(3);
    b.I(4);
    b.Str("Next.hwm");
    return b.s;
}

const std::string& Map()
{
    static const std::string s_Map = BigMap();
    return s_Map;
}

void BM_MazeLoad512(benchmark::State& state)
{
    const std::string& bytes = Map();
    for (auto _ : state)
    {
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(aeMaze::Init(&file));
        state.PauseTiming();
        aeMaze::Exit();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_MazeLoad512)->Unit(benchmark::kMillisecond);

void BM_MazeSave512(benchmark::State& state)
{
    VFile file(Map().data(), static_cast<int>(Map().size()));
    aeMaze::Init(&file);
    for (auto _ : state)
    {
        VFile out;
        aeMaze::Save(&out);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
    aeMaze::Exit();
}
BENCHMARK(BM_MazeSave512)->Unit(benchmark::kMillisecond);

// What the game's move step asks of the maze each frame: activate the field
// under the player, test the collision, step the quests, and find the
// visible fields.
void BM_MazeFrameLogic512(benchmark::State& state)
{
    VFile file(Map().data(), static_cast<int>(Map().size()));
    aeMaze::Init(&file);
    aeCamera::Init(Vector2(0.0f, 0.0f), 0.0f, 0.0f);
    aeCamera::MoveToField(200, 201);
    int window[121];
    float step = 0.25f;
    for (auto _ : state)
    {
        // Walk to and fro across a few fields.
        aeCamera::MoveRel(Vector2(0.0f, step));
        if (aeCamera::m_vPosition.y < -60.0f || aeCamera::m_vPosition.y > 60.0f)
            step = -step;
        int x = 0, y = 0;
        aeCamera::GetPositionInField(&x, &y);
        aeMaze::GetField(x, y)->Activate(0);
        benchmark::DoNotOptimize(aeMaze::CheckCollisions());
        benchmark::DoNotOptimize(aeMaze::CheckQuests());
        for (int& cell : window)
            cell = 1;
        aeMaze::CalcVisibility(x, y, window);
        benchmark::DoNotOptimize(window);
    }
    aeMaze::Exit();
}
BENCHMARK(BM_MazeFrameLogic512);
}
