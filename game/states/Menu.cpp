#include "Menu.h"
#include "Halvoran.h"
#include "Options.h"
#include "Savegame.h"
#include "aeFileSystem.h"
#include "aeMusic.h"
#include "aeShell.h"
#include "aeWindow.h"
#include "d3dx9.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <cstring>
#include <new>

// The credits page's texts (declared in Menu.h).
constexpr char g_acCreditsRoles[] =
    "Projektleitung:\r\n\r\nLeitung Grafik:\r\n   \r\nIdee und Design:\r\n                 \r\n                 \r\n"
    "\r\nProgrammierung:\r\n\r\nGrafik:\r\n                \r\n               \r\nSound und Musik:\r\n\r\nHandbuch:\r\n";
constexpr char g_acCreditsNames[] =
    "Jonas Kellermann\r\n\r\nMiriam Achterberg\r\n\r\nJonas Kellermann\r\nMiriam Achterberg\r\nTobias Wendland\r\n"
    "\r\nTobias Wendland\r\n\r\nMiriam Achterberg\r\nLena Hohlstein\r\nFelix Brückmann\r\nKatrin Obermeier\r\n"
    "\r\nLena Hohlstein\r\n";
const char g_acCreditsClosing[] = "Danke fürs Spielen! Neue Karten und Neuigkeiten findest du hier:";
const char g_acWebAddress[] = "www.kelmstone-games.de/halvoran";
const char g_acWebLink[] = "https://www.kelmstone-games.de/halvoran";

// The lengths set the typewriter's timing; they count Windows-1252 bytes.
static_assert(sizeof(g_acCreditsRoles) - 1 == CREDITS_ROLE_CHARACTERS);
static_assert(sizeof(g_acCreditsNames) - 1 == CREDITS_NAME_CHARACTERS);
static_assert(sizeof(g_acCreditsClosing) - 1 == CREDITS_CLOSING_CHARACTERS);
static constexpr int CountLines(const char* text)
{
    int lines = 0;
    for (; *text; ++text)
        lines += text[0] == '\r' && text[1] == '\n';
    return lines;
}
static_assert(CountLines(g_acCreditsNames) == CountLines(g_acCreditsRoles), "every name line pairs with a role line");

namespace
{
const char* const kInterfaceDir = "..\\data\\menu_interface\\";
const char* const kMenuMusic = "..\\data\\menu_interface\\menu.mp3";
const char* const kTutorial = "..\\maps\\Tutorial.hwm";
const unsigned long kColorKey = 0xFFFF00FF;

// The menu whose map list the directory search is filling.
Menu* s_pFilling = nullptr;

// The file name of a path without its directory and its last four characters
// (the extension with its dot).
void ShortName(const char* path, char* out, int size)
{
    const char* name = RemoveDir(path);
    int length = static_cast<int>(std::strlen(name)) - 4;
    if (length < 0)
        length = 0;
    std::snprintf(out, static_cast<size_t>(size), "%.*s", length, name);
}

// The first count characters of text, left-aligned in the pixel rectangle.
void DrawTextLeft(aeFont* font, Color color, const char* text, int count, int left, int top, int right, int bottom)
{
    if (!font || !font->GetFont() || count <= 0)
        return;
    RECT rect = {left, top, right, bottom};
    font->GetFont()->DrawTextA(nullptr, text, count, &rect, DT_LEFT | DT_TOP,
                               static_cast<D3DCOLOR>(static_cast<unsigned long>(color)));
}

int Min(int a, int b)
{
    return a < b ? a : b;
}

SavegameEntry* GetSavegame(int index)
{
    return index >= 0 && index < Halvoran::m_aSavegames.GetNumElements() ? Halvoran::m_aSavegames[index] : nullptr;
}
}

