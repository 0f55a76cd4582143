#include "aeMaze.h"
#include "aeMusic.h"
#include "DataLoader.h"
#include "aeCamera.h"
#include "aeError.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "aeLargeMemory.h"

const unsigned char g_abySlotBits[AE_NUM_SLOTS] = {0x40, 0x80, 0x04, 0x08, 0x10, 0x20, 0x02};

float aeMaze::m_fFloorDepth = 10.0f;
float aeMaze::m_fSpeed = 10.0f;
float aeMaze::m_fFog = 0.05f;
int aeMaze::m_iWidth = 0;
int aeMaze::m_iHeight = 0;
aeMazeField* aeMaze::m_pFields = nullptr;
int aeMaze::m_iStartX = 0;
int aeMaze::m_iStartY = 0;
aeMusic* aeMaze::m_pMusic = nullptr;
DWORD aeMaze::m_dwLastKill = 0;
int aeMaze::m_bWon = 0;
int aeMaze::m_iNextMapX = 0;
int aeMaze::m_iNextMapY = 0;
char aeMaze::m_acDataPath[256] = "..\\data\\";
char aeMaze::m_acNextMap[256] = "";
char aeMaze::m_acMusicFilename[256] = "";
aeAnimationPlayer aeMaze::m_SkyAnimation;
aeDynFloorList aeMaze::m_aFloors;
aeDynCeilingList aeMaze::m_aCeilings;
aeDynWallList aeMaze::m_aWalls;
aeDynObjectList aeMaze::m_aObjects;
aeDynQuestList aeMaze::m_aQuests;

// The largest grid: as many fields as a map file of at most 2 GiB can hold,
// which also keeps every world coordinate of the grid within an int.
static const long long kMaxFields = INT32_MAX / 28;

void aeMaze::Clear()
{
    m_SkyAnimation.Exit();
    m_aObjects.Clear();
    m_aWalls.Clear();
    m_aFloors.Clear();
    m_aCeilings.Clear();
    FreeFields();
}

// The grid is given back without running destructors.
static_assert(std::is_trivially_destructible_v<aeMazeField>);

void aeMaze::FreeFields()
{
    aeFreeLarge(m_pFields, static_cast<size_t>(m_iWidth) * static_cast<size_t>(m_iHeight) * sizeof(aeMazeField));
    m_pFields = nullptr;
    m_iWidth = m_iHeight = 0;
}

int aeMaze::AllocateFields(int width, int height, int bConstruct)
{
    FreeFields();
    if (width < 1 || height < 1 || static_cast<long long>(width) * height > kMaxFields)
    {
        AE_ERROR("aeMaze::Init", "Ungültige Größe des Labyrinths: %d x %d!", width, height);
        return 0;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    m_pFields = static_cast<aeMazeField*>(aeAllocateLarge(count * sizeof(aeMazeField)));
    if (!m_pFields)
    {
        AE_ERROR("aeMaze::Init", "Nicht genug Speicher für %d x %d Felder!", width, height);
        return 0;
    }
    if (bConstruct)
        std::uninitialized_default_construct_n(m_pFields, count);
    m_iWidth = width;
    m_iHeight = height;
    return 1;
}

int aeMaze::Init(int width, int height)
{
    if (!AllocateFields(width, height))
        return 0;
    m_fFloorDepth = 10.0f;
    m_fSpeed = 10.0f;
    m_fFog = 0.05f;
    m_iStartX = m_iStartY = 0;
    m_dwLastKill = 0;
    m_bWon = 0;
    m_iNextMapX = m_iNextMapY = 0;
    std::strcpy(m_acDataPath, "..\\data\\");
    m_acNextMap[0] = 0;
    m_acMusicFilename[0] = 0;
    m_aFloors.Clear();
    m_aCeilings.Clear();
    m_aWalls.Clear();
    m_aObjects.Clear();
    return 1;
}

void aeMaze::Exit()
{
    Clear();
    if (m_pMusic)
    {
        m_pMusic->Stop();
        delete m_pMusic;
        m_pMusic = nullptr;
    }
    aeDataLoader::Unload();
}

int aeMaze::GetFieldXY(const aeMazeField* field, int* x, int* y)
{
    if (!field || !m_pFields || m_iWidth < 1)
        return 0;
    // Address arithmetic instead of a search: the same answer in constant time.
    const uintptr_t first = reinterpret_cast<uintptr_t>(m_pFields);
    const uintptr_t at = reinterpret_cast<uintptr_t>(field);
    const uintptr_t count = static_cast<uintptr_t>(m_iWidth) * static_cast<uintptr_t>(m_iHeight);
    if (at < first || (at - first) % sizeof(aeMazeField) != 0 || (at - first) / sizeof(aeMazeField) >= count)
        return 0;
    const int index = static_cast<int>((at - first) / sizeof(aeMazeField));
    if (x)
        *x = index % m_iWidth;
    if (y)
        *y = index / m_iWidth;
    return 1;
}

void aeMaze::Update(int bSounds)
{
    if (!m_pFields)
        return;
    const int count = m_iWidth * m_iHeight;
    for (int i = 0; i < count; ++i)
        m_pFields[i].Init(bSounds);
}

int aeMaze::CheckQuests()
{
    int x = m_iStartX, y = m_iStartY;
    aeCamera::GetPositionInField(&x, &y);
    int changed = 0;
    const int count = m_aQuests.GetNumElements();
    for (int i = 0; i < count; ++i)
        changed |= m_aQuests[i]->CheckVisibility(x, y);
    return changed;
}

void aeMaze::CheckWin()
{
    static const int kSlots[AE_NUM_SLOTS] = {AE_SLOT_OBJECT, AE_SLOT_WALL0, AE_SLOT_WALL1, AE_SLOT_WALL2,
                                             AE_SLOT_WALL3,  AE_SLOT_FLOOR, AE_SLOT_CEILING};
    m_bWon = 1;
    if (!m_pFields)
        return;
    const int count = m_iWidth * m_iHeight;
    for (int i = 0; i < count; ++i)
    {
        const aeMazeField& field = m_pFields[i];
        for (int slot : kSlots)
        {
            const aeMazeRecord* record = field.GetRecord(slot);
            if (record && record->m_iAction == AE_ACTION_WIN && !(field.m_byActivated & g_abySlotBits[slot]))
                m_bWon = 0;
        }
    }
}

int aeQuest::CheckVisibility(int x, int y)
{
    if (x == m_iBeginX && y == m_iBeginY && m_iState == AE_QUEST_HIDDEN)
    {
        m_iState = AE_QUEST_OPEN;
        return 1;
    }
    if (x == m_iEndX && y == m_iEndY && m_iState != AE_QUEST_DONE)
    {
        m_iState = AE_QUEST_DONE;
        return 1;
    }
    return 0;
}
