#include "aeCamera.h"
#include "aeMaze.h"

#include <cmath>

Vector2 aeCamera::m_vPosition(0.0f, 0.0f);
float aeCamera::m_fRotation = 0.0f;
float aeCamera::m_fUpDown = 0.0f;

static const float kMaxUpDown = 1.553343f;

int aeCamera::Init(Vector2 position, float rotation, float upDown)
{
    m_vPosition = position;
    m_fRotation = rotation;
    m_fUpDown = upDown;
    return 1;
}

void aeCamera::AddUpDown(float delta)
{
    m_fUpDown += delta;
    if (m_fUpDown > kMaxUpDown)
        m_fUpDown = kMaxUpDown;
    if (m_fUpDown < -kMaxUpDown)
        m_fUpDown = -kMaxUpDown;
}

void aeCamera::MoveRel(Vector2 delta)
{
    const float c = std::cos(m_fRotation);
    const float s = std::sin(m_fRotation);
    m_vPosition.x += -c * delta.x - s * delta.y;
    m_vPosition.y += s * delta.x - c * delta.y;
    const float maxX = static_cast<float>(aeMaze::m_iWidth) * 10.0f;
    const float maxZ = static_cast<float>(aeMaze::m_iHeight) * 10.0f;
    if (m_vPosition.x < -maxX)
        m_vPosition.x = -maxX;
    if (m_vPosition.x > maxX)
        m_vPosition.x = maxX;
    if (m_vPosition.y < -maxZ)
        m_vPosition.y = -maxZ;
    if (m_vPosition.y > maxZ)
        m_vPosition.y = maxZ;
}

void aeCamera::MoveToField(int x, int y)
{
    if (x < 0 || x >= aeMaze::m_iWidth || y < 0 || y >= aeMaze::m_iHeight)
        return;
    m_vPosition.x = static_cast<float>((aeMaze::m_iWidth - 1) * 10 - 20 * x);
    m_vPosition.y = static_cast<float>((aeMaze::m_iHeight - 1) * 10 - 20 * y);
}

// Rounds a coordinate to the nearest field centre along one axis and clamps it
// to the grid; clamping happens before the conversion, so that positions far
// outside (or not a number) still give a field of the grid.
static int FieldOnAxis(float position, int count)
{
    const float f = std::floor((position - static_cast<float>((count - 1) * 10)) * -0.05f + 0.5f);
    if (!(f >= 0.0f))
        return 0;
    if (f > static_cast<float>(count - 1))
        return count > 0 ? count - 1 : 0;
    return static_cast<int>(f);
}

void aeCamera::GetPositionInField(int* x, int* y)
{
    if (x)
        *x = FieldOnAxis(m_vPosition.x, aeMaze::m_iWidth);
    if (y)
        *y = FieldOnAxis(m_vPosition.y, aeMaze::m_iHeight);
}
