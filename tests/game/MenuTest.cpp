// The menu: main-page items, the quit question, the camera path, the map
// list, the options page's buttons, the credits page (typewriter, web button)
// and the load-game page (loading, refusing savegames that cannot be loaded,
// deleting). The lengths of the credits' texts are checked where they are
// written.

#include "GameTestSupport.h"
#include "Game.h"
#include "Menu.h"
#include "aeShell.h"

#include <cmath>
#include <filesystem>

namespace
{
std::string s_Opened;

template <typename T> std::string Bytes(T value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A 1 x 1 map without records, quests or exit, and a savegame for it
// (header, camera at x, the field's two bytes, the victory flag: 22 bytes).
const std::string kTinyMap = Bytes(1) + Bytes(1) + Bytes(10.0f) + Bytes(10.0f) + Bytes(0.05f) + Bytes(0) + Bytes(0) +
                             std::string(23, '\0') + std::string(28, '\xFF');
std::string Savegame(const std::string& map, float x = 1.5f)
{
    return char(map.size()) + map + Bytes(x) + Bytes(-2.0f) + Bytes(0.0f) + Bytes(0.0f) + std::string(6, '\0');
}
}

class MenuFixture : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        std::filesystem::create_directories(m_Root + "/savegame");
        test::WriteBinary(m_Root + "/maps/Keller.hwm", kTinyMap);
        s_Opened.clear();
        aeSetShellOpenHook([](const char* target) { return s_Opened = target, 1; });
    }
    void TearDown() override
    {
        aeSetShellOpenHook(nullptr);
        delete Halvoran::m_pSavegameFile;
        Halvoran::m_pSavegameFile = nullptr;
        aeCursor::m_vPosition = Vector2(0.5f, 0.5f);
        GameFixture::TearDown();
    }
    // The menu, on a page whose camera flight is over when one is given.
    Menu* Start(int page = -1)
    {
        m_pMenu = StartState<Menu>(STATE_MENU);
        if (page >= 0)
        {
            m_pMenu->OpenPage(page);
            m_pMenu->Render(1.0f);
        }
        return m_pMenu;
    }
    void AddSavegame(const char* name, const std::string& bytes)
    {
        test::WriteBinary(m_Root + "/savegame/" + name + ".ssd", bytes);
        if (SavegameEntry* entry = Halvoran::m_aSavegames.Insert())
            std::snprintf(entry->acFile, sizeof(entry->acFile), "..\\savegame\\%s.ssd", name);
    }
    void Step(int button, float elapsed = 0.01f, Vector2 cursor = Vector2(0.5f, 0.5f))
    {
        aeCursor::m_vPosition = cursor;
        Press(button);
        m_pMenu->Move(elapsed);  // may delete the menu
        ClearButtons();
    }
    Menu* m_pMenu = nullptr;
};

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

TEST_F(MenuFixture, MenuNoLeavesThePageAfterTheFlightBack)
{
    Start(MENU_PAGE_QUIT);
    // A click on the button's outline is outside it.
    const InterfaceButton& no = g_aMenuButtons[MENU_BUTTON_QUIT_NO];
    const Vector2 half(no.vSize.x * 0.5f, no.vSize.y * 0.5f);
    for (const Vector2 edge : {Vector2(no.vCentre.x - half.x, no.vCentre.y), Vector2(no.vCentre.x + half.x, no.vCentre.y),
                               Vector2(no.vCentre.x, no.vCentre.y - half.y), Vector2(no.vCentre.x, no.vCentre.y + half.y)})
        Step(BUTTON_MOUSE_1, 0.01f, edge);
    EXPECT_EQ(m_pMenu->m_bLeaving, 0);
    Step(BUTTON_MOUSE_1, 0.01f, no.vCentre);
    EXPECT_EQ(m_pMenu->m_bLeaving, 1);
    EXPECT_EQ(aeMain::m_bQuit, 0);
    m_pMenu->Render(0.5f);
    EXPECT_EQ(m_pMenu->m_iPage, MENU_PAGE_QUIT);
    m_pMenu->Render(0.6f);
    EXPECT_EQ(m_pMenu->m_iPage, MENU_PAGE_MAIN);
    EXPECT_EQ(m_pMenu->m_fFade, 1.0f);
}

