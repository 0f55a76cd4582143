#include "GameState.h"

#include <new>

GameState::~GameState() = default;

int GameState::Init()
{
    return 1;
}

void GameState::Exit()
{
}

void GameState::PrepareRestore()
{
}

int GameState::Restore()
{
    return 1;
}

int GameState::Move(float)
{
    return 1;
}

int GameState::Render(float)
{
    return 1;
}

int IsCursorOnButton(Vector2 centre, Vector2 size)
{
    const Vector2 p = aeCursor::m_vPosition;
    return p.x >= centre.x - size.x * 0.5f && p.x <= centre.x + size.x * 0.5f && p.y >= centre.y - size.y * 0.5f &&
           p.y <= centre.y + size.y * 0.5f;
}

void DrawInterfaceButton(aeFont* font, Color textColor, Vector2 centre, Vector2 size, const char* text)
{
    const int hot = IsCursorOnButton(centre, size);
    const float tint = hot ? 1.0f : 0.8f;
    const Vector2 half(size.x * 0.5f, size.y * 0.5f);
    aeGrafik::DrawTexturedRect(Vector2(centre.x - half.x, centre.y - half.y), Vector2(centre.x + half.x, centre.y + half.y),
                               aeTextureManager::GetTexture("Button.bmp"), 1, Color(tint, tint, tint, 1.0f),
                               Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    if (font && text)
        font->DrawTextA(centre, Color(textColor.r * tint, textColor.g * tint, textColor.b * tint, textColor.a * tint), text,
                        -1);
}

int IsButtonClicked(const InterfaceButton& button, int mouseButton)
{
    const Vector2 half(button.vSize.x * 0.5f, button.vSize.y * 0.5f);
    return IsClickInside(button.vCentre.x - half.x, button.vCentre.y - half.y, button.vCentre.x + half.x,
                         button.vCentre.y + half.y, mouseButton);
}

int IsClickInside(float x0, float y0, float x1, float y1, int button)
{
    if (!aeInput::IsButtonPressed(button))
        return 0;
    const Vector2 p = aeCursor::m_vPosition;
    return p.x > x0 && p.x < x1 && p.y > y0 && p.y < y1;
}

aeFont* NewInterfaceFont(float height)
{
    aeFont* font = new (std::nothrow) aeFont;
    if (font && !font->Init("Arial", height, 0, 0.0f))
    {
        delete font;
        font = nullptr;
    }
    return font;
}
