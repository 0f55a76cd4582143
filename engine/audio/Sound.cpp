#include "Sound.h"
#include "BoundedReader.h"
#include "VFile.h"
#include "aeAudioDevice.h"
#include "aeError.h"

#include <cmath>
#include <cstring>

// Marks a buffer that was started and has not been stopped.
static const DWORD kSounding = 0x80000000u;
// Marks a buffer that was started at least once (its start time counts).
static const DWORD kStarted = 0x40000000u;
// A buffer counts as playing for this long after Play, whatever the output says.
static const DWORD kStartGrace = 50;
// Distances a 3D buffer starts with.
static const float kDefaultMinDistance = 1.0f;
static const float kDefaultMaxDistance = 1000000000.0f;
static const unsigned short kFormatPCM = 1;

// Attenuation in hundredths of a decibel as a linear gain.
static float VolumeToGain(LONG volume)
{
    if (volume <= AE_DSBVOLUME_MIN)
        return 0.0f;
    return std::pow(10.0f, static_cast<float>(volume) / 2000.0f);
}

int aeReadRVSHeader(VFile* file, aeRVSHeader* h, const char* function)
{
    if (!file || !h)
    {
        AE_INVALID_PARAMETER(function);
        return 0;
    }
    char magic[4] = {1, 1, 1, 1};
    if (!file->Read(4, magic))
    {
        AE_ERROR(function, "Fehler beim Lesen der Datei!");
        return 0;
    }
    if (std::memcmp(magic, "RVS", 4) != 0)
    {
        AE_ERROR(function, "RVS-Signatur nicht gefunden!");
        return 0;
    }
    // The seven header fields and the sample format; only the last read tells.
    unsigned char b[46] = {};
    file->Read(28, b);
    if (!file->Read(18, b + 28))
    {
        AE_ERROR(function, "Fehler beim Lesen des Soundformats!");
        return 0;
    }
    std::memcpy(&h->dw3D, b + 0, 4);
    std::memcpy(&h->dwFrequencyControl, b + 4, 4);
    std::memcpy(&h->dwVolumeControl, b + 8, 4);
    std::memcpy(&h->dwNumBuffers, b + 12, 4);
    std::memcpy(&h->dwAlgorithm, b + 16, 4);
    std::memcpy(&h->fMinDistance, b + 20, 4);
    std::memcpy(&h->fMaxDistance, b + 24, 4);
    std::memcpy(&h->wFormatTag, b + 28, 2);
    std::memcpy(&h->nChannels, b + 30, 2);
    std::memcpy(&h->nSamplesPerSec, b + 32, 4);
    std::memcpy(&h->nAvgBytesPerSec, b + 36, 4);
    std::memcpy(&h->nBlockAlign, b + 40, 2);
    std::memcpy(&h->wBitsPerSample, b + 42, 2);
    std::memcpy(&h->cbSize, b + 44, 2);
    h->dwDataSize = 0;
    // The data must be in the file before anything is made from its size.
    if (!file->Read(4, &h->dwDataSize) || !aeBoundedReader(file).Fits(h->dwDataSize, 1))
    {
        AE_ERROR(function, "Fehler beim Lesen der Sounddaten!");
        return 0;
    }
    if (h->dwNumBuffers < 1 || h->dwNumBuffers > AE_RVS_MAX_BUFFERS)
    {
        AE_ERROR(function, "Ungültige Anzahl von Soundpuffern (%u) in der RVS-Datei!",
                 static_cast<unsigned>(h->dwNumBuffers));
        return 0;
    }
    if (h->dw3D && h->dwAlgorithm > 2)
    {
        AE_ERROR(function, "Ungültiger 3D-Algorithmus (%u) in der RVS-Datei!", static_cast<unsigned>(h->dwAlgorithm));
        return 0;
    }
    const int channels = h->nChannels, bits = h->wBitsPerSample;
    if (h->wFormatTag != kFormatPCM || h->nSamplesPerSec > static_cast<DWORD>(AE_DSBFREQUENCY_MAX) ||
        !aeAudioDevice::IsPlayableFormat(channels, bits, static_cast<int>(h->nSamplesPerSec)) ||
        h->nBlockAlign != channels * bits / 8)
    {
        AE_ERROR(function,
                 "Das Soundformat der RVS-Datei wird nicht unterstützt (Formattyp %u, %u Kanäle, %u Bit, %u Hz, "
                 "Blockgröße %u)!",
                 static_cast<unsigned>(h->wFormatTag), static_cast<unsigned>(channels), static_cast<unsigned>(bits),
                 static_cast<unsigned>(h->nSamplesPerSec), static_cast<unsigned>(h->nBlockAlign));
        return 0;
    }
    if (h->dw3D && channels != 1)
    {
        AE_ERROR(function, "Ein 3D-Sound muss Mono sein!");
        return 0;
    }
    if (h->dwDataSize < h->nBlockAlign)
    {
        AE_ERROR(function, "Die RVS-Datei enthält keine Sounddaten!");
        return 0;
    }
    return 1;
}