TEST_F(MenuFixture, MenuListsMapsWithoutUnderscoreAndSelectsTheTutorial)
{
    for (const char* map : {"Anfang", "_Test", "Tutorial"})
        test::WriteBinary(m_Root + "/maps/" + map + ".hwm", "x");
    Start();
    ASSERT_EQ(m_pMenu->m_aMaps.GetNumElements(), 3);  // and the fixture's Keller.hwm
    EXPECT_STREQ(m_pMenu->m_aMaps[m_pMenu->m_iSelectedMap]->acFile, "..\\maps\\Tutorial.hwm");
    EXPECT_STREQ(m_pMenu->m_aMaps[0]->acPreview, "");

    // Return on the new-game page starts the selected map.
    CreateStateBlock();
    m_pMenu->OpenPage(MENU_PAGE_NEW_GAME);
    m_pMenu->Render(1.0f);
    Step(BUTTON_RETURN);  // deletes the menu
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
    Start(MENU_PAGE_OPTIONS);
    Step(BUTTON_MOUSE_2, 0.0f, g_aMenuButtons[MENU_BUTTON_RESOLUTION].vCentre);
    EXPECT_EQ(Options::m_iSelectedResolution, 1);
    EXPECT_EQ(Options::m_bApplied, 0);
    EXPECT_EQ(m_pMenu->Render(0.01f), 1);  // draws "Übernehmen" while pending
    Options::FreeResolutions();
    Options::m_bApplied = 1;
}

TEST_F(MenuFixture, MenuOptionsThatCannotBeSavedAreShownAndTheOptionsPageOpensAtOnce)
{
    Start()->ShowPage(MENU_PAGE_OPTIONS);  // as after "Übernehmen": no flight, input at once
    EXPECT_EQ(m_pMenu->m_iPage, MENU_PAGE_OPTIONS);
    EXPECT_FLOAT_EQ(m_pMenu->m_fFade, 1.0f);

    // The options file's temporary file lands on a full disk.
    ASSERT_TRUE(Options::Save());
    const std::string file = m_Root + "/config/Kelmstone Games/Halvoran.reg";
    const std::string before = test::ReadBinary(file);
    std::filesystem::create_symlink("/dev/full", file + ".tmp");
    const int speed = Options::m_iCursorSpeed;
    const Vector2 button = g_aMenuButtons[MENU_BUTTON_CURSOR_SPEED].vCentre;
    {
        test::LogCapture log;
        Step(BUTTON_MOUSE_1, 0.0f, button);
    }
    EXPECT_NE(Options::m_iCursorSpeed, speed);
    EXPECT_STREQ(m_pMenu->m_acNotice, "Die Optionen konnten nicht gespeichert werden!");
    EXPECT_EQ(test::ReadBinary(file), before);
    EXPECT_EQ(m_pMenu->Render(0.01f), 1);

    // With room again the next change is saved and the notice goes.
    std::filesystem::remove(file + ".tmp");
    Step(BUTTON_MOUSE_1, 0.0f, button);
    EXPECT_STREQ(m_pMenu->m_acNotice, "");
    EXPECT_NE(test::ReadBinary(file), before);
    Options::m_iCursorSpeed = 1;
}

