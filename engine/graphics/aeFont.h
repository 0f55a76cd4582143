#pragma once
// Text centred on a point given in screen fractions; sizes are pixels of a
// 1024 × 768 screen, scaled to the real back buffer.

#include "aeMath.h"

class ID3DXFont;

class aeFont
{
public:
    aeFont() = default;
    ~aeFont();
    aeFont(const aeFont&) = delete;
    aeFont& operator=(const aeFont&) = delete;

    int Init(const char* face, float height, int bold, float width);
    int DrawTextA(Vector2 position, Color color, const char* text, int count);
    int DrawTextFormated(Vector2 position, Color color, const char* format, ...) __attribute__((format(printf, 4, 5)));

    ID3DXFont* GetFont() const { return m_pFont; }

private:
    ID3DXFont* m_pFont = nullptr;
};

// The mouse cursor: a position in screen fractions, moved by the mouse-axis
// buttons and drawn as the texture "Cursor.bmp".
class aeCursor
{
public:
    static Vector2 m_vPosition;

    static int Init(Vector2 position)
    {
        m_vPosition = position;
        return 1;
    }
    static void Exit() {}
    static void SetPosition(Vector2 position) { m_vPosition = position; }
    static Vector2 GetPosition() { return m_vPosition; }
    static int Move(float elapsed, float speed);
    static int Render();
};
