// Loading and saving a 512 x 512 map with a few hundred records, and one
// frame of game logic on it.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "Engine.h"

namespace
{
// 512 x 512 fields; 100 quests, 50 objects, 200 walls, 100 floors, 50
// ceilings, each record with two conditions. Every field has a floor and a
// ceiling, every fourth a wall, every 16th an object.
std::string BigMap()
{
    const int n = 512;
    aeMapData m;
    m.width = m.height = n;
    m.startX = m.startY = n / 2;
    m.data = "/nonexistent/halvoran-bench-data/";
    for (int i = 0; i < 100; ++i)
        m.quests.push_back({"Quest " + std::to_string(i), i, i, n - 1 - i, i});
    auto record = [&](int i, float lead0, float lead1, float lead2, float lead3) {
        aeMapRecord r;
        r.lead[0] = lead0;
        r.lead[1] = lead1;
        r.lead[2] = lead2;
        r.lead[3] = lead3;
        r.animation = "anim" + std::to_string(i % 7) + ".ran";
        r.action = i % 5 == 2 ? 0 : i % 5;
        r.mode = i % 3;
        r.automatic = i % 2;
        r.sound = i % 4 ? "" : "sound.rvs";
        for (int c = 0; c < 2; ++c)
            r.conditions.push_back({(i * 7 + c) % n, (i * 13 + c) % n, c + 1, 0});
        return r;
    };
    const int counts[4] = {50, 200, 100, 50};
    for (int i = 0; i < counts[0]; ++i)
        m.objects.push_back(record(i, -3.0f, -3.0f, 3.0f, 3.0f));
    for (int i = 0; i < counts[1]; ++i)
        m.walls.push_back(record(i, 0.5f, 0.0f, 0.0f, 0.0f));
    for (int i = 0; i < counts[2]; ++i)
        m.floors.push_back(record(i, 0.0f, 0.0f, 0.0f, 0.0f));
    for (int i = 0; i < counts[3]; ++i)
        m.ceilings.push_back(record(i, 10.0f, 0.0f, 0.0f, 0.0f));
    m.fields.resize(static_cast<size_t>(n * n));
    for (int i = 0; i < n * n; ++i)
    {
        aeMapField& f = m.fields[static_cast<size_t>(i)];
        f[0] = i % counts[2];
        f[1] = i % counts[3];
        for (int w = 0; w < 4; ++w)
            f[static_cast<size_t>(2 + w)] = (i + w) % 4 == 0 ? (i / 4 + w) % counts[1] : -1;
        f[6] = i % 16 == 0 ? (i / 16) % counts[0] : -1;
    }
    m.hasExit = true;
    m.exitX = 3;
    m.exitY = 4;
    m.next = "Next.hwm";
    std::string bytes;
    aeWriteMap(m, &bytes);
    return bytes;
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
        // The file's bytes are in memory before the load begins, as in the
        // game (Game::Init reads the file into the VFile first).
        state.PauseTiming();
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        state.ResumeTiming();
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
