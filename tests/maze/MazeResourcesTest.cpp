// What the maze relies on from animations, sounds and the data loader: the
// player's timing, buffer bookkeeping, and files that are not what they claim.

#include "MazeTestUtil.h"

using namespace mazetest;

TEST(MazeAnimationPlayer, AdvancesLoopsAndStopsAtTheEnd)
{
    aeAnimation animation;
    animation.m_fTime = 2.0f;
    aeAnimationPlayer player;
    EXPECT_EQ(player.GetSpeed(), 0.0f);
    ASSERT_EQ(player.Init(&animation), 1);
    EXPECT_EQ(player.GetSpeed(), 1.0f);
    player.Start(1);
    player.SetCurrentTime(1.9f);
    player.Advance(0.3f);
    EXPECT_NEAR(player.GetTickCount(), 0.2f, 1e-6f);
    player.SetLoop(0);
    player.SetCurrentTime(1.9f);
    EXPECT_FLOAT_EQ(player.Advance(0.3f), 1.0f);
    EXPECT_EQ(player.GetTickCount(), 2.0f);
    EXPECT_EQ(player.IsFinished(), 1);
    player.Start(1);
    player.SetSpeed(-1.0f);
    player.SetCurrentTime(0.1f);
    player.Advance(0.3f);
    EXPECT_NEAR(player.GetTickCount(), 1.8f, 1e-6f);
    EXPECT_EQ(player.Init(static_cast<aeAnimation*>(nullptr)), 0);
    EXPECT_EQ(player.GetAnimation(), &animation);
    // Animation files are checked before use.
    aeAnimationManager::Init();
    const std::string good = AnimationFile(1.5f);
    VFile file(good.data(), static_cast<int>(good.size()));
    aeAnimation* out = nullptr;
    ASSERT_EQ(aeAnimationManager::AddAnimation(&file, "a.ran", &out), 1);
    EXPECT_EQ(out->GetTime(), 1.5f);
    ASSERT_EQ(out->GetNumObjects(), 1);
    aeAnimObject* object = out->GetObjectA(0);
    EXPECT_STREQ(object->GetName(), "quad");
    EXPECT_EQ(object->GetNextKeyFrame(0.5f)->m_fTime, 1.0f);
    EXPECT_EQ(object->GetPrevKeyFrame(0.5f)->m_fTime, 0.0f);
    EXPECT_EQ(object->GetKeyFrame(1).m_vScale.z, 1.0f);
    std::string badMagic = good, hugeCount = good, longName = good;
    badMagic[3] = 'n';
    const int32_t huge = 1 << 30, length = 300;
    std::memcpy(&hugeCount[8], &huge, 4);
    std::memcpy(&longName[16], &length, 4);
    for (const std::string& bytes : {badMagic, hugeCount, longName, good.substr(0, good.size() - 1)})
    {
        VFile bad(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(aeAnimationManager::AddAnimation(&bad, "b.ran", nullptr), 0);
    }
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 1);
    EXPECT_EQ(aeAnimationManager::FindAnimation("b.ran"), -1);
    EXPECT_EQ(aeAnimationManager::FindAnimation("A.ran"), -1);
    aeAnimationManager::Exit();
}

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
}

TEST(MazeSoundBookkeeping, BrokenSoundFilesAreRefused)
{
    aeSoundManager::Init();
    const std::string good = SoundFile(true, 2);
    std::string zeroBuffers = good, badAlgorithm = good;
    std::memset(&zeroBuffers[16], 0, 4);
    badAlgorithm[20] = 5;
    for (const std::string& bytes : {good.substr(0, 3), "RVX" + good.substr(3), good.substr(0, 50),
                                     good.substr(0, good.size() - 1), zeroBuffers, badAlgorithm})
    {
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        EXPECT_EQ(aeSoundManager::AddSound(&file, "x.rvs", nullptr), 0);
    }
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 0);
    VFile file(good.data(), static_cast<int>(good.size()));
    EXPECT_EQ(aeSoundManager::AddSound(&file, "x.rvs", nullptr), 1);
    aeSoundManager::Exit();
}

TEST(MazeDataLoader, LoadsAnimationsAndSoundsOfADirectory)
{
    const std::string dir = DataDir();
    WriteFile(std::filesystem::path(dir) / "animations" / "readme.txt", "x");
    aeSoundManager::Init();
    test::LogCapture log("maze");
    EXPECT_EQ(aeDataLoader::Load(dir.c_str(), AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS), 1);
    EXPECT_STREQ(aeDataLoader::GetBaseDir(), dir.c_str());
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 3);
    EXPECT_NE(aeAnimationManager::GetAnimation("door.ran"), nullptr);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 2);
    EXPECT_TRUE(log.Contains("Unbekannte Animationsdatei gefunden!"));
    // Animations already loaded are kept; sounds are added again.
    EXPECT_EQ(aeDataLoader::Load(dir.c_str(), AE_LOAD_ANIMATIONS | AE_LOAD_SOUNDS), 1);
    EXPECT_EQ(aeAnimationManager::GetNumAnimations(), 3);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 4);
    aeDataLoader::Unload();
    EXPECT_EQ(aeAnimationManager::IsInitialized(), 0);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 0);
    EXPECT_EQ(aeSoundManager::IsInitialized(), 1);
    EXPECT_STREQ(aeDataLoader::GetBaseDir(), "");
    aeSoundManager::Exit();
}