aeSound::aeSound()
    : m_dwNumBuffers(0), m_dwFlags(0), m_bJustStarted(0), m_fMinDistance(0.0f), m_fMaxDistance(0.0f),
      m_dwAlgorithm(0), m_dwSampleRate(0), m_dwLength(0), m_pDevice(nullptr), m_uiSampleBlock(0)
{
    m_acName[0] = 0;
}

aeSound::~aeSound()
{
    Release();
}

void aeSound::Release()
{
    StopAll();
    if (m_pDevice)
    {
        m_pDevice->DeleteSampleBlock(m_uiSampleBlock);
        m_pDevice->Release();
    }
    m_pDevice = nullptr;
    m_uiSampleBlock = 0;
    m_auiVoices.Free();
    m_adwStartTimes.Free();
    m_adwPlayState.Free();
    m_alVolumes.Free();
    m_adwFrequencies.Free();
    m_adwTimeStamps.Free();
    m_avStartVelocities.Free();
    m_avOldPositions.Free();
    m_avVelocities.Free();
    m_dwNumBuffers = 0;
}

// Reads an RVS file into a sample block on the device (if there is one) and
// hands back its description.
static int LoadRVSFile(aeAudioDevice* device, VFile* file, aeRVSHeader* header, unsigned* block)
{
    *block = 0;
    if (!aeReadRVSHeader(file, header, "LoadRVSFile"))
        return 0;
    // The data is uploaded straight from the file's memory.
    const unsigned char* data = file->GetBuffer() + file->GetCursor();
    const int bytes = static_cast<int>(header->dwDataSize);
    file->Seek(bytes, 0);
    if (!device)
        return 1;
    const HRESULT hr =
        device->CreateSampleBlock(header->nChannels, header->wBitsPerSample, static_cast<int>(header->nSamplesPerSec),
                                  data, bytes, header->dw3D != 0, block);
    if (FAILED(hr))
    {
        AE_DXERROR("LoadRVSFile", "pDevice->CreateSampleBlock", hr);
        return 0;
    }
    return 1;
}