const InterfaceButton g_aMenuButtons[MENU_BUTTON_COUNT] = {
    {Vector2(0.4f, 0.55f), Vector2(0.1f, 0.05f), "Ja"},
    {Vector2(0.6f, 0.55f), Vector2(0.1f, 0.05f), "Nein"},
    {Vector2(0.6f, 0.35f), Vector2(0.3f, 0.05f), nullptr},  // the resolution
    {Vector2(0.6f, 0.45f), Vector2(0.3f, 0.05f), nullptr},  // anti-aliasing
    {Vector2(0.6f, 0.55f), Vector2(0.3f, 0.05f), nullptr},  // the cursor's speed
    {Vector2(0.6f, 0.65f), Vector2(0.3f, 0.05f), nullptr},  // 3D glasses
    {Vector2(0.35f, 0.9f), Vector2(0.2f, 0.05f), "Übernehmen"},
    {Vector2(0.65f, 0.9f), Vector2(0.2f, 0.05f), "Zurück"},
    {Vector2(0.5f, 0.95f), Vector2(0.4f, 0.05f), g_acWebAddress},
    {Vector2(0.2f, 0.9f), Vector2(0.2f, 0.05f), "Vorherige Karte"},
    {Vector2(0.5f, 0.9f), Vector2(0.2f, 0.05f), "Karte spielen"},
    {Vector2(0.8f, 0.9f), Vector2(0.2f, 0.05f), "Nächste Karte"},
    {Vector2(0.5f, 0.9625f), Vector2(0.2f, 0.05f), "Zurück"},
    {Vector2(0.125f, 0.9f), Vector2(0.2f, 0.05f), "Vorheriges Spiel"},
    {Vector2(0.375f, 0.9f), Vector2(0.2f, 0.05f), "Spiel laden"},
    {Vector2(0.625f, 0.9f), Vector2(0.2f, 0.05f), "Spiel löschen"},
    {Vector2(0.875f, 0.9f), Vector2(0.2f, 0.05f), "Nächstes Spiel"},
    {Vector2(0.5f, 0.9625f), Vector2(0.2f, 0.05f), "Zurück"},
};

Menu::~Menu()
{
    DeleteFonts();
    delete m_pMusic;
}

int Menu::CreateFonts()
{
    DeleteFonts();
    m_pMediumFont = NewInterfaceFont(30.0f);
    m_pHugeFont = NewInterfaceFont(60.0f);
    return m_pMediumFont && m_pHugeFont;
}

void Menu::DeleteFonts()
{
    delete m_pMediumFont;
    delete m_pHugeFont;
    m_pMediumFont = m_pHugeFont = nullptr;
}

int Menu::MapCallback(int, char* path)
{
    Menu* menu = s_pFilling;
    if (!menu || RemoveDir(path)[0] == '_')
        return 1;
    MapEntry* entry = menu->m_aMaps.Insert();
    if (!entry)
        return 0;
    std::snprintf(entry->acFile, sizeof(entry->acFile), "%s", path);
    std::snprintf(entry->acPreview, sizeof(entry->acPreview), "%s", path);
    const size_t length = std::strlen(entry->acPreview);
    if (length >= 3)
        std::memcpy(entry->acPreview + length - 3, "bmp", 3);
    if (length >= 3 && FileExists(entry->acPreview))
    {
        VFile picture;
        if (picture.Init(entry->acPreview))
            aeTextureManager::AddTexture(&picture, entry->acPreview, kColorKey, nullptr);
    }
    else
        entry->acPreview[0] = 0;
    return 1;
}

void Menu::FillMapList()
{
    m_aMaps.Clear();
    s_pFilling = this;
    aeSearchDirectory("..\\maps\\", &MapCallback, "*.hwm", 1);
    s_pFilling = nullptr;
}

int Menu::Init()
{
    if (std::strcmp(aeDataLoader::m_acBaseDir, kInterfaceDir) != 0)
    {
        aeDataLoader::Unload();
        aeDataLoader::Load(kInterfaceDir, AE_LOAD_TEXTURES);
    }
    aeModelManager::Init();
    VFile model;
    if (Halvoran::m_hInstance && model.Init(Halvoran::m_hInstance, MAKEINTRESOURCE(106), "RVM"))
        aeModelManager::AddModel(&model, "Menu.rvm", nullptr);

    m_fFade = 1.0f;
    m_bLeaving = 0;
    m_iPage = MENU_PAGE_MAIN;
    std::snprintf(m_acNotice, sizeof(m_acNotice), "%s", Halvoran::m_acNotice);
    Halvoran::m_acNotice[0] = 0;
    CreateFonts();

    m_pMusic = new (std::nothrow) aeMusic;
    if (m_pMusic && m_pMusic->Init(kMenuMusic))
        m_pMusic->Play(1);

    FillMapList();
    m_iHotItem = 0;
    m_iSelectedMap = 0;
    m_iSelectedSavegame = 0;
    for (int i = 0; i < m_aMaps.GetNumElements(); ++i)
        if (std::strcmp(m_aMaps[i]->acFile, kTutorial) == 0)
            m_iSelectedMap = i;
    m_fCreditsTime = 0.0f;
    m_iCreditsCharacters = 0;
    return 1;
}

