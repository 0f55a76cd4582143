// The application: state switching with the start-up state block, the global
// keys, the restore path, the savegame list, and the platform helpers for the
// single-instance rule and the user name.

#include "GameTestSupport.h"
#include "Game.h"
#include "Menu.h"
#include "aeInstanceLock.h"
#include "aeUserName.h"

#include <filesystem>
#include <map>

class AppFixture : public test::GameFixture {};

TEST_F(AppFixture, AppStateSwitchRestoresTheStartUpRenderStatesAndTheTextFollowsTheOptions)
{
    // What a state may leave behind: render states other than at start-up.
    IDirect3DDevice9* device = aeGrafik::GetDevice();
    const D3DRENDERSTATETYPE kStates[] = {D3DRS_LIGHTING, D3DRS_COLORWRITEENABLE, D3DRS_FOGENABLE};
    DWORD startUp[3] = {};
    for (int i = 0; i < 3; ++i)
        device->GetRenderState(kStates[i], &startUp[i]);
    CreateStateBlock();
    for (int i = 0; i < 3; ++i)
        device->SetRenderState(kStates[i], startUp[i] ^ 1);
    EXPECT_EQ(Halvoran::SetState(STATE_GAME), 1);
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_GAME);
    ASSERT_NE(dynamic_cast<Game*>(Halvoran::m_pCurrentState), nullptr);
    for (int i = 0; i < 3; ++i)
    {
        DWORD value = 0;
        device->GetRenderState(kStates[i], &value);
        EXPECT_EQ(value, startUp[i]) << kStates[i];
    }

    EXPECT_EQ(Halvoran::SetState(7), 0);
    EXPECT_EQ(Halvoran::m_pCurrentState, nullptr);
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_GAME);

    // The text colour and the cursor speed follow the options.
    Options::m_i3DGlasses = 1;
    EXPECT_EQ(Halvoran::GetTextColor().b, 0.0f);
    EXPECT_EQ(Halvoran::GetTextColor().g, 1.0f);
    Options::m_i3DGlasses = 5;
    EXPECT_EQ(Halvoran::GetTextColor().g, 0.0f);
    EXPECT_EQ(Halvoran::GetTextColor().b, 1.0f);
    Options::m_i3DGlasses = 0;
    Options::m_iCursorSpeed = 0;
    EXPECT_FLOAT_EQ(Halvoran::GetCursorSpeedFactor(), 0.5f);
    Options::m_iCursorSpeed = 1;
}

TEST_F(AppFixture, AppAltF4QuitsAndSysRqTakesOneScreenshot)
{
    aeMain::m_bQuit = 0;
    Press(BUTTON_F4);
    EXPECT_EQ(Halvoran::Move(0.01f), 1);
    EXPECT_EQ(aeMain::m_bQuit, 0);  // F4 alone does nothing
    aeInput::m_aButtons[BUTTON_ALT_LEFT].iState = 1;
    Halvoran::Move(0.01f);
    EXPECT_EQ(aeMain::m_bQuit, 1);
    aeMain::m_bQuit = 0;
    ClearButtons();

    Press(BUTTON_SYSRQ);
    Halvoran::Move(0.01f);
    EXPECT_STREQ(aeGrafik::m_acScreenshot, "Screenshot 1.bmp");
    EXPECT_EQ(Halvoran::Render(0.01f), 1);
    EXPECT_TRUE(std::filesystem::exists("Screenshot 1.bmp"));
    aeInput::m_aButtons[BUTTON_SYSRQ].iState = 1;  // held
    Halvoran::Move(0.01f);
    Halvoran::Render(0.01f);
    EXPECT_FALSE(std::filesystem::exists("Screenshot 2.bmp"));

    // On a full disk the picture is not written, and the player is told.
    std::filesystem::create_symlink("/dev/full", "Screenshot 2.bmp.tmp");
    {
        test::LogCapture log;
        Press(BUTTON_SYSRQ);
        Halvoran::Move(0.01f);
        EXPECT_EQ(Halvoran::Render(0.01f), 1);
        EXPECT_TRUE(log.Contains("Das Bildschirmfoto \"Screenshot 2.bmp\" konnte nicht gespeichert werden!"));
    }
    EXPECT_EQ(aeGrafik::m_bScreenshotFailed, 1);
    EXPECT_FALSE(std::filesystem::exists("Screenshot 2.bmp"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status("Screenshot 2.bmp.tmp")));
    EXPECT_EQ(Halvoran::Render(0.01f), 1);  // draws the notice
    EXPECT_EQ(aeGrafik::m_bScreenshotFailed, 0);
}

