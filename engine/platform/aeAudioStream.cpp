#include "aeAudioStream.h"
#include "aeAudioDevice.h"
#include "aeFileSystem.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{
// The feeder looks at the queue this often; one buffer lasts 50 ms or more.
const auto kFeederPeriod = std::chrono::milliseconds(10);
const int kMaxRate = 768000;
const int kMaxChannels = 64;

float Attenuation(long hundredthsOfDecibel)
{
    if (hundredthsOfDecibel <= -10000)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(hundredthsOfDecibel) / 2000.0));
}
}

aeAudioStream::aeAudioStream()
    : m_pDevice(nullptr), m_pFile(nullptr), m_iRate(0), m_iChannels(0), m_llFrames(0), m_iFramesPerBuffer(0),
      m_pDecoded(nullptr), m_pStereo(nullptr), m_uiSource(0), m_auiBuffers{}, m_auiFree{}, m_iNumFree(0),
      m_aiQueued{}, m_iQueueHead(0), m_iNumQueued(0), m_llBase(0), m_llDecoded(0), m_bEnd(0), m_eState(kStopped),
      m_dRate(1.0), m_lVolume(0), m_lBalance(0), m_iUnderruns(0), m_bQuit(0)
{
}

aeAudioStream* aeAudioStream::Open(const char* path, std::string* reason, int* fellBack)
{
    if (fellBack)
        *fellBack = 0;
    char text[512];
    if (!path)
    {
        if (reason)
            *reason = "Es wurde keine Musikdatei angegeben!";
        return nullptr;
    }
    SF_INFO info = {};
    SNDFILE* file = sf_open(aeNativePath(path).c_str(), SFM_READ, &info);
    if (!file)
    {
        if (reason)
        {
            std::snprintf(text, sizeof(text), "Die Musikdatei %s konnte nicht geöffnet werden (%s)!", path,
                          sf_strerror(nullptr));
            *reason = text;
        }
        return nullptr;
    }
    if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 || info.samplerate > kMaxRate)
    {
        sf_close(file);
        if (reason)
        {
            std::snprintf(text, sizeof(text), "Die Musikdatei %s hat ein ungültiges Format (%d Kanäle, %d Hz)!", path,
                          info.channels, info.samplerate);
            *reason = text;
        }
        return nullptr;
    }

    aeAudioStream* stream = new (std::nothrow) aeAudioStream;
    if (!stream)
    {
        sf_close(file);
        if (reason)
            *reason = "Nicht genug Speicher für die Musik!";
        return nullptr;
    }
    stream->m_pFile = file;
    stream->m_iRate = info.samplerate;
    stream->m_iChannels = info.channels;
    // An unknown length (a stream without one) counts as 0.
    stream->m_llFrames = (info.frames > 0 && info.frames < SF_COUNT_MAX) ? info.frames : 0;
    stream->m_iFramesPerBuffer = std::max(1024, info.samplerate / 20);
    const size_t decoded = static_cast<size_t>(stream->m_iFramesPerBuffer) * static_cast<size_t>(info.channels);
    stream->m_pDecoded = new (std::nothrow) short[decoded];
    stream->m_pStereo = new (std::nothrow) short[static_cast<size_t>(stream->m_iFramesPerBuffer) * 2];
    if (!stream->m_pDecoded || !stream->m_pStereo)
    {
        delete stream;
        if (reason)
            *reason = "Nicht genug Speicher für die Musik!";
        return nullptr;
    }

    stream->m_pDevice = aeAudioDevice::Acquire(fellBack);
    if (!stream->m_pDevice)
    {
        delete stream;
        if (reason)
            *reason = "Es konnte kein Audiogerät geöffnet werden!";
        return nullptr;
    }
    stream->m_pDevice->MakeCurrent();
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR)
    {
        delete stream;
        if (reason)
            *reason = "Für die Musik ist keine OpenAL-Quelle mehr frei!";
        return nullptr;
    }
    stream->m_uiSource = source;
    ALuint buffers[kNumBuffers] = {};
    alGenBuffers(kNumBuffers, buffers);
    if (alGetError() != AL_NO_ERROR)
    {
        delete stream;
        if (reason)
            *reason = "Für die Musik konnten keine OpenAL-Puffer angelegt werden!";
        return nullptr;
    }
    for (int i = 0; i < kNumBuffers; ++i)
        stream->m_auiBuffers[i] = stream->m_auiFree[i] = buffers[i];
    stream->m_iNumFree = kNumBuffers;
    // Music sounds at the listener, untouched by distance and Doppler effect.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    // Left to the left speaker, right to the right one.
    if (alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alGetError();
    stream->m_pDevice->AddStream(stream);
    return stream;
}