int aeSound::Init(VFile* file, const char* name)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeSound::Init");
        return 0;
    }
    Release();
    m_pDevice = aeSoundManager::GetDSound();
    if (m_pDevice)
        m_pDevice->AddRef();
    aeRVSHeader h;
    if (!LoadRVSFile(m_pDevice, file, &h, &m_uiSampleBlock))
    {
        AE_ERROR("aeSound::Init", "Fehler beim Laden der RVS-Datei!");
        Release();
        return 0;
    }
    DWORD flags = AE_DSBCAPS_STATIC | AE_DSBCAPS_LOCDEFER;
    if (h.dwVolumeControl)
        flags |= AE_DSBCAPS_CTRLVOLUME;
    if (h.dwFrequencyControl)
        flags |= AE_DSBCAPS_CTRLFREQUENCY;
    if (h.dw3D)
        flags |= AE_DSBCAPS_CTRL3D;
    m_dwFlags = flags;
    m_dwAlgorithm = h.dw3D ? h.dwAlgorithm : 0;
    m_dwSampleRate = h.nSamplesPerSec;
    m_dwLength = static_cast<DWORD>(static_cast<unsigned long long>(h.dwDataSize / h.nBlockAlign) * 1000u /
                                    h.nSamplesPerSec);
    m_fMinDistance = h.fMinDistance;
    m_fMaxDistance = h.fMaxDistance;
    if (h.dw3D && !(std::isfinite(m_fMinDistance) && m_fMinDistance > 0.0f && std::isfinite(m_fMaxDistance) &&
                    m_fMaxDistance >= m_fMinDistance))
    {
        AE_WARNING("aeSound::Init", "Ungültige 3D-Distanzen (%g, %g) in %s, es gelten die Standardwerte!",
                   static_cast<double>(m_fMinDistance), static_cast<double>(m_fMaxDistance), name);
        m_fMinDistance = kDefaultMinDistance;
        m_fMaxDistance = kDefaultMaxDistance;
    }
    m_bJustStarted = 0;

    const int count = static_cast<int>(h.dwNumBuffers);
    const int count3D = (flags & AE_DSBCAPS_CTRL3D) ? count : 0;
    m_adwStartTimes.Alloc(count);
    m_adwPlayState.Alloc(count);
    m_alVolumes.Alloc(count);
    m_adwFrequencies.Alloc(count);
    m_auiVoices.Alloc(count);
    m_adwTimeStamps.Alloc(count3D);
    m_avStartVelocities.Alloc(count3D);
    m_avOldPositions.Alloc(count3D);
    m_avVelocities.Alloc(count3D);
    if (m_adwStartTimes.GetNumElements() != count || m_adwPlayState.GetNumElements() != count ||
        m_alVolumes.GetNumElements() != count || m_adwFrequencies.GetNumElements() != count ||
        m_auiVoices.GetNumElements() != count || m_adwTimeStamps.GetNumElements() != count3D ||
        m_avStartVelocities.GetNumElements() != count3D || m_avOldPositions.GetNumElements() != count3D ||
        m_avVelocities.GetNumElements() != count3D)
    {
        AE_ERROR("aeSound::Init", "Nicht genug Speicher für die Soundpuffer!");
        Release();
        return 0;
    }
    m_dwNumBuffers = h.dwNumBuffers;
    // Voices are taken from the device only while a buffer plays.
    for (int i = 0; i < count; ++i)
    {
        m_adwFrequencies[i] = m_dwSampleRate;
        m_auiVoices[i] = 0;
    }
    std::strncpy(m_acName, name, sizeof(m_acName) - 1);
    m_acName[sizeof(m_acName) - 1] = 0;
    return 1;
}

int aeSound::CheckBuffer(DWORD buffer, const char* function) const
{
    if (buffer >= m_dwNumBuffers)
    {
        AE_INVALID_PARAMETER(function);
        return 0;
    }
    return 1;
}

int aeSound::Play(DWORD buffer, DWORD /*priority*/, DWORD flags, Vector3 startVelocity)
{
    if (!CheckBuffer(buffer, "aeSound::Play"))
        return 0;
    const int i = static_cast<int>(buffer);
    // Full volume and the file's own rate again.
    if (m_dwFlags & AE_DSBCAPS_CTRLVOLUME)
        SetVolume(buffer, 0);
    if (m_dwFlags & AE_DSBCAPS_CTRLFREQUENCY)
        SetFrequency(buffer, AE_DSBFREQUENCY_ORIGINAL);
    if (m_dwFlags & AE_DSBCAPS_CTRL3D)
        m_avStartVelocities[i] = startVelocity;
    if (m_pDevice)
    {
        // The buffer's settings go to the voice it plays on.
        aeAudioDevice::VoiceSetup setup;
        setup.loop = (flags & AE_DSBPLAY_LOOPING) != 0;
        setup.gain = (m_dwFlags & AE_DSBCAPS_CTRLVOLUME) ? VolumeToGain(m_alVolumes[i]) : 1.0f;
        setup.pitch = static_cast<float>(m_adwFrequencies[i]) / static_cast<float>(m_dwSampleRate);
        if (m_dwFlags & AE_DSBCAPS_CTRL3D)
        {
            setup.positioned = 1;
            setup.minDistance = m_fMinDistance;
            setup.maxDistance = m_fMaxDistance;
            const Vector3& p = m_avOldPositions[i];
            const Vector3& v = m_avVelocities[i];
            setup.position[0] = p.x, setup.position[1] = p.y, setup.position[2] = p.z;
            setup.velocity[0] = v.x, setup.velocity[1] = v.y, setup.velocity[2] = v.z;
        }
        const HRESULT hr = m_pDevice->PlayVoice(m_uiSampleBlock, setup, &m_auiVoices[i]);
        if (hr == aeAudioDevice::kNoFreeVoice)
        {
            AE_ERROR("aeSound::Play",
                     "Das Soundgerät \"%s\" spielt schon %d Sounds gleichzeitig, für %s ist keine Stimme mehr frei!",
                     m_pDevice->GetName(), m_pDevice->GetNumBusyVoices(), m_acName);
            return 0;
        }
        if (FAILED(hr))
        {
            AE_DXERROR("aeSound::Play", "m_pDevice->PlayVoice", hr);
            return 0;
        }
    }
    const DWORD now = timeGetTime();
    if (m_dwFlags & AE_DSBCAPS_CTRL3D)
        m_adwTimeStamps[i] = now;
    m_adwPlayState[i] = (flags & AE_DSBPLAY_LOOPING) | kSounding | kStarted;
    m_bJustStarted = 1;
    m_adwStartTimes[i] = now;
    return 1;
}

