// Buffers of a sound on the device: buffers out of range, the controls in
// DirectSound units and their ranges, and the listener's velocity derived from
// successive positions.

#include "AudioTestSupport.h"

#include <tuple>

using namespace audiotest;

namespace
{
class SoundBuffers : public LoopbackFixture {};
class SoundListener : public LoopbackFixture {};
}

TEST_F(SoundBuffers, OutOfRangeBuffersAreReportedAndTheControlsKeepTheirRanges)
{
    aeSound* s = Add(SineRvs(false, 2, 1000.0, 0.05));
    test::LogCapture log("range");
    EXPECT_EQ(s->Play(2, 0, 0, Vector3(0.0f)), 0);
    EXPECT_EQ(s->Stop(2), 0);
    EXPECT_EQ(s->GetStatus(0xFFFFFFFFu), 0u);
    EXPECT_EQ(s->SetVolume(2, 0), 0);
    EXPECT_EQ(s->SetFrequency(2, 0), 0);
    EXPECT_EQ(s->SetPosition(2, Vector3(0.0f), 1.0f), 0);
    EXPECT_EQ(s->GetVolume(9), 0);
    EXPECT_EQ(s->GetFrequency(9), 0u);
    EXPECT_EQ(s->GetOldPosition(9), Vector3(0.0f));
    EXPECT_EQ(aeLog::m_iNumErrors, 8);
    for (const char* f : {"aeSound::Play", "aeSound::Stop", "aeSound::GetStatus", "aeSound::SetPosition"})
        EXPECT_TRUE(log.Contains(std::string("Funktion: ") + f + " Beschreibung: Der Funktion wurden ungültige"));
    // Not a 3D sound.
    EXPECT_EQ(s->SetPosition(0, Vector3(0.0f), 1.0f), 0);
    EXPECT_TRUE(log.Contains("Dies ist kein 3D-Sound!"));
    // An empty sound has no buffers at all.
    aeSound empty;
    EXPECT_EQ(empty.Play(0, 0, 0, Vector3(0.0f)), 0);
    EXPECT_EQ(empty.GetAvailableBuffer(), -1);
    EXPECT_EQ(empty.Init(nullptr, "x"), 0);

    // Volume and frequency in DirectSound units: {set, accepted, read back}
    // (a frequency of 0 is the file's rate), and their reset on Play.
    s = Add(SineRvs(false, 2, 1000.0, 0.5));
    EXPECT_EQ(s->GetVolume(0), 0);
    EXPECT_EQ(s->GetFrequency(0), 44100u);
    for (const auto& [volume, accepted, read] :
         {std::tuple{-600, 1, -600}, {1, 0, -600}, {-10001, 0, -600}, {-10000, 1, -10000}})
    {
        EXPECT_EQ(s->SetVolume(0, volume), accepted) << volume;
        EXPECT_EQ(s->GetVolume(0), read) << volume;
    }
    for (const auto& [hz, accepted, read] : {std::tuple{22050u, 1, 22050u}, {99u, 0, 22050u}, {200001u, 0, 22050u},
                                              {200000u, 1, 200000u}, {0u, 1, 44100u}})
    {
        EXPECT_EQ(s->SetFrequency(0, hz), accepted) << hz;
        EXPECT_EQ(s->GetFrequency(0), read) << hz;
    }
    // Pan control is never given.
    EXPECT_EQ(s->SetPan(0, 0), 0);
    EXPECT_EQ(s->GetPan(0), 0);

    ASSERT_EQ(s->SetVolume(1, -2000), 1);
    ASSERT_EQ(s->SetFrequency(1, 11025), 1);
    ASSERT_EQ(s->Play(1, 0, 0, Vector3(0.0f)), 1);
    EXPECT_EQ(s->GetVolume(1), 0);
    EXPECT_EQ(s->GetFrequency(1), 44100u);

    // Without the controls nothing is taken and nothing is reported back.
    Rvs plain = SineRvs(false, 1, 1000.0, 0.05);
    plain.volume = plain.frequency = 0;
    aeSound* p = Add(plain, "plain.rvs");
    EXPECT_EQ(p->SetVolume(0, -100), 0);
    EXPECT_EQ(p->GetVolume(0), 0);
    EXPECT_EQ(p->SetFrequency(0, 22050), 0);
    EXPECT_EQ(p->GetFrequency(0), 0u);
    EXPECT_EQ(p->Play(0, 0, 0, Vector3(0.0f)), 1);
}

TEST_F(SoundListener, VelocityFromSuccessiveCalls)
{
    aeSoundManager::Exit();
    test::FakeClock clock(2000, 0);
    ASSERT_EQ(aeSoundManager::Init(), 1);
    const Vector3 up(0.0f, 1.0f, 0.0f), front(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(aeSoundManager::SetListener(Vector3(0.0f), up, front, 1.0f), 1);
    EXPECT_EQ(aeSoundManager::GetListenerVelocity(), Vector3(0.0f)); // the first call never has one
    test::FakeClock::Set(2100);
    aeSoundManager::SetListener(Vector3(1.0f, 0.0f, 0.0f), up, front, 1.0f);
    EXPECT_NEAR(aeSoundManager::GetListenerVelocity().x, 10.0f, 1e-4f);
    // Same millisecond: the velocity is kept, not made infinite.
    aeSoundManager::SetListener(Vector3(3.0f, 0.0f, 0.0f), up, front, 1.0f);
    EXPECT_NEAR(aeSoundManager::GetListenerVelocity().x, 10.0f, 1e-4f);
    EXPECT_EQ(aeSoundManager::GetOldListenerPosition(), Vector3(1.0f, 0.0f, 0.0f));
    test::FakeClock::Set(2300);
    aeSoundManager::SetListener(Vector3(5.0f, 0.0f, 0.0f), up, front, 2.0f);
    EXPECT_NEAR(aeSoundManager::GetListenerVelocity().x, 40.0f, 1e-4f);
    // Factor 0 resets the measurement.
    test::FakeClock::Set(2400);
    aeSoundManager::SetListener(Vector3(9.0f, 0.0f, 0.0f), up, front, 0.0f);
    EXPECT_EQ(aeSoundManager::GetListenerVelocity(), Vector3(0.0f));
    EXPECT_EQ(aeSoundManager::m_dwListenerTimeStamp, 2400u);
    // The view-matrix form takes the second and third column.
    Matrix view;
    std::memset(&view, 0, sizeof(view));
    view._12 = 1.0f;
    view._33 = -1.0f;
    aeSoundManager::SetListener(Vector3(0.0f), view, 0.0f);
    EXPECT_EQ(aeSoundManager::m_vListenerTop, Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(aeSoundManager::m_vListenerFront, Vector3(0.0f, 0.0f, -1.0f));
}
