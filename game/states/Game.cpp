#include "Game.h"
#include "Halvoran.h"
#include "Options.h"
#include "Savegame.h"
#include "aeFileSystem.h"
#include "aeMusic.h"
#include "aeText.h"
#include "aeUserName.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace
{
const char* const kInterfaceArchive = "..\\data\\menu_interface\\textures\\interface.zip";
const char* const kQuestSound = "Quest.rvs";
const unsigned long kColorKey = 0xFFFF00FF;
const float kMaxElapsed = 0.1f;
const DWORD kDeathNoticeMs = 5000;
const Color kWhite(1.0f, 1.0f, 1.0f, 1.0f);

int Held(int button)
{
    return aeInput::IsButtonDown(button) != 0;
}

// The colour-write masks of the stereo passes: first eye, second eye, and the
// interface drawn over both.
struct StereoMasks
{
    DWORD first, second, both;
};

StereoMasks GetStereoMasks(int glasses)
{
    if (glasses == 1)
        return {D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA, D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_ALPHA,
                D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN | D3DCOLORWRITEENABLE_ALPHA};
    return {D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA, D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA,
            D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA};
}

// The user name part of a savegame's file name is cut so that the whole
// name, with its number, ".ssd" and the temporary ".tmp" of a save, fits both
// the 256-byte path and the file system's 255-byte names (in UTF-8, where a
// Windows-1252 letter may take three bytes).
const size_t kMaxNameChars = 200;
const size_t kMaxNameUtf8Bytes = 230;

std::string SavegameNamePart(const char* user)
{
    std::string name = user ? user : "";
    // A name must not lead out of the savegame folder or be refused by the
    // file system.
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c))
            c = '_';
    if (name.empty())
        name = "Spieler";
    if (name.size() > kMaxNameChars)
        name.resize(kMaxNameChars);
    while (!name.empty() && aeCp1252ToUtf8(name.c_str()).size() > kMaxNameUtf8Bytes)
        name.pop_back();
    return name;
}
}

const InterfaceButton g_aGameButtons[GAME_BUTTON_COUNT] = {
    {Vector2(0.16f, 0.9f), Vector2(0.3f, 0.05f), "Spiel fortsetzen"},
    {Vector2(0.5f, 0.9f), Vector2(0.3f, 0.05f), "Spiel speichern"},
    {Vector2(0.84f, 0.9f), Vector2(0.3f, 0.05f), "Zum Hauptmenü"},
    {Vector2(0.5f, 0.8f), Vector2(0.3f, 0.05f), "Jetzt speichern"},
};

void ProposeSavegamePath(const char* user, char* path, int size)
{
    const std::string name = SavegameNamePart(user);
    for (int k = 1; k <= 999; ++k)
    {
        std::snprintf(path, static_cast<size_t>(size), "..\\savegame\\%s %d.ssd", name.c_str(), k);
        if (k == 999 || !aeFileReadable(path))
            return;
    }
}

Game::~Game()
{
    DeleteFonts();
}

int Game::CreateFonts()
{
    DeleteFonts();
    m_pLargeFont = NewInterfaceFont(40.0f);
    m_pMediumFont = NewInterfaceFont(30.0f);
    m_pHugeFont = NewInterfaceFont(60.0f);
    return m_pLargeFont != nullptr;
}

void Game::DeleteFonts()
{
    delete m_pLargeFont;
    delete m_pMediumFont;
    delete m_pHugeFont;
    m_pLargeFont = m_pMediumFont = m_pHugeFont = nullptr;
}

void Game::AddInterfaceArchive()
{
    VFile archive;
    if (archive.Init(kInterfaceArchive))
        aeTextureManager::AddTextureArchive(&archive, kColorKey);
}

