#pragma once
// Sound effects: RVS files loaded into a fixed number of buffers, so that one
// effect can sound several times at once, optionally placed in 3D; and the
// registry of loaded sounds.
//
// No audio output is opened yet: the sound manager and its sounds keep their
// full bookkeeping (buffers, start times, loops, positions, velocities, the
// listener) but nothing reaches a speaker. A buffer counts as playing from its
// Play until its sample data would have ended (for ever while it loops) or
// until Stop. The output device takes over the same state once it exists.

#include "DynList.h"
#include "aeClock.h"
#include "aeMath.h"

class VFile;

// Creation flags of a sound's buffers, as in the RVS reader.
enum : DWORD
{
    AE_DSBCAPS_CTRL3D = 0x10,
    AE_DSBCAPS_CTRLFREQUENCY = 0x20,
    AE_DSBCAPS_CTRLVOLUME = 0x80,
    AE_DSBCAPS_STATIC = 0x02,
    AE_DSBCAPS_LOCDEFER = 0x40000,
};
// Play flag: the buffer loops.
enum : DWORD
{
    AE_DSBPLAY_LOOPING = 0x01,
    AE_DSBSTATUS_PLAYING = 0x01,
    AE_DSBSTATUS_LOOPING = 0x04,
};

class aeSound
{
public:
    aeSound();
    ~aeSound();
    aeSound(const aeSound&) = delete;
    aeSound& operator=(const aeSound&) = delete;

    int Init(VFile* file, const char* name);

    int Play(DWORD buffer, DWORD priority, DWORD flags, Vector3 startVelocity);
    int PlayAvailableBuffer(DWORD priority, DWORD flags, Vector3 startVelocity);
    // First buffer that is neither within 50 ms of its start nor playing; -1.
    int GetAvailableBuffer();
    int Stop(DWORD buffer);
    int StopAll();
    int SetPosition(DWORD buffer, const Vector3& position, float velocityFactor);
    DWORD GetStatus(DWORD buffer);
    int IsPlaying(DWORD buffer) { return GetStatus(buffer) & AE_DSBSTATUS_PLAYING; }

    DWORD GetFlags() const { return m_dwFlags; }
    DWORD GetNumBuffers() const { return m_dwNumBuffers; }
    char* GetName() { return m_acName; }
    const char* GetName() const { return m_acName; }
    Vector3 GetOldPosition(DWORD buffer) { return m_avOldPositions[static_cast<int>(buffer)]; }
    Vector3 GetVelocity(DWORD buffer) { return m_avVelocities[static_cast<int>(buffer)]; }
    float GetMinDistance() const { return m_fMinDistance; }
    float GetMaxDistance() const { return m_fMaxDistance; }
    // Length of the sample data in milliseconds (0 for an unknown rate).
    DWORD GetLength() const { return m_dwLength; }

    // Per buffer; the 3D arrays are empty for a sound without 3D control.
    DynArray<Vector3> m_avStartVelocities;
    DynArray<Vector3> m_avOldPositions;
    DynArray<Vector3> m_avVelocities;
    DynArray<DWORD> m_adwStartTimes;
    DynArray<DWORD> m_adwTimeStamps;
    // Play flags of the buffer's last Play, with bit 31 set while it sounds.
    DynArray<DWORD> m_adwPlayState;
    DWORD m_dwNumBuffers;
    DWORD m_dwFlags;
    int m_bJustStarted;
    char m_acName[256];
    float m_fMinDistance;
    float m_fMaxDistance;
    DWORD m_dwLength;
};

class aeSoundManager
{
public:
    static int m_bInitialized;
    static DWORD m_dwListenerTimeStamp;
    static Vector3 m_vOldListenerPos;
    static Vector3 m_vListenerVelocity;
    static Vector3 m_vListenerTop;
    static Vector3 m_vListenerFront;
    static DynList<aeSound> m_aSounds;

    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }

    static int SetListener(const Vector3& position, const Vector3& top, const Vector3& front, float velocityFactor);

    static int AddSound(VFile* file, const char* name, aeSound** out);
    static int AddSoundArchive(VFile* archive);
    // Index of the first sound called name (exact, case-sensitive), or -1.
    static int FindSound(const char* name);
    static aeSound* GetSound(int index) { return m_aSounds.GetElement(index); }
    static aeSound* GetSound(const char* name);
    static void DeleteSound(int index);
    static void DeleteSound(const char* name);
    static void DeleteSounds() { m_aSounds.Clear(); }
    static int GetNumSounds() { return m_aSounds.GetNumElements(); }
    static Vector3 GetOldListenerPosition() { return m_vOldListenerPos; }
};
