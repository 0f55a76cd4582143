#include "aeError.h"
#include "aeFont.h"
#include "aeGrafik.h"
#include "aeInput.h"
#include "aeTextureManager.h"

Vector2 aeCursor::m_vPosition(0.5f, 0.5f);

int aeCursor::Render()
{
    const int index = aeTextureManager::FindTexture("Cursor.bmp");
    if (index < 0)
    {
        AE_ERROR("aeCursor::Render", "Fehler beim finden der Cursor-Textur!");
        return 0;
    }
    // The hot spot is the top-left corner; the cursor is 5 % of the screen.
    return aeGrafik::DrawTexturedRect(m_vPosition, m_vPosition + Vector2(0.05f, 0.05f),
                                      aeTextureManager::GetTexture(index), 1, Color(1.0f, 1.0f, 1.0f, 1.0f),
                                      Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
}

int aeCursor::Move(float, float speed)
{
    // The mouse-axis buttons 108-111, already scaled and clamped by the input.
    const aeButtonInfo* b = aeInput::m_aButtons;
    float x = m_vPosition.x - b[108].fValue * 0.3f * speed;
    x = x + b[109].fValue * 0.3f * speed;
    float y = m_vPosition.y - b[110].fValue * 0.3f * speed;
    y = y + b[111].fValue * 0.3f * speed;
    m_vPosition.x = x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x);
    m_vPosition.y = y < 0.0f ? 0.0f : (y > 1.0f ? 1.0f : y);
    return 1;
}
