// The in-game state on the shipped Tutorial map: the walking rules, saving
// through the in-game menu, and what happens to maps and savegames that
// cannot be used.

#include "GameTestSupport.h"
#include "Game.h"
#include "Menu.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace
{
class GameStateFixture : public test::GameFixture
{
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        UseShippedContent();
        std::filesystem::create_directories(m_Root + "/savegame");
    }
    Game* Start(const char* map = "..\\maps\\Tutorial.hwm")
    {
        std::snprintf(Halvoran::m_acMap, sizeof(Halvoran::m_acMap), "%s", map);
        return StartState<Game>(STATE_GAME);
    }
    static void Hold(std::initializer_list<int> buttons)
    {
        ClearButtons();
        for (int b : buttons)
        {
            aeInput::m_aButtons[b].iState = 1;
            aeInput::m_aButtons[b].fValue = 1.0f;
        }
    }
    // How far one frame with these buttons held moves the player.
    static float Step(Game* game, std::initializer_list<int> buttons, float elapsed)
    {
        aeCamera::MoveToField(0, 1);  // the corridor below the start, open to the south
        const Vector2 before = aeCamera::m_vPosition;
        Hold(buttons);
        game->Move(elapsed);
        const Vector2 after = aeCamera::m_vPosition;
        return std::hypot(after.x - before.x, after.y - before.y);
    }
    test::ScopedEnv m_User{"UserName", "Player"};
};
}

TEST_F(GameStateFixture, WalkingIsCappedNormalisedFasterWithShiftAndUndoneWhole)
{
    Game* game = Start();
    ASSERT_NE(aeMaze::m_pFields, nullptr);
    const float speed = aeMaze::m_fSpeed;
    EXPECT_NEAR(Step(game, {BUTTON_W}, 0.5f), 0.1f * speed, 1e-4f);  // a stall moves no further than 0.1 s
    EXPECT_NEAR(Step(game, {BUTTON_W, BUTTON_D}, 0.05f), 0.05f * speed, 1e-4f);
    EXPECT_NEAR(Step(game, {BUTTON_S, BUTTON_SHIFT_LEFT}, 0.05f), 0.075f * speed, 1e-4f);

    // Sideways into the corridor's wall: steps that collide leave the camera
    // exactly where it was before them.
    aeCamera::MoveToField(0, 1);
    Hold({BUTTON_A});
    Vector2 last = aeCamera::m_vPosition;
    int stuck = 0;
    for (int i = 0; i < 100 && !stuck; ++i)
    {
        game->Move(0.05f);
        stuck = aeCamera::m_vPosition.x == last.x && aeCamera::m_vPosition.y == last.y;
        last = aeCamera::m_vPosition;
    }
    EXPECT_TRUE(stuck);
    int x = -1, y = -1;
    aeCamera::GetPositionInField(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 1);

    // Space uses what stands on the player's field: the door in (2, 1) opens.
    aeCamera::MoveToField(2, 1);
    const aeMazeField* door = aeMaze::GetField(2, 1);
    EXPECT_EQ(door->m_byActivated & 0x02, 0);
    ClearButtons();
    Press(BUTTON_SPACE);
    game->Move(0.01f);
    EXPECT_NE(door->m_byActivated & 0x02, 0);

    // A long frame advances the door's animation by a tenth of a second at most.
    float before[AE_NUM_SLOTS], advanced = 0.0f;
    for (int i = 0; i < AE_NUM_SLOTS; ++i)
        before[i] = door->m_aAnimations[i].GetTickCount();
    aeGrafik::BeginScene();
    EXPECT_EQ(game->Render(5.0f), 1);
    aeGrafik::EndScene();
    for (int i = 0; i < AE_NUM_SLOTS; ++i)
    {
        const aeAnimationPlayer& player = door->m_aAnimations[i];
        EXPECT_LE(player.GetTickCount() - before[i], 0.1f * player.GetSpeed() + 1e-4f) << i;
        advanced = std::max(advanced, player.GetTickCount() - before[i]);
    }
    EXPECT_GT(advanced, 0.0f);
}