void Menu::Exit()
{
    if (m_pMusic)
    {
        m_pMusic->Stop();
        delete m_pMusic;
        m_pMusic = nullptr;
    }
    DeleteFonts();
}

void Menu::PrepareRestore()
{
    m_aMaps.Clear();
    DeleteFonts();
}

int Menu::Restore()
{
    const int fonts = CreateFonts();
    FillMapList();
    return fonts;
}

void Menu::ShowPage(int page)
{
    const std::string notice = m_acNotice;
    OpenPage(page);
    m_fFade = 1.0f;
    std::snprintf(m_acNotice, sizeof(m_acNotice), "%s", notice.c_str());
}

void Menu::OpenPage(int page)
{
    m_iPage = page;
    m_fFade = 0.0f;
    m_bLeaving = 0;
    m_pLoadMessage = nullptr;
    m_acNotice[0] = 0;
    if (page == MENU_PAGE_CREDITS)
    {
        m_fCreditsTime = 0.0f;
        m_iCreditsCharacters = 0;
    }
}

int Menu::Move(float elapsed)
{
    if (m_pMusic)
        m_pMusic->Process();
    aeCursor::Move(elapsed, Halvoran::GetCursorSpeedFactor());
    if (aeInput::IsButtonPressed(BUTTON_ESCAPE) && m_iPage != MENU_PAGE_MAIN)
        m_bLeaving = 1;
    switch (m_iPage)
    {
    case MENU_PAGE_MAIN:
        MoveMain(elapsed);
        break;
    case MENU_PAGE_QUIT:
        MoveQuit(elapsed);
        break;
    case MENU_PAGE_OPTIONS:
        MoveOptions(elapsed);
        break;
    case MENU_PAGE_CREDITS:
        MoveCredits(elapsed);
        break;
    case MENU_PAGE_NEW_GAME:
        MoveNewGame(elapsed);
        break;
    case MENU_PAGE_LOAD_GAME:
        MoveLoadGame(elapsed);
        break;
    default:
        break;
    }
    return 1;
}

void Menu::GetCameraPath(int page, float f, Vector3* e, Vector3* t, float* s)
{
    switch (page)
    {
    case MENU_PAGE_QUIT:
        *e = Vector3(-4.5f * f, 2.0f - 3.0f * f, 5.0f * f - 18.0f);
        *t = Vector3(-4.5f * f, -2.0f * f, -12.0f - 0.5f * f);
        *s = 0.1f - 0.095f * f;
        break;
    case MENU_PAGE_OPTIONS:
        *e = Vector3(-2.0f * f, 2.0f - 2.0f * f, 17.4f * f - 18.0f);
        *t = Vector3(-4.0f * f, 0.0f, 11.4f * f - 12.0f);
        *s = 0.1f - 0.06f * f;
        break;
    case MENU_PAGE_CREDITS:
        *e = Vector3(f, 2.0f - 1.5f * f, 16.0f * f - 18.0f);
        *t = Vector3(2.0f * f, 0.5f * f, 10.0f * f - 12.0f);
        *s = 0.1f - 0.095f * f;
        break;
    case MENU_PAGE_NEW_GAME:
        *e = Vector3(0.0f, 2.0f - 2.0f * f, 28.0f * f - 18.0f);
        *t = Vector3(0.0f, 0.0f, 28.0f * f - 12.0f);
        *s = 0.1f;
        break;
    case MENU_PAGE_LOAD_GAME:
        *e = Vector3(3.75f * f, 2.0f - 4.0f * f, 6.5f * f - 18.0f);
        *t = Vector3(3.75f * f, -3.0f * f, f - 12.0f);
        *s = 0.1f - 0.085f * f;
        break;
    default:
        *e = Vector3(0.0f, 2.0f, -18.0f);
        *t = Vector3(0.0f, 0.0f, -12.0f);
        *s = 0.1f;
        break;
    }
}

void Menu::SetCamera(Vector3* eye, int eyeIndex)
{
    Vector3 e, t;
    float s = 0.0f;
    GetCameraPath(m_iPage, m_fFade, &e, &t, &s);
    if (Options::m_i3DGlasses != 0)
    {
        const Vector3 side = Vector3Normalize(Vector3Cross(Vector3(0.0f, 1.0f, 0.0f), t - e));
        const Vector3 shift = side * (eyeIndex == 0 ? -s : s);
        e = e + shift;
        t = t + shift;
    }
    if (eye)
        *eye = e;
    Matrix view = MatrixCamera(e, t, Vector3(0.0f, 1.0f, 0.0f));
    Matrix projection = MatrixProjection(1.2217305f, 1.0f, 0.1f, 250.0f);
    aeGrafik::SetCameraMatrix(&view);
    aeGrafik::SetProjectionMatrix(&projection);
}