int Game::Init()
{
    if (!CreateFonts())
        return 0;
    m_bShowQuests = m_bQuestsUpdated = m_bMenuOpen = m_bSavePage = 0;
    m_bSaveFailed = 0;

    aeLog::Write("Karte \"%s\" wird geladen", Halvoran::m_acMap);
    VFile map;
    const int read = map.Init(Halvoran::m_acMap);
    if (read)
        aeMaze::Init(&map);
    else
        aeMaze::Exit();
    if (!aeMaze::m_pFields)
    {
        // Nothing to play: the first Move goes back to the menu, which tells
        // the player why (the details are in the log).
        const char* name = RemoveDir(Halvoran::m_acMap);
        Halvoran::SetNotice(read ? "Die Karte \"%s\" ist beschädigt und kann nicht geladen werden!"
                                 : "Die Karte \"%s\" gibt es nicht!",
                            name);
        delete Halvoran::m_pSavegameFile;
        Halvoran::m_pSavegameFile = nullptr;
        return 1;
    }
    AddInterfaceArchive();
    VFile sound;
    if (Halvoran::m_hInstance && sound.Init(Halvoran::m_hInstance, MAKEINTRESOURCE(104), "RVS"))
        aeSoundManager::AddSound(&sound, kQuestSound, nullptr);

    aeCamera::Init(Vector2(0.0f, 0.0f), 0.0f, 0.0f);
    aeCamera::MoveToField(aeMaze::m_iStartX, aeMaze::m_iStartY);
    if (Halvoran::m_pSavegameFile)
    {
        aeMaze::LoadSavegame(Halvoran::m_pSavegameFile);
        delete Halvoran::m_pSavegameFile;
        Halvoran::m_pSavegameFile = nullptr;
    }
    if (aeMaze::m_pMusic)
        aeMaze::m_pMusic->Play(1);
    aeMaze::Update(1);
    return 1;
}

void Game::Exit()
{
    if (aeMaze::m_pMusic)
        aeMaze::m_pMusic->Stop();
    aeMaze::Exit();
    DeleteFonts();
}

void Game::PrepareRestore()
{
    DeleteFonts();
}

int Game::Restore()
{
    if (!CreateFonts())
        return 0;
    AddInterfaceArchive();
    return 1;
}

int Game::Move(float elapsed)
{
    if (elapsed > kMaxElapsed)
        elapsed = kMaxElapsed;
    // A map that could not be read leaves an empty maze (the reason is in
    // the log): there is nothing to walk, so the player is back in the menu.
    if (!aeMaze::m_pFields)
    {
        Halvoran::SetState(STATE_MENU);
        return 1;
    }
    if (aeMaze::m_pMusic)
        aeMaze::m_pMusic->Process();
    if (m_bMenuOpen)
    {
        MoveMenu(elapsed);
        return 1;
    }

    const float f = Halvoran::GetCursorSpeedFactor();
    aeCamera::m_fRotation += (aeInput::GetButtonState(BUTTON_MOUSE_X_POS) - aeInput::GetButtonState(BUTTON_MOUSE_X_NEG)) * 0.5f * f;
    aeCamera::AddUpDown(aeInput::GetButtonState(BUTTON_MOUSE_Y_NEG) - aeInput::GetButtonState(BUTTON_MOUSE_Y_POS) * 0.5f * f);

    m_bShowQuests = Held(BUTTON_F1);
    if (m_bShowQuests)
        m_bQuestsUpdated = 0;

    if (Held(BUTTON_LEFT))
        aeCamera::m_fRotation -= 2.0f * elapsed;
    if (Held(BUTTON_RIGHT))
        aeCamera::m_fRotation += 2.0f * elapsed;
    if (Held(BUTTON_PAGE_UP))
        aeCamera::AddUpDown(2.0f * elapsed);
    if (Held(BUTTON_PAGE_DOWN))
        aeCamera::AddUpDown(-2.0f * elapsed);

    float dx = 0.0f, dy = 0.0f;
    if (Held(BUTTON_W) || Held(BUTTON_UP))
        dy += 1.0f;
    if (Held(BUTTON_S) || Held(BUTTON_DOWN))
        dy -= 1.0f;
    if (Held(BUTTON_A))
        dx -= 1.0f;
    if (Held(BUTTON_D))
        dx += 1.0f;

    int x = 0, y = 0;
    aeCamera::GetPositionInField(&x, &y);
    aeMazeField* field = aeMaze::GetField(x, y);
    const int use = aeInput::IsButtonPressed(BUTTON_E) || aeInput::IsButtonPressed(BUTTON_SPACE) ||
                    aeInput::IsButtonPressed(BUTTON_RETURN);
    field->Activate(use);

    if (aeMaze::m_acNextMap[0] && x == aeMaze::m_iNextMapX && y == aeMaze::m_iNextMapY)
    {
        std::snprintf(Halvoran::m_acMap, sizeof(Halvoran::m_acMap), "%s", aeMaze::m_acNextMap);
        Halvoran::SetState(STATE_GAME);  // deletes this state
        return 1;
    }

    if ((dx != 0.0f || dy != 0.0f) && !field->StopBecauseOfAction() && !aeMaze::m_bWon)
    {
        const float run = (Held(BUTTON_SHIFT_LEFT) || Held(BUTTON_SHIFT_RIGHT)) ? 1.5f : 1.0f;
        const float length = std::sqrt(dx * dx + dy * dy);
        const float scale = elapsed * aeMaze::m_fSpeed * run / length;
        const Vector2 step(dx * scale, dy * scale);
        aeCamera::MoveRel(step);
        if (aeMaze::CheckCollisions())
            aeCamera::MoveRel(Vector2(-step.x, -step.y));
    }

    if (aeInput::IsButtonPressed(BUTTON_ESCAPE))
    {
        m_bMenuOpen = 1;
        m_bSavePage = 0;
    }
    if (aeMaze::CheckQuests())
    {
        m_bQuestsUpdated = 1;
        if (aeSound* sound = aeSoundManager::GetSound(kQuestSound))
            sound->PlayAvailableBuffer(0, 0, Vector3(0.0f, 0.0f, 0.0f));
    }
    return 1;
}

