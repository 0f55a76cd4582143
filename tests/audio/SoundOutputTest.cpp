// What reaches the output: sounds rendered through the loopback device and
// judged by their samples (side, loudness, pitch, looping and stopping).

#include "AudioTestSupport.h"

using namespace audiotest;

namespace
{
class SoundOutput : public LoopbackFixture {};
}

TEST_F(SoundOutput, SidesFollowTheListenerAndDistanceFadesBetweenMinimumAndMaximum)
{
    EXPECT_EQ(RenderMs(50).Peak(), 0);  // nothing playing is silence
    aeSound* s = Add(SineRvs(true, 2, 500.0, 1.0));
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    // Looking along +z, -x is on the left; turned to look along +x
    // (left-handed, y up), +z is on the left and -z on the right.
    const struct { Vector3 front, position; int louder; } sides[] = {
        {m_vFront, Vector3(-20.0f, 0.0f, 0.0f), 0},
        {Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 20.0f), 0},
        {Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, -20.0f), 1}};
    for (const auto& side : sides)
    {
        aeSoundManager::SetListener(Vector3(0.0f), m_vUp, side.front, 0.0f);
        ASSERT_EQ(s->SetPosition(0, side.position, 0.0f), 1);
        const Mix m = Settled(100);
        EXPECT_GT(m.Rms(side.louder), 2.0 * m.Rms(1 - side.louder)) << m.Rms(0) << " " << m.Rms(1);
    }
    ASSERT_EQ(s->Stop(0), 1);

    aeSoundManager::SetListener(Vector3(0.0f), m_vUp, m_vFront, 0.0f);
    s = Add(SineRvs(true, 1, 500.0, 1.0)); // minimum 10, maximum 1000
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    auto loudness = [&](float z) {
        s->SetPosition(0, Vector3(0.0f, 0.0f, z), 0.0f);
        const Mix m = Settled(100);
        return m.Rms(0) + m.Rms(1);
    };
    const double at5 = loudness(5.0f), at10 = loudness(10.0f), at40 = loudness(40.0f);
    EXPECT_NEAR(at5, at10, at10 * 0.05); // full volume up to the minimum distance
    EXPECT_NEAR(at40, at10 / 4.0, at10 * 0.05); // inverse distance beyond it
    const double at1000 = loudness(1000.0f), at3000 = loudness(3000.0f);
    EXPECT_NEAR(at3000, at1000, at1000 * 0.05 + 1.0); // no further fading past the maximum
}

TEST_F(SoundOutput, VolumeAndFrequencyReachTheOutput)
{
    // A mono sound without 3D plays at full level on both channels, looping a tenth of a second without gaps.
    Rvs r = SineRvs(false, 1, 500.0, 0.1);
    r.data = Sine(500.0, 0.1, 44100, 1, 1.0);
    aeSound* s = Add(r);
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    const Mix full = Settled(200);
    EXPECT_LT(full.LongestSilence(), 10);
    EXPECT_GE(full.Peak(0), 0.95 * 32767);
    EXPECT_GE(full.Peak(1), 0.95 * 32767);
    EXPECT_NEAR(full.Rms(0), full.Rms(1), 1.0);
    ASSERT_EQ(s->SetVolume(0, -600), 1); // -6 dB: half the amplitude
    EXPECT_NEAR(Settled(200).Rms(0) / full.Rms(0), 0.501, 0.03);
    ASSERT_EQ(s->SetVolume(0, -10000), 1);
    EXPECT_EQ(Settled(100).Peak(), 0);

    ASSERT_EQ(s->SetVolume(0, 0), 1);
    ASSERT_EQ(s->SetFrequency(0, 88200), 1);
    EXPECT_NEAR(Settled(200).Frequency(), 1000.0, 15.0);
    // Play resets volume and frequency.
    ASSERT_EQ(s->SetVolume(0, -1200), 1);
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    const Mix reset = Settled(200);
    EXPECT_NEAR(reset.Frequency(), 500.0, 10.0);
    EXPECT_NEAR(reset.Rms(0) / full.Rms(0), 1.0, 0.03);
    EXPECT_EQ(s->Stop(0), 1);
    EXPECT_EQ(Settled(200).Peak(), 0);
}

// The Doppler shift: the velocities the engine hands on reach the output.
TEST_F(SoundOutput, ASourceMovingTowardsTheListenerSoundsHigher)
{
    test::FakeClock clock(10000, 0);
    aeSound* s = Add(SineRvs(true, 2, 1000.0, 1.0));
    // Buffer 0 stands still in front, buffer 1 comes closer at 100 units/s.
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    ASSERT_EQ(s->SetPosition(0, Vector3(0.0f, 0.0f, 30.0f), 1.0f), 1);
    const double still = Settled(300).Frequency();
    EXPECT_NEAR(still, 1000.0, 15.0);
    ASSERT_EQ(s->Stop(0), 1);

    ASSERT_EQ(s->Play(1, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    ASSERT_EQ(s->SetPosition(1, Vector3(0.0f, 0.0f, 40.0f), 1.0f), 1);
    test::FakeClock::Set(10100);
    ASSERT_EQ(s->SetPosition(1, Vector3(0.0f, 0.0f, 30.0f), 1.0f), 1);
    const double approaching = Settled(300).Frequency();
    // 343.3 / (343.3 - 100) = 1.41
    EXPECT_NEAR(approaching / still, 1.41, 0.05);

    // The same from the listener's side: the listener walks towards a still source.
    ASSERT_EQ(s->Stop(1), 1);
    ASSERT_EQ(s->Play(0, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 1);
    ASSERT_EQ(s->SetPosition(0, Vector3(0.0f, 0.0f, 60.0f), 1.0f), 1);
    test::FakeClock::Set(11000);
    aeSoundManager::SetListener(Vector3(0.0f, 0.0f, 0.0f), m_vUp, m_vFront, 1.0f);
    test::FakeClock::Set(11100);
    aeSoundManager::SetListener(Vector3(0.0f, 0.0f, 10.0f), m_vUp, m_vFront, 1.0f);
    const double walking = Settled(300).Frequency();
    // (343.3 + 100) / 343.3 = 1.29
    EXPECT_NEAR(walking / still, 1.29, 0.05);
}