void Menu::DrawScene(float, Vector3, int pass)
{
    Matrix world = MatrixIdentity();
    aeGrafik::SetWorldMatrix(&world);
    if (aeModelManager::IsInitialized())
        if (aeModel* model = aeModelManager::GetModel("Menu.rvm"))
            model->Render(pass);
}

void Menu::DrawButton(Vector2 centre, Vector2 size, const char* text)
{
    DrawInterfaceButton(m_pMediumFont, m_TextColor, centre, size, text);
}

void Menu::DrawMenuButton(int id, const char* label)
{
    const InterfaceButton& button = g_aMenuButtons[id];
    DrawButton(button.vCentre, button.vSize, label ? label : button.pcLabel);
}

int Menu::Render(float elapsed)
{
    if (m_bLeaving)
    {
        m_fFade -= elapsed;
        if (m_fFade <= 0.0f)
        {
            m_fFade = 1.0f;
            m_bLeaving = 0;
            m_iPage = MENU_PAGE_MAIN;
            m_acNotice[0] = 0;
        }
    }
    else if ((m_fFade += elapsed) > 1.0f)
        m_fFade = 1.0f;

    const int glasses = Options::m_i3DGlasses;
    Vector3 eye;
    SetCamera(&eye, 0);
    m_TextColor = Halvoran::GetTextColor();
    if (glasses != 0)
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, 9);

    if (m_iPage == MENU_PAGE_MAIN && m_fFade < 1.0f)
    {
        const float f = m_fFade * m_fFade * m_fFade;
        aeGrafik::SetRS(D3DRS_AMBIENT, static_cast<DWORD>(static_cast<unsigned long>(Color(f, f, f, 1.0f))));
    }
    else
        aeGrafik::SetRS(D3DRS_AMBIENT, 0xFFFFFFFF);
    aeGrafik::SetRS(D3DRS_LIGHTING, 1);

    DrawScene(elapsed, eye, 1);
    DrawScene(0.0f, eye, 2);
    if (glasses != 0)
    {
        aeGrafik::Clear(D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        SetCamera(&eye, 1);
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, glasses == 1 ? 10 : 12);
        DrawScene(0.0f, eye, 1);
        DrawScene(0.0f, eye, 2);
        aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, glasses == 1 ? 11 : 13);
    }

    switch (m_iPage)
    {
    case MENU_PAGE_MAIN:
        RenderMain(elapsed);
        break;
    case MENU_PAGE_QUIT:
        RenderQuit(elapsed);
        break;
    case MENU_PAGE_OPTIONS:
        RenderOptions(elapsed);
        break;
    case MENU_PAGE_CREDITS:
        RenderCredits(elapsed);
        break;
    case MENU_PAGE_NEW_GAME:
        RenderNewGame(elapsed);
        break;
    case MENU_PAGE_LOAD_GAME:
        RenderLoadGame(elapsed);
        break;
    default:
        break;
    }
    if (m_acNotice[0] && m_fFade >= 1.0f && m_pMediumFont &&
        (m_iPage == MENU_PAGE_MAIN || m_iPage == MENU_PAGE_OPTIONS))
        m_pMediumFont->DrawTextA(Vector2(0.5f, 0.8f), Color(1.0f, 0.25f, 0.0f, 1.0f), m_acNotice, -1);
    // Without the interface data there is no cursor picture to draw.
    if (aeTextureManager::IsInitialized() && aeTextureManager::FindTexture("Cursor.bmp") >= 0)
        aeCursor::Render();
    aeGrafik::SetRS(D3DRS_COLORWRITEENABLE, 15);
    return 1;
}

// ----- Page 0: main -----------------------------------------------------------

int Menu::GetHotItem(Vector2 p)
{
    if (p.y < 0.2f)
        return 0;
    if (p.y < 0.66f)
        return p.x < 0.33f ? MENU_PAGE_OPTIONS : (p.x > 0.66f ? MENU_PAGE_CREDITS : MENU_PAGE_NEW_GAME);
    return p.x < 0.4f ? MENU_PAGE_QUIT : (p.x > 0.6f ? MENU_PAGE_LOAD_GAME : 0);
}

