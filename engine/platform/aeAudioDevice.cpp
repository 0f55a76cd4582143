#include "aeAudioDevice.h"
#include "aeAudioStream.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{
std::mutex g_SharedMutex;
aeAudioDevice* g_pShared = nullptr;
std::string g_PlaybackName;

// Sources of the context: the voices of the sound effects, and beyond them
// room for the music streams, which make their sources themselves.
const ALCint kMonoSources = aeAudioDevice::kMaxVoices;
const ALCint kStereoSources = 256;

LPALCLOOPBACKOPENDEVICESOFT LoopbackOpen()
{
    return reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
}

HRESULT FromAlError(ALenum error)
{
    switch (error)
    {
    case AL_NO_ERROR: return S_OK;
    case AL_OUT_OF_MEMORY: return E_OUTOFMEMORY;
    case AL_INVALID_VALUE:
    case AL_INVALID_ENUM: return E_INVALIDARG;
    default: return E_FAIL;
    }
}

// Left-handed engine coordinates to OpenAL's right-handed frame.
inline void ToAl(const float in[3], ALfloat out[3])
{
    out[0] = in[0];
    out[1] = in[1];
    out[2] = -in[2];
}
}

struct aeAudioDevice::Streams
{
    std::mutex mutex;
    std::vector<aeAudioStream*> list;
};

// The voice pool: sources made so far, either free or held by a buffer
// through its hold variable.
struct aeAudioDevice::Voices
{
    std::mutex mutex;
    std::vector<ALuint> free;
    std::unordered_map<ALuint, unsigned*> busy;
    int made = 0;
};

aeAudioDevice::aeAudioDevice()
    : m_pDevice(nullptr), m_pContext(nullptr), m_iReferences(1), m_bLoopback(0), m_pStreams(new Streams),
      m_pVoices(new Voices)
{
    m_acName[0] = 0;
}

aeAudioDevice::~aeAudioDevice()
{
    ALCcontext* context = static_cast<ALCcontext*>(m_pContext);
    if (context)
    {
        // Every sound holds the device, so no voice is held any more.
        MakeCurrent();
        for (const auto& busy : m_pVoices->busy)
            m_pVoices->free.push_back(busy.first);
        if (!m_pVoices->free.empty())
            alDeleteSources(static_cast<ALsizei>(m_pVoices->free.size()), m_pVoices->free.data());
        alGetError();
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (m_pDevice)
        alcCloseDevice(static_cast<ALCdevice*>(m_pDevice));
    delete m_pStreams;
    delete m_pVoices;
}

void aeAudioDevice::SetPlaybackDeviceName(const char* name)
{
    std::lock_guard<std::mutex> lock(g_SharedMutex);
    g_PlaybackName = name ? name : "";
}

aeAudioDevice* aeAudioDevice::Acquire(int* fellBack)
{
    if (fellBack)
        *fellBack = 0;
    std::lock_guard<std::mutex> lock(g_SharedMutex);
    if (g_pShared)
    {
        ++g_pShared->m_iReferences;
        return g_pShared;
    }
    aeAudioDevice* device = new aeAudioDevice;
    if (!device->Open(fellBack))
    {
        delete device;
        return nullptr;
    }
    g_pShared = device;
    return device;
}

void aeAudioDevice::AddRef()
{
    std::lock_guard<std::mutex> lock(g_SharedMutex);
    ++m_iReferences;
}

void aeAudioDevice::Release()
{
    {
        std::lock_guard<std::mutex> lock(g_SharedMutex);
        if (--m_iReferences > 0)
            return;
        if (g_pShared == this)
            g_pShared = nullptr;
    }
    delete this;
}

int aeAudioDevice::Open(int* fellBack)
{
    const ALCint hrtf = alcIsExtensionPresent(nullptr, "ALC_SOFT_HRTF") ? ALC_HRTF_SOFT : 0;
    ALCdevice* device = alcOpenDevice(g_PlaybackName.empty() ? nullptr : g_PlaybackName.c_str());
    ALCcontext* context = nullptr;
    if (device)
    {
        const ALCint attributes[] = {ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES, kStereoSources, 0};
        context = alcCreateContext(device, attributes);
        if (!context)
        {
            alcCloseDevice(device);
            device = nullptr;
        }
    }
    if (!device)
    {
        LPALCLOOPBACKOPENDEVICESOFT open = LoopbackOpen();
        device = open ? open(nullptr) : nullptr;
        if (!device)
            return 0;
        // A fixed output without HRTF, so that the mix is the same everywhere.
        // The mix is taken as floats: no dither, no limiter on the way.
        ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                               ALC_FREQUENCY, kLoopbackRate, ALC_MONO_SOURCES, kMonoSources, ALC_STEREO_SOURCES,
                               kStereoSources, hrtf, ALC_FALSE, 0};
        if (!hrtf)
            attributes[10] = 0;
        context = alcCreateContext(device, attributes);
        if (!context)
        {
            alcCloseDevice(device);
            return 0;
        }
        m_bLoopback = 1;
        if (fellBack)
            *fellBack = 1;
    }
    m_pDevice = device;
    m_pContext = context;
    const ALCchar* name = alcGetString(device, ALC_DEVICE_SPECIFIER);
    std::snprintf(m_acName, sizeof(m_acName), "%s", m_bLoopback ? "Loopback" : (name ? name : ""));
    alcMakeContextCurrent(context);
    // The distance law and Doppler effect of the sound effects: inverse
    // distance between minimum and maximum distance, rolloff 1.
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alDopplerFactor(1.0f);
    alSpeedOfSound(343.3f);
    alGetError();
    return 1;
}

