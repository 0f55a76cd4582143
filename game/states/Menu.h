#pragma once
// The main menu: a 3D scene seen through a camera that flies to a viewpoint of
// its own for each page, the menu music, and the pages main, quit, options,
// credits, new game and load game.

#include "GameState.h"

class aeMusic;

enum MenuPage
{
    MENU_PAGE_MAIN = 0,
    MENU_PAGE_QUIT = 1,
    MENU_PAGE_OPTIONS = 2,
    MENU_PAGE_CREDITS = 3,
    MENU_PAGE_NEW_GAME = 4,
    MENU_PAGE_LOAD_GAME = 5,
};

// The credits' typewriter: the role column, the names column and the closing
// line share one count of characters shown, 40 a second.
enum
{
    CREDITS_ROLE_CHARACTERS = 193,
    CREDITS_NAME_CHARACTERS = 204,
    CREDITS_CLOSING_CHARACTERS = 64,
    CREDITS_CHARACTERS = CREDITS_NAME_CHARACTERS + CREDITS_CLOSING_CHARACTERS,
};
// Windows-1252 texts; the names column's lines pair with the role column's.
extern const char g_acCreditsRoles[];
extern const char g_acCreditsNames[];
extern const char g_acCreditsClosing[];
extern const char g_acWebAddress[]; // the web button's label
extern const char g_acWebLink[];    // what it opens

// The buttons of the menu's pages, as drawn and as clicked: g_aMenuButtons[id].
enum MenuButton
{
    MENU_BUTTON_QUIT_YES,
    MENU_BUTTON_QUIT_NO,
    MENU_BUTTON_RESOLUTION,
    MENU_BUTTON_MULTISAMPLING,
    MENU_BUTTON_CURSOR_SPEED,
    MENU_BUTTON_GLASSES,
    MENU_BUTTON_APPLY,
    MENU_BUTTON_OPTIONS_BACK,
    MENU_BUTTON_WEB,
    MENU_BUTTON_PREVIOUS_MAP,
    MENU_BUTTON_PLAY_MAP,
    MENU_BUTTON_NEXT_MAP,
    MENU_BUTTON_NEW_GAME_BACK,
    MENU_BUTTON_PREVIOUS_SAVEGAME,
    MENU_BUTTON_LOAD_SAVEGAME,
    MENU_BUTTON_DELETE_SAVEGAME,
    MENU_BUTTON_NEXT_SAVEGAME,
    MENU_BUTTON_LOAD_GAME_BACK,
    MENU_BUTTON_COUNT
};
extern const InterfaceButton g_aMenuButtons[MENU_BUTTON_COUNT];

// A map offered for a new game.
struct MapEntry
{
    char acFile[256];     // path of the map file
    char acPreview[256];  // path of its preview picture, empty without one
};

class Menu : public GameState
{
public:
    ~Menu() override;
    int Init() override;
    void Exit() override;
    void PrepareRestore() override;
    int Restore() override;
    int Move(float elapsed) override;
    int Render(float elapsed) override;

    virtual void DrawButton(Vector2 centre, Vector2 size, const char* text);
    // A button of the table, with its own label unless label is given.
    void DrawMenuButton(int id, const char* label = nullptr);
    virtual void SetCamera(Vector3* eye, int eyeIndex);
    virtual void DrawScene(float elapsed, Vector3 eye, int pass);
    virtual void MoveMain(float elapsed);
    virtual void MoveQuit(float elapsed);
    virtual void MoveOptions(float elapsed);
    virtual void MoveCredits(float elapsed);
    virtual void MoveNewGame(float elapsed);
    virtual void MoveLoadGame(float elapsed);
    virtual void RenderMain(float elapsed);
    virtual void RenderQuit(float elapsed);
    virtual void RenderOptions(float elapsed);
    virtual void RenderCredits(float elapsed);
    virtual void RenderNewGame(float elapsed);
    virtual void RenderLoadGame(float elapsed);

    // Opens a page: the camera starts its flight there (fade 0).
    void OpenPage(int page);
    // Shows a page at once, the camera already there (fade 1).
    void ShowPage(int page);
    // Eye and target of the page's camera at a fade value, and the eye
    // separation of the stereo picture.
    static void GetCameraPath(int page, float fade, Vector3* eye, Vector3* target, float* separation);
    // The main-page item under a cursor position (0 none).
    static int GetHotItem(Vector2 cursor);
    // Reads a savegame for loading: the whole file, its reading position
    // behind the map header, the map path copied into map (256 bytes). Null
    // when the file is unreadable or damaged, its map is gone or broken, or
    // the rest does not fit that map; message then holds the reason for the
    // player (and the log has the details).
    static VFile* ReadSavegame(const char* path, char* map, const char** message);

    float m_fFade = 1.0f;
    int m_bLeaving = 0;
    int m_iHotItem = 0;
    int m_iPage = MENU_PAGE_MAIN;
    aeFont* m_pMediumFont = nullptr;
    aeFont* m_pHugeFont = nullptr;
    Color m_TextColor = Color(1.0f, 1.0f, 1.0f, 1.0f);
    aeMusic* m_pMusic = nullptr;
    DynList<MapEntry> m_aMaps;
    int m_iSelectedMap = 0;
    int m_iSelectedSavegame = 0;
    float m_fCreditsTime = 0.0f;
    int m_iCreditsCharacters = 0;
    // Why the selected savegame was not loaded; shown until the selection
    // changes or the page is opened again.
    const char* m_pLoadMessage = nullptr;
    // A notice for the player on the main or options page (a map that could
    // not be played, options that could not be saved); empty without one.
    char m_acNotice[256] = "";

private:
    int CreateFonts();
    void DeleteFonts();
    void FillMapList();
    // After an option was changed: a notice when it could not be saved.
    void ShowOptionsSaved(int saved);
    void PlaySelectedMap();
    void OpenWebSite();
    void SelectSavegame(int index);
    void LoadSelectedSavegame();
    void DeleteSelectedSavegame();
    static int MapCallback(int isFile, char* path);
};
