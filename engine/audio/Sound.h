#pragma once
// Sound effects: RVS files loaded into a fixed number of buffers, so that one
// effect can sound several times at once, optionally placed in 3D; and the
// registry of loaded sounds with the listener.
//
// A sound's sample data is one block on the audio device; a buffer plays it
// on a voice that it takes from the device's pool when it starts and gives
// back when it ends, so loaded sounds cost no voices, only playing ones. Volume, pan and frequency are handled in the units
// of DirectSound buffers (hundredths of a decibel of attenuation, 0 = full;
// pan -10000 ... 10000; frequency in Hz, 0 = the rate of the file).
//
// Besides the device, every buffer keeps its own bookkeeping from the engine's
// clock: it counts as playing from its Play until its sample data has ended
// (for ever while it loops) or until Stop, and for the first 50 ms after Play
// whatever the device says (also when it is stopped within them). A sound loaded while the sound manager has no
// device (before its Init) has this bookkeeping only and stays silent.

#include "DynList.h"
#include "aeClock.h"
#include "aeMath.h"
#include "aeWinTypes.h"

class VFile;
class aeAudioDevice;

// Creation flags of a sound's buffers, as in the RVS reader.
enum : DWORD
{
    AE_DSBCAPS_CTRL3D = 0x10,
    AE_DSBCAPS_CTRLFREQUENCY = 0x20,
    AE_DSBCAPS_CTRLPAN = 0x40,
    AE_DSBCAPS_CTRLVOLUME = 0x80,
    AE_DSBCAPS_STATIC = 0x02,
    AE_DSBCAPS_LOCDEFER = 0x40000,
};
// Play flag: the buffer loops. Status bits of GetStatus.
enum : DWORD
{
    AE_DSBPLAY_LOOPING = 0x01,
    AE_DSBSTATUS_PLAYING = 0x01,
    AE_DSBSTATUS_LOOPING = 0x04,
};
// Limits of the DirectSound units.
enum : int
{
    AE_DSBVOLUME_MIN = -10000,
    AE_DSBVOLUME_MAX = 0,
    AE_DSBPAN_LEFT = -10000,
    AE_DSBPAN_RIGHT = 10000,
    AE_DSBFREQUENCY_ORIGINAL = 0,
    AE_DSBFREQUENCY_MIN = 100,
    AE_DSBFREQUENCY_MAX = 200000,
};

// The RVS file: a 54-byte header and the sample data.
struct aeRVSHeader
{
    DWORD dw3D;
    DWORD dwFrequencyControl;
    DWORD dwVolumeControl;
    DWORD dwNumBuffers;
    DWORD dwAlgorithm;
    float fMinDistance;
    float fMaxDistance;
    // WAVEFORMATEX
    unsigned short wFormatTag;
    unsigned short nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    unsigned short nBlockAlign;
    unsigned short wBitsPerSample;
    unsigned short cbSize;
    DWORD dwDataSize;
};
// More buffers than this for one effect are taken as a broken file.
const DWORD AE_RVS_MAX_BUFFERS = 256;

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

    // 1 if the buffer took the value, 0 if it is out of range or the buffer
    // has no such control (pan never has).
    int SetVolume(DWORD buffer, LONG volume);
    int SetPan(DWORD buffer, LONG pan);
    int SetFrequency(DWORD buffer, DWORD frequency);
    // The buffer's value; 0 without the control.
    LONG GetVolume(DWORD buffer);
    LONG GetPan(DWORD buffer);
    DWORD GetFrequency(DWORD buffer);

    DWORD GetFlags() const { return m_dwFlags; }
    DWORD GetNumBuffers() const { return m_dwNumBuffers; }
    char* GetName() { return m_acName; }
    const char* GetName() const { return m_acName; }
    Vector3 GetOldPosition(DWORD buffer) const;
    Vector3 GetVelocity(DWORD buffer) const;
    float GetMinDistance() const { return m_fMinDistance; }
    float GetMaxDistance() const { return m_fMaxDistance; }
    DWORD GetAlgorithm() const { return m_dwAlgorithm; }
    DWORD GetSampleRate() const { return m_dwSampleRate; }
    // Length of the sample data in milliseconds.
    DWORD GetLength() const { return m_dwLength; }
    // The voice a buffer plays on (0 while it has none: not playing, or no device).
    unsigned GetVoice(DWORD buffer) const;
    aeAudioDevice* GetDevice() const { return m_pDevice; }

    // Per buffer; the 3D arrays are empty for a sound without 3D control.
    DynArray<Vector3> m_avStartVelocities;
    DynArray<Vector3> m_avOldPositions;
    DynArray<Vector3> m_avVelocities;
    DynArray<DWORD> m_adwStartTimes;
    DynArray<DWORD> m_adwTimeStamps;
    // Play flags of the buffer's last Play, with bit 31 set while it sounds.
    DynArray<DWORD> m_adwPlayState;
    DynArray<LONG> m_alVolumes;
    DynArray<DWORD> m_adwFrequencies;
    // Each buffer's hold on its voice; the device clears it when it takes
    // back an ended voice.
    DynArray<unsigned> m_auiVoices;
    DWORD m_dwNumBuffers;
    DWORD m_dwFlags;
    int m_bJustStarted;
    char m_acName[256];
    float m_fMinDistance;
    float m_fMaxDistance;
    DWORD m_dwAlgorithm;
    DWORD m_dwSampleRate;
    DWORD m_dwLength;
    aeAudioDevice* m_pDevice;
    unsigned m_uiSampleBlock;

private:
    void Release();
    int CheckBuffer(DWORD buffer, const char* function) const;
};

class aeSoundManager
{
public:
    static int m_bInitialized;
    static aeAudioDevice* m_pDevice;
    static DWORD m_dwListenerTimeStamp;
    static Vector3 m_vOldListenerPos;
    static Vector3 m_vListenerVelocity;
    static Vector3 m_vListenerTop;
    static Vector3 m_vListenerFront;
    static DynList<aeSound> m_aSounds;

    // Opens the audio device (the loopback device, silent, when there is no
    // playback device) and empties the registry.
    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }
    static aeAudioDevice* GetDSound() { return m_pDevice; }

    static int SetListener(const Vector3& position, const Vector3& top, const Vector3& front, float velocityFactor);
    // top and front from the second and third column of a view matrix.
    static int SetListener(const Vector3& position, const Matrix& view, float velocityFactor);
    static Vector3 GetListenerVelocity() { return m_vListenerVelocity; }

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

// Reads the header of an RVS file and checks it: the magic, the header fields,
// a sample format a buffer can play (PCM, 8 or 16 bits, mono or stereo; mono
// for 3D sounds) and a data size that the file holds. The cursor is left on
// the sample data. Failures are reported under the name of function.
int aeReadRVSHeader(VFile* file, aeRVSHeader* header, const char* function);
