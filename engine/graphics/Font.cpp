#include "aeFont.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "d3dx9.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

aeFont::~aeFont()
{
    if (m_pFont)
        m_pFont->Release();
    m_pFont = nullptr;
}

int aeFont::Init(const char* face, float height, int bold, float width)
{
    if (!face)
    {
        AE_INVALID_PARAMETER("aeFont::Init");
        return 0;
    }
    const Vector2 screen = aeGrafik::m_vScreenSize;
    const INT pixelHeight = static_cast<INT>(screen.y / 768.0f * height);
    const UINT pixelWidth = static_cast<UINT>(screen.x * (1.0f / 1024.0f) * width);
    ID3DXFont* font = nullptr;
    const HRESULT hr = D3DXCreateFontA(aeGrafik::GetDevice(), pixelHeight, pixelWidth, bold ? FW_BOLD : FW_NORMAL,
                                       D3DX_DEFAULT, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, ANTIALIASED_QUALITY, 0, face,
                                       &font);
    if (FAILED(hr))
    {
        AE_DXERROR("aeFont::Init", "D3DXCreateFont", hr);
        return 0;
    }
    // A font made earlier by this object is given up, not leaked.
    if (m_pFont)
        m_pFont->Release();
    m_pFont = font;
    return 1;
}

int aeFont::DrawTextA(Vector2 position, Color color, const char* text, int count)
{
    if (!text || !m_pFont)
        return 1;
    if (count == -1)
        count = static_cast<int>(std::strlen(text));
    const Vector2 screen = aeGrafik::m_vScreenSize;
    RECT rect;
    rect.left = static_cast<LONG>(screen.x * position.x - 1.0f);
    rect.top = static_cast<LONG>(screen.y * position.y - 1.0f);
    rect.right = rect.left + 2;
    rect.bottom = rect.top + 2;
    m_pFont->DrawTextA(nullptr, text, count, &rect, DT_CENTER | DT_VCENTER | DT_NOCLIP,
                       static_cast<D3DCOLOR>(static_cast<unsigned long>(color)));
    return 1;
}

int aeFont::DrawTextFormated(Vector2 position, Color color, const char* format, ...)
{
    if (!format)
        return 1;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return DrawTextA(position, color, text, -1);
}
