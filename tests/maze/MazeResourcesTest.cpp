// What the maze relies on from sounds and the data loader: buffer
// bookkeeping, sound files that are not what they claim, and reloading.

#include "MazeTestUtil.h"

using namespace mazetest;

TEST(MazeSoundBookkeeping, BuffersAreFreeAfterTheGraceAndTheirLengthAndPositionsDeriveVelocities)
{
    test::FakeClock clock(1000, 0);
    aeSound sound;
    const std::string bytes = SoundFile(false, 3, 4000); // half a second
    VFile file(bytes.data(), static_cast<int>(bytes.size()));
    ASSERT_EQ(sound.Init(&file, "s.rvs"), 1);
    EXPECT_EQ(sound.GetLength(), 500u);
    EXPECT_EQ(sound.PlayAvailableBuffer(0, 0, Vector3(0.0f)), 0);
    EXPECT_EQ(sound.PlayAvailableBuffer(0, 0, Vector3(0.0f)), 1);
    EXPECT_EQ(sound.PlayAvailableBuffer(0, AE_DSBPLAY_LOOPING, Vector3(0.0f)), 2);
    EXPECT_EQ(sound.PlayAvailableBuffer(0, 0, Vector3(0.0f)), -1);
    test::FakeClock::Set(1600);
    EXPECT_EQ(sound.GetStatus(0), 0u);
    EXPECT_EQ(sound.IsPlaying(2), 1u); // loops until stopped
    EXPECT_EQ(sound.Stop(2), 1);
    EXPECT_EQ(sound.IsPlaying(2), 0u);
    EXPECT_EQ(sound.Play(3, 0, 0, Vector3(0.0f)), 0);
    EXPECT_EQ(sound.SetPosition(0, Vector3(1.0f), 1.0f), 0); // not a 3D sound
    test::FakeClock::Set(1000);
    aeSound moving;
    const std::string bytes3D = SoundFile(true, 1);
    VFile file3D(bytes3D.data(), static_cast<int>(bytes3D.size()));
    ASSERT_EQ(moving.Init(&file3D, "s.rvs"), 1);
    ASSERT_EQ(moving.Play(0, 0, 0, Vector3(3.0f, 0.0f, 0.0f)), 1);
    ASSERT_EQ(moving.SetPosition(0, Vector3(0.0f), 1.0f), 1);
    EXPECT_EQ(moving.GetVelocity(0), Vector3(3.0f, 0.0f, 0.0f));
    test::FakeClock::Set(1100);
    ASSERT_EQ(moving.SetPosition(0, Vector3(1.0f, 0.0f, 0.0f), 1.0f), 1);
    EXPECT_NEAR(moving.GetVelocity(0).x, 10.0f, 1e-4f);
    ASSERT_EQ(moving.SetPosition(0, Vector3(2.0f, 0.0f, 0.0f), 1.0f), 1); // same millisecond
    EXPECT_NEAR(moving.GetVelocity(0).x, 10.0f, 1e-4f);
    // The next one is measured from the last measured position, times the factor; 0 switches it off.
    test::FakeClock::Set(1200);
    ASSERT_EQ(moving.SetPosition(0, Vector3(4.0f, 0.0f, 0.0f), 0.5f), 1);
    EXPECT_NEAR(moving.GetVelocity(0).x, 15.0f, 1e-4f);
    test::FakeClock::Set(1300);
    ASSERT_EQ(moving.SetPosition(0, Vector3(9.0f, 0.0f, 0.0f), 0.0f), 1);
    EXPECT_EQ(moving.GetVelocity(0), Vector3(0.0f));
}

TEST(MazeDataLoader, LoadsAnimationsAndSoundsOfADirectory)
{
    const std::string dir = DataDir();
    aeSoundManager::Init();
    EXPECT_EQ(aeDataLoader::Load(dir.c_str(), AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS), 1);
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 3);
    EXPECT_NE(aeAnimationManager::GetAnimation("door.ran"), nullptr);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 2);
    // Animations already loaded are kept; sounds are added again.
    EXPECT_EQ(aeDataLoader::Load(dir.c_str(), AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS), 1);
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 3);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 4);
    aeDataLoader::Unload();
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 0);
    EXPECT_EQ(aeSoundManager::IsInitialized(), 1);
    aeSoundManager::Exit();
}
