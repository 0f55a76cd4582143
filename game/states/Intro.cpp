#include "Intro.h"
#include "Halvoran.h"
#include "Menu.h"

#include <new>

namespace
{
// The moments of the logo sound's eight beats, in seconds.
const float kBeats[8] = {0.0f, 1.0f, 2.0f, 3.0f, 3.5f, 4.0f, 4.25f, 4.5f};

struct LogoStep
{
    float fUntil;  // the step lasts while time is below this
    float fU;
    float x0, y0, x1, y1;
};
const LogoStep kSteps[] = {
    {1.0f, 0.17f, 0.38f, 0.0f, 1.0f, 1.0f},   {2.0f, 0.29f, 0.0f, 0.05f, 1.0f, 0.95f},
    {3.0f, 0.4f, 0.0f, 0.2f, 1.0f, 0.8f},     {3.5f, 0.5f, 0.0f, 0.27f, 1.0f, 0.73f},
    {4.0f, 0.63f, 0.0f, 0.31f, 1.0f, 0.69f},  {4.25f, 0.74f, 0.0f, 0.34f, 1.0f, 0.66f},
    {4.5f, 0.85f, 0.0f, 0.36f, 1.0f, 0.64f},  {5.0f, 0.98f, 0.0f, 0.38f, 1.0f, 0.62f},
};

int CreateFont(aeFont** font)
{
    delete *font;
    *font = NewInterfaceFont(60.0f);
    return *font != nullptr;
}
}

Intro::~Intro()
{
    delete m_pFont;
}

int Intro::Init()
{
    aeDataLoader::Load("..\\data\\menu_interface\\", AE_LOAD_TEXTURES);
    VFile sound;
    if (Halvoran::m_hInstance && sound.Init(Halvoran::m_hInstance, MAKEINTRESOURCE(103), "RVS"))
        aeSoundManager::AddSound(&sound, "Kelmstone.rvs", nullptr);
    if (!CreateFont(&m_pFont))
        return 0;
    m_fTime = 0.0f;
    m_iBeats = 0;
    return 1;
}

void Intro::Exit()
{
    delete m_pFont;
    m_pFont = nullptr;
}

void Intro::PrepareRestore()
{
    Exit();
}

int Intro::Restore()
{
    return CreateFont(&m_pFont);
}

void Intro::SwitchToMenu()
{
    // The intro ends here: nothing of it may be touched after the delete.
    Halvoran::m_pCurrentState = nullptr;
    Exit();
    delete this;
    Halvoran::ApplyStateBlock();
    Menu* menu = new (std::nothrow) Menu;
    Halvoran::m_pCurrentState = menu;
    if (!menu)
        return;
    if (menu->Init())
        Halvoran::m_iCurrentState = STATE_MENU;
    menu->m_fFade = 0.0f;
    menu->m_bLeaving = 0;
}

int Intro::Move(float)
{
    if (aeInput::GetPressedButton() >= 0 || m_fTime > 9.0f)
    {
        SwitchToMenu();
        return 1;
    }
    for (int k = 0; k < 8; ++k)
    {
        if (m_fTime > kBeats[k] && m_iBeats < k + 1)
        {
            if (aeSound* sound = aeSoundManager::GetSound("Kelmstone.rvs"))
                sound->PlayAvailableBuffer(0, 0, Vector3(0.0f, 0.0f, 0.0f));
            ++m_iBeats;
            break;
        }
    }
    return 1;
}

float Intro::GetGamesGrey(float time)
{
    if (!(time > 5.0f && time < 8.0f))
        return 0.0f;
    if (time < 6.0f)
    {
        const float d = time - 5.0f;
        return d * d * d;
    }
    if (time < 7.0f)
        return 1.0f;
    return 8.0f - time;
}

int Intro::GetLogoRect(float time, Vector2* corner1, Vector2* corner2, float* u, float* grey)
{
    if (!(time < 8.0f))
        return 0;
    *grey = 1.0f;
    *u = 0.98f;
    for (const LogoStep& step : kSteps)
    {
        if (time < step.fUntil)
        {
            *u = step.fU;
            *corner1 = Vector2(step.x0, step.y0);
            *corner2 = Vector2(step.x1, step.y1);
            return 1;
        }
    }
    if (time < 6.0f)
    {
        const float d = time - 5.0f;
        *corner1 = Vector2(0.2f * d, 0.38f - 0.02f * d);
        *corner2 = Vector2(1.0f - 0.2f * d, 0.62f - 0.12f * d);
        return 1;
    }
    *corner1 = Vector2(0.2f, 0.36f);
    *corner2 = Vector2(0.8f, 0.5f);
    if (time >= 7.0f)
        *grey = 8.0f - time;
    return 1;
}

int Intro::Render(float elapsed)
{
    m_fTime += elapsed;

    const float games = GetGamesGrey(m_fTime);
    if (games > 0.0f && m_pFont)
        m_pFont->DrawTextA(Vector2(0.5f, 0.57f), Color(games, games, games, 1.0f), "Games", -1);

    Vector2 c1, c2;
    float u = 0.0f, grey = 0.0f;
    if (GetLogoRect(m_fTime, &c1, &c2, &u, &grey))
    {
        if (IDirect3DTexture9* logo = aeTextureManager::GetTexture("Kelmstone.bmp"))
            aeGrafik::DrawTexturedRect(c1, c2, logo, 1, Color(grey, grey, grey, 1.0f), Vector2(0.02f, 0.13f),
                                       Vector2(u, 0.9f));
    }
    else if (IDirect3DTexture9* title = aeTextureManager::GetTexture("Halvoran.bmp"))
    {
        const float level = m_fTime - 8.0f;
        aeGrafik::DrawTexturedRect(Vector2(0.0f, 0.15f), Vector2(1.0f, 0.85f), title, 1, Color(level, level, level, 1.0f),
                                   Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    }
    return 1;
}
