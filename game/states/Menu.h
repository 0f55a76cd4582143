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
    // Eye and target of the page's camera at a fade value, and the eye
    // separation of the stereo picture.
    static void GetCameraPath(int page, float fade, Vector3* eye, Vector3* target, float* separation);
    // The main-page item under a cursor position (0 none).
    static int GetHotItem(Vector2 cursor);

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

private:
    int CreateFonts();
    void DeleteFonts();
    void FillMapList();
    void PlaySelectedMap();
    static int MapCallback(int isFile, char* path);
};