void Menu::MoveMain(float)
{
    if (m_fFade < 1.0f)
        return;
    m_iHotItem = GetHotItem(aeCursor::m_vPosition);
    if (m_iHotItem != 0 && aeInput::IsButtonPressed(BUTTON_MOUSE_1))
    {
        OpenPage(m_iHotItem);
        return;
    }
    static const struct
    {
        int iButton;
        int iPage;
    } kKeys[] = {{BUTTON_B, MENU_PAGE_QUIT}, {BUTTON_O, MENU_PAGE_OPTIONS}, {BUTTON_C, MENU_PAGE_CREDITS},
                 {BUTTON_N, MENU_PAGE_NEW_GAME}, {BUTTON_L, MENU_PAGE_LOAD_GAME}};
    for (const auto& key : kKeys)
        if (aeInput::IsButtonPressed(key.iButton))
        {
            OpenPage(key.iPage);
            return;
        }
}

void Menu::RenderMain(float)
{
    IDirect3DTexture9* title = aeTextureManager::IsInitialized() ? aeTextureManager::GetTexture("Halvoran.bmp") : nullptr;
    if (m_fFade >= 1.0f)
    {
        if (title)
            aeGrafik::DrawTexturedRect(Vector2(0.3f, 0.0f), Vector2(0.7f, 0.2f), title, 1, Color(1.0f, 1.0f, 1.0f, 1.0f),
                                       Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
        static const char* const kItems[6] = {nullptr, "Spiel beenden", "Optionen", "Credits", "Neues Spiel",
                                              "Spiel laden"};
        if (m_iHotItem > 0 && m_iHotItem < 6 && m_pMediumFont)
            m_pMediumFont->DrawTextA(Vector2(0.5f, 0.9f), m_TextColor, kItems[m_iHotItem], -1);
    }
    else if (title)
    {
        const float f = m_fFade;
        aeGrafik::DrawTexturedRect(Vector2(0.3f * f, 0.15f * (1.0f - f)), Vector2(1.0f - 0.3f * f, 0.85f - 0.65f * f), title,
                                   1, Color(1.0f, 1.0f, 1.0f, 1.0f), Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    }
}

// ----- Page 1: quit -----------------------------------------------------------

void Menu::MoveQuit(float)
{
    if (m_fFade < 1.0f)
        return;
    if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_QUIT_YES]) || aeInput::IsButtonPressed(BUTTON_RETURN))
        aeMain::m_bQuit = 1;
    else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_QUIT_NO]))
        m_bLeaving = 1;
}

void Menu::RenderQuit(float)
{
    if (m_fFade < 1.0f)
        return;
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Spiel beenden", -1);
    if (m_pMediumFont)
        m_pMediumFont->DrawTextA(Vector2(0.5f, 0.45f), m_TextColor,
                                 "Möchtest du \"Halvoran - Nachtweg\" wirklich beenden?", -1);
    DrawMenuButton(MENU_BUTTON_QUIT_YES);
    DrawMenuButton(MENU_BUTTON_QUIT_NO);
}

// ----- Page 2: options --------------------------------------------------------

void Menu::MoveOptions(float)
{
    if (m_fFade < 1.0f)
        return;
    for (int row = 0; row < 4; ++row)
    {
        const InterfaceButton& button = g_aMenuButtons[MENU_BUTTON_RESOLUTION + row];
        const int forward = IsButtonClicked(button, BUTTON_MOUSE_1);
        const int backward = IsButtonClicked(button, BUTTON_MOUSE_2);
        if (!forward && !backward)
            continue;
        int saved = 1;
        switch (row)
        {
        case 0:
            forward ? Options::NextResolution() : Options::PrevResolution();
            break;
        case 1:
            Options::ToggleMultiSampling();
            break;
        case 2:
            saved = forward ? Options::NextCursorSpeed() : Options::PrevCursorSpeed();
            break;
        default:
            saved = forward ? Options::Next3DGlasses() : Options::Prev3DGlasses();
            break;
        }
        ShowOptionsSaved(saved);
    }
    if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_APPLY]))
        ShowOptionsSaved(Options::Apply());
    else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_OPTIONS_BACK]))
        m_bLeaving = 1;
}

void Menu::ShowOptionsSaved(int saved)
{
    if (saved)
        m_acNotice[0] = 0;
    else
        std::snprintf(m_acNotice, sizeof(m_acNotice), "%s", "Die Optionen konnten nicht gespeichert werden!");
    Halvoran::m_acNotice[0] = 0;
}