aeAudioStream::~aeAudioStream()
{
    StopFeeder();
    if (m_pDevice)
    {
        m_pDevice->RemoveStream(this);
        m_pDevice->MakeCurrent();
        if (m_uiSource)
        {
            ALuint source = m_uiSource;
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
            alDeleteSources(1, &source);
        }
        ALuint buffers[kNumBuffers];
        int n = 0;
        for (unsigned b : m_auiBuffers)
            if (b)
                buffers[n++] = b;
        if (n)
            alDeleteBuffers(n, buffers);
        alGetError();
        m_pDevice->Release();
    }
    if (m_pFile)
        sf_close(static_cast<SNDFILE*>(m_pFile));
    delete[] m_pDecoded;
    delete[] m_pStereo;
}

int aeAudioStream::Decode(short* out)
{
    SNDFILE* file = static_cast<SNDFILE*>(m_pFile);
    const sf_count_t n = sf_readf_short(file, m_pDecoded, m_iFramesPerBuffer);
    if (n <= 0)
        return 0;
    const int frames = static_cast<int>(n);
    const int channels = m_iChannels;
    const short* in = m_pDecoded;
    if (channels == 1)
        for (int i = 0; i < frames; ++i)
            out[2 * i] = out[2 * i + 1] = in[i];
    else if (channels == 2)
        std::copy(in, in + 2 * frames, out);
    else
    {
        // More channels: the even ones to the left, the odd ones to the right.
        const int left = (channels + 1) / 2, right = channels / 2;
        for (int i = 0; i < frames; ++i)
        {
            int l = 0, r = 0;
            for (int c = 0; c < channels; ++c)
                (c % 2 ? r : l) += in[i * channels + c];
            out[2 * i] = static_cast<short>(l / left);
            out[2 * i + 1] = static_cast<short>(r / right);
        }
    }
    if (m_lBalance != 0)
    {
        const float gain = Attenuation(-std::labs(m_lBalance));
        short* attenuated = out + (m_lBalance > 0 ? 0 : 1);
        for (int i = 0; i < frames; ++i)
            attenuated[2 * i] = static_cast<short>(static_cast<float>(attenuated[2 * i]) * gain);
    }
    m_llDecoded += frames;
    return frames;
}

void aeAudioStream::Prime()
{
    const ALuint source = m_uiSource;
    while (m_iNumFree > 0 && !m_bEnd)
    {
        const int frames = Decode(m_pStereo);
        if (frames == 0)
        {
            m_bEnd = 1;
            break;
        }
        const ALuint buffer = m_auiFree[--m_iNumFree];
        alBufferData(buffer, AL_FORMAT_STEREO16, m_pStereo, frames * 4, m_iRate);
        alSourceQueueBuffers(source, 1, &buffer);
        m_aiQueued[(m_iQueueHead + m_iNumQueued) % kNumBuffers] = frames;
        ++m_iNumQueued;
    }
}

void aeAudioStream::Fill()
{
    if (m_eState != kRunning)
        return;
    const ALuint source = m_uiSource;
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && m_iNumQueued > 0; --processed)
    {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        m_llBase += m_aiQueued[m_iQueueHead];
        m_iQueueHead = (m_iQueueHead + 1) % kNumBuffers;
        --m_iNumQueued;
        m_auiFree[m_iNumFree++] = buffer;
    }
    Prime();
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && m_iNumQueued > 0)
    {
        if (state == AL_STOPPED)
            ++m_iUnderruns;
        alSourcePlay(source);
    }
}

void aeAudioStream::Flush()
{
    const ALuint source = m_uiSource;
    alSourceRewind(source);
    alSourcei(source, AL_BUFFER, 0);
    for (int i = 0; i < kNumBuffers; ++i)
        m_auiFree[i] = m_auiBuffers[i];
    m_iNumFree = kNumBuffers;
    m_iQueueHead = 0;
    m_iNumQueued = 0;
    m_llBase = m_llDecoded;
}

long long aeAudioStream::PositionLocked()
{
    if (m_eState == kStopped)
        return m_llBase;
    ALint state = AL_STOPPED, offset = 0;
    alGetSourcei(m_uiSource, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED)
    {
        // Everything queued has sounded; at the end of the file the piece
        // counts as played to its full length.
        return m_bEnd ? std::max(m_llDecoded, m_llFrames) : m_llDecoded;
    }
    alGetSourcei(m_uiSource, AL_SAMPLE_OFFSET, &offset);
    return m_llBase + std::max(offset, 0);
}

