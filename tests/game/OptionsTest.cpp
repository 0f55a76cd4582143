// The options store: the registry stand-in (files per key, atomic writes,
// damaged files), the list of display modes and the option operations.

#include "GameTestSupport.h"
#include "aeRegistry.h"

#include <filesystem>

class OptionsFixture : public test::ConfigFixture {};

namespace
{
const DWORD kMissing = 0xDEADBEEF;

// A value as the registry stand-in gives it back, kMissing when it cannot;
// the result of the call in result, where given.
DWORD Query(const char* name, LONG* result = nullptr, const char* subKey = kOptionsRegistryKey)
{
    HKEY key = nullptr;
    DWORD value = kMissing, size = sizeof(value);
    LONG r = RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key);
    if (r == ERROR_SUCCESS)
    {
        r = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
    }
    if (result)
        *result = r;
    return r == ERROR_SUCCESS ? value : kMissing;
}

void SetDword(const char* name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOptionsRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)), ERROR_SUCCESS);
    RegCloseKey(key);
}

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz)
{
    return D3DDISPLAYMODE{w, h, hz, D3DFMT_X8R8G8B8};
}

void SetModes(std::initializer_list<D3DDISPLAYMODE> modes)
{
    Options::FreeResolutions();
    for (const D3DDISPLAYMODE& mode : modes)
        Options::AddResolution(mode);
}

// The options as a fresh program has them, with a list of three modes.
void ResetOptions()
{
    SetModes({Mode(800, 600, 60), Mode(1024, 768, 60), Mode(1280, 1024, 75)});
    Options::m_iSelectedResolution = 1;
    Options::m_bMultiSampling = 0;
    Options::m_MultiSamplingType = D3DMULTISAMPLE_NONE;
    Options::m_iCursorSpeed = 1;
    Options::m_i3DGlasses = 0;
    Options::m_bApplied = 1;
    aeConfig::m_VideoMode = Mode(1024, 768, 60);
    aeConfig::m_MultiSampling = D3DMULTISAMPLE_NONE;
}
}

// ----- Registry stand-in -------------------------------------------------------