void Menu::RenderOptions(float)
{
    if (m_fFade < 1.0f)
        return;
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Optionen", -1);
    if (m_pMediumFont)
    {
        m_pMediumFont->DrawTextA(Vector2(0.2f, 0.35f), m_TextColor, "Auflösung:", -1);
        m_pMediumFont->DrawTextA(Vector2(0.21f, 0.45f), m_TextColor, "Anti-Aliasing:", -1);
        m_pMediumFont->DrawTextA(Vector2(0.27f, 0.55f), m_TextColor, "Zeigergeschwindigkeit:", -1);
        m_pMediumFont->DrawTextA(Vector2(0.21f, 0.65f), m_TextColor, "3D-Brillenart:", -1);
    }
    char resolution[64];
    DrawMenuButton(MENU_BUTTON_RESOLUTION, Options::GetSelectedResolutionString(resolution));
    DrawMenuButton(MENU_BUTTON_MULTISAMPLING, Options::m_bMultiSampling ? "aktiviert" : "deaktiviert");
    static const char* const kSpeeds[3] = {"langsam", "mittel", "schnell"};
    const int speed = Options::m_iCursorSpeed == 0 ? 0 : (Options::m_iCursorSpeed == 1 ? 1 : 2);
    DrawMenuButton(MENU_BUTTON_CURSOR_SPEED, kSpeeds[speed]);
    static const char* const kGlasses[3] = {"Keine 3D-Brille", "Rot-/Grün-3D-Brille", "Rot-/Blau-3D-Brille"};
    const int glasses = Options::m_i3DGlasses == 0 ? 0 : (Options::m_i3DGlasses == 1 ? 1 : 2);
    DrawMenuButton(MENU_BUTTON_GLASSES, kGlasses[glasses]);
    if (!Options::m_bApplied)
        DrawMenuButton(MENU_BUTTON_APPLY);
    DrawMenuButton(MENU_BUTTON_OPTIONS_BACK);
}

// ----- Page 3: credits --------------------------------------------------------

void Menu::OpenWebSite()
{
    ShowWindow(aeGrafik::m_hWindow, SW_SHOWMINIMIZED);
    if (!aeShellOpen(g_acWebLink))
    {
        AE_ERROR("Menu::MoveCredits", "Die Webseite %s konnte nicht geöffnet werden!", g_acWebLink);
        ShowWindow(aeGrafik::m_hWindow, SW_RESTORE);
    }
}

void Menu::MoveCredits(float elapsed)
{
    if (m_fFade < 1.0f)
        return;
    // The web button counts only once it has been drawn, that is with all
    // characters on the screen in the frame before.
    if (m_iCreditsCharacters >= CREDITS_CHARACTERS && IsButtonClicked(g_aMenuButtons[MENU_BUTTON_WEB]))
        OpenWebSite();
    if (m_iCreditsCharacters < CREDITS_CHARACTERS)
        m_fCreditsTime += elapsed;
    m_iCreditsCharacters = Min(static_cast<int>(m_fCreditsTime * 40.0f), CREDITS_CHARACTERS);
}

void Menu::RenderCredits(float)
{
    if (m_fFade < 1.0f)
        return;
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Credits", -1);
    const int w = static_cast<int>(aeGrafik::m_vScreenSize.x);
    const int h = static_cast<int>(aeGrafik::m_vScreenSize.y);
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    const int n = m_iCreditsCharacters;
    const int top = static_cast<int>(0.175f * fh);
    DrawTextLeft(m_pMediumFont, m_TextColor, g_acCreditsRoles, Min(n, CREDITS_ROLE_CHARACTERS),
                 static_cast<int>(0.175f * fw), top, static_cast<int>(0.5f * fw), h);
    DrawTextLeft(m_pMediumFont, m_TextColor, g_acCreditsNames, Min(n, CREDITS_NAME_CHARACTERS),
                 static_cast<int>(0.575f * fw), top, w, h);
    DrawTextLeft(m_pMediumFont, m_TextColor, g_acCreditsClosing,
                 Min(n - CREDITS_NAME_CHARACTERS, CREDITS_CLOSING_CHARACTERS), static_cast<int>(0.1f * fw),
                 static_cast<int>(0.875f * fh), w, h);
    if (n >= CREDITS_CHARACTERS)
        DrawMenuButton(MENU_BUTTON_WEB);
}

// ----- Page 4: new game -------------------------------------------------------

void Menu::PlaySelectedMap()
{
    if (m_iSelectedMap < 0 || m_iSelectedMap >= m_aMaps.GetNumElements())
        return;
    std::snprintf(Halvoran::m_acMap, sizeof(Halvoran::m_acMap), "%s", m_aMaps[m_iSelectedMap]->acFile);
    Halvoran::SetState(STATE_GAME);  // deletes this menu
}