int aeSound::PlayAvailableBuffer(DWORD priority, DWORD flags, Vector3 startVelocity)
{
    const int buffer = GetAvailableBuffer();
    if (buffer < 0 || !Play(static_cast<DWORD>(buffer), priority, flags, startVelocity))
        return -1;
    return buffer;
}

int aeSound::GetAvailableBuffer()
{
    const DWORD now = timeGetTime();
    for (DWORD b = 0; b < m_dwNumBuffers; ++b)
    {
        const int i = static_cast<int>(b);
        if ((m_adwPlayState[i] & kStarted) && now - m_adwStartTimes[i] <= kStartGrace)
            continue;
        if (!(GetStatus(b) & AE_DSBSTATUS_PLAYING))
            return i;
    }
    return -1;
}

DWORD aeSound::GetStatus(DWORD buffer)
{
    if (!CheckBuffer(buffer, "aeSound::GetStatus"))
        return 0;
    const int i = static_cast<int>(buffer);
    const DWORD state = m_adwPlayState[i];
    // Playing for the first 50 ms after Play, even if stopped since.
    const DWORD elapsed = timeGetTime() - m_adwStartTimes[i];
    if ((state & kStarted) && elapsed < kStartGrace)
        return AE_DSBSTATUS_PLAYING;
    if (!(state & kSounding))
        return 0;
    if (!(state & AE_DSBPLAY_LOOPING))
    {
        // The data has ended by the clock (at the buffer's present rate, with
        // the grace for the device's latency) ...
        const unsigned long long played =
            static_cast<unsigned long long>(elapsed - kStartGrace) * m_adwFrequencies[i] / m_dwSampleRate;
        if (played >= m_dwLength)
        {
            // A voice the device has finished with goes back to the pool.
            if (m_pDevice)
                m_pDevice->IsVoicePlaying(&m_auiVoices[i]);
            return 0;
        }
    }
    // ... or by the device.
    if (m_pDevice && !m_pDevice->IsVoicePlaying(&m_auiVoices[i]))
        return 0;
    return (state & AE_DSBPLAY_LOOPING) ? AE_DSBSTATUS_PLAYING | AE_DSBSTATUS_LOOPING
                                         : static_cast<DWORD>(AE_DSBSTATUS_PLAYING);
}

int aeSound::Stop(DWORD buffer)
{
    if (!CheckBuffer(buffer, "aeSound::Stop"))
        return 0;
    const int i = static_cast<int>(buffer);
    m_adwPlayState[i] &= ~kSounding;
    if (m_pDevice)
        m_pDevice->StopVoice(&m_auiVoices[i]);
    return 1;
}

int aeSound::StopAll()
{
    for (int i = 0; i < m_adwPlayState.GetNumElements(); ++i)
    {
        m_adwPlayState[i] &= ~kSounding;
        if (m_pDevice && i < m_auiVoices.GetNumElements())
            m_pDevice->StopVoice(&m_auiVoices[i]);
    }
    return 1;
}

