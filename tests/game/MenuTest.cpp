// The menu: main-page items, the quit question, the camera path, the map list
// and the options page's buttons.

#include "GameTestSupport.h"
#include "Game.h"
#include "Menu.h"

#include <filesystem>

class MenuFixture : public test::GameFixture {};

namespace
{
Menu* StartMenu()
{
    Menu* menu = new Menu;
    Halvoran::m_pCurrentState = menu;
    Halvoran::m_iCurrentState = STATE_MENU;
    EXPECT_EQ(menu->Init(), 1);
    return menu;
}
}

TEST(MenuLayout, HotItemsAndCameraPath)
{
    const std::pair<Vector2, int> items[] = {{Vector2(0.5f, 0.1f), 0}, {Vector2(0.2f, 0.3f), MENU_PAGE_OPTIONS},
        {Vector2(0.5f, 0.2f), MENU_PAGE_NEW_GAME}, {Vector2(0.7f, 0.5f), MENU_PAGE_CREDITS},
        {Vector2(0.3f, 0.66f), MENU_PAGE_QUIT}, {Vector2(0.5f, 0.8f), 0}, {Vector2(0.7f, 0.9f), MENU_PAGE_LOAD_GAME}};
    for (const auto& [at, item] : items)
        EXPECT_EQ(Menu::GetHotItem(at), item) << at.x << ", " << at.y;

    Vector3 e, t;
    float s = 0.0f;
    Menu::GetCameraPath(MENU_PAGE_OPTIONS, 1.0f, &e, &t, &s);
    EXPECT_FLOAT_EQ(e.x, -2.0f);
    EXPECT_NEAR(e.z, -0.6f, 1e-5f);
    EXPECT_NEAR(t.z, -0.6f, 1e-5f);
    EXPECT_FLOAT_EQ(s, 0.04f);
    Menu::GetCameraPath(MENU_PAGE_LOAD_GAME, 0.0f, &e, &t, &s);  // every page starts at the main view
    EXPECT_FLOAT_EQ(e.y, 2.0f);
    EXPECT_FLOAT_EQ(e.z, -18.0f);
    EXPECT_FLOAT_EQ(t.z, -12.0f);
}

TEST_F(MenuFixture, MenuBOpensTheQuitQuestionAndReturnQuits)
{
    Menu* menu = StartMenu();
    Press(BUTTON_B);
    menu->Move(0.01f);
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_QUIT);
    EXPECT_EQ(menu->m_fFade, 0.0f);
    ClearButtons();
    Press(BUTTON_RETURN);
    menu->Move(0.01f);
    EXPECT_EQ(aeMain::m_bQuit, 0);  // the camera is still flying
    menu->Render(1.5f);
    EXPECT_EQ(menu->m_fFade, 1.0f);
    menu->Move(0.01f);
    EXPECT_EQ(aeMain::m_bQuit, 1);
}

TEST_F(MenuFixture, MenuNoLeavesThePageAfterTheFlightBack)
{
    Menu* menu = StartMenu();
    menu->OpenPage(MENU_PAGE_QUIT);
    menu->Render(1.0f);
    aeCursor::m_vPosition = g_aMenuButtons[MENU_BUTTON_QUIT_NO].vCentre;
    Press(BUTTON_MOUSE_1);
    menu->Move(0.01f);
    EXPECT_EQ(menu->m_bLeaving, 1);
    EXPECT_EQ(aeMain::m_bQuit, 0);
    ClearButtons();
    menu->Render(0.5f);
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_QUIT);
    menu->Render(0.6f);
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_MAIN);
    EXPECT_EQ(menu->m_fFade, 1.0f);
    aeCursor::m_vPosition = Vector2(0.5f, 0.5f);
}

