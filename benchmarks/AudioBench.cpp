// Music: opening a three-minute MP3 (made once with lame) and streaming it in
// real time while the frame loop runs at 10 frames per second; sound effects:
// the per-frame calls of the maze and the camera.
//
// The benchmarks play on OpenAL Soft's null output (it mixes in real time and
// discards the result) unless ALSOFT_DRIVERS names another one.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "Engine.h"
#include "aeAudioStream.h"
#include "aeMusic.h"

namespace
{
// Three minutes of a stereo tone as MP3, made on first use; "" without lame.
const std::string& ThreeMinuteMp3()
{
    static std::string path;
    static bool made = false;
    if (made)
        return path;
    made = true;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "halvoran-audiobench";
    std::filesystem::create_directories(dir);
    const std::string mp3 = (dir / "three-minutes.mp3").string();
    if (std::filesystem::exists(mp3))
        return path = mp3;
    const std::string wav = (dir / "three-minutes.wav").string();
    {
        const uint32_t rate = 44100, frames = rate * 180, bytes = frames * 4;
        std::ofstream out(wav, std::ios::binary);
        auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        out.write("RIFF", 4);
        put32(36 + bytes);
        out.write("WAVEfmt ", 8);
        put32(16);
        put16(1);
        put16(2);
        put32(rate);
        put32(rate * 4);
        put16(4);
        put16(16);
        out.write("data", 4);
        put32(bytes);
        for (uint32_t i = 0; i < frames; ++i)
        {
            const int16_t v = static_cast<int16_t>(8000.0 * std::sin(2.0 * 3.14159265358979 * 220.0 * i / rate) +
                                                   4000.0 * std::sin(2.0 * 3.14159265358979 * 331.0 * i / rate));
            put16(static_cast<uint16_t>(v));
            put16(static_cast<uint16_t>(v));
        }
    }
    const std::string command = "lame --quiet '" + wav + "' '" + mp3 + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0)
        path = mp3;
    std::filesystem::remove(wav);
    return path;
}

// The sound manager for the benchmarks' lifetime.
void StartSound()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    setenv("ALSOFT_DRIVERS", "null", 0);
    aeSoundManager::Init();
}

void BM_MusicOpenMp3ThreeMinutes(benchmark::State& state)
{
    StartSound();
    const std::string& mp3 = ThreeMinuteMp3();
    if (mp3.empty())
    {
        state.SkipWithError("lame fehlt");
        return;
    }
    DWORD duration = 0;
    for (auto _ : state)
    {
        aeMusic music;
        if (!music.Init(mp3.c_str()))
        {
            state.SkipWithError("aeMusic::Init schlug fehl");
            return;
        }
        duration = music.GetDuration();
        benchmark::DoNotOptimize(duration);
    }
    state.counters["duration_ms"] = duration;
}
BENCHMARK(BM_MusicOpenMp3ThreeMinutes)->Unit(benchmark::kMillisecond);

// Ten seconds of the piece at 10 frames per second: each frame calls Process
// and sleeps 100 ms. Reports how often the source ran dry and how far the
// position moved against the wall clock.
void BM_MusicStreamAtTenFramesPerSecond(benchmark::State& state)
{
    StartSound();
    const std::string& mp3 = ThreeMinuteMp3();
    if (mp3.empty())
    {
        state.SkipWithError("lame fehlt");
        return;
    }
    int underruns = 0;
    double played = 0.0, wall = 0.0;
    for (auto _ : state)
    {
        aeMusic music;
        music.Init(mp3.c_str());
        const auto start = std::chrono::steady_clock::now();
        music.Play(1);
        for (int frame = 0; frame < 100; ++frame)
        {
            music.Process();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        played = music.GetCurrentPosition();
        wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        underruns = music.GetStream()->GetUnderruns();
        music.Stop();
    }
    state.counters["underruns"] = underruns;
    state.counters["played_ms"] = played;
    state.counters["wall_ms"] = wall;
}
BENCHMARK(BM_MusicStreamAtTenFramesPerSecond)->Unit(benchmark::kMillisecond)->Iterations(1);

// What the maze and the camera do with sounds in one frame: the listener, one
// effect started on a free buffer and placed, eight buffers moved.
void BM_SoundFrameCalls(benchmark::State& state)
{
    StartSound();
    std::string rvs("RVS\0", 4);
    auto put32 = [&](uint32_t v) { rvs.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { rvs.append(reinterpret_cast<const char*>(&v), 2); };
    const float distances[2] = {10.0f, 500.0f};
    put32(1);
    put32(1);
    put32(1);
    put32(8);
    put32(0);
    rvs.append(reinterpret_cast<const char*>(distances), 8);
    put16(1);
    put16(1);
    put32(22050);
    put32(44100);
    put16(2);
    put16(16);
    put16(0);
    put32(22050);
    rvs.append(22050, '\0');
    VFile file(rvs.data(), static_cast<int>(rvs.size()));
    aeSound* sound = nullptr;
    if (!aeSoundManager::AddSound(&file, "bench.rvs", &sound))
    {
        state.SkipWithError("AddSound schlug fehl");
        return;
    }
    float t = 0.0f;
    for (auto _ : state)
    {
        t += 0.01f;
        aeSoundManager::SetListener(Vector3(t, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f), 1.0f);
        const int buffer = sound->GetAvailableBuffer();
        if (buffer >= 0)
            sound->Play(static_cast<DWORD>(buffer), 0, 0, Vector3(0.0f));
        for (DWORD b = 0; b < 8; ++b)
            sound->SetPosition(b, Vector3(t, 0.0f, static_cast<float>(b)), 1.0f);
    }
    aeSoundManager::DeleteSound("bench.rvs");
}
BENCHMARK(BM_SoundFrameCalls)->Unit(benchmark::kMicrosecond);
}