void aeAudioStream::TopUp()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    Fill();
}

void aeAudioStream::FeederMain()
{
    typedef ALCboolean(ALC_APIENTRY * SetThreadContext)(ALCcontext*);
    static const SetThreadContext setContext =
        reinterpret_cast<SetThreadContext>(alcGetProcAddress(nullptr, "alcSetThreadContext"));
    if (setContext)
        setContext(static_cast<ALCcontext*>(m_pDevice->m_pContext));
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_bQuit)
    {
        Fill();
        m_Wake.wait_for(lock, kFeederPeriod);
    }
    lock.unlock();
    if (setContext)
        setContext(nullptr);
}

void aeAudioStream::StartFeeder()
{
    if (m_Feeder.joinable())
        return;
    m_bQuit = 0;
    m_Feeder = std::thread(&aeAudioStream::FeederMain, this);
}

void aeAudioStream::StopFeeder()
{
    if (!m_Feeder.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_bQuit = 1;
    }
    m_Wake.notify_all();
    m_Feeder.join();
}

HRESULT aeAudioStream::Run()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_eState == kRunning)
            return S_OK;
        m_pDevice->MakeCurrent();
        if (m_eState == kStopped)
        {
            Flush();
            Prime();
        }
        if (m_iNumQueued > 0)
            alSourcePlay(m_uiSource);
        m_eState = kRunning;
    }
    StartFeeder();
    return S_OK;
}

HRESULT aeAudioStream::Pause()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pDevice->MakeCurrent();
    if (m_eState == kRunning)
        alSourcePause(m_uiSource);
    else if (m_eState == kStopped)
    {
        Flush();
        Prime();
    }
    m_eState = kPaused;
    return S_OK;
}

HRESULT aeAudioStream::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_eState == kStopped)
            return S_OK;
        m_pDevice->MakeCurrent();
        long long position = PositionLocked();
        if (m_llFrames > 0)
            position = std::min(position, m_llFrames);
        m_llDecoded = position;
        Flush();
        m_bEnd = 0;
        m_eState = kStopped;
        if (sf_seek(static_cast<SNDFILE*>(m_pFile), position, SEEK_SET) < 0)
            m_llBase = m_llDecoded = sf_seek(static_cast<SNDFILE*>(m_pFile), 0, SEEK_CUR);
    }
    StopFeeder();
    return S_OK;
}

aeAudioStream::State aeAudioStream::GetState()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_eState;
}

HRESULT aeAudioStream::Seek(long long frame)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pDevice->MakeCurrent();
    frame = std::max(frame, 0LL);
    if (m_llFrames > 0)
        frame = std::min(frame, m_llFrames);
    SNDFILE* file = static_cast<SNDFILE*>(m_pFile);
    HRESULT hr = S_OK;
    if (sf_seek(file, frame, SEEK_SET) < 0)
    {
        hr = E_FAIL;
        frame = std::max<sf_count_t>(sf_seek(file, 0, SEEK_CUR), 0);
    }
    m_llDecoded = frame;
    Flush();
    m_bEnd = 0;
    if (m_eState != kStopped)
    {
        Prime();
        if (m_eState == kRunning && m_iNumQueued > 0)
            alSourcePlay(m_uiSource);
    }
    return hr;
}

HRESULT aeAudioStream::GetPosition(long long* frame)
{
    if (!frame)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pDevice->MakeCurrent();
    *frame = PositionLocked();
    return S_OK;
}

HRESULT aeAudioStream::SetRate(double rate)
{
    if (!(rate >= 0.01 && rate <= 100.0))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pDevice->MakeCurrent();
    alGetError();
    alSourcef(m_uiSource, AL_PITCH, static_cast<ALfloat>(rate));
    if (alGetError() != AL_NO_ERROR)
        return E_INVALIDARG;
    m_dRate = rate;
    return S_OK;
}

HRESULT aeAudioStream::SetVolume(long volume)
{
    if (volume < -10000 || volume > 0)
        return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_pDevice->MakeCurrent();
    alSourcef(m_uiSource, AL_GAIN, Attenuation(volume));
    m_lVolume = volume;
    return S_OK;
}

HRESULT aeAudioStream::SetBalance(long balance)
{
    if (balance < -10000 || balance > 10000)
        return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_lBalance = balance;
    return S_OK;
}
