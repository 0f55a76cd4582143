#include "aeMusic.h"
#include "aeAudioStream.h"
#include "aeError.h"

#include <cstring>
#include <string>

aeMusic::aeMusic() : m_pStream(nullptr), m_bPlaying(0), m_bLooping(0), m_dwDuration(0), m_lVolume(0), m_lPan(0)
{
}

aeMusic::~aeMusic()
{
    if (m_pStream)
    {
        m_pStream->Stop();
        m_bPlaying = 0;
    }
    delete m_pStream;
    m_pStream = nullptr;
}

int aeMusic::Init(const char* filename)
{
    if (!filename)
    {
        AE_INVALID_PARAMETER("aeMusic::Init");
        return 0;
    }
    if (std::strlen(filename) > 255)
    {
        AE_ERROR("aeMusic::Init", "Der Name der Musikdatei ist länger als 255 Zeichen!");
        return 0;
    }
    // A second Init replaces the piece.
    delete m_pStream;
    m_pStream = nullptr;
    m_bPlaying = 0;
    m_dwDuration = 0;
    std::string reason;
    int fellBack = 0;
    m_pStream = aeAudioStream::Open(filename, &reason, &fellBack);
    if (!m_pStream)
    {
        AE_ERROR("aeMusic::Init", "%s", reason.c_str());
        return 0;
    }
    if (fellBack)
        AE_WARNING("aeMusic::Init",
                   "Kein Audiogerät gefunden: Die Musik läuft stumm über das Loopback-Gerät von OpenAL Soft!");
    m_dwDuration = static_cast<DWORD>(m_pStream->GetLength() * 1000 / m_pStream->GetSampleRate());
    m_pStream->SetVolume(m_lVolume);
    m_pStream->SetBalance(m_lPan);
    return 1;
}

int aeMusic::Play(int loop)
{
    if (!m_pStream)
    {
        AE_DXERROR("aeMusic::Play", "m_pStream->Run", E_POINTER);
        return 0;
    }
    SetCurrentPosition(0);
    const HRESULT hr = m_pStream->Run();
    if (FAILED(hr))
    {
        AE_DXERROR("aeMusic::Play", "m_pStream->Run", hr);
        return 0;
    }
    m_bLooping = loop ? 1 : 0;
    m_bPlaying = 1;
    return 1;
}

int aeMusic::Pause()
{
    if (m_pStream)
        m_pStream->Pause();
    return 1;
}

int aeMusic::Stop()
{
    if (m_pStream)
        m_pStream->Stop();
    m_bPlaying = 0;
    return 1;
}

int aeMusic::Process()
{
    if (!m_bPlaying || !m_bLooping)
        return 1;
    const long long position = GetCurrentPosition();
    if (position < static_cast<long long>(m_dwDuration))
        return 1;
    return Play(1);
}

long aeMusic::GetState()
{
    return m_pStream ? static_cast<long>(m_pStream->GetState()) : 0;
}

int aeMusic::SetCurrentPosition(DWORD ms)
{
    if (!m_pStream)
    {
        AE_DXERROR("aeMusic::SetCurrentPosition", "m_pStream->Seek", E_POINTER);
        return 0;
    }
    const long long frame = static_cast<long long>(ms) * m_pStream->GetSampleRate() / 1000;
    const HRESULT hr = m_pStream->Seek(frame);
    if (FAILED(hr))
    {
        AE_DXERROR("aeMusic::SetCurrentPosition", "m_pStream->Seek", hr);
        return 0;
    }
    return 1;
}

int aeMusic::GetCurrentPosition()
{
    long long frame = 0;
    const HRESULT hr = m_pStream ? m_pStream->GetPosition(&frame) : E_POINTER;
    if (FAILED(hr))
    {
        AE_DXERROR("aeMusic::GetCurrentPosition", "m_pStream->GetPosition", hr);
        return -1;
    }
    return static_cast<int>(frame * 1000 / m_pStream->GetSampleRate());
}

int aeMusic::SetPlaybackRate(float rate)
{
    const HRESULT hr = m_pStream ? m_pStream->SetRate(static_cast<double>(rate)) : E_POINTER;
    if (FAILED(hr))
    {
        AE_DXERROR("aeMusic::SetPlaybackRate", "m_pStream->SetRate", hr);
        return 0;
    }
    return 1;
}

float aeMusic::GetPlaybackRate()
{
    if (!m_pStream)
    {
        AE_DXERROR("aeMusic::GetPlaybackRate", "m_pStream->GetRate", E_POINTER);
        return -1.0f;
    }
    return static_cast<float>(m_pStream->GetRate());
}

void aeMusic::SetVolume(long volume)
{
    if (m_pStream)
        m_pStream->SetVolume(volume);
}

long aeMusic::GetVolume()
{
    if (m_pStream)
        m_lVolume = m_pStream->GetVolume();
    return m_lVolume;
}

void aeMusic::SetPan(long pan)
{
    if (m_pStream)
        m_pStream->SetBalance(pan);
}

long aeMusic::GetPan()
{
    if (m_pStream)
        m_lPan = m_pStream->GetBalance();
    return m_lPan;
}