void Game::RenderHud()
{
    if (timeGetTime() < aeMaze::m_dwLastKill + kDeathNoticeMs && m_pLargeFont)
        m_pLargeFont->DrawTextA(Vector2(0.5f, 0.8f), Color(1.0f, 0.25f, 0.0f, 1.0f),
                                "Du bist gestorben und musst daher zur Startposition zurück!\r\n"
                                "Die erledigten Aufgaben bleiben erhalten!",
                                -1);
    if (m_bShowQuests && m_pLargeFont)
    {
        int shown = 0;
        for (int i = 0; i < aeMaze::m_aQuests.GetNumElements(); ++i)
        {
            const aeQuest* quest = aeMaze::m_aQuests.GetElement(i);
            if (quest->m_iState != AE_QUEST_OPEN)
                continue;
            ++shown;
            m_pLargeFont->DrawTextA(Vector2(0.5f, 0.1f * static_cast<float>(shown)), m_TextColor, quest->m_acText, -1);
        }
        if (!shown)
            m_pLargeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Momentan keine Quests verfügbar!", -1);
    }
    if (m_bQuestsUpdated && m_pLargeFont)
        m_pLargeFont->DrawTextA(Vector2(0.5f, 0.9f), m_TextColor, "Die Quests wurden aktualisiert!", -1);
}

int Game::Render(float elapsed)
{
    if (elapsed > kMaxElapsed)
        elapsed = kMaxElapsed;
    const int glasses = Options::m_i3DGlasses;
    const StereoMasks masks = GetStereoMasks(glasses);
    m_TextColor = Halvoran::GetTextColor();

    Vector3 eye, right;
    aeCamera::SetMatrices(&eye, &right, glasses ? 1 : 0);
    if (glasses)
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, masks.first);
    aeMaze::Render(elapsed, eye, right, 1);
    aeMaze::Render(0.0f, eye, right, 2);
    if (glasses)
    {
        aeGrafik::Clear(D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeCamera::SetMatrices(&eye, &right, 2);
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, masks.second);
        aeMaze::Render(0.0f, eye, right, 1);
        aeMaze::Render(0.0f, eye, right, 2);
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, masks.both);
    }

    if (m_bMenuOpen)
        RenderMenu(elapsed);
    else if (aeMaze::m_bWon)
        aeGrafik::DrawTexturedRect(Vector2(0.4f, 0.4f), Vector2(0.6f, 0.6f), aeTextureManager::GetTexture("Sieg.tga"), 1,
                                   kWhite, Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    else
        RenderHud();
    aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                                D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA);
    return 1;
}

void Game::DrawButton(Vector2 centre, Vector2 size, const char* text)
{
    DrawInterfaceButton(m_pMediumFont, m_TextColor, centre, size, text);
}

