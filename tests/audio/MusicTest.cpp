// Music: the length of pieces made by real encoders, playing, looping through
// Process, seeking, rate, volume and balance, and the failure values, all
// rendered through the loopback device.

#include "AudioTestSupport.h"
#include "aeAudioStream.h"

#include <filesystem>
#include <memory>

using namespace audiotest;

namespace
{
class Music : public LoopbackFixture
{
protected:
    void SetUp() override
    {
        LoopbackFixture::SetUp();
        m_Dir = test::ScratchDir("music");
    }
    // A stereo WAV file of a sine (left) and a sine an octave higher (right).
    std::string MakeWav(const std::string& name, double seconds)
    {
        test::WriteBinary(m_Dir + "/" + name, Wav(Sine(441.0, seconds, 44100, 2, 12000.0 / 32767.0, 882.0), 44100, 2));
        return m_Dir + "/" + name;
    }
    std::unique_ptr<aeMusic> Open(const std::string& path)
    {
        auto music = std::make_unique<aeMusic>();
        EXPECT_EQ(music->Init(path.c_str()), 1) << path;
        return music;
    }

    std::string m_Dir;
};
}

TEST_F(Music, DurationsOfPiecesFromRealEncoders)
{
    const std::string wav = MakeWav("piece.wav", 2.5);
    ASSERT_TRUE(HaveProgram("lame")) << "lame fehlt (scripts/install-deps.sh)";
    ASSERT_TRUE(Shell("lame --quiet '" + wav + "' '" + m_Dir + "/piece.mp3'"));
    ASSERT_TRUE(HaveProgram("oggenc") || HaveProgram("sox")) << "oggenc oder sox fehlt";
    ASSERT_TRUE(Shell(HaveProgram("oggenc") ? "oggenc -Q '" + wav + "' -o '" + m_Dir + "/piece.ogg'"
                                          : "sox '" + wav + "' '" + m_Dir + "/piece.ogg'"));
    if (HaveProgram("flac"))
        ASSERT_TRUE(Shell("flac -s -f '" + wav + "' -o '" + m_Dir + "/piece.flac'"));
    else
        std::filesystem::copy_file(wav, m_Dir + "/piece.flac");
    for (const char* name : {"piece.wav", "piece.mp3", "piece.ogg", "piece.flac"})
    {
        SCOPED_TRACE(name);
        auto music = Open(m_Dir + "/" + name);
        // MP3 frames may carry the encoder's padding.
        EXPECT_NEAR(static_cast<double>(music->GetDuration()), 2500.0, 60.0);
        EXPECT_EQ(music->GetState(), 0);
        EXPECT_EQ(music->GetCurrentPosition(), 0);
        // It plays: the left channel carries the lower tone.
        ASSERT_EQ(music->Play(0), 1);
        RenderMs(300);
        const Mix m = RenderMs(500);
        EXPECT_NEAR(m.Frequency(), 441.0, 10.0);
        EXPECT_GT(m.Rms(0), 3000.0);
        EXPECT_NEAR(music->GetCurrentPosition(), 800, 30);
    }
}

