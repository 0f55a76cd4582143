// The RVS tool: WAV to RVS with its options and back, the conversions of deep
// and stereo samples, refused input, and the program's exit codes.

#include "AudioTestSupport.h"

#include "RvsWav.h"

#include <filesystem>

using namespace audiotest;

namespace
{
std::string ToRvs(const std::string& wav, const rvswav::Options& options)
{
    rvswav::Sound sound;
    std::string rvs, error;
    EXPECT_TRUE(rvswav::ReadWav(wav, &sound, &error)) << error;
    EXPECT_TRUE(rvswav::ToRvs(sound, options, &rvs, &error)) << error;
    return rvs;
}

std::string Tool()
{
    return HALVORAN_TOOLS_DIR "/rvstool";
}
}

TEST(RvsTool, WavBecomesASoundTheEngineLoadsAndComesBackUnchanged)
{
    const std::string samples = Sine(700.0, 0.3, 22050, 1);
    const std::string wav = Wav(samples, 22050, 1);
    const std::string rvs = ToRvs(wav, {.is3D = true, .frequencyControl = false, .buffers = 5, .algorithm = 1,
                                        .minDistance = 15.0f, .maxDistance = 250.0f});
    ASSERT_EQ(rvs.size(), 54 + samples.size());

    aeSound sound;
    VFile file(rvs.data(), static_cast<int>(rvs.size()));
    ASSERT_EQ(sound.Init(&file, "tool.rvs"), 1);
    EXPECT_EQ(sound.GetNumBuffers(), 5u);
    EXPECT_EQ(sound.GetFlags(), static_cast<DWORD>(AE_DSBCAPS_STATIC | AE_DSBCAPS_LOCDEFER | AE_DSBCAPS_CTRL3D |
                                                    AE_DSBCAPS_CTRLVOLUME));
    EXPECT_EQ(sound.GetAlgorithm(), 1u);
    EXPECT_EQ(sound.GetMinDistance(), 15.0f);
    EXPECT_EQ(sound.GetMaxDistance(), 250.0f);
    EXPECT_EQ(sound.GetLength(), 300u);
    EXPECT_EQ(sound.GetSampleRate(), 22050u);

    rvswav::Sound back;
    rvswav::Options read;
    std::string error;
    ASSERT_TRUE(rvswav::FromRvs(rvs, &back, &read, &error)) << error;
    EXPECT_EQ(rvswav::WriteWav(back), wav);
    EXPECT_TRUE(read.is3D);
    EXPECT_EQ(read.buffers, 5u);
    EXPECT_FALSE(read.frequencyControl);
    EXPECT_TRUE(read.volumeControl);
    EXPECT_NE(rvswav::Describe(back, read).find("Puffer: 5"), std::string::npos);
}

TEST(RvsTool, DeepSamplesBecomeSixteenBitsAndStereoIsMixedDownFor3D)
{
    // 24-bit stereo: left full scale positive, right half negative.
    std::string data;
    for (int i = 0; i < 100; ++i)
        data += std::string("\x00\xFF\x7F", 3) + std::string("\x00\x00\xC0", 3);
    std::string wav = Wav(data, 8000, 2, 24);
    rvswav::Sound sound;
    std::string error;
    ASSERT_TRUE(rvswav::ReadWav(wav, &sound, &error)) << error;
    EXPECT_EQ(sound.bits, 16);
    ASSERT_EQ(sound.data.size(), 400u);
    int16_t l, r;
    std::memcpy(&l, sound.data.data(), 2);
    std::memcpy(&r, sound.data.data() + 2, 2);
    EXPECT_EQ(l, 32767);
    EXPECT_EQ(r, -16384);

    rvswav::Options options{.is3D = true};
    const std::string rvs = ToRvs(wav, options);
    rvswav::Sound mono;
    ASSERT_TRUE(rvswav::FromRvs(rvs, &mono, &options, &error)) << error;
    EXPECT_EQ(mono.channels, 1);
    ASSERT_EQ(mono.data.size(), 200u);
    int16_t m;
    std::memcpy(&m, mono.data.data(), 2);
    EXPECT_EQ(m, (32767 - 16384) / 2);

    // 32-bit float, also clipped.
    std::string floats;
    for (float f : {0.5f, -2.0f})
        floats.append(reinterpret_cast<const char*>(&f), 4);
    std::string fw = Wav(floats, 44100, 1, 32);
    fw[20] = 3; // format tag: IEEE float
    ASSERT_TRUE(rvswav::ReadWav(fw, &sound, &error)) << error;
    ASSERT_EQ(sound.data.size(), 4u);
    std::memcpy(&l, sound.data.data(), 2);
    std::memcpy(&r, sound.data.data() + 2, 2);
    EXPECT_EQ(l, 16384);
    EXPECT_EQ(r, -32768);
}