void aeAudioDevice::MakeCurrent()
{
    ALCcontext* context = static_cast<ALCcontext*>(m_pContext);
    if (alcGetCurrentContext() != context)
        alcMakeContextCurrent(context);
}

void aeAudioDevice::AddStream(aeAudioStream* stream)
{
    std::lock_guard<std::mutex> lock(m_pStreams->mutex);
    m_pStreams->list.push_back(stream);
}

void aeAudioDevice::RemoveStream(aeAudioStream* stream)
{
    std::lock_guard<std::mutex> lock(m_pStreams->mutex);
    auto& list = m_pStreams->list;
    list.erase(std::remove(list.begin(), list.end(), stream), list.end());
}

int aeAudioDevice::RenderLoopback(short* out, int frames)
{
    static LPALCRENDERSAMPLESSOFT render =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!m_bLoopback || !render || !out || frames <= 0)
        return 0;
    MakeCurrent();
    // Slices shorter than a stream's queue: each stream is topped up before
    // the mixer takes the next slice.
    const int kSlice = 512;
    std::lock_guard<std::mutex> lock(m_pStreams->mutex);
    float mix[2 * kSlice];
    for (int done = 0; done < frames;)
    {
        for (aeAudioStream* stream : m_pStreams->list)
            stream->TopUp();
        const int n = std::min(kSlice, frames - done);
        render(static_cast<ALCdevice*>(m_pDevice), mix, n);
        short* to = out + 2 * done;
        for (int i = 0; i < 2 * n; ++i)
            to[i] = static_cast<short>(std::lround(std::clamp(mix[i], -1.0f, 32767.0f / 32768.0f) * 32768.0f));
        done += n;
    }
    return 1;
}

HRESULT aeAudioDevice::SetListener(const float position[3], const float front[3], const float top[3])
{
    MakeCurrent();
    ALfloat p[3], orientation[6];
    ToAl(position, p);
    ToAl(front, orientation);
    ToAl(top, orientation + 3);
    alListenerfv(AL_POSITION, p);
    alListenerfv(AL_ORIENTATION, orientation);
    return FromAlError(alGetError());
}

HRESULT aeAudioDevice::SetListenerVelocity(const float velocity[3])
{
    MakeCurrent();
    ALfloat v[3];
    ToAl(velocity, v);
    alListenerfv(AL_VELOCITY, v);
    return FromAlError(alGetError());
}

int aeAudioDevice::IsPlayableFormat(int channels, int bits, int rate)
{
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate >= 100 && rate <= 200000;
}

HRESULT aeAudioDevice::CreateSampleBlock(int channels, int bits, int rate, const void* data, int bytes,
                                         int positioned, unsigned* block)
{
    if (!block || !IsPlayableFormat(channels, bits, rate) || bytes < 0 || (bytes > 0 && !data))
        return E_INVALIDARG;
    *block = 0;
    int frameBytes = channels * bits / 8;
    bytes -= bytes % frameBytes;
    std::vector<unsigned char> widened;
    if (channels == 1 && !positioned)
    {
        // Every frame twice, once for each channel.
        try
        {
            widened.resize(static_cast<size_t>(bytes) * 2);
        }
        catch (const std::bad_alloc&)
        {
            return E_OUTOFMEMORY;
        }
        const unsigned char* from = static_cast<const unsigned char*>(data);
        for (int i = 0; i < bytes; i += frameBytes)
        {
            std::memcpy(&widened[static_cast<size_t>(i) * 2], from + i, static_cast<size_t>(frameBytes));
            std::memcpy(&widened[static_cast<size_t>(i) * 2 + frameBytes], from + i, static_cast<size_t>(frameBytes));
        }
        channels = 2;
        bytes *= 2;
        data = widened.data();
    }
    const ALenum format = channels == 1 ? (bits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16)
                                        : (bits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16);
    MakeCurrent();
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    HRESULT hr = FromAlError(alGetError());
    if (FAILED(hr))
        return hr;
    alBufferData(buffer, format, data, bytes, rate);
    hr = FromAlError(alGetError());
    if (FAILED(hr))
    {
        alDeleteBuffers(1, &buffer);
        return hr;
    }
    *block = buffer;
    return S_OK;
}

void aeAudioDevice::DeleteSampleBlock(unsigned block)
{
    if (!block)
        return;
    MakeCurrent();
    ALuint buffer = block;
    alDeleteBuffers(1, &buffer);
    alGetError();
}

