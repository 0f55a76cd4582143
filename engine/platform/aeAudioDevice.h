#pragma once
// The sound output of the system: one OpenAL Soft device and context shared by
// the whole process, with the listener, sample blocks and voices the sound
// effects are made of.
//
// Coordinates are the engine's (left-handed, y up, z forward); they are turned
// into OpenAL's right-handed frame here by negating z. Distances follow the
// inverse law clamped between a voice's minimum and maximum distance, Doppler
// uses a speed of sound of 343.3 units per second, as the sound effects expect.
//
// When no playback device opens, the loopback device of OpenAL Soft takes its
// place: it mixes only when RenderLoopback is called, so without a caller the
// game runs silently. Tests render through it and look at the samples.
//
// Results are HRESULT codes of the error table: S_OK, E_INVALIDARG (a value
// OpenAL refuses), E_OUTOFMEMORY, E_FAIL; and kNoFreeVoice.

#include "aeWinTypes.h"

class aeAudioStream;

class aeAudioDevice
{
public:
    // Output format of the loopback mix: interleaved stereo, signed 16-bit.
    static const int kLoopbackRate = 44100;

    // The shared device with one more reference. When nobody holds it, it is
    // opened: the playback device first, the loopback device if that fails
    // (*fellBack = 1). Null when neither opens.
    static aeAudioDevice* Acquire(int* fellBack);
    void AddRef();
    void Release();

    // Name of the playback device later opens ask for; null or "" for the
    // system's default. A name that matches no device makes the next open fall
    // back to the loopback device (tests use this).
    static void SetPlaybackDeviceName(const char* name);

    int IsLoopback() const { return m_bLoopback; }
    const char* GetName() const { return m_acName; }

    // Mixes frames of output into out (2 * frames values). Music streams are
    // topped up between slices, so nothing runs dry however large frames is.
    // 0 (and nothing rendered) for a playback device.
    int RenderLoopback(short* out, int frames);

    // The listener: position, the direction it looks in and its up direction.
    HRESULT SetListener(const float position[3], const float front[3], const float top[3]);
    HRESULT SetListenerVelocity(const float velocity[3]);

    // 1 for PCM that a voice can play: 8-bit unsigned or 16-bit signed, mono
    // or stereo, 100 to 200000 samples per second.
    static int IsPlayableFormat(int channels, int bits, int rate);
    // A sample block holding bytes of such PCM (whole frames only). A block
    // for voices that are not positioned keeps mono data as stereo, the same
    // samples on both channels: such voices go straight to the speakers, so a
    // mono sound plays at full level left and right, as stereo data does.
    HRESULT CreateSampleBlock(int channels, int bits, int rate, const void* data, int bytes, int positioned,
                              unsigned* block);
    void DeleteSampleBlock(unsigned block);

    // How a voice plays its block. A positioned voice sounds from its
    // position (inverse distance between the two distances, Doppler effect
    // from the velocities), the others at the listener.
    struct VoiceSetup
    {
        int positioned = 0;
        float minDistance = 1.0f, maxDistance = 1000000000.0f;
        float gain = 1.0f, pitch = 1.0f;
        float position[3] = {}, velocity[3] = {};
        int loop = 0;
    };
    // Voices come from a pool of the device and only while they sound: a
    // buffer takes one when it starts and gives it back when it ends, so only
    // what really plays at once counts against the device's limit of
    // kMaxVoices. *voice is the buffer's hold on its voice (0 for none); the
    // device clears it when it takes back a voice whose block has ended, so
    // the variable must stay where it is until StopVoice.
    static constexpr int kMaxVoices = 2048;
    // Result of PlayVoice when every voice is sounding.
    static constexpr HRESULT kNoFreeVoice = static_cast<HRESULT>(0x8878000Au);
    // Starts block from its beginning on the voice *voice holds, or on one
    // from the pool.
    HRESULT PlayVoice(unsigned block, const VoiceSetup& setup, unsigned* voice);
    // Silences the voice and gives it back (*voice becomes 0).
    void StopVoice(unsigned* voice);
    // 1 while the voice sounds; an ended voice is given back (*voice 0).
    int IsVoicePlaying(unsigned* voice);
    // Voices taken from the pool and not given back.
    int GetNumBusyVoices();
    // Changes of a sounding voice; 0 (no voice) is accepted and does nothing.
    HRESULT SetVoiceGain(unsigned voice, float gain);
    HRESULT SetVoicePitch(unsigned voice, float pitch);
    HRESULT SetVoicePosition(unsigned voice, const float position[3]);
    HRESULT SetVoiceVelocity(unsigned voice, const float velocity[3]);

    // Makes this device's context the current one of the calling thread.
    void MakeCurrent();

private:
    friend class aeAudioStream;
    aeAudioDevice();
    ~aeAudioDevice();
    aeAudioDevice(const aeAudioDevice&) = delete;
    aeAudioDevice& operator=(const aeAudioDevice&) = delete;
    int Open(int* fellBack);
    void AddStream(aeAudioStream* stream);
    void RemoveStream(aeAudioStream* stream);

    void* m_pDevice;
    void* m_pContext;
    int m_iReferences;
    int m_bLoopback;
    char m_acName[256];
    struct Streams;
    Streams* m_pStreams;
    struct Voices;
    Voices* m_pVoices;
};
