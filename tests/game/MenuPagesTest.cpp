// The menu's credits page (typewriter, web button) and load-game page
// (loading, refusing savegames that cannot be loaded, deleting). The lengths
// of the credits' texts are checked where they are written.

#include "GameTestSupport.h"
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

class MenuPagesFixture : public test::GameFixture
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
    Menu* Start(int page, int flown = 1)
    {
        m_pMenu = new Menu;
        Halvoran::m_pCurrentState = m_pMenu;
        Halvoran::m_iCurrentState = STATE_MENU;
        EXPECT_EQ(m_pMenu->Init(), 1);
        m_pMenu->OpenPage(page);
        if (flown)
            m_pMenu->Render(1.0f);
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

TEST_F(MenuPagesFixture, CreditsTypewriterAndWebButton)
{
    const Vector2 button = g_aMenuButtons[MENU_BUTTON_WEB].vCentre;
    Start(MENU_PAGE_CREDITS, 0);
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

TEST_F(MenuPagesFixture, LoadHandsTheSavegameBehindItsHeaderToTheGame)
{
    AddSavegame("Anna 1", Savegame("..\\maps\\Keller.hwm"));
    char map[256];
    const char* message = "";
    VFile* file = Menu::ReadSavegame("..\\savegame\\Anna 1.ssd", map, &message);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetCursor(), 1 + 18);
    EXPECT_STREQ(map, "..\\maps\\Keller.hwm");
    EXPECT_EQ(message, nullptr);
    delete file;

    Halvoran::m_pSavegameFile = new VFile;  // one still waiting is replaced
    CreateStateBlock();
    Start(MENU_PAGE_LOAD_GAME);
    Step(BUTTON_RETURN);
    EXPECT_STREQ(Halvoran::m_acMap, "..\\maps\\Keller.hwm");
    EXPECT_EQ(Halvoran::m_iCurrentState, STATE_GAME);
}

TEST_F(MenuPagesFixture, LoadRefusesSavegamesThatCannotBeLoaded)
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
}

TEST_F(MenuPagesFixture, DeleteRemovesTheFileAndTheEntry)
{
    AddSavegame("Anna 1", Savegame("..\\maps\\Keller.hwm"));
    AddSavegame("Anna 2", Savegame("..\\maps\\Keller.hwm"));
    Start(MENU_PAGE_LOAD_GAME);
    Step(BUTTON_LEFT);  // wraps to the last
    Step(BUTTON_DELETE);
    EXPECT_FALSE(std::filesystem::exists(m_Root + "/savegame/Anna 2.ssd"));
    EXPECT_TRUE(std::filesystem::exists(m_Root + "/savegame/Anna 1.ssd"));
    ASSERT_EQ(Halvoran::m_aSavegames.GetNumElements(), 1);
    EXPECT_STREQ(Halvoran::m_aSavegames[0]->acFile, "..\\savegame\\Anna 1.ssd");

    Step(BUTTON_MOUSE_1, 0.01f, g_aMenuButtons[MENU_BUTTON_DELETE_SAVEGAME].vCentre);
    EXPECT_FALSE(std::filesystem::exists(m_Root + "/savegame/Anna 1.ssd"));
    EXPECT_EQ(Halvoran::m_aSavegames.GetNumElements(), 0);  // "Es wurden noch keine Spiele gespeichert!"
    EXPECT_EQ(m_pMenu->Render(0.01f), 1);
}