HRESULT aeAudioDevice::PlayVoice(unsigned block, const VoiceSetup& setup, unsigned* voice)
{
    if (!voice)
        return E_INVALIDARG;
    MakeCurrent();
    alGetError();
    ALuint source = 0;
    {
        std::lock_guard<std::mutex> lock(m_pVoices->mutex);
        Voices& v = *m_pVoices;
        auto held = *voice ? v.busy.find(*voice) : v.busy.end();
        if (held != v.busy.end() && held->second == voice)
            source = held->first; // started again while it holds one
        else
        {
            *voice = 0;
            if (v.free.empty() && v.made < kMaxVoices)
            {
                ALuint made = 0;
                alGenSources(1, &made);
                if (alGetError() == AL_NO_ERROR)
                {
                    v.free.push_back(made);
                    ++v.made;
                }
            }
            if (v.free.empty())
            {
                // Take back the voices whose blocks have ended.
                for (auto it = v.busy.begin(); it != v.busy.end();)
                {
                    ALint state = AL_STOPPED;
                    alGetSourcei(it->first, AL_SOURCE_STATE, &state);
                    if (state == AL_PLAYING)
                    {
                        ++it;
                        continue;
                    }
                    alSourcei(it->first, AL_BUFFER, 0);
                    *it->second = 0;
                    v.free.push_back(it->first);
                    it = v.busy.erase(it);
                }
                alGetError();
            }
            if (v.free.empty())
                return kNoFreeVoice;
            source = v.free.back();
            v.free.pop_back();
            v.busy[source] = voice;
            *voice = source;
        }
    }
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(block));
    const bool directChannels = alIsExtensionPresent("AL_SOFT_direct_channels");
    if (setup.positioned)
    {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_REFERENCE_DISTANCE, setup.minDistance);
        alSourcef(source, AL_MAX_DISTANCE, setup.maxDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
        ALfloat p[3], vel[3];
        ToAl(setup.position, p);
        ToAl(setup.velocity, vel);
        alSourcefv(source, AL_POSITION, p);
        alSourcefv(source, AL_VELOCITY, vel);
        if (directChannels)
            alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_FALSE);
    }
    else
    {
        // At the listener, whatever it does: no distance, no Doppler effect;
        // the channels go to the speakers as they are.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSource3f(source, AL_VELOCITY, 0.0f, 0.0f, 0.0f);
        if (directChannels)
            alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }
    alSourcef(source, AL_GAIN, setup.gain);
    alSourcef(source, AL_PITCH, setup.pitch);
    alSourcei(source, AL_LOOPING, setup.loop ? AL_TRUE : AL_FALSE);
    alSourceRewind(source);
    alSourcePlay(source);
    const HRESULT hr = FromAlError(alGetError());
    if (FAILED(hr))
        StopVoice(voice);
    return hr;
}

void aeAudioDevice::StopVoice(unsigned* voice)
{
    if (!voice || !*voice)
        return;
    MakeCurrent();
    std::lock_guard<std::mutex> lock(m_pVoices->mutex);
    auto held = m_pVoices->busy.find(*voice);
    if (held != m_pVoices->busy.end() && held->second == voice)
    {
        alSourceStop(held->first);
        alSourcei(held->first, AL_BUFFER, 0);
        alGetError();
        m_pVoices->free.push_back(held->first);
        m_pVoices->busy.erase(held);
    }
    *voice = 0;
}

int aeAudioDevice::IsVoicePlaying(unsigned* voice)
{
    if (!voice || !*voice)
        return 0;
    MakeCurrent();
    ALint state = AL_STOPPED;
    alGetSourcei(*voice, AL_SOURCE_STATE, &state);
    alGetError();
    if (state == AL_PLAYING)
        return 1;
    StopVoice(voice);
    return 0;
}

int aeAudioDevice::GetNumBusyVoices()
{
    std::lock_guard<std::mutex> lock(m_pVoices->mutex);
    return static_cast<int>(m_pVoices->busy.size());
}

HRESULT aeAudioDevice::SetVoiceGain(unsigned voice, float gain)
{
    if (!voice)
        return S_OK;
    MakeCurrent();
    alGetError();
    alSourcef(voice, AL_GAIN, gain);
    return FromAlError(alGetError());
}

HRESULT aeAudioDevice::SetVoicePitch(unsigned voice, float pitch)
{
    if (!voice)
        return S_OK;
    MakeCurrent();
    alGetError();
    alSourcef(voice, AL_PITCH, pitch);
    return FromAlError(alGetError());
}

HRESULT aeAudioDevice::SetVoicePosition(unsigned voice, const float position[3])
{
    if (!voice)
        return S_OK;
    MakeCurrent();
    alGetError();
    ALfloat p[3];
    ToAl(position, p);
    alSourcefv(voice, AL_POSITION, p);
    return FromAlError(alGetError());
}

HRESULT aeAudioDevice::SetVoiceVelocity(unsigned voice, const float velocity[3])
{
    if (!voice)
        return S_OK;
    MakeCurrent();
    alGetError();
    ALfloat v[3];
    ToAl(velocity, v);
    alSourcefv(voice, AL_VELOCITY, v);
    return FromAlError(alGetError());
}