void Menu::MoveNewGame(float)
{
    if (m_fFade < 1.0f)
        return;
    const int count = m_aMaps.GetNumElements();
    if (count > 0)
    {
        if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_PREVIOUS_MAP]) || aeInput::IsButtonPressed(BUTTON_LEFT))
        {
            if (--m_iSelectedMap < 0)
                m_iSelectedMap = count - 1;
        }
        else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_NEXT_MAP]) || aeInput::IsButtonPressed(BUTTON_RIGHT))
        {
            if (++m_iSelectedMap >= count)
                m_iSelectedMap = 0;
        }
        else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_PLAY_MAP]) || aeInput::IsButtonPressed(BUTTON_RETURN))
        {
            PlaySelectedMap();
            return;
        }
    }
    if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_NEW_GAME_BACK]))
        m_bLeaving = 1;
}

void Menu::RenderNewGame(float)
{
    if (m_fFade < 1.0f)
        return;
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Neues Spiel", -1);
    if (m_pMediumFont)
        m_pMediumFont->DrawTextA(Vector2(0.5f, 0.2f), m_TextColor, "Wähle die Karte aus, die du spielen möchtest:", -1);
    if (m_iSelectedMap >= 0 && m_iSelectedMap < m_aMaps.GetNumElements())
    {
        const MapEntry* map = m_aMaps[m_iSelectedMap];
        char name[256];
        ShortName(map->acFile, name, sizeof(name));
        if (m_pHugeFont)
            m_pHugeFont->DrawTextA(Vector2(0.5f, 0.3f), m_TextColor, name, -1);
        if (map->acPreview[0])
            if (IDirect3DTexture9* preview = aeTextureManager::GetTexture(map->acPreview))
                aeGrafik::DrawTexturedRect(Vector2(0.1f, 0.4f), Vector2(0.9f, 0.8f), preview, 1,
                                           Color(1.0f, 1.0f, 1.0f, 1.0f), Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    }
    for (int id = MENU_BUTTON_PREVIOUS_MAP; id <= MENU_BUTTON_NEW_GAME_BACK; ++id)
        DrawMenuButton(id);
}

// ----- Page 5: load game -----------------------------------------------------

VFile* Menu::ReadSavegame(const char* path, char* map, const char** message)
{
    map[0] = 0;
    VFile* file = new (std::nothrow) VFile;
    auto refuse = [&](const char* reason) -> VFile* {
        *message = reason;
        map[0] = 0;
        delete file;
        return nullptr;
    };
    const char* const damaged = "Der Spielstand ist beschädigt und kann nicht geladen werden!";
    if (!path || !file || !file->Init(path) || !ReadSavegameHeader(file, map) || !map[0])
    {
        AE_ERROR("Menu::ReadSavegame", "Der Kopf des Spielstands \"%s\" konnte nicht gelesen werden!", path ? path : "");
        return refuse(damaged);
    }
    if (!FileExists(map))
    {
        AE_ERROR("Menu::ReadSavegame", "Die Karte \"%s\" des Spielstands \"%s\" gibt es nicht mehr!", map, path);
        return refuse("Die Karte dieses Spielstands gibt es nicht mehr!");
    }
    VFile mapFile;
    long long expected = -1;
    const int check = mapFile.Init(map) ? aeMaze::CheckSavegame(mapFile.GetBuffer(), mapFile.GetSize(),
                                                                file->GetBuffer() + file->GetCursor(),
                                                                file->GetRemaining(), &expected)
                                        : AE_SAVEGAME_MAP_BROKEN;
    switch (check)
    {
    case AE_SAVEGAME_MAP_BROKEN:
        AE_ERROR("Menu::ReadSavegame", "Die Karte \"%s\" des Spielstands \"%s\" ist beschädigt!", map, path);
        return refuse("Die Karte dieses Spielstands ist beschädigt!");
    case AE_SAVEGAME_WRONG_SIZE:
        AE_ERROR("Menu::ReadSavegame", "Der Spielstand \"%s\" passt nicht zur Karte \"%s\" (%d Bytes statt %lld)!", path,
                 map, file->GetRemaining(), expected);
        return refuse("Der Spielstand passt nicht zu seiner Karte!");
    case AE_SAVEGAME_BAD_CAMERA:
        AE_ERROR("Menu::ReadSavegame", "Der Spielstand \"%s\" enthält eine ungültige Kameraposition!", path);
        return refuse(damaged);
    default:
        *message = nullptr;
        return file;
    }
}

void Menu::SelectSavegame(int index)
{
    const int count = Halvoran::m_aSavegames.GetNumElements();
    m_iSelectedSavegame = count > 0 ? (index % count + count) % count : 0;
    m_pLoadMessage = nullptr;
}

void Menu::LoadSelectedSavegame()
{
    const SavegameEntry* entry = GetSavegame(m_iSelectedSavegame);
    if (!entry)
        return;
    char map[256];
    VFile* file = ReadSavegame(entry->acFile, map, &m_pLoadMessage);
    if (!file)
        return;
    std::memcpy(Halvoran::m_acMap, map, sizeof(map));
    delete Halvoran::m_pSavegameFile;
    Halvoran::m_pSavegameFile = file;
    Halvoran::SetState(STATE_GAME);  // deletes this menu
}

void Menu::DeleteSelectedSavegame()
{
    const SavegameEntry* entry = GetSavegame(m_iSelectedSavegame);
    if (!entry)
        return;
    // A file that cannot be removed still leaves the list.
    if (!aeFileRemove(entry->acFile))
        AE_WARNING("Menu::MoveLoadGame", "Der Spielstand \"%s\" konnte nicht gelöscht werden!", entry->acFile);
    Halvoran::m_aSavegames.Remove(m_iSelectedSavegame);
    SelectSavegame(0);
}

void Menu::MoveLoadGame(float)
{
    if (m_fFade < 1.0f)
        return;
    if (Halvoran::m_aSavegames.GetNumElements() > 0)
    {
        if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_PREVIOUS_SAVEGAME]) || aeInput::IsButtonPressed(BUTTON_LEFT))
            SelectSavegame(m_iSelectedSavegame - 1);
        else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_NEXT_SAVEGAME]) || aeInput::IsButtonPressed(BUTTON_RIGHT))
            SelectSavegame(m_iSelectedSavegame + 1);
        else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_LOAD_SAVEGAME]) || aeInput::IsButtonPressed(BUTTON_RETURN))
        {
            LoadSelectedSavegame();  // a game that starts deletes this menu
            return;
        }
        else if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_DELETE_SAVEGAME]) || aeInput::IsButtonPressed(BUTTON_DELETE))
            DeleteSelectedSavegame();
    }
    if (IsButtonClicked(g_aMenuButtons[MENU_BUTTON_LOAD_GAME_BACK]))
        m_bLeaving = 1;
}