int aeSound::SetPosition(DWORD buffer, const Vector3& position, float velocityFactor)
{
    if (!CheckBuffer(buffer, "aeSound::SetPosition"))
        return 0;
    if (!(m_dwFlags & AE_DSBCAPS_CTRL3D))
    {
        AE_ERROR("aeSound::SetPosition", "Dies ist kein 3D-Sound!");
        return 0;
    }
    const int i = static_cast<int>(buffer);
    if (m_pDevice)
        m_pDevice->SetVoicePosition(m_auiVoices[i], position);
    const DWORD now = timeGetTime();
    if (m_bJustStarted)
    {
        m_avVelocities[i] = m_avStartVelocities[i];
        m_adwTimeStamps[i] = now;
        m_avOldPositions[i] = position;
        m_bJustStarted = 0;
    }
    else
    {
        // Two calls within one millisecond keep the last velocity and measure
        // the next one over the longer interval.
        if (now == m_adwTimeStamps[i])
            return 1;
        const float dt = static_cast<float>(now - m_adwTimeStamps[i]) * 0.001f;
        m_avVelocities[i] = (position - m_avOldPositions[i]) / dt * velocityFactor;
        m_adwTimeStamps[i] = now;
        m_avOldPositions[i] = position;
    }
    if (m_pDevice)
        m_pDevice->SetVoiceVelocity(m_auiVoices[i], m_avVelocities[i]);
    return 1;
}

int aeSound::SetVolume(DWORD buffer, LONG volume)
{
    if (!CheckBuffer(buffer, "aeSound::SetVolume"))
        return 0;
    if (!(m_dwFlags & AE_DSBCAPS_CTRLVOLUME) || volume < AE_DSBVOLUME_MIN || volume > AE_DSBVOLUME_MAX)
        return 0;
    const int i = static_cast<int>(buffer);
    if (m_pDevice && FAILED(m_pDevice->SetVoiceGain(m_auiVoices[i], VolumeToGain(volume))))
        return 0;
    m_alVolumes[i] = volume;
    return 1;
}

int aeSound::SetPan(DWORD buffer, LONG pan)
{
    if (!CheckBuffer(buffer, "aeSound::SetPan"))
        return 0;
    // Buffers are never made with pan control.
    (void)pan;
    return 0;
}

int aeSound::SetFrequency(DWORD buffer, DWORD frequency)
{
    if (!CheckBuffer(buffer, "aeSound::SetFrequency"))
        return 0;
    if (frequency == AE_DSBFREQUENCY_ORIGINAL)
        frequency = m_dwSampleRate;
    if (!(m_dwFlags & AE_DSBCAPS_CTRLFREQUENCY) || frequency < static_cast<DWORD>(AE_DSBFREQUENCY_MIN) ||
        frequency > static_cast<DWORD>(AE_DSBFREQUENCY_MAX))
        return 0;
    const int i = static_cast<int>(buffer);
    const float pitch = static_cast<float>(frequency) / static_cast<float>(m_dwSampleRate);
    if (m_pDevice && FAILED(m_pDevice->SetVoicePitch(m_auiVoices[i], pitch)))
        return 0;
    m_adwFrequencies[i] = frequency;
    return 1;
}

LONG aeSound::GetVolume(DWORD buffer)
{
    if (!CheckBuffer(buffer, "aeSound::GetVolume") || !(m_dwFlags & AE_DSBCAPS_CTRLVOLUME))
        return 0;
    return m_alVolumes[static_cast<int>(buffer)];
}

LONG aeSound::GetPan(DWORD buffer)
{
    CheckBuffer(buffer, "aeSound::GetPan");
    return 0;
}

DWORD aeSound::GetFrequency(DWORD buffer)
{
    if (!CheckBuffer(buffer, "aeSound::GetFrequency") || !(m_dwFlags & AE_DSBCAPS_CTRLFREQUENCY))
        return 0;
    return m_adwFrequencies[static_cast<int>(buffer)];
}

Vector3 aeSound::GetOldPosition(DWORD buffer) const
{
    if (buffer >= static_cast<DWORD>(m_avOldPositions.GetNumElements()))
        return Vector3(0.0f);
    return m_avOldPositions[static_cast<int>(buffer)];
}

Vector3 aeSound::GetVelocity(DWORD buffer) const
{
    if (buffer >= static_cast<DWORD>(m_avVelocities.GetNumElements()))
        return Vector3(0.0f);
    return m_avVelocities[static_cast<int>(buffer)];
}

unsigned aeSound::GetVoice(DWORD buffer) const
{
    if (buffer >= static_cast<DWORD>(m_auiVoices.GetNumElements()))
        return 0;
    return m_auiVoices[static_cast<int>(buffer)];
}