TEST_F(Music, ProcessRestartsALoopingPieceAtItsEndAndOnlyThatWithoutGaps)
{
    auto music = Open(MakeWav("loop.wav", 1.0));
    ASSERT_EQ(music->GetDuration(), 1000u);
    ASSERT_EQ(music->Play(1), 1);
    EXPECT_EQ(music->IsLooping(), 1);
    EXPECT_EQ(music->IsPlaying(), 1);
    EXPECT_EQ(music->GetState(), 2);
    RenderMs(900);
    EXPECT_EQ(music->Process(), 1);
    EXPECT_NEAR(music->GetCurrentPosition(), 900, 15);
    RenderMs(200);
    EXPECT_EQ(music->GetCurrentPosition(), 1000); // at its end
    EXPECT_EQ(music->Process(), 1);              // restarts
    EXPECT_LT(music->GetCurrentPosition(), 20);
    const Mix m = RenderMs(300);
    EXPECT_GT(m.Peak(), 5000);
    EXPECT_NEAR(music->GetCurrentPosition(), 300, 15);
    EXPECT_EQ(music->GetState(), 2);

    // Play(0) after Play(1) ends looping, and the piece stays at its end.
    music = Open(MakeWav("once.wav", 0.5));
    ASSERT_EQ(music->Play(1), 1);
    ASSERT_EQ(music->Play(0), 1);
    EXPECT_EQ(music->IsLooping(), 0);
    RenderMs(800);
    EXPECT_EQ(music->GetCurrentPosition(), 500);
    EXPECT_EQ(music->Process(), 1);
    EXPECT_EQ(music->GetCurrentPosition(), 500); // no restart
    EXPECT_EQ(music->IsPlaying(), 1);
    EXPECT_EQ(RenderMs(100).Peak(), 0);
    // SetLooping alone makes Process restart it.
    music->SetLooping(1);
    EXPECT_EQ(music->Process(), 1);
    EXPECT_GT(RenderMs(100).Peak(), 5000);

    // No gaps when the game runs at ten frames per second.
    music = Open(MakeWav("frames.wav", 1.0));
    ASSERT_EQ(music->Play(1), 1);
    Mix all;
    // Three seconds in frames of 100 ms, the music processed once per frame,
    // with two loop restarts on the way (the piece ends with a frame, so the
    // restart leaves no gap either).
    for (int frame = 0; frame < 30; ++frame)
    {
        music->Process();
        const Mix m = RenderMs(100);
        all.s.insert(all.s.end(), m.s.begin(), m.s.end());
    }
    EXPECT_LT(all.LongestSilence(), 5);
    EXPECT_NEAR(all.Frequency(), 441.0, 10.0);
    EXPECT_EQ(music->GetStream()->GetUnderruns(), 0);
}

TEST_F(Music, StopPauseSeekingAndPlaybackRate)
{
    auto music = Open(MakeWav("stop.wav", 3.0));
    ASSERT_EQ(music->Play(0), 1);
    RenderMs(400);
    EXPECT_EQ(music->Stop(), 1);
    EXPECT_EQ(music->IsPlaying(), 0);
    EXPECT_EQ(music->GetState(), 0);
    EXPECT_NEAR(music->GetCurrentPosition(), 400, 15);
    EXPECT_EQ(Settled(100).Peak(), 0); // once the mixer has faded the voice out
    EXPECT_EQ(music->Process(), 1);

    ASSERT_EQ(music->Play(0), 1);
    RenderMs(200);
    EXPECT_EQ(music->Pause(), 1);
    EXPECT_EQ(music->GetState(), 1);
    const int paused = music->GetCurrentPosition();
    EXPECT_NEAR(paused, 200, 15);
    EXPECT_EQ(Settled(100).Peak(), 0);
    EXPECT_EQ(music->GetCurrentPosition(), paused);
    ASSERT_EQ(music->Play(0), 1); // no resume: from the start
    EXPECT_LT(music->GetCurrentPosition(), 15);
    RenderMs(100);
    EXPECT_NEAR(music->GetCurrentPosition(), 100, 15);

    // Seeking and the playback rate.
    ASSERT_EQ(music->Stop(), 1);
    ASSERT_EQ(music->SetCurrentPosition(1500), 1);
    EXPECT_EQ(music->GetCurrentPosition(), 1500);
    ASSERT_EQ(music->Play(0), 1); // Play rewinds
    EXPECT_EQ(music->GetCurrentPosition(), 0);
    ASSERT_EQ(music->SetCurrentPosition(2000), 1);
    RenderMs(100);
    EXPECT_NEAR(music->GetCurrentPosition(), 2100, 15);
    // Beyond the end: at the end.
    ASSERT_EQ(music->SetCurrentPosition(60000), 1);
    EXPECT_EQ(music->GetCurrentPosition(), 3000);

    ASSERT_EQ(music->SetCurrentPosition(0), 1);
    EXPECT_EQ(music->GetPlaybackRate(), 1.0f);
    ASSERT_EQ(music->SetPlaybackRate(2.0f), 1);
    EXPECT_EQ(music->GetPlaybackRate(), 2.0f);
    const Mix fast = Settled(400);
    EXPECT_NEAR(fast.Frequency(), 882.0, 15.0);
    EXPECT_NEAR(music->GetCurrentPosition(), 840, 30);

    test::LogCapture log("rate");
    EXPECT_EQ(music->SetPlaybackRate(0.0f), 0);
    EXPECT_EQ(music->SetPlaybackRate(-1.0f), 0);
    EXPECT_EQ(music->SetPlaybackRate(std::nanf("")), 0);
    EXPECT_TRUE(log.Contains("Funktion: aeMusic::SetPlaybackRate"));
    EXPECT_TRUE(log.Contains("E_INVALIDARG"));
    EXPECT_EQ(music->GetPlaybackRate(), 2.0f);
}

