// The RVS reader and the sound registry: files cut short at every stage, header
// fields that must be refused, and the registry staying as it was after a
// refused file.

#include "AudioTestSupport.h"

#include <filesystem>

using namespace audiotest;

namespace
{
class SoundFile : public LoopbackFixture
{
protected:
    // Loads bytes as a sound; the registry must be unchanged after a failure.
    int Load(const std::string& bytes)
    {
        const int before = aeSoundManager::GetNumSounds();
        VFile file(bytes.data(), static_cast<int>(bytes.size()));
        const int result = aeSoundManager::AddSound(&file, "x.rvs", nullptr);
        EXPECT_EQ(aeSoundManager::GetNumSounds(), before + result);
        return result;
    }
};
}

TEST_F(SoundFile, FilesCutShortAtEachStageGiveTheirMessage)
{
    const std::string good = SineRvs(true, 2, 1000.0, 0.1).Bytes();
    const char* const file = "Fehler beim Lesen der Datei!";
    const char* const format = "Fehler beim Lesen des Soundformats!";
    const char* const data = "Fehler beim Lesen der Sounddaten!";
    const std::pair<size_t, const char*> cases[] = {{0, file}, {3, file}, {4, format}, {31, format}, {49, format},
                                                    {50, data}, {53, data}, {54, data}, {good.size() - 1, data}};
    for (const auto& [length, message] : cases)
    {
        SCOPED_TRACE(length);
        test::LogCapture log("cut");
        EXPECT_EQ(Load(good.substr(0, length)), 0);
        EXPECT_TRUE(log.Contains(message));
        EXPECT_TRUE(log.Contains("Fehler beim Laden der RVS-Datei!"));
        EXPECT_TRUE(log.Contains("Funktion: LoadRVSFile"));
    }
    test::LogCapture log("wrong");
    std::string wrong = good;
    wrong[3] = 'X';
    EXPECT_EQ(Load(wrong), 0);
    EXPECT_TRUE(log.Contains("RVS-Signatur nicht gefunden!"));
    EXPECT_EQ(Load(good), 1);
}