TEST(RvsTool, RefusedInputAndOptions)
{
    rvswav::Sound sound;
    std::string rvs, error;
    EXPECT_FALSE(rvswav::ReadWav("RIFF", &sound, &error));
    std::string wav = Wav(Sine(100.0, 0.01), 44100, 1);
    EXPECT_FALSE(rvswav::ReadWav(wav.substr(0, 30), &sound, &error));
    std::string sixChannels = wav;
    sixChannels[22] = 6;
    EXPECT_FALSE(rvswav::ReadWav(sixChannels, &sound, &error));
    EXPECT_NE(error.find("nicht unterstützt"), std::string::npos);
    // A chunk size that points far beyond the file ends the walk safely.
    std::string wild = wav;
    wild[16] = wild[17] = wild[18] = '\xFF';
    EXPECT_FALSE(rvswav::ReadWav(wild, &sound, &error));

    ASSERT_TRUE(rvswav::ReadWav(wav, &sound, &error)) << error;
    for (const rvswav::Options& o : {rvswav::Options{.buffers = 0}, rvswav::Options{.buffers = 257},
                                     rvswav::Options{.algorithm = 3}, rvswav::Options{.maxDistance = 0.5f}})
        EXPECT_FALSE(rvswav::ToRvs(sound, o, &rvs, &error));
    sound.data.clear();
    EXPECT_FALSE(rvswav::ToRvs(sound, rvswav::Options(), &rvs, &error));

    // RVS files the engine refuses are refused with its message.
    const std::string good = SineRvs(false, 2, 1000.0, 0.01).Bytes();
    rvswav::Options read;
    EXPECT_FALSE(rvswav::FromRvs(good.substr(0, 40), &sound, &read, &error));
    EXPECT_EQ(error, "Fehler beim Lesen des Soundformats!");
    EXPECT_FALSE(rvswav::FromRvs(good.substr(0, good.size() - 2), &sound, &read, &error));
    EXPECT_EQ(error, "Fehler beim Lesen der Sounddaten!");
    Rvs zero = SineRvs(false, 0, 1000.0, 0.01);
    EXPECT_FALSE(rvswav::FromRvs(zero.Bytes(), &sound, &read, &error));
}

TEST(RvsTool, TheProgramConvertsBothWays)
{
    const std::string tool = Tool();
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool;
    const std::string dir = test::ScratchDir("tool");
    const std::string stereo = Sine(300.0, 0.2, 44100, 2);
    test::WriteBinary(dir + "/in.wav", Wav(stereo, 44100, 2));
    ASSERT_TRUE(Shell("'" + tool + "' wav2rvs --3d --buffers 4 --min 5 --max 80 '" + dir + "/in.wav' '" + dir +
                    "/out.rvs'"));
    const std::string rvs = test::ReadBinary(dir + "/out.rvs");
    rvswav::Sound sound;
    rvswav::Options options;
    std::string error;
    ASSERT_TRUE(rvswav::FromRvs(rvs, &sound, &options, &error)) << error;
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(options.buffers, 4u);
    EXPECT_EQ(options.minDistance, 5.0f);
    EXPECT_EQ(options.maxDistance, 80.0f);

    ASSERT_TRUE(Shell("'" + tool + "' wav2rvs '" + dir + "/in.wav' '" + dir + "/plain.rvs'"));
    ASSERT_TRUE(Shell("'" + tool + "' rvs2wav '" + dir + "/plain.rvs' '" + dir + "/back.wav'"));
    EXPECT_EQ(test::ReadBinary(dir + "/back.wav"), Wav(stereo, 44100, 2));
    EXPECT_TRUE(Shell("'" + tool + "' info '" + dir + "/plain.rvs'"));

    EXPECT_EQ(test::Shell("'" + tool + "'"), 2);
    EXPECT_EQ(test::Shell("'" + tool + "' wav2rvs --buffers x '" + dir + "/in.wav' '" + dir + "/x.rvs'"), 2);
    EXPECT_EQ(test::Shell("'" + tool + "' wav2rvs --buffers 0 '" + dir + "/in.wav' '" + dir + "/x.rvs'"), 1);
    EXPECT_EQ(test::Shell("'" + tool + "' info '" + dir + "/in.wav'"), 1);
    EXPECT_EQ(test::Shell("'" + tool + "' info '" + dir + "/missing.rvs'"), 2);
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.rvs"));
}