TEST_F(GameStateFixture, SavingProposesTheNextFreeNameAndNeverDestroysAnOldSavegame)
{
    test::WriteBinary(m_Root + "/savegame/Player 1.ssd", "alt");
    test::WriteBinary(m_Root + "/savegame/Player 2.ssd", "alt");
    Game* game = Start();
    Press(BUTTON_ESCAPE);
    game->Move(0.01f);
    ASSERT_EQ(game->m_bMenuOpen, 1);
    game->OpenSavePage();
    EXPECT_STREQ(game->m_acSavegame, "..\\savegame\\Player 3.ssd");
    ASSERT_EQ(game->SaveGame(), 1);
    EXPECT_EQ(game->m_bMenuOpen, 0);
    ASSERT_EQ(Halvoran::m_aSavegames.GetNumElements(), 1);
    EXPECT_STREQ(Halvoran::m_aSavegames[0]->acMap, "..\\maps\\Tutorial.hwm");
    const std::string saved = test::ReadBinary(m_Root + "/savegame/Player 3.ssd");
    EXPECT_EQ(saved.substr(0, 21), std::string("\x14..\\maps\\Tutorial.hwm"));
    EXPECT_EQ(static_cast<long long>(saved.size()), 21 + aeMaze::GetSavegameSize());

    // Writing over "Player 2" meets a full disk (its temporary file lands on
    // /dev/full): the old file stays, nothing is listed, the page says so.
    std::filesystem::create_symlink("/dev/full", m_Root + "/savegame/Player 2.ssd.tmp");
    game->m_bMenuOpen = 1;
    std::snprintf(game->m_acSavegame, sizeof(game->m_acSavegame), "..\\savegame\\Player 2.ssd");
    {
        test::LogCapture log;
        EXPECT_EQ(game->SaveGame(), 0);
    }
    EXPECT_EQ(test::ReadBinary(m_Root + "/savegame/Player 2.ssd"), "alt");
    EXPECT_EQ(Halvoran::m_aSavegames.GetNumElements(), 1);
    EXPECT_EQ(game->m_bMenuOpen, 1);
    EXPECT_EQ(game->m_bSaveFailed, 1);
}

TEST_F(GameStateFixture, ASavegamePutsThePlayerBackAndAnUnreadableMapLeadsBackToTheMenu)
{
    Game* game = Start();
    aeCamera::MoveToField(0, 2);
    aeCamera::m_fRotation = 1.25f;
    game->OpenSavePage();
    ASSERT_EQ(game->SaveGame(), 1);
    EndState();

    Halvoran::m_pSavegameFile = new VFile;
    ASSERT_TRUE(Halvoran::m_pSavegameFile->Init("..\\savegame\\Player 1.ssd"));
    ASSERT_TRUE(Halvoran::m_pSavegameFile->Seek(21, SEEK_SET));
    game = Start();
    EXPECT_EQ(Halvoran::m_pSavegameFile, nullptr);
    int x = -1, y = -1;
    aeCamera::GetPositionInField(&x, &y);
    EXPECT_EQ(y, 2);
    EXPECT_FLOAT_EQ(aeCamera::m_fRotation, 1.25f);
    EndState();

    // Maps that cannot be played lead back to the menu, which says why.
    test::WriteBinary(m_Root + "/savegame/Kaputt.hwm", "HWM?");
    const struct { const char* pcMap; const char* pcNotice; } kBroken[] = {
        {"..\\maps\\Gibtsnicht.hwm", "Die Karte \"Gibtsnicht.hwm\" gibt es nicht!"},
        {"..\\savegame\\Kaputt.hwm", "Die Karte \"Kaputt.hwm\" ist beschädigt und kann nicht geladen werden!"},
    };
    for (const auto& broken : kBroken)
    {
        SCOPED_TRACE(broken.pcMap);
        test::LogCapture log;
        game = Start(broken.pcMap);
        game->Move(0.01f);  // deletes the game: the menu runs instead
        ASSERT_EQ(Halvoran::m_iCurrentState, STATE_MENU);
        Menu* menu = static_cast<Menu*>(Halvoran::m_pCurrentState);
        EXPECT_STREQ(menu->m_acNotice, broken.pcNotice);
        EXPECT_FALSE(log.Contains("TextureManager"));
        EXPECT_STREQ(Halvoran::m_acNotice, "");
        menu->OpenPage(MENU_PAGE_NEW_GAME);
        EXPECT_STREQ(menu->m_acNotice, "");
        EndState();
    }
}

TEST(GameSavegameNames, OddAndLongUserNamesStillMakeAPathThatFits)
{
    const std::string longName(240, 'x');
    const std::string longUmlauts(240, '\xe4');  // two bytes each in UTF-8
    const std::pair<std::string, std::string> kNames[] = {
        {"Player", "..\\savegame\\Player 1.ssd"},
        {longName, "..\\savegame\\" + std::string(200, 'x') + " 1.ssd"},
        {longUmlauts, "..\\savegame\\" + std::string(115, '\xe4') + " 1.ssd"},
        {"..\\..\\bin/x:y", "..\\savegame\\.._.._bin_x_y 1.ssd"},
        {"", "..\\savegame\\Spieler 1.ssd"},
    };
    for (const auto& [user, expected] : kNames)
    {
        char path[256];
        ProposeSavegamePath(user.c_str(), path, sizeof(path));
        EXPECT_EQ(std::string(path), expected);
    }
}