TEST_F(AppFixture, AppRestoreRebuildsTheDeviceAndTheStateBlockAfterALoss)
{
    CreateStateBlock();
    ASSERT_EQ(Halvoran::SetState(STATE_GAME), 1);
    aeMain::m_bActive = 1;
    aeD3D9ForceDeviceLost(aeGrafik::GetDevice());
    EXPECT_EQ(Halvoran::Render(0.01f), 1);
    EXPECT_EQ(aeGrafik::m_bInitialized, 1);
    ASSERT_NE(Halvoran::m_pStateBlock, nullptr);
    // The device works again: the next frame presents.
    EXPECT_EQ(aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), 1);
    EXPECT_EQ(aeGrafik::BeginScene(), 1);
    EXPECT_EQ(aeGrafik::EndScene(), 1);
    EXPECT_EQ(aeGrafik::Present(), 1);

    // While the window is inactive nothing is restored.
    aeMain::m_bActive = 0;
    IDirect3DStateBlock9* block = Halvoran::m_pStateBlock;
    aeD3D9ForceDeviceLost(aeGrafik::GetDevice());
    EXPECT_EQ(Halvoran::Restore(), 1);
    EXPECT_EQ(Halvoran::m_pStateBlock, block);
    aeMain::m_bActive = 1;
    EXPECT_EQ(Halvoran::Restore(), 1);
    EXPECT_NE(Halvoran::m_pStateBlock, nullptr);
}

TEST_F(AppFixture, AppSavegameScanCreatesTheDirectoryAndReadsHeaders)
{
    test::LogCapture log;
    EXPECT_EQ(Halvoran::ScanSavegames(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(m_Root + "/savegame"));
    EXPECT_EQ(Halvoran::m_aSavegames.GetNumElements(), 0);

    test::WriteBinary(m_Root + "/savegame/Anna 1.ssd", std::string("\x12..\\maps\\Keller.hwm") + "Labyrinthdaten");
    test::WriteBinary(m_Root + "/savegame/Anna 2.ssd", std::string("\0rest", 5));
    test::WriteBinary(m_Root + "/savegame/Kaputt.ssd", "\x40kurz");
    test::WriteBinary(m_Root + "/savegame/Notiz.txt", "x");
    EXPECT_EQ(Halvoran::ScanSavegames(), 1);
    ASSERT_EQ(Halvoran::m_aSavegames.GetNumElements(), 3);
    std::map<std::string, std::string> found;  // in any order
    for (int i = 0; i < 3; ++i)
        found[Halvoran::m_aSavegames[i]->acFile] = Halvoran::m_aSavegames[i]->acMap;
    EXPECT_EQ(found, (std::map<std::string, std::string>{{"..\\savegame\\Anna 1.ssd", "..\\maps\\Keller.hwm"},
                                                         {"..\\savegame\\Anna 2.ssd", ""}, {"..\\savegame\\Kaputt.ssd", ""}}));
    EXPECT_TRUE(log.Contains("Kaputt.ssd"));
}

TEST(AppPlatform, InstanceLockIsHeldByOneOwnerOnlyAndTheUserNameFallsBackToTheLoginName)
{
    const std::string dir = test::ScratchDir("runtime");
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.c_str());
    aeInstanceLock* first = nullptr;
    aeInstanceLock* second = nullptr;
    EXPECT_EQ(aeInstanceLockAcquire("Halvoran - Test Mutex", &first), AE_INSTANCE_LOCK_TAKEN);
    EXPECT_TRUE(std::filesystem::exists(dir + "/Halvoran - Test Mutex.lock"));
    EXPECT_EQ(aeInstanceLockAcquire("Halvoran - Test Mutex", &second), AE_INSTANCE_LOCK_BUSY);
    EXPECT_EQ(second, nullptr);
    aeInstanceLockRelease(first);
    EXPECT_EQ(aeInstanceLockAcquire("Halvoran - Test Mutex", &second), AE_INSTANCE_LOCK_TAKEN);
    aeInstanceLockRelease(second);

    // The user name, in Windows-1252, falls back to the login name.
    test::ScopedEnv user("USER", reinterpret_cast<const char*>(u8"Jürgen"));
    char name[256];
    {
        test::ScopedEnv userName("UserName", "Spieler/1");
        EXPECT_EQ(aeGetUserName(name, sizeof(name)), 9);
        EXPECT_STREQ(name, "Spieler_1");
    }
    test::ScopedEnv noUserName("UserName", nullptr);
    EXPECT_EQ(aeGetUserName(name, sizeof(name)), 6);
    EXPECT_STREQ(name, "J\xFCrgen");
    EXPECT_EQ(aeGetUserName(name, 3), 2);
    EXPECT_STREQ(name, "J\xFC");
}