void Game::DrawGameButton(int id)
{
    const InterfaceButton& button = g_aGameButtons[id];
    DrawButton(button.vCentre, button.vSize, button.pcLabel);
}

void Game::OpenSavePage()
{
    m_bSavePage = 1;
    m_bSaveFailed = 0;
    char user[256];
    aeGetUserName(user, sizeof(user));
    ProposeSavegamePath(user, m_acSavegame, sizeof(m_acSavegame));
}

int Game::SaveGame()
{
    VFile data;
    int ok = WriteSavegameHeader(&data, Halvoran::m_acMap) && aeMaze::SaveSavegame(&data) &&
             aeWriteFileAtomically(m_acSavegame, data.GetBuffer(), static_cast<size_t>(data.GetSize()));
    if (!ok)
    {
        AE_ERROR("Game::SaveGame", "Der Spielstand \"%s\" konnte nicht gespeichert werden!", m_acSavegame);
        m_bSaveFailed = 1;
        return 0;
    }
    // A savegame written over an older one of the same name is listed once.
    int listed = 0;
    for (int i = 0; i < Halvoran::m_aSavegames.GetNumElements(); ++i)
        if (std::strcmp(Halvoran::m_aSavegames[i]->acFile, m_acSavegame) == 0)
            listed = 1;
    if (!listed)
        if (SavegameEntry* entry = Halvoran::m_aSavegames.Insert())
        {
            std::snprintf(entry->acFile, sizeof(entry->acFile), "%s", m_acSavegame);
            std::snprintf(entry->acMap, sizeof(entry->acMap), "%s", Halvoran::m_acMap);
        }
    aeLog::Write("Das Spiel wurde als \"%s\" gespeichert", m_acSavegame);
    m_bMenuOpen = 0;
    m_bSavePage = 0;
    return 1;
}

void Game::MoveMenu(float elapsed)
{
    aeCursor::Move(elapsed, Halvoran::GetCursorSpeedFactor());
    if (aeInput::IsButtonPressed(BUTTON_ESCAPE))
    {
        m_bMenuOpen = 0;
        return;
    }
    if (IsButtonClicked(g_aGameButtons[GAME_BUTTON_CONTINUE]))
    {
        m_bMenuOpen = 0;
        return;
    }
    if (IsButtonClicked(g_aGameButtons[GAME_BUTTON_SAVE]))
    {
        OpenSavePage();
        return;
    }
    if (IsButtonClicked(g_aGameButtons[GAME_BUTTON_MAIN_MENU]))
    {
        Halvoran::SetState(STATE_MENU);  // deletes this state
        return;
    }
    if (m_bSavePage && (IsButtonClicked(g_aGameButtons[GAME_BUTTON_SAVE_NOW]) || aeInput::IsButtonPressed(BUTTON_RETURN)))
        SaveGame();
}

void Game::RenderMenu(float)
{
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Spielmenü", -1);
    if (m_bSavePage)
    {
        if (m_pLargeFont)
            m_pLargeFont->DrawTextA(Vector2(0.5f, 0.2f), m_TextColor, "Spiel speichern", -1);
        if (m_pMediumFont)
            m_pMediumFont->DrawTextA(Vector2(0.5f, 0.4f), m_TextColor, "Spiel wird gespeichert als:", -1);
        const char* name = RemoveDir(m_acSavegame);
        const int length = static_cast<int>(std::strlen(name)) - 4;
        if (m_pHugeFont && length > 0)
            m_pHugeFont->DrawTextA(Vector2(0.5f, 0.5f), m_TextColor, name, length);
        if (m_bSaveFailed && m_pMediumFont)
            m_pMediumFont->DrawTextA(Vector2(0.5f, 0.65f), Color(1.0f, 0.25f, 0.0f, 1.0f),
                                     "Das Spiel konnte nicht gespeichert werden!", -1);
        DrawGameButton(GAME_BUTTON_SAVE_NOW);
    }
    for (int id = GAME_BUTTON_CONTINUE; id <= GAME_BUTTON_MAIN_MENU; ++id)
        DrawGameButton(id);
    aeCursor::Render();
}