TEST_F(MenuFixture, CreditsTypewriterAndWebButton)
{
    const Vector2 button = g_aMenuButtons[MENU_BUTTON_WEB].vCentre;
    Start()->OpenPage(MENU_PAGE_CREDITS);
    Step(BUTTON_MOUSE_1, 1.0f, button);  // during the camera flight nothing runs
    EXPECT_EQ(m_pMenu->m_iCreditsCharacters, 0);
    m_pMenu->Render(1.0f);
    Step(BUTTON_MOUSE_1, 0.25f, button);
    EXPECT_EQ(m_pMenu->m_iCreditsCharacters, 10);
    Step(BUTTON_MOUSE_1, 6.5f, button);  // complete now, but the button is not drawn yet
    EXPECT_EQ(m_pMenu->m_iCreditsCharacters, CREDITS_CHARACTERS);
    EXPECT_EQ(s_Opened, "");
    m_pMenu->Render(0.01f);
    Step(BUTTON_MOUSE_1, 0.01f, Vector2(0.5f, 0.92f));  // beside it
    EXPECT_EQ(s_Opened, "");
    Step(BUTTON_MOUSE_1, 0.01f, button);
    EXPECT_EQ(s_Opened, g_acWebLink);
}

TEST_F(MenuFixture, LoadRefusesSavegamesThatCannotBeLoadedAndDeleteRemovesTheFileAndTheEntry)
{
    test::WriteBinary(m_Root + "/maps/Kaputt.hwm", "x");
    const char* const gone = "Die Karte dieses Spielstands gibt es nicht mehr!";
    const char* const unfit = "Der Spielstand passt nicht zu seiner Karte!";
    const char* const damaged = "Der Spielstand ist beschädigt und kann nicht geladen werden!";
    const std::string fits = Savegame("..\\maps\\Keller.hwm");
    const std::pair<std::string, const char*> cases[] = {
        {Savegame("..\\maps\\Weg.hwm"), gone}, {fits + "x", unfit}, {fits.substr(0, fits.size() - 1), unfit},
        {Savegame("..\\maps\\Kaputt.hwm"), "Die Karte dieses Spielstands ist beschädigt!"},
        {"\x40kurz", damaged}, {Savegame(""), damaged}, {Savegame("..\\maps\\Keller.hwm", NAN), damaged}};
    for (const auto& [bytes, expected] : cases)
    {
        test::WriteBinary(m_Root + "/savegame/Test.ssd", bytes);
        char map[256];
        const char* message = nullptr;
        EXPECT_EQ(Menu::ReadSavegame("..\\savegame\\Test.ssd", map, &message), nullptr) << expected;
        EXPECT_STREQ(message, expected);
    }

    // The menu stays, showing the reason until the selection changes.
    AddSavegame("Alt", Savegame("..\\maps\\Weg.hwm"));
    AddSavegame("Neu", fits);
    Start(MENU_PAGE_LOAD_GAME);
    Step(BUTTON_MOUSE_1, 0.01f, g_aMenuButtons[MENU_BUTTON_LOAD_SAVEGAME].vCentre);
    EXPECT_EQ(Halvoran::m_pCurrentState, m_pMenu);
    EXPECT_EQ(Halvoran::m_pSavegameFile, nullptr);
    EXPECT_STREQ(m_pMenu->m_pLoadMessage, gone);
    EXPECT_EQ(m_pMenu->Render(0.01f), 1);
    Step(BUTTON_RIGHT);
    EXPECT_EQ(m_pMenu->m_pLoadMessage, nullptr);

    // Delete removes the file and the entry.
    Step(BUTTON_LEFT);
    Step(BUTTON_LEFT);  // wraps to the last
    Step(BUTTON_DELETE);
    EXPECT_FALSE(std::filesystem::exists(m_Root + "/savegame/Neu.ssd"));
    EXPECT_TRUE(std::filesystem::exists(m_Root + "/savegame/Alt.ssd"));
    ASSERT_EQ(Halvoran::m_aSavegames.GetNumElements(), 1);
    EXPECT_STREQ(Halvoran::m_aSavegames[0]->acFile, "..\\savegame\\Alt.ssd");

    Step(BUTTON_MOUSE_1, 0.01f, g_aMenuButtons[MENU_BUTTON_DELETE_SAVEGAME].vCentre);
    EXPECT_FALSE(std::filesystem::exists(m_Root + "/savegame/Alt.ssd"));
    EXPECT_EQ(Halvoran::m_aSavegames.GetNumElements(), 0);  // "Es wurden noch keine Spiele gespeichert!"
    EXPECT_EQ(m_pMenu->Render(0.01f), 1);
}