TEST_F(SoundFile, UntrustedHeaderFieldsAreRefused)
{
    struct Case { const char* what; Rvs rvs; const char* message; };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change, const char* message) {
        Rvs r = SineRvs(true, 2, 1000.0, 0.05);
        change(r);
        cases.push_back({what, r, message});
    };
    add("no buffers", [](Rvs& r) { r.buffers = 0; }, "Ungültige Anzahl von Soundpuffern (0)");
    add("absurd buffer count", [](Rvs& r) { r.buffers = 0xFFFFFFFFu; }, "Ungültige Anzahl von Soundpuffern (4294967295)");
    add("257 buffers", [](Rvs& r) { r.buffers = 257; }, "Ungültige Anzahl von Soundpuffern (257)");
    add("algorithm 3", [](Rvs& r) { r.algorithm = 3; }, "Ungültiger 3D-Algorithmus (3)");
    add("algorithm huge", [](Rvs& r) { r.algorithm = 0x80000000u; }, "Ungültiger 3D-Algorithmus");
    add("not PCM", [](Rvs& r) { r.tag = 3; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("24 bits", [](Rvs& r) { r.bits = 24; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("six channels", [](Rvs& r) { r.is3D = 0; r.channels = 6; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("no channels", [](Rvs& r) { r.channels = 0; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("rate 0", [](Rvs& r) { r.rate = 0; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("rate too high", [](Rvs& r) { r.rate = 200001; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("wrong block align", [](Rvs& r) { r.blockAlign = 4; }, "Das Soundformat der RVS-Datei wird nicht unterstützt");
    add("stereo 3D", [](Rvs& r) { r.channels = 2; }, "Ein 3D-Sound muss Mono sein!");
    add("no data", [](Rvs& r) { r.data.clear(); }, "Die RVS-Datei enthält keine Sounddaten!");
    add("half a frame", [](Rvs& r) { r.data = "x"; }, "Die RVS-Datei enthält keine Sounddaten!");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        test::LogCapture log("field");
        EXPECT_EQ(Load(c.rvs.Bytes()), 0);
        EXPECT_TRUE(log.Contains(c.message)) << log.Text();
    }
    // A data size beyond the end of the file is refused before anything is
    // allocated from it.
    std::string huge = SineRvs(false, 1, 1000.0, 0.01).Bytes();
    const uint32_t size = 0xFFFFFFF0u;
    std::memcpy(&huge[50], &size, 4);
    test::LogCapture log("huge");
    EXPECT_EQ(Load(huge), 0);
    EXPECT_TRUE(log.Contains("Fehler beim Lesen der Sounddaten!"));
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 0);
}

TEST_F(SoundFile, PlayableFormatsAndTheFieldsTheyGiveWithDefaultsForBrokenDistances)
{
    // Half a second of 8-bit stereo, and a trailing odd byte that is dropped;
    // the algorithm is not read for a sound without 3D.
    const Rvs stereo8{.frequency = 0, .volume = 0, .buffers = 4, .algorithm = 7, .channels = 2, .rate = 8000, .bits = 8,
                      .data = std::string(8000, '\x80') + "x"};
    ASSERT_EQ(Load(stereo8.Bytes()), 1);
    aeSound* s = aeSoundManager::GetSound(0);
    EXPECT_EQ(s->GetNumBuffers(), 4u);
    EXPECT_EQ(s->GetFlags(), static_cast<DWORD>(AE_DSBCAPS_STATIC | AE_DSBCAPS_LOCDEFER));
    EXPECT_EQ(s->GetLength(), 500u);
    EXPECT_EQ(s->GetSampleRate(), 8000u);
    EXPECT_STREQ(s->GetName(), "x.rvs");

    Rvs mono3D = SineRvs(true, 8, 500.0, 0.2);
    mono3D.algorithm = 2;
    ASSERT_EQ(Load(mono3D.Bytes()), 1);
    s = aeSoundManager::GetSound(1);
    EXPECT_EQ(s->GetFlags(), static_cast<DWORD>(AE_DSBCAPS_STATIC | AE_DSBCAPS_LOCDEFER | AE_DSBCAPS_CTRL3D |
                                                AE_DSBCAPS_CTRLVOLUME | AE_DSBCAPS_CTRLFREQUENCY));
    EXPECT_EQ(s->GetAlgorithm(), 2u);
    EXPECT_EQ(s->GetMinDistance(), 10.0f);
    EXPECT_EQ(s->GetMaxDistance(), 1000.0f);
    // Eight buffers on one sample block; a voice only while a buffer plays.
    for (DWORD b = 0; b < 8; ++b)
        EXPECT_EQ(s->GetVoice(b), 0u);
    ASSERT_EQ(s->Play(0, 0, 0, Vector3(0.0f)), 1);
    ASSERT_EQ(s->Play(7, 0, 0, Vector3(0.0f)), 1);
    EXPECT_NE(s->GetVoice(0), 0u);
    EXPECT_NE(s->GetVoice(0), s->GetVoice(7));
    EXPECT_EQ(s->GetVoice(8), 0u);

    // Broken distances fall back to the defaults with a warning.
    Rvs r = SineRvs(true, 1, 1000.0, 0.05);
    r.minDistance = std::nanf("");
    test::LogCapture log("distances");
    ASSERT_EQ(Load(r.Bytes()), 1);
    EXPECT_TRUE(log.Contains("Ungültige 3D-Distanzen"));
    EXPECT_EQ(aeLog::m_iNumWarnings, 1);
    EXPECT_EQ(aeSoundManager::GetSound(2)->GetMinDistance(), 1.0f);
    r.minDistance = 50.0f;
    r.maxDistance = 10.0f;
    ASSERT_EQ(Load(r.Bytes()), 1);
    EXPECT_EQ(aeLog::m_iNumWarnings, 2);
}

TEST_F(SoundFile, RegistryFindsTheFirstOfEqualNamesDeletesAndReadsArchives)
{
    for (const char* name : {"a.rvs", "b.rvs", "a.rvs"})
        ASSERT_NE(Add(SineRvs(false, 1, 1000.0, 0.05), name), nullptr);
    EXPECT_EQ(aeSoundManager::FindSound("a.rvs"), 0);
    EXPECT_EQ(aeSoundManager::FindSound("b.rvs"), 1);
    EXPECT_EQ(aeSoundManager::FindSound("A.rvs"), -1);
    EXPECT_EQ(aeSoundManager::GetSound("c.rvs"), nullptr);
    EXPECT_EQ(aeSoundManager::GetSound(-1), nullptr);

    test::LogCapture log("registry");
    aeSoundManager::DeleteSound("zzz");
    EXPECT_TRUE(log.Contains("Der Sound wurde nicht gefunden!"));
    aeSoundManager::DeleteSound(3);
    aeSoundManager::DeleteSound(nullptr);
    EXPECT_EQ(aeLog::m_iNumErrors, 3);
    aeSoundManager::DeleteSound("a.rvs");
    EXPECT_EQ(aeSoundManager::FindSound("a.rvs"), 1); // the later one moved down
    EXPECT_EQ(aeSoundManager::FindSound(nullptr), -1);
    EXPECT_EQ(aeSoundManager::AddSound(nullptr, "x", nullptr), 0);
    const std::string bytes = SineRvs(false, 1, 1000.0, 0.05).Bytes();
    VFile named(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(aeSoundManager::AddSound(&named, nullptr, nullptr), 0);
    EXPECT_EQ(aeSoundManager::AddSoundArchive(nullptr), 0);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 2);
    aeSoundManager::DeleteSounds();
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 0);

    // Archives add every entry that loads.
    const std::string dir = test::ScratchDir("archive");
    test::WriteBinary(dir + "/click.rvs", SineRvs(false, 2, 1000.0, 0.05).Bytes());
    test::WriteBinary(dir + "/hum.rvs", SineRvs(true, 3, 200.0, 0.05).Bytes());
    test::WriteBinary(dir + "/broken.rvs", "RVS");
    ASSERT_TRUE(Shell("cd '" + dir + "' && zip -0 -q sounds.zip click.rvs broken.rvs hum.rvs"));
    VFile archive((dir + "/sounds.zip").c_str());
    test::LogCapture archiveLog("archive");
    EXPECT_EQ(aeSoundManager::AddSoundArchive(&archive), 1);
    EXPECT_EQ(aeSoundManager::GetNumSounds(), 2);
    EXPECT_EQ(aeSoundManager::FindSound("hum.rvs"), 1);
    EXPECT_TRUE(archiveLog.Contains("Fehler beim Lesen der Datei!"));

    const std::string zip = test::ReadBinary(dir + "/sounds.zip");
    VFile cut(zip.data(), 20);
    EXPECT_EQ(aeSoundManager::AddSoundArchive(&cut), 0);
    EXPECT_TRUE(archiveLog.Contains("Fehler beim lesen des Archivs!"));
}

TEST_F(SoundFile, OnlySoundsPlayingAtOnceCountAgainstTheVoices)
{
    // 300 sounds of 8 buffers load (more buffers than the device has voices).
    test::FakeClock clock(1000, 0);
    aeAudioDevice* device = aeSoundManager::GetDSound();
    for (int i = 0; i < 300; ++i)
        ASSERT_NE(Add(SineRvs(i % 2 == 1, 8, 1000.0, 0.02), "many.rvs"), nullptr) << i;
    EXPECT_EQ(device->GetNumBusyVoices(), 0);
    // One buffer of each plays; ended, they give their voices back.
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(aeSoundManager::GetSound(i)->PlayAvailableBuffer(0, 0, Vector3(0.0f)), 0) << i;
    EXPECT_EQ(device->GetNumBusyVoices(), 300);
    EXPECT_GT(RenderMs(10).Peak(), 1000);
    RenderMs(50);
    test::FakeClock::Set(1100);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(aeSoundManager::GetSound(i)->GetStatus(0), 0u);
    EXPECT_EQ(device->GetNumBusyVoices(), 0);

    // All 2400 buffers at once: the voices run out, and the refusal names
    // the sound device.
    test::LogCapture log("voices");
    int played = 0;
    for (int i = 0; i < 300; ++i)
        for (DWORD b = 0; b < 8; ++b)
            played += aeSoundManager::GetSound(i)->Play(b, 0, AE_DSBPLAY_LOOPING, Vector3(0.0f));
    EXPECT_EQ(played, aeAudioDevice::kMaxVoices);
    EXPECT_TRUE(log.Contains("Das Soundgerät \"Loopback\" spielt schon 2048 Sounds gleichzeitig")) << log.Text();
    EXPECT_FALSE(log.Contains("Direct3D"));
    // A stopped buffer makes room for another.
    ASSERT_EQ(aeSoundManager::GetSound(0)->Stop(0), 1);
    EXPECT_EQ(aeSoundManager::GetSound(299)->Play(7, 0, 0, Vector3(0.0f)), 1);
    aeSoundManager::DeleteSounds();
    EXPECT_EQ(device->GetNumBusyVoices(), 0);
}
