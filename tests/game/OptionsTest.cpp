// The options store: the registry stand-in (files per key, atomic writes,
// damaged files), the list of display modes and the option operations.

#include "GameTestSupport.h"
#include "aeRegistry.h"

#include <filesystem>

class OptionsFixture : public test::ConfigFixture {};

namespace
{
DWORD QueryDword(const char* subKey, const char* name, LONG* result)
{
    HKEY key = nullptr;
    DWORD value = 0xDEADBEEF;
    *result = RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key);
    if (*result != ERROR_SUCCESS)
        return value;
    DWORD size = sizeof(value);
    DWORD type = 0;
    *result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return value;
}

void SetDword(const char* subKey, const char* name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)), ERROR_SUCCESS);
    RegCloseKey(key);
}

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz)
{
    return D3DDISPLAYMODE{w, h, hz, D3DFMT_X8R8G8B8};
}

// The options as a fresh program has them, with a list of three modes.
void ResetOptions()
{
    Options::FreeResolutions();
    Options::AddResolution(Mode(800, 600, 60));
    Options::AddResolution(Mode(1024, 768, 60));
    Options::AddResolution(Mode(1280, 1024, 75));
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

    ASSERT_TRUE(std::filesystem::exists(KeyFile()));
    EXPECT_NE(test::ReadBinary(KeyFile()).find("\"3DGlasses\"=dword:fffffffe"), std::string::npos);
    LONG result = 0;
    EXPECT_EQ(QueryDword("Software\\Kelmstone Games\\Halvoran", "3dglasses", &result), 0xFFFFFFFEu);
    EXPECT_EQ(result, ERROR_SUCCESS);
    QueryDword("Software\\Kelmstone Games\\Halvoran", "Fehlt", &result);
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    QueryDword("Software\\Kelmstone Games\\Anderes", "3DGlasses", &result);
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);

    // Key paths map into the configuration directory.
    EXPECT_EQ(aeRegistryFileForKey("Software\\Kelmstone Games\\Halvoran\\"), m_Dir + "/Kelmstone Games/Halvoran.reg");
    EXPECT_EQ(aeRegistryFileForKey("A\\..\\B/C"), m_Dir + "/A/_/B_C.reg");
    EXPECT_EQ(aeRegistryFileForKey("\\\\"), "");
    EXPECT_EQ(RegOpenKeyExA(nullptr, "X", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);

    // A failed write leaves the old file.
    SetDword("Software\\Kelmstone Games\\Halvoran", "CursorSpeed", 2);
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
    LONG result = 0;
    EXPECT_EQ(QueryDword("Software\\Kelmstone Games\\Halvoran", "CursorSpeed", &result), 0u);
    EXPECT_EQ(result, ERROR_SUCCESS);
    QueryDword("Software\\Kelmstone Games\\Halvoran", "3DGlasses", &result);
    EXPECT_EQ(result, ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(log.Contains("Zeile 2 der Registry-Datei"));
    EXPECT_TRUE(log.Contains("Zeile 3 der Registry-Datei"));

    SetDword("Software\\Kelmstone Games\\Halvoran", "3DGlasses", 1);
    EXPECT_NE(test::ReadBinary(KeyFile() + ".defekt").find("Müll ohne Sinn"), std::string::npos);
    EXPECT_EQ(QueryDword("Software\\Kelmstone Games\\Halvoran", "3DGlasses", &result), 1u);
    EXPECT_EQ(QueryDword("Software\\Kelmstone Games\\Halvoran", "CursorSpeed", &result), 0u);
}

// ----- Options -----------------------------------------------------------------

TEST(OptionsModes, SameSizeKeepsTheHighestRateSmallModesAreLeftOutAndTheSelectionReads)
{
    Options::FreeResolutions();
    Options::AddResolution(Mode(800, 600, 60));
    Options::AddResolution(Mode(320, 240, 60));
    Options::AddResolution(Mode(800, 600, 85));
    Options::AddResolution(Mode(800, 600, 75));
    Options::AddResolution(Mode(640, 480, 60));
    Options::AddResolution(Mode(1024, 400, 60));
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
    LONG r = 0;
    const char* key = kOptionsRegistryKey;
    EXPECT_EQ(QueryDword(key, "MultiSampling", &r), 1u);
    EXPECT_EQ(QueryDword(key, "CursorSpeed", &r), 1u);
    EXPECT_EQ(QueryDword(key, "3DGlasses", &r), 0u);
    EXPECT_EQ(QueryDword(key, "ResolutionWidth", &r), 1024u);
    EXPECT_EQ(QueryDword(key, "ResolutionHeight", &r), 768u);

    // Stored values are taken, values not stored keep theirs, and an unknown
    // resolution is ignored.
    std::filesystem::remove(KeyFile());
    ResetOptions();
    SetDword(kOptionsRegistryKey, "CursorSpeed", 7);
    SetDword(kOptionsRegistryKey, "ResolutionWidth", 1600);
    SetDword(kOptionsRegistryKey, "ResolutionHeight", 1200);
    EXPECT_EQ(Options::Load(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 7);  // taken as it is; consumers treat it like 2
    EXPECT_FLOAT_EQ(Halvoran::GetCursorSpeedFactor(), 2.0f);
    EXPECT_EQ(Options::m_iSelectedResolution, 1);

    SetDword(kOptionsRegistryKey, "ResolutionWidth", 800);
    SetDword(kOptionsRegistryKey, "ResolutionHeight", 600);
    Options::m_bApplied = 0;  // as Init leaves it pending until Load has run
    EXPECT_EQ(Options::Load(), 1);
    EXPECT_EQ(Options::m_iSelectedResolution, 0);
    EXPECT_EQ(aeConfig::m_VideoMode.Width, 800u);
    Options::FreeResolutions();
}

TEST_F(OptionsFixture, OptionsSteppingWrapsAndWritesAtOnce)
{
    ResetOptions();
    Options::m_iCursorSpeed = 2;
    EXPECT_EQ(Options::NextCursorSpeed(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 0);
    LONG r = 0;
    EXPECT_EQ(QueryDword(kOptionsRegistryKey, "CursorSpeed", &r), 0u);
    EXPECT_EQ(Options::PrevCursorSpeed(), 1);
    EXPECT_EQ(Options::m_iCursorSpeed, 2);
    EXPECT_EQ(QueryDword(kOptionsRegistryKey, "CursorSpeed", &r), 2u);
    // Only the stepped value is written.
    QueryDword(kOptionsRegistryKey, "3DGlasses", &r);
    EXPECT_EQ(r, ERROR_FILE_NOT_FOUND);
    Options::m_i3DGlasses = 0;
    Options::Prev3DGlasses();
    EXPECT_EQ(Options::m_i3DGlasses, 2);
    Options::Next3DGlasses();
    EXPECT_EQ(Options::m_i3DGlasses, 0);
    EXPECT_EQ(QueryDword(kOptionsRegistryKey, "3DGlasses", &r), 0u);
    EXPECT_EQ(Options::m_bApplied, 1);  // nothing pending

    Options::PrevResolution();
    Options::PrevResolution();
    EXPECT_EQ(Options::m_iSelectedResolution, 2);  // from the first mode to the last
    Options::NextResolution();
    EXPECT_EQ(Options::m_iSelectedResolution, 0);
    EXPECT_EQ(Options::m_bApplied, 0);
    Options::FreeResolutions();
}

TEST_F(OptionsFixture, OptionsApplyReinitialisesOnlyWithAPendingChangeAndWriteFailuresAreReported)
{
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
    LONG r = 0;
    EXPECT_EQ(QueryDword(kOptionsRegistryKey, "ResolutionWidth", &r), 1280u);
    EXPECT_EQ(QueryDword(kOptionsRegistryKey, "MultiSampling", &r), 1u);
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
