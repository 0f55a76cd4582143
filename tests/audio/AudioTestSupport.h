#pragma once
// Helpers of the audio tests: RVS and WAV files made of sine waves, the sound
// manager on the loopback device, and measurements of rendered samples.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Engine.h"
#include "TestSupport.h"
#include "aeAudioDevice.h"
#include "aeMusic.h"

namespace audiotest
{
const double kPi = 3.14159265358979323846;

// Appends the bytes of a value as they lie in memory (little endian).
template <typename T> void Put(std::string& s, T value)
{
    s.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

struct Rvs
{
    uint32_t is3D = 0, frequency = 1, volume = 1, buffers = 1, algorithm = 0;
    float minDistance = 1.0f, maxDistance = 1000.0f;
    uint16_t tag = 1, channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    int32_t blockAlign = -1; // -1: channels * bits / 8
    std::string data;

    std::string Bytes() const
    {
        std::string s("RVS\0", 4);
        const uint16_t align = static_cast<uint16_t>(blockAlign >= 0 ? blockAlign : channels * bits / 8);
        for (uint32_t v : {is3D, frequency, volume, buffers, algorithm})
            Put(s, v);
        Put(s, minDistance);
        Put(s, maxDistance);
        for (uint16_t v : {tag, channels})
            Put(s, v);
        for (uint32_t v : {rate, rate * align})
            Put(s, v);
        for (uint16_t v : {align, bits, uint16_t(0)})
            Put(s, v);
        Put(s, static_cast<uint32_t>(data.size()));
        return s + data;
    }
};

// 16-bit samples of a sine, channels interleaved with the same wave (or, with
// rightHz, a stereo pair whose right channel has a wave of its own).
inline std::string Sine(double hz, double seconds, int rate = 44100, int channels = 1, double amplitude = 0.5,
                        double rightHz = 0.0)
{
    std::string s;
    for (int i = 0; i < static_cast<int>(seconds * rate); ++i)
        for (int c = 0; c < channels; ++c)
        {
            const double f = c == 1 && rightHz > 0.0 ? rightHz : hz;
            Put(s, static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2.0 * kPi * f * i / rate))));
        }
    return s;
}

inline Rvs SineRvs(bool is3D, uint32_t buffers, double hz = 1000.0, double seconds = 1.0)
{
    Rvs r;
    r.is3D = is3D ? 1 : 0;
    r.buffers = buffers;
    r.minDistance = 10.0f;
    r.data = Sine(hz, seconds);
    return r;
}

// A PCM WAV file.
inline std::string Wav(const std::string& data, int rate, int channels, int bits = 16)
{
    std::string s = "RIFF";
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Put(s, static_cast<uint32_t>(36 + data.size()));
    s += "WAVEfmt ";
    Put(s, uint32_t(16));
    Put(s, uint16_t(1)); // PCM
    Put(s, static_cast<uint16_t>(channels));
    Put(s, static_cast<uint32_t>(rate));
    Put(s, static_cast<uint32_t>(rate) * align);
    Put(s, align);
    Put(s, static_cast<uint16_t>(bits));
    s += "data";
    Put(s, static_cast<uint32_t>(data.size()));
    return s + data;
}

// Rendered stereo samples of the loopback device.
struct Mix
{
    std::vector<short> s;
    int Frames() const { return static_cast<int>(s.size() / 2); }
    double Rms(int channel) const
    {
        double sum = 0.0;
        for (int i = 0; i < Frames(); ++i)
            sum += static_cast<double>(s[2 * i + channel]) * s[2 * i + channel];
        return Frames() ? std::sqrt(sum / Frames()) : 0.0;
    }
    // Largest magnitude of one channel (0, 1) or of both (-1).
    int Peak(int channel = -1) const
    {
        int peak = 0;
        for (size_t i = 0; i < s.size(); ++i)
            if (channel < 0 || static_cast<int>(i % 2) == channel)
                peak = std::max(peak, std::abs(static_cast<int>(s[i])));
        return peak;
    }
    // Frequency of the left channel from its rising zero crossings.
    double Frequency() const
    {
        int crossings = 0;
        for (int i = 1; i < Frames(); ++i)
            crossings += s[2 * (i - 1)] < 0 && s[2 * i] >= 0;
        return Frames() ? crossings * static_cast<double>(aeAudioDevice::kLoopbackRate) / Frames() : 0.0;
    }
    // Longest run of frames in which both channels are silent.
    int LongestSilence() const
    {
        int run = 0, longest = 0;
        for (int i = 0; i < Frames(); ++i)
        {
            run = s[2 * i] == 0 && s[2 * i + 1] == 0 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        return longest;
    }
};

inline Mix RenderMs(int ms)
{
    Mix m;
    const int frames = aeAudioDevice::kLoopbackRate * ms / 1000;
    m.s.assign(static_cast<size_t>(frames) * 2, 0);
    aeAudioDevice* device = aeSoundManager::GetDSound();
    EXPECT_NE(device, nullptr);
    if (device)
    {
        EXPECT_EQ(device->RenderLoopback(m.s.data(), frames), 1);
    }
    return m;
}

// What the output gives once a change has reached it (the mixer ramps
// volume and position changes over a few milliseconds).
inline Mix Settled(int ms)
{
    RenderMs(20);
    return RenderMs(ms);
}

// The sound manager on the loopback device: the playback device asked for
// does not exist, so the manager falls back to it.
class LoopbackFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        aeAudioDevice::SetPlaybackDeviceName("Halvoran test: no such device");
        ASSERT_EQ(aeSoundManager::Init(), 1);
        ASSERT_NE(aeSoundManager::GetDSound(), nullptr);
        ASSERT_EQ(aeSoundManager::GetDSound()->IsLoopback(), 1);
        aeSoundManager::SetListener(Vector3(0.0f), m_vUp, m_vFront, 0.0f);
    }
    void TearDown() override
    {
        aeSoundManager::Exit();
        aeAudioDevice::SetPlaybackDeviceName(nullptr);
        aeSetClockSource(nullptr);
    }

    aeSound* Add(const Rvs& rvs, const char* name = "sine.rvs")
    {
        const std::string bytes = rvs.Bytes();
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        aeSound* sound = nullptr;
        EXPECT_EQ(aeSoundManager::AddSound(&file, name, &sound), 1);
        return sound;
    }
    // The listener's orientation: y up, looking along +z.
    const Vector3 m_vUp{0.0f, 1.0f, 0.0f};
    const Vector3 m_vFront{0.0f, 0.0f, 1.0f};
};

// A command line that exits with 0.
inline bool Shell(const std::string& command) { return test::Shell(command) == 0; }
using test::HaveProgram;
}
