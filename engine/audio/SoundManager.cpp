#include "aeResourceRegistry.h"
#include "Sound.h"
#include "VFile.h"
#include "aeAudioDevice.h"
#include "aeArchive.h"
#include "aeError.h"
#include "aeLog.h"

#include <cstring>

int aeSoundManager::m_bInitialized = 0;
aeAudioDevice* aeSoundManager::m_pDevice = nullptr;
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
    // The window plays no part: OpenAL needs none.
    int fellBack = 0;
    aeAudioDevice* device = aeAudioDevice::Acquire(&fellBack);
    if (!device)
    {
        AE_ERROR("aeSoundManager::Init", "Es konnte kein Audiogerät geöffnet werden, auch kein Loopback-Gerät!");
        return 0;
    }
    if (fellBack)
        AE_WARNING("aeSoundManager::Init",
                   "Kein Audiogerät gefunden: Die Sounds laufen stumm über das Loopback-Gerät von OpenAL Soft!");
    m_pDevice = device;
    m_aSounds.Clear();
    m_dwListenerTimeStamp = 0;
    m_vOldListenerPos = Vector3(0.0f);
    m_vListenerVelocity = Vector3(0.0f);
    m_vListenerTop = Vector3(0.0f, 1.0f, 0.0f);
    m_vListenerFront = Vector3(0.0f, 0.0f, 1.0f);
    m_pDevice->SetListener(m_vOldListenerPos, m_vListenerFront, m_vListenerTop);
    m_pDevice->SetListenerVelocity(m_vListenerVelocity);
    aeLog::Write("DirectSound wurde initialisiert!");
    aeLog::Write("Audioausgabe: %s", m_pDevice->GetName());
    m_bInitialized = 1;
    return 1;
}

void aeSoundManager::Exit()
{
    if (!m_bInitialized)
        return;
    m_aSounds.Clear();
    // Sounds kept elsewhere hold the device until they go.
    if (m_pDevice)
        m_pDevice->Release();
    m_pDevice = nullptr;
    aeLog::Write("DirectSound wurde beendet!");
    m_bInitialized = 0;
}

int aeSoundManager::SetListener(const Vector3& position, const Vector3& top, const Vector3& front, float velocityFactor)
{
    m_vListenerTop = top;
    m_vListenerFront = front;
    if (m_pDevice)
        m_pDevice->SetListener(position, front, top);
    const DWORD now = timeGetTime();
    if (m_dwListenerTimeStamp != 0 && velocityFactor != 0.0f)
    {
        // Two calls within one millisecond keep the last velocity and measure
        // the next one over the longer interval.
        if (now == m_dwListenerTimeStamp)
            return 1;
        const float dt = static_cast<float>(now - m_dwListenerTimeStamp) * 0.001f;
        m_vListenerVelocity = (position - m_vOldListenerPos) / dt * velocityFactor;
        m_dwListenerTimeStamp = now;
    }
    else
    {
        m_vListenerVelocity = Vector3(0.0f);
        m_dwListenerTimeStamp = now;
    }
    if (m_pDevice)
        m_pDevice->SetListenerVelocity(m_vListenerVelocity);
    m_vOldListenerPos = position;
    return 1;
}

int aeSoundManager::SetListener(const Vector3& position, const Matrix& view, float velocityFactor)
{
    return SetListener(position, Vector3(view._12, view._22, view._32), Vector3(view._13, view._23, view._33),
                       velocityFactor);
}

namespace
{
const aeRegistryText kRegistry = AE_REGISTRY_TEXT(SoundManager, Sound, "SoundManager.cpp", "Der Sound wurde nicht gefunden!");
}

AE_REGISTRY_OPERATIONS(aeSoundManager, Sound, aeSound, m_aSounds)
