#include "aeMaze.h"
#include "Sound.h"
#include "aeCamera.h"
#include "aeError.h"

// Slots in the order in which a field fires them.
static const int kActivationOrder[AE_NUM_SLOTS] = {AE_SLOT_OBJECT, AE_SLOT_WALL0, AE_SLOT_WALL1, AE_SLOT_WALL2,
                                                   AE_SLOT_WALL3,  AE_SLOT_FLOOR, AE_SLOT_CEILING};

// The duration of the player's animation; a slot whose animation did not
// resolve has none and counts as played through at once.
static float Duration(const aeAnimationPlayer& player)
{
    return player.m_pAnimation ? player.m_pAnimation->GetTime() : 0.0f;
}

int aeMazeField::Init(int bSounds)
{
    for (int slot = 0; slot < AE_NUM_SLOTS; ++slot)
    {
        const aeMazeRecord* record = GetRecord(slot);
        if (!record)
            continue;
        m_aAnimations[slot] = FirstPlayer(*record);
        if (bSounds && record->m_iMode == AE_MODE_VANISH && !(m_byActivated & g_abySlotBits[slot]))
            PlaySound(slot, AE_DSBPLAY_LOOPING);
    }
    return 1;
}

aeAnimationPlayer aeMazeField::FirstPlayer(const aeMazeRecord& record)
{
    // Set directly rather than through Init, which would report every record
    // whose animation did not resolve on every update.
    const bool loops = record.m_iMode != AE_MODE_ONCE;
    aeAnimationPlayer player;
    player.m_pAnimation = record.m_pAnimation;
    player.m_fTime = 0.0f;
    player.m_bLoop = loops ? 1 : 0;
    player.m_fSpeed = loops ? 1.0f : 0.0f;
    return player;
}

void aeMazeField::Activate(int bUse)
{
    m_byActivated |= AE_VISITED_BIT;
    for (int slot : kActivationOrder)
    {
        const aeMazeRecord* record = GetRecord(slot);
        if (!record)
            continue;
        const unsigned char bit = g_abySlotBits[slot];
        aeAnimationPlayer& player = m_aAnimations[slot];
        if (m_byAnimating & bit)
        {
            if (player.m_fTime >= Duration(player))
            {
                m_byAnimating &= static_cast<unsigned char>(~bit);
                DoAction(record->m_iAction);
                if (record->m_iAction == AE_ACTION_KILL)
                {
                    player.m_fTime = 0.0f;
                    player.m_fSpeed = 0.0f;
                    m_byActivated &= static_cast<unsigned char>(~bit);
                }
            }
            continue;
        }
        if (m_byActivated & bit)
            continue;
        if (!CheckConditions(record->m_aConditions))
            continue;
        if (!record->m_bAutomatic && !bUse)
            continue;
        m_byActivated |= bit;
        if (record->m_iMode == AE_MODE_ONCE)
        {
            player.m_fSpeed = 1.0f;
            m_byAnimating |= bit;
            PlaySound(slot, 0);
        }
        else
        {
            DoAction(record->m_iAction);
            PlaySound(slot, 0);
            if (record->m_iAction == AE_ACTION_KILL)
                m_byActivated &= static_cast<unsigned char>(~bit);
        }
    }
}

int aeMazeField::CheckConditions(const aeDynConditionList& conditions)
{
    const int count = conditions.GetNumElements();
    for (int i = 0; i < count; ++i)
    {
        const aeCondition* c = conditions.GetElement(i);
        if (c->m_iX < 0 || c->m_iX >= aeMaze::m_iWidth || c->m_iY < 0 || c->m_iY >= aeMaze::m_iHeight ||
            static_cast<unsigned>(c->m_iType) > 7)
            continue;
        const int set = (aeMaze::GetField(c->m_iX, c->m_iY)->m_byActivated >> c->m_iType) & 1;
        if (set != (c->m_bValue != 0))
            return 0;
    }
    return 1;
}

void aeMazeField::DoAction(int action)
{
    switch (action)
    {
    case AE_ACTION_KILL:
    {
        aeCamera::m_fRotation = 0.0f;
        aeCamera::m_fUpDown = 0.0f;
        aeCamera::m_vPosition = Vector2(0.0f, 0.0f);
        aeCamera::MoveToField(aeMaze::m_iStartX, aeMaze::m_iStartY);
        // 0 means "no kill yet", so a kill at clock 0 is stamped 1.
        const DWORD now = timeGetTime();
        aeMaze::m_dwLastKill = now ? now : 1;
        break;
    }
    case AE_ACTION_WIN:
        aeMaze::CheckWin();
        break;
    default:
        break;
    }
}

int aeMazeField::StopBecauseOfAction()
{
    for (int slot : kActivationOrder)
    {
        if (!(m_byAnimating & g_abySlotBits[slot]))
            continue;
        const aeMazeRecord* record = GetRecord(slot);
        if (record && (record->m_iAction == AE_ACTION_KILL || record->m_iAction == AE_ACTION_WIN ||
                       record->m_iAction == AE_ACTION_OPEN))
            return 1;
    }
    return 0;
}

// Where a slot's sound comes from, relative to the field centre.
static Vector3 SoundOffset(int slot, const aeMazeRecord* record)
{
    switch (slot)
    {
    case AE_SLOT_FLOOR: return Vector3(0.0f, -aeMaze::m_fFloorDepth, 0.0f);
    case AE_SLOT_CEILING: return Vector3(0.0f, static_cast<const aeCeiling*>(record)->m_fHeight, 0.0f);
    case AE_SLOT_WALL0: return Vector3(0.0f, 0.0f, 10.0f);
    case AE_SLOT_WALL1: return Vector3(10.0f, 0.0f, 0.0f);
    case AE_SLOT_WALL2: return Vector3(0.0f, 0.0f, -10.0f);
    case AE_SLOT_WALL3: return Vector3(-10.0f, 0.0f, 0.0f);
    default: return Vector3(0.0f, 0.0f, 0.0f);
    }
}

int aeMazeField::PlaySound(int slot, unsigned long flags)
{
    if (static_cast<unsigned>(slot) > 6)
        return 1;
    const aeMazeRecord* record = GetRecord(slot);
    if (!record || !record->m_pSound)
        return 1;
    aeSound* sound = record->m_pSound;
    if (record->m_iMode == AE_MODE_VANISH && !(flags & AE_DSBPLAY_LOOPING))
    {
        // Firing a vanishing slot silences the loop that Init started.
        sound->Stop(0);
        return 1;
    }
    const int buffer = sound->GetAvailableBuffer();
    if (buffer < 0 || !sound->Play(static_cast<DWORD>(buffer), 0, static_cast<DWORD>(flags), Vector3(0.0f)))
    {
        AE_ERROR("aeMazeField::PlaySoundA", "Nicht genug Soundbuffer!");
        return 0;
    }
    if (sound->GetFlags() & AE_DSBCAPS_CTRL3D)
    {
        int x = 0, y = 0;
        aeMaze::GetFieldXY(this, &x, &y);
        sound->SetPosition(static_cast<DWORD>(buffer), aeMaze::GetFieldCenter(x, y) + SoundOffset(slot, record), 0.0f);
    }
    return 1;
}
