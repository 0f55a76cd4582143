#include "Sound.h"
#include "VFile.h"
#include "aeArchive.h"
#include "aeError.h"
#include "aeLog.h"

#include <cstring>

int aeSoundManager::m_bInitialized = 0;
DWORD aeSoundManager::m_dwListenerTimeStamp = 0;
Vector3 aeSoundManager::m_vOldListenerPos(0.0f);
Vector3 aeSoundManager::m_vListenerVelocity(0.0f);
Vector3 aeSoundManager::m_vListenerTop(0.0f, 1.0f, 0.0f);
Vector3 aeSoundManager::m_vListenerFront(0.0f, 0.0f, 1.0f);
DynList<aeSound> aeSoundManager::m_aSounds;

int aeSoundManager::Init()
{
    if (m_bInitialized)
        Exit();
    m_aSounds.Clear();
    m_dwListenerTimeStamp = 0;
    m_vOldListenerPos = Vector3(0.0f);
    m_vListenerVelocity = Vector3(0.0f);
    // No output device is opened yet: sounds are registered and tracked only.
    aeLog::Write("Der Sound-Manager wurde ohne Audioausgabe initialisiert!");
    m_bInitialized = 1;
    return 1;
}

void aeSoundManager::Exit()
{
    if (!m_bInitialized)
        return;
    m_aSounds.Clear();
    aeLog::Write("Der Sound-Manager wurde beendet!");
    m_bInitialized = 0;
}

int aeSoundManager::SetListener(const Vector3& position, const Vector3& top, const Vector3& front, float velocityFactor)
{
    m_vListenerTop = top;
    m_vListenerFront = front;
    const DWORD now = timeGetTime();
    if (m_dwListenerTimeStamp != 0 && velocityFactor != 0.0f)
    {
        if (now != m_dwListenerTimeStamp)
        {
            const float dt = static_cast<float>(now - m_dwListenerTimeStamp) * 0.001f;
            m_vListenerVelocity = (position - m_vOldListenerPos) / dt * velocityFactor;
            m_dwListenerTimeStamp = now;
        }
    }
    else
    {
        m_vListenerVelocity = Vector3(0.0f);
        m_dwListenerTimeStamp = now;
    }
    m_vOldListenerPos = position;
    return 1;
}

int aeSoundManager::AddSound(VFile* file, const char* name, aeSound** out)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeSoundManager::AddSound");
        return 0;
    }
    aeSound* sound = m_aSounds.Insert();
    if (!sound)
        return 0;
    if (!sound->Init(file, name))
    {
        m_aSounds.Remove(sound);
        return 0;
    }
    if (out)
        *out = sound;
    return 1;
}

static void AddArchiveEntry(VFile* entry, char* name)
{
    aeSoundManager::AddSound(entry, name, nullptr);
}

int aeSoundManager::AddSoundArchive(VFile* archive)
{
    if (!archive)
    {
        AE_INVALID_PARAMETER("aeSoundManager::AddSoundArchive");
        return 0;
    }
    if (!m_bInitialized)
    {
        AE_ERROR("aeSoundManager::AddSoundArchive", "Sie müssen erst den SoundManager initialisieren!");
        return 0;
    }
    if (!aeReadArchive(archive, AddArchiveEntry))
    {
        AE_ERROR("aeSoundManager::AddSoundArchive", "Fehler beim lesen des Archivs!");
        return 0;
    }
    return 1;
}

int aeSoundManager::FindSound(const char* name)
{
    if (!m_bInitialized)
    {
        AE_ERROR("aeSoundManager::FindSound", "Der SoundManager wurde noch nicht initialisiert!");
        return -1;
    }
    if (!name)
    {
        AE_INVALID_PARAMETER("aeSoundManager::FindSound");
        return -1;
    }
    const int count = m_aSounds.GetNumElements();
    for (int i = 0; i < count; ++i)
        if (std::strcmp(m_aSounds[i]->m_acName, name) == 0)
            return i;
    return -1;
}

aeSound* aeSoundManager::GetSound(const char* name)
{
    const int index = FindSound(name);
    return index < 0 ? nullptr : m_aSounds.GetElement(index);
}

void aeSoundManager::DeleteSound(int index)
{
    if (index < 0 || index >= m_aSounds.GetNumElements())
    {
        AE_INVALID_PARAMETER("aeSoundManager::DeleteSound");
        return;
    }
    m_aSounds.Remove(index);
}

void aeSoundManager::DeleteSound(const char* name)
{
    if (!name)
    {
        AE_INVALID_PARAMETER("aeSoundManager::DeleteSound");
        return;
    }
    const int index = FindSound(name);
    if (index < 0)
    {
        AE_ERROR("aeSoundManager::DeleteSound", "Der Sound wurde nicht gefunden!");
        return;
    }
    m_aSounds.Remove(index);
}
