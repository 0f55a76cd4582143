#pragma once
// The in-game state: the player walks through the map named by the
// application, uses switches, dies in traps, follows quests and leaves through
// the map's exit to the next map. Escape opens the in-game menu with saving.

#include "GameState.h"

// The buttons of the in-game menu, as drawn and as clicked: g_aGameButtons[id].
enum InGameMenuButton
{
    GAME_BUTTON_CONTINUE,
    GAME_BUTTON_SAVE,
    GAME_BUTTON_MAIN_MENU,
    GAME_BUTTON_SAVE_NOW,
    GAME_BUTTON_COUNT
};
extern const InterfaceButton g_aGameButtons[GAME_BUTTON_COUNT];

class Game : public GameState
{
public:
    ~Game() override;
    int Init() override;
    void Exit() override;
    void PrepareRestore() override;
    int Restore() override;
    int Move(float elapsed) override;
    int Render(float elapsed) override;

    virtual void DrawButton(Vector2 centre, Vector2 size, const char* text);
    // A button of the in-game menu's table.
    void DrawGameButton(int id);
    virtual void MoveMenu(float elapsed);
    virtual void RenderMenu(float elapsed);

    // Opens the save page and proposes the first free savegame name of the
    // player ("..\\savegame\\<name> <k>.ssd", k = 1 … 999).
    void OpenSavePage();
    // Writes the savegame (map header and maze state) through a temporary
    // file; lists it and closes the menu on success, else keeps the save page
    // open with a message. 1 on success.
    int SaveGame();

    aeFont* m_pLargeFont = nullptr;
    aeFont* m_pMediumFont = nullptr;
    aeFont* m_pHugeFont = nullptr;
    Color m_TextColor = Color(1.0f, 1.0f, 1.0f, 1.0f);
    int m_bShowQuests = 0;
    int m_bQuestsUpdated = 0;
    int m_bMenuOpen = 0;
    int m_bSavePage = 0;
    char m_acSavegame[256] = {};
    int m_bSaveFailed = 0;  // the last save could not be written

private:
    int CreateFonts();
    void DeleteFonts();
    void AddInterfaceArchive();
    void RenderHud();
};

// The path of the first savegame of a player that does not exist yet:
// "..\\savegame\\<user> <k>.ssd" for k = 1 … 998, else k = 999.
void ProposeSavegamePath(const char* user, char* path, int size);