TEST_F(OptionsFixture, OptionsRegistryKeepsValuesInAFilePerKeyAndAFailedWriteLeavesTheOldFile)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kelmstone Games\\Halvoran\\", 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD value = 0xFFFFFFFE;
    ASSERT_EQ(RegSetValueExA(key, "3DGlasses", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    // Only 4-byte integers are kept.
    EXPECT_EQ(RegSetValueExA(key, "Kurz", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 2), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);

    EXPECT_NE(test::ReadBinary(KeyFile()).find("\"3DGlasses\"=dword:fffffffe"), std::string::npos);
    EXPECT_EQ(Query("3dglasses", nullptr, "Software\\Kelmstone Games\\Halvoran"), 0xFFFFFFFEu);
    LONG result = 0;
    EXPECT_EQ(Query("Fehlt", &result), kMissing);
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query("3DGlasses", nullptr, "Software\\Kelmstone Games\\Anderes"), kMissing);

    // Key paths map into the configuration directory.
    EXPECT_EQ(aeRegistryFileForKey("Software\\Kelmstone Games\\Halvoran\\"), m_Dir + "/Kelmstone Games/Halvoran.reg");
    EXPECT_EQ(aeRegistryFileForKey("A\\..\\B/C"), m_Dir + "/A/_/B_C.reg");
    EXPECT_EQ(aeRegistryFileForKey("\\\\"), "");
    EXPECT_EQ(RegOpenKeyExA(nullptr, "X", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);

    // A failed write leaves the old file.
    SetDword("CursorSpeed", 2);
    const std::string before = test::ReadBinary(KeyFile());
    // The temporary file cannot be made: a directory stands in its place.
    std::filesystem::create_directory(KeyFile() + ".tmp");
    test::LogCapture log;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kelmstone Games\\Halvoran", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    const DWORD zero = 0;
    EXPECT_EQ(RegSetValueExA(key, "CursorSpeed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4), ERROR_WRITE_FAULT);
    // The key in memory keeps the stored value as well.
    DWORD read = 7, size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "CursorSpeed", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, 2u);
    RegCloseKey(key);
    EXPECT_EQ(test::ReadBinary(KeyFile()), before);
    EXPECT_TRUE(log.Contains("konnte nicht geschrieben werden"));
}

TEST_F(OptionsFixture, OptionsRegistryDamagedFileIsReportedAndKeptAside)
{
    std::filesystem::create_directories(m_Dir + "/Kelmstone Games");
    test::WriteBinary(KeyFile(), "\"CursorSpeed\"=dword:00000000\nMüll ohne Sinn\n\"3DGlasses\"=dword:xyz\n");
    test::LogCapture log;
    EXPECT_EQ(Query("CursorSpeed"), 0u);
    EXPECT_EQ(Query("3DGlasses"), kMissing);
    EXPECT_TRUE(log.Contains("Zeile 2 der Registry-Datei"));
    EXPECT_TRUE(log.Contains("Zeile 3 der Registry-Datei"));

    SetDword("3DGlasses", 1);
    EXPECT_NE(test::ReadBinary(KeyFile() + ".defekt").find("Müll ohne Sinn"), std::string::npos);
    EXPECT_EQ(Query("3DGlasses"), 1u);
    EXPECT_EQ(Query("CursorSpeed"), 0u);
}

// ----- Options -----------------------------------------------------------------

TEST(OptionsModes, SameSizeKeepsTheHighestRateSmallModesAreLeftOutAndTheSelectionReads)
{
    SetModes({Mode(800, 600, 60), Mode(320, 240, 60), Mode(800, 600, 85), Mode(800, 600, 75), Mode(640, 480, 60),
              Mode(1024, 400, 60)});
    ASSERT_EQ(Options::m_aResolutions.GetNumElements(), 2);
    EXPECT_EQ(Options::m_aResolutions[0].iWidth, 800);
    EXPECT_EQ(Options::m_aResolutions[0].iRefreshRate, 85);
    EXPECT_EQ(Options::m_aResolutions[1].iWidth, 640);
    Options::FreeResolutions();
    EXPECT_EQ(Options::m_iSelectedResolution, -1);

    // The selected mode as text.
    test::LogCapture log;
    char buffer[64];
    EXPECT_EQ(Options::GetSelectedResolutionString(nullptr), nullptr);
    EXPECT_TRUE(log.Contains("Options::GetSelectedResolutionString"));
    EXPECT_STREQ(Options::GetSelectedResolutionString(buffer), "Nicht verfügbar");
    Options::AddResolution(Mode(1024, 768, 85));
    Options::m_iSelectedResolution = 0;
    EXPECT_STREQ(Options::GetSelectedResolutionString(buffer), "1024 x 768 (85 Hz)");
    Options::FreeResolutions();
}

TEST_F(OptionsFixture, OptionsFirstStartWritesTheStandardValuesAndLoadTakesStoredOnes)
{
    ResetOptions();
    Options::m_MultiSamplingType = D3DMULTISAMPLE_4_SAMPLES;
    Options::m_bMultiSampling = 1;
    aeConfig::m_MultiSampling = D3DMULTISAMPLE_4_SAMPLES;
    EXPECT_EQ(Options::Load(), 1);
    EXPECT_EQ(aeConfig::m_VideoMode.Width, 1024u);
    EXPECT_EQ(aeConfig::m_MultiSampling, D3DMULTISAMPLE_4_SAMPLES);
    for (const auto& [name, value] : {std::pair{"MultiSampling", 1u}, {"CursorSpeed", 1u}, {"3DGlasses", 0u},
                                      {"ResolutionWidth", 1024u}, {"ResolutionHeight", 768u}})
        EXPECT_EQ(Query(name), value) << name;

    // Stored values are taken, values not stored keep theirs, and an unknown
    // resolution is ignored.
    std::filesystem::remove(KeyFile());
    ResetOptions();
    SetDword("CursorSpeed", 7);
    SetDword("ResolutionWidth", 1600);
    SetDword("ResolutionHeight", 1200);
    EXPECT_EQ(Options::Load(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 7);  // taken as it is; consumers treat it like 2
    EXPECT_FLOAT_EQ(Halvoran::GetCursorSpeedFactor(), 2.0f);
    EXPECT_EQ(Options::m_iSelectedResolution, 1);

    SetDword("ResolutionWidth", 800);
    SetDword("ResolutionHeight", 600);
    Options::m_bApplied = 0;  // as Init leaves it pending until Load has run
    EXPECT_EQ(Options::Load(), 1);
    EXPECT_EQ(Options::m_iSelectedResolution, 0);
    EXPECT_EQ(aeConfig::m_VideoMode.Width, 800u);
    Options::FreeResolutions();
}

TEST_F(OptionsFixture, OptionsSteppingWrapsAndWritesAtOnceApplyReinitialisesOnlyWhenPendingAndFailuresAreReported)
{
    ResetOptions();
    Options::m_iCursorSpeed = 2;
    EXPECT_EQ(Options::NextCursorSpeed(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 0);
    EXPECT_EQ(Query("CursorSpeed"), 0u);
    EXPECT_EQ(Options::PrevCursorSpeed(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 2);
    EXPECT_EQ(Query("CursorSpeed"), 2u);
    EXPECT_EQ(Query("3DGlasses"), kMissing);  // only the stepped value is written
    Options::m_i3DGlasses = 0;
    Options::Prev3DGlasses();
    EXPECT_EQ(Options::m_i3DGlasses, 2);
    Options::Next3DGlasses();
    EXPECT_EQ(Options::m_i3DGlasses, 0);
    EXPECT_EQ(Query("3DGlasses"), 0u);
    EXPECT_EQ(Options::m_bApplied, 1);  // nothing pending

    Options::PrevResolution();
    Options::PrevResolution();
    EXPECT_EQ(Options::m_iSelectedResolution, 2);  // from the first mode to the last
    Options::NextResolution();
    EXPECT_EQ(Options::m_iSelectedResolution, 0);
    EXPECT_EQ(Options::m_bApplied, 0);

    // Apply reinitialises only with a pending change.
    ResetOptions();
    Options::ToggleMultiSampling();  // no multisampling on this device: nothing happens
    EXPECT_EQ(Options::m_bMultiSampling, 0);
    EXPECT_EQ(Options::m_bApplied, 1);

    aeGrafik::m_bInitialized = 1;  // the game runs
    aeMain::m_bQuit = 0;
    Halvoran::m_bReinit = 0;
    EXPECT_EQ(Options::Apply(), 1);
    EXPECT_EQ(Halvoran::m_bReinit, 0);
    EXPECT_EQ(aeMain::m_bQuit, 0);

    Options::m_MultiSamplingType = D3DMULTISAMPLE_2_SAMPLES;
    Options::ToggleMultiSampling();
    Options::NextResolution();
    EXPECT_EQ(Options::Apply(), 1);
    aeGrafik::m_bInitialized = 0;
    EXPECT_EQ(Halvoran::m_bReinit, 1);
    EXPECT_EQ(aeMain::m_bQuit, 1);
    EXPECT_EQ(aeConfig::m_MultiSampling, D3DMULTISAMPLE_2_SAMPLES);
    EXPECT_EQ(aeConfig::m_VideoMode.Width, 1280u);
    EXPECT_EQ(aeConfig::m_VideoMode.RefreshRate, 75u);
    EXPECT_EQ(Query("ResolutionWidth"), 1280u);
    EXPECT_EQ(Query("MultiSampling"), 1u);
    Halvoran::m_bReinit = 0;
    aeMain::m_bQuit = 0;

    // An unwritable registry is reported and the values stay. The
    // configuration directory is a file: no key can be created below it.
    ResetOptions();
    std::filesystem::remove_all(m_Dir + "/Kelmstone Games");
    test::WriteBinary(m_Dir + "/Kelmstone Games", "kein Verzeichnis");
    test::LogCapture log;
    EXPECT_EQ(Options::Save(), 0);
    EXPECT_EQ(Options::NextCursorSpeed(), 0);
    EXPECT_EQ(Options::m_iCursorSpeed, 2);
    EXPECT_TRUE(log.Contains("Fehler beim öffnen / erstellen des Registry-Keys!"));
    EXPECT_TRUE(log.Contains("Options::NextCursorSpeed"));
    Options::FreeResolutions();
}