TEST_F(Music, VolumeAndBalanceInHundredthsOfADecibel)
{
    auto music = Open(MakeWav("volume.wav", 3.0));
    ASSERT_EQ(music->Play(1), 1);
    RenderMs(50);
    const Mix full = RenderMs(300);
    music->SetVolume(-600);
    EXPECT_EQ(music->GetVolume(), -600);
    RenderMs(50);
    const Mix half = RenderMs(300);
    EXPECT_NEAR(half.Rms(0) / full.Rms(0), 0.501, 0.03);
    music->SetVolume(5); // out of range: ignored
    EXPECT_EQ(music->GetVolume(), -600);
    music->SetVolume(0);

    // Balance to the right: the left channel goes quiet once the queue has
    // been played through.
    music->SetPan(10000);
    EXPECT_EQ(music->GetPan(), 10000);
    RenderMs(600);
    Mix right = RenderMs(300);
    EXPECT_EQ(right.Rms(0), 0.0);
    EXPECT_GT(right.Rms(1), 3000.0);
    music->SetPan(-2000); // right at -20 dB
    RenderMs(600);
    Mix left = RenderMs(300);
    EXPECT_NEAR(left.Rms(1) / full.Rms(1), 0.1, 0.02);
    EXPECT_NEAR(left.Rms(0) / full.Rms(0), 1.0, 0.03);
    music->SetPan(20000);
    EXPECT_EQ(music->GetPan(), -2000);
}

TEST_F(Music, FailuresGiveTheirValuesAndReports)
{
    test::LogCapture log("failures");
    aeMusic music;
    EXPECT_EQ(music.Init(nullptr), 0);
    EXPECT_EQ(music.Init((m_Dir + "/missing.mp3").c_str()), 0);
    EXPECT_TRUE(log.Contains("Funktion: aeMusic::Init"));
    EXPECT_TRUE(log.Contains("konnte nicht geöffnet werden"));
    test::WriteBinary(m_Dir + "/noise.mp3", std::string(5000, 'x'));
    EXPECT_EQ(music.Init((m_Dir + "/noise.mp3").c_str()), 0);
    EXPECT_EQ(music.Init(std::string(300, 'a').c_str()), 0);
    // A piece that never loaded: every call is safe and gives its failure value.
    EXPECT_EQ(music.Play(1), 0);
    EXPECT_EQ(music.IsPlaying(), 0);
    EXPECT_EQ(music.IsLooping(), 0);
    EXPECT_EQ(music.GetCurrentPosition(), -1);
    EXPECT_EQ(music.SetCurrentPosition(10), 0);
    EXPECT_EQ(music.GetPlaybackRate(), -1.0f);
    EXPECT_EQ(music.SetPlaybackRate(1.0f), 0);
    EXPECT_TRUE(log.Contains("Funktion: aeMusic::GetPlaybackRate"));
    EXPECT_EQ(music.Pause(), 1);
    EXPECT_EQ(music.Stop(), 1);
    EXPECT_EQ(music.Process(), 1);
    EXPECT_EQ(music.GetState(), 0);
    EXPECT_EQ(music.GetDuration(), 0u);
    music.SetVolume(-100);
    EXPECT_EQ(music.GetVolume(), 0);
    EXPECT_EQ(music.GetPan(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 9);
}

TEST_F(Music, ReplacedAndDestroyedWhilePlaying)
{
    const std::string a = MakeWav("a.wav", 1.0), b = MakeWav("b.wav", 2.0);
    auto music = Open(a);
    ASSERT_EQ(music->Play(1), 1);
    RenderMs(100);
    ASSERT_EQ(music->Init(b.c_str()), 1);
    EXPECT_EQ(music->GetDuration(), 2000u);
    EXPECT_EQ(music->IsPlaying(), 0);
    ASSERT_EQ(music->Play(1), 1);
    RenderMs(100);
    music.reset(); // stops and joins its feeder
    EXPECT_EQ(Settled(100).Peak(), 0);
    // Music also runs without the sound manager, on a device of its own.
    aeSoundManager::Exit();
    aeMusic alone;
    ASSERT_EQ(alone.Init(a.c_str()), 1);
    EXPECT_EQ(alone.Play(0), 1);
    EXPECT_EQ(alone.Stop(), 1);
}
