#include "VFile.h"
#include "aeCamera.h"
#include "aeError.h"
#include "aeMapData.h"
#include "aeMaze.h"

#include <cmath>
#include <cstring>

namespace
{
// Camera position (8 bytes), heading and pitch, then two bytes per field, one
// int per quest and the victory flag.
long long SavegameSize(int width, int height, int quests)
{
    return 16 + 2LL * width * height + 4LL * quests + 4;
}

// The camera position, heading and pitch at the start of the maze's part.
bool CameraIsValid(const unsigned char* data)
{
    float camera[4];
    std::memcpy(camera, data, sizeof(camera));
    for (float value : camera)
        if (!std::isfinite(value))
            return false;
    return true;
}
}

long long aeMaze::GetSavegameSize()
{
    return SavegameSize(m_iWidth, m_iHeight, m_aQuests.GetNumElements());
}

long long aeMaze::GetSavegameSize(const unsigned char* map, int size)
{
    aeMapCheckResult check;
    if (!map || size <= 0 || !aeCheckMap(map, size, nullptr, nullptr, &check))
        return -1;
    return SavegameSize(check.iWidth, check.iHeight, check.iQuests);
}

int aeMaze::CheckSavegame(const unsigned char* map, int mapSize, const unsigned char* data, int size,
                          long long* expected)
{
    const long long needed = GetSavegameSize(map, mapSize);
    if (expected)
        *expected = needed;
    if (needed < 0)
        return AE_SAVEGAME_MAP_BROKEN;
    if (!data || size != needed)
        return AE_SAVEGAME_WRONG_SIZE;
    return CameraIsValid(data) ? AE_SAVEGAME_FITS : AE_SAVEGAME_BAD_CAMERA;
}

int aeMaze::SaveSavegame(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::SaveSavegame");
        return 0;
    }
    file->Write(8, &aeCamera::m_vPosition.x);
    file->Write(4, &aeCamera::m_fRotation);
    file->Write(4, &aeCamera::m_fUpDown);
    const int count = m_pFields ? m_iWidth * m_iHeight : 0;
    for (int i = 0; i < count; ++i)
    {
        const unsigned char bytes[2] = {m_pFields[i].m_byActivated, m_pFields[i].m_byAnimating};
        file->Write(2, bytes);
    }
    const int quests = m_aQuests.GetNumElements();
    for (int i = 0; i < quests; ++i)
        file->Write(4, &m_aQuests[i]->m_iState);
    file->Write(4, &m_bWon);
    return 1;
}

int aeMaze::LoadSavegame(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeMaze::LoadSavegame");
        return 0;
    }
    // The layout follows from the loaded map alone; a savegame of another map
    // would land in the wrong fields, so it must fit exactly.
    const long long expected = m_pFields ? GetSavegameSize() : -1;
    if (file->GetRemaining() != expected)
    {
        AE_ERROR("aeMaze::LoadSavegame",
                 "Der Spielstand passt nicht zur geladenen Karte (%d Bytes statt %lld für %d x %d Felder und %d Quests)!",
                 file->GetRemaining(), expected, m_iWidth, m_iHeight, m_aQuests.GetNumElements());
        return 0;
    }
    if (!CameraIsValid(file->GetBuffer() + file->GetCursor()))
    {
        AE_ERROR("aeMaze::LoadSavegame", "Der Spielstand enthält eine ungültige Kameraposition!");
        return 0;
    }
    float camera[4];
    file->Read(16, camera);
    aeCamera::m_vPosition = Vector2(camera[0], camera[1]);
    aeCamera::m_fRotation = camera[2];
    aeCamera::m_fUpDown = camera[3];
    const int count = m_iWidth * m_iHeight;
    for (int i = 0; i < count; ++i)
    {
        aeMazeField& field = m_pFields[i];
        unsigned char bytes[2];
        file->Read(2, bytes);
        field.m_byActivated = bytes[0];
        field.m_byAnimating = bytes[1];
        // Fired slots show the last frame of their activation.
        for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
        {
            if (!(field.m_byActivated & g_abySlotBits[slot]) || field.GetSlotIndex(slot) < 0)
                continue;
            aeAnimationPlayer& player = field.m_aAnimations[slot];
            if (player.m_pAnimation)
                player.m_fTime = player.m_pAnimation->GetTime();
        }
    }
    const int quests = m_aQuests.GetNumElements();
    for (int i = 0; i < quests; ++i)
        file->Read(4, &m_aQuests[i]->m_iState);
    m_dwLastKill = 0;
    file->Read(4, &m_bWon);
    return 1;
}
