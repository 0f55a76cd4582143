#include "aeCamera.h"
#include "aeMaze.h"

// The player keeps 2 units from walls and object boxes; the corner zones
// begin 8 units from the field centre.
static const float kBand = 8.0f;
static const float kClearance = 2.0f;

static bool HasWall(int x, int y, int wall)
{
    return aeMaze::GetField(x, y)->m_aiWalls[wall] != -1;
}

int aeMaze::CheckCollisions()
{
    if (!m_pFields)
        return 0;
    int x = 0, y = 0;
    aeCamera::GetPositionInField(&x, &y);
    const aeMazeField* field = GetField(x, y);
    const Vector3 centre = GetFieldCenter(x, y);
    // Field-local offsets: dx grows towards column x + 1, dz towards row y + 1.
    const float dx = centre.x - aeCamera::m_vPosition.x;
    const float dz = centre.z - aeCamera::m_vPosition.y;

    for (int wall = 0; wall < 4; ++wall)
    {
        const aeWall* record = m_aWalls.GetElement(field->m_aiWalls[wall]);
        if (!record)
            continue;
        const float t = record->m_fThickness;
        switch (wall)
        {
        case 0: if (dz < t - kBand) return 1; break;
        case 1: if (dx < t - kBand) return 1; break;
        case 2: if (dz > kBand - t) return 1; break;
        default: if (dx > kBand - t) return 1; break;
        }
    }

    const aeObject* object = m_aObjects.GetElement(field->m_iObject);
    if (object && !(object->m_iAction == AE_ACTION_OPEN && (field->m_byActivated & g_abySlotBits[AE_SLOT_OBJECT])))
    {
        if (object->m_vMin.x - kClearance <= dx && dx <= object->m_vMax.x + kClearance &&
            object->m_vMin.y - kClearance <= dz && dz <= object->m_vMax.y + kClearance)
            return 1;
    }

    // Corner posts: solid where the maze ends or a neighbour's wall meets the
    // corner. The grid edge is tested first, so no field outside is read.
    const int last = m_iWidth - 1, bottom = m_iHeight - 1;
    if (dz < -kBand && dx < -kBand)
        return y == 0 || x == 0 || HasWall(x, y - 1, 1) || HasWall(x - 1, y, 0);
    if (dz < -kBand && dx > kBand)
        return y == 0 || x == last || HasWall(x, y - 1, 3) || HasWall(x + 1, y, 0);
    if (dz > kBand && dx < -kBand)
        return y == bottom || x == 0 || HasWall(x, y + 1, 1) || HasWall(x - 1, y, 2);
    if (dz > kBand && dx > kBand)
        return y == bottom || x == last || HasWall(x, y + 1, 3) || HasWall(x + 1, y, 2);
    return 0;
}
