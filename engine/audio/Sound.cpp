#include "Sound.h"
#include "VFile.h"
#include "aeError.h"

#include <cstring>

// Marks a buffer that was started and has not been stopped.
static const DWORD kSounding = 0x80000000u;
// A buffer counts as playing for this long after Play, whatever the output says.
static const DWORD kStartGrace = 50;
// More buffers than this for one effect are taken as a broken file.
static const DWORD kMaxBuffers = 256;

aeSound::aeSound()
    : m_dwNumBuffers(0), m_dwFlags(0), m_bJustStarted(0), m_fMinDistance(0.0f), m_fMaxDistance(0.0f), m_dwLength(0)
{
    m_acName[0] = 0;
}

aeSound::~aeSound()
{
    StopAll();
}

// Reads an RVS file: the header, the sample format and the sample data. The
// samples themselves are only measured until an output device takes them.
static int LoadRVSFile(VFile* file, DWORD* numBuffers, DWORD* flags, float* minDistance, float* maxDistance,
                       DWORD* length)
{
    char magic[4] = {1, 1, 1, 1};
    if (!file->Read(4, magic))
    {
        AE_ERROR("LoadRVSFile", "Fehler beim Lesen der Datei!");
        return 0;
    }
    if (std::memcmp(magic, "RVS", 4) != 0)
    {
        AE_ERROR("LoadRVSFile", "RVS-Signatur nicht gefunden!");
        return 0;
    }
    DWORD header[7] = {0, 0, 0, 0, 0, 0, 0};
    unsigned char format[18];
    file->Read(28, header);
    if (!file->Read(18, format))
    {
        AE_ERROR("LoadRVSFile", "Fehler beim Lesen des Soundformats!");
        return 0;
    }
    const DWORD is3D = header[0], frequency = header[1], volume = header[2], buffers = header[3],
                algorithm = header[4];
    DWORD dataSize = 0;
    if (!file->Read(4, &dataSize) || dataSize > static_cast<DWORD>(file->GetRemaining()))
    {
        AE_ERROR("LoadRVSFile", "Fehler beim Lesen der Sounddaten!");
        return 0;
    }
    if (buffers < 1 || buffers > kMaxBuffers || (is3D && algorithm > 2))
    {
        AE_ERROR("LoadRVSFile", "Ungültiger Kopf der RVS-Datei (%u Puffer, 3D-Algorithmus %u)!",
                 static_cast<unsigned>(buffers), static_cast<unsigned>(algorithm));
        return 0;
    }
    file->Seek(static_cast<int>(dataSize), 0);

    *flags = AE_DSBCAPS_STATIC | AE_DSBCAPS_LOCDEFER;
    if (volume)
        *flags |= AE_DSBCAPS_CTRLVOLUME;
    if (frequency)
        *flags |= AE_DSBCAPS_CTRLFREQUENCY;
    if (is3D)
        *flags |= AE_DSBCAPS_CTRL3D;
    *numBuffers = buffers;
    std::memcpy(minDistance, &header[5], 4);
    std::memcpy(maxDistance, &header[6], 4);
    // Average bytes per second sits at offset 8 of the sample format.
    DWORD bytesPerSecond;
    std::memcpy(&bytesPerSecond, format + 8, 4);
    *length = bytesPerSecond ? static_cast<DWORD>(static_cast<unsigned long long>(dataSize) * 1000u / bytesPerSecond) : 0;
    return 1;
}

int aeSound::Init(VFile* file, const char* name)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeSound::Init");
        return 0;
    }
    DWORD buffers = 0, flags = 0, length = 0;
    float minDistance = 0.0f, maxDistance = 0.0f;
    if (!LoadRVSFile(file, &buffers, &flags, &minDistance, &maxDistance, &length))
    {
        AE_ERROR("aeSound::Init", "Fehler beim Laden der RVS-Datei!");
        return 0;
    }
    m_dwNumBuffers = buffers;
    m_dwFlags = flags;
    m_fMinDistance = minDistance;
    m_fMaxDistance = maxDistance;
    m_dwLength = length;
    m_bJustStarted = 0;
    const int count = static_cast<int>(buffers);
    m_adwStartTimes.Alloc(count);
    m_adwPlayState.Alloc(count);
    const int count3D = (flags & AE_DSBCAPS_CTRL3D) ? count : 0;
    m_adwTimeStamps.Alloc(count3D);
    m_avStartVelocities.Alloc(count3D);
    m_avOldPositions.Alloc(count3D);
    m_avVelocities.Alloc(count3D);
    if (m_adwStartTimes.GetNumElements() != count || m_adwPlayState.GetNumElements() != count ||
        m_avVelocities.GetNumElements() != count3D)
    {
        AE_ERROR("aeSound::Init", "Nicht genug Speicher für die Soundpuffer!");
        return 0;
    }
    std::strncpy(m_acName, name, sizeof(m_acName) - 1);
    m_acName[sizeof(m_acName) - 1] = 0;
    return 1;
}