void Menu::RenderLoadGame(float)
{
    if (m_fFade < 1.0f)
        return;
    aeGrafik::DrawTexturedRect(Vector2(0.025f, 0.3f), Vector2(0.975f, 0.85f), nullptr, 1, Color(0.0f, 0.0f, 0.0f, 0.5f),
                               Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    if (m_pHugeFont)
        m_pHugeFont->DrawTextA(Vector2(0.5f, 0.1f), m_TextColor, "Spiel laden", -1);
    if (m_pMediumFont)
        m_pMediumFont->DrawTextA(Vector2(0.5f, 0.2f), m_TextColor, "Wähle das Spiel aus, das du laden möchtest:", -1);
    const SavegameEntry* entry = GetSavegame(m_iSelectedSavegame);
    if (!entry)
    {
        if (m_pMediumFont)
            m_pMediumFont->DrawTextA(Vector2(0.5f, 0.5f), m_TextColor, "Es wurden noch keine Spiele gespeichert!", -1);
    }
    else
    {
        char name[256];
        ShortName(entry->acFile, name, sizeof(name));
        if (m_pHugeFont)
            m_pHugeFont->DrawTextA(Vector2(0.5f, 0.425f), m_TextColor, name, -1);
        const char* map = RemoveDir(entry->acMap);
        ShortName(map[0] == '_' ? map + 1 : map, name, sizeof(name));
        if (m_pMediumFont)
        {
            m_pMediumFont->DrawTextFormated(Vector2(0.5f, 0.7f), m_TextColor, "Karte: %s", name);
            if (m_pLoadMessage)
                m_pMediumFont->DrawTextA(Vector2(0.5f, 0.78f), Color(1.0f, 0.25f, 0.0f, 1.0f), m_pLoadMessage, -1);
        }
        for (int id = MENU_BUTTON_PREVIOUS_SAVEGAME; id <= MENU_BUTTON_NEXT_SAVEGAME; ++id)
            DrawMenuButton(id);
    }
    DrawMenuButton(MENU_BUTTON_LOAD_GAME_BACK);
}