TEST_F(MenuFixture, MenuListsMapsWithoutUnderscoreAndSelectsTheTutorial)
{
    test::WriteBinary(m_Root + "/maps/Anfang.hwm", "x");
    test::WriteBinary(m_Root + "/maps/_Test.hwm", "x");
    test::WriteBinary(m_Root + "/maps/Tutorial.hwm", "x");
    Menu* menu = StartMenu();
    ASSERT_EQ(menu->m_aMaps.GetNumElements(), 2);
    EXPECT_STREQ(menu->m_aMaps[menu->m_iSelectedMap]->acFile, "..\\maps\\Tutorial.hwm");
    EXPECT_STREQ(menu->m_aMaps[0]->acPreview, "");

    // Return on the new-game page starts the selected map.
    CreateStateBlock();
    menu->OpenPage(MENU_PAGE_NEW_GAME);
    menu->Render(1.0f);
    Press(BUTTON_RETURN);
    menu->Move(0.01f);  // deletes the menu
    EXPECT_STREQ(Halvoran::m_acMap, "..\\maps\\Tutorial.hwm");
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_GAME);
    EXPECT_NE(dynamic_cast<Game*>(Halvoran::m_pCurrentState), nullptr);
}

TEST_F(MenuFixture, MenuOptionsRightClickOnTheResolutionSelectsTheLastMode)
{
    Options::FreeResolutions();
    Options::AddResolution(D3DDISPLAYMODE{800, 600, 60, D3DFMT_X8R8G8B8});
    Options::AddResolution(D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8});
    Options::m_iSelectedResolution = 0;
    Options::m_bApplied = 1;
    Menu* menu = StartMenu();
    menu->OpenPage(MENU_PAGE_OPTIONS);
    menu->Render(1.0f);
    aeCursor::m_vPosition = g_aMenuButtons[MENU_BUTTON_RESOLUTION].vCentre;
    Press(BUTTON_MOUSE_2);
    menu->Move(0.0f);
    EXPECT_EQ(Options::m_iSelectedResolution, 1);
    EXPECT_EQ(Options::m_bApplied, 0);
    EXPECT_EQ(menu->Render(0.01f), 1);  // draws "Übernehmen" while pending
    aeCursor::m_vPosition = Vector2(0.5f, 0.5f);
    Options::FreeResolutions();
    Options::m_bApplied = 1;
}

TEST_F(MenuFixture, MenuOptionsThatCannotBeSavedAreShownAndTheOptionsPageOpensAtOnce)
{
    Menu* menu = StartMenu();
    menu->ShowPage(MENU_PAGE_OPTIONS);  // as after "Übernehmen": no flight, input at once
    EXPECT_EQ(menu->m_iPage, MENU_PAGE_OPTIONS);
    EXPECT_FLOAT_EQ(menu->m_fFade, 1.0f);

    // The options file's temporary file lands on a full disk.
    ASSERT_TRUE(Options::Save());
    const std::string file = m_Root + "/config/Kelmstone Games/Halvoran.reg";
    const std::string before = test::ReadBinary(file);
    std::filesystem::create_symlink("/dev/full", file + ".tmp");
    const int speed = Options::m_iCursorSpeed;
    aeCursor::m_vPosition = g_aMenuButtons[MENU_BUTTON_CURSOR_SPEED].vCentre;
    Press(BUTTON_MOUSE_1);
    {
        test::LogCapture log;
        menu->Move(0.0f);
    }
    EXPECT_NE(Options::m_iCursorSpeed, speed);
    EXPECT_STREQ(menu->m_acNotice, "Die Optionen konnten nicht gespeichert werden!");
    EXPECT_EQ(test::ReadBinary(file), before);
    EXPECT_EQ(menu->Render(0.01f), 1);

    // With room again the next change is saved and the notice goes.
    std::filesystem::remove(file + ".tmp");
    Press(BUTTON_MOUSE_1);
    menu->Move(0.0f);
    EXPECT_STREQ(menu->m_acNotice, "");
    EXPECT_NE(test::ReadBinary(file), before);
    aeCursor::m_vPosition = Vector2(0.5f, 0.5f);
    Options::m_iCursorSpeed = 1;
}