int aeSound::Play(DWORD buffer, DWORD /*priority*/, DWORD flags, Vector3 startVelocity)
{
    if (buffer >= m_dwNumBuffers)
    {
        AE_INVALID_PARAMETER("aeSound::Play");
        return 0;
    }
    const int i = static_cast<int>(buffer);
    const DWORD now = timeGetTime();
    if (m_dwFlags & AE_DSBCAPS_CTRL3D)
    {
        m_avStartVelocities[i] = startVelocity;
        m_adwTimeStamps[i] = now;
    }
    m_adwPlayState[i] = (flags & AE_DSBPLAY_LOOPING) | kSounding;
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
        if ((m_adwPlayState[i] & kSounding) && now - m_adwStartTimes[i] <= kStartGrace)
            continue;
        if (!(GetStatus(b) & AE_DSBSTATUS_PLAYING))
            return i;
    }
    return -1;
}

DWORD aeSound::GetStatus(DWORD buffer)
{
    if (buffer >= m_dwNumBuffers)
    {
        AE_INVALID_PARAMETER("aeSound::GetStatus");
        return 0;
    }
    const int i = static_cast<int>(buffer);
    const DWORD state = m_adwPlayState[i];
    if (!(state & kSounding))
        return 0;
    const DWORD elapsed = timeGetTime() - m_adwStartTimes[i];
    if (elapsed < kStartGrace)
        return AE_DSBSTATUS_PLAYING;
    if (state & AE_DSBPLAY_LOOPING)
        return AE_DSBSTATUS_PLAYING | AE_DSBSTATUS_LOOPING;
    return elapsed < m_dwLength ? static_cast<DWORD>(AE_DSBSTATUS_PLAYING) : 0u;
}

int aeSound::Stop(DWORD buffer)
{
    if (buffer >= m_dwNumBuffers)
    {
        AE_INVALID_PARAMETER("aeSound::Stop");
        return 0;
    }
    m_adwPlayState[static_cast<int>(buffer)] &= ~kSounding;
    return 1;
}

int aeSound::StopAll()
{
    for (int i = 0; i < m_adwPlayState.GetNumElements(); ++i)
        m_adwPlayState[i] &= ~kSounding;
    return 1;
}

int aeSound::SetPosition(DWORD buffer, const Vector3& position, float velocityFactor)
{
    if (buffer >= m_dwNumBuffers)
    {
        AE_INVALID_PARAMETER("aeSound::SetPosition");
        return 0;
    }
    if (!(m_dwFlags & AE_DSBCAPS_CTRL3D))
    {
        AE_ERROR("aeSound::SetPosition", "Dies ist kein 3D-Sound!");
        return 0;
    }
    const int i = static_cast<int>(buffer);
    const DWORD now = timeGetTime();
    if (m_bJustStarted)
    {
        m_avVelocities[i] = m_avStartVelocities[i];
        m_adwTimeStamps[i] = now;
        m_avOldPositions[i] = position;
        m_bJustStarted = 0;
        return 1;
    }
    // Two calls within one millisecond keep the last velocity and measure the
    // next one over the longer interval.
    if (now == m_adwTimeStamps[i])
        return 1;
    const float dt = static_cast<float>(now - m_adwTimeStamps[i]) * 0.001f;
    m_avVelocities[i] = (position - m_avOldPositions[i]) / dt * velocityFactor;
    m_adwTimeStamps[i] = now;
    m_avOldPositions[i] = position;
    return 1;
}
