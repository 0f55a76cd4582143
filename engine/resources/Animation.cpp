#include "Animation.h"
#include "VFile.h"
#include "aeError.h"

#include <cstring>

// Smallest object record of an RVAN file: type, name length, key count.
static const int kMinObjectBytes = 12;
// One key frame in the file: time, visible flag and nine floats.
static const int kKeyFrameBytes = 44;

aeAnimObject::aeAnimObject() : m_pModel(nullptr), m_iType(0)
{
    m_acName[0] = 0;
}

aeAnimObject::~aeAnimObject()
{
    Exit();
}

void aeAnimObject::Exit()
{
    m_aKeyFrames.Free();
}

int aeAnimObject::Init(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeAnimObject::Init");
        return 0;
    }
    int length = 0;
    if (!file->Read(4, &m_iType) || !file->Read(4, &length))
    {
        AE_ERROR("aeAnimObject::Init", "Die Animationsdatei endet vorzeitig!");
        return 0;
    }
    if (length < 0 || length > 255 || length > file->GetRemaining())
    {
        AE_ERROR("aeAnimObject::Init", "Ungültige Namenslänge %d in der Animationsdatei!", length);
        return 0;
    }
    file->Read(length, m_acName);
    m_acName[length] = 0;

    int count = 0;
    if (!file->Read(4, &count) || count < 0 || count > file->GetRemaining() / kKeyFrameBytes)
    {
        AE_ERROR("aeAnimObject::Init", "Ungültige Anzahl von Schlüsselbildern in der Animationsdatei!");
        return 0;
    }
    m_aKeyFrames.Alloc(count);
    if (m_aKeyFrames.GetNumElements() != count)
    {
        AE_ERROR("aeAnimObject::Init", "Nicht genug Speicher für die Schlüsselbilder!");
        return 0;
    }
    for (int i = 0; i < count; ++i)
    {
        aeKeyFrame& key = m_aKeyFrames[i];
        file->Read(4, &key.m_fTime);
        file->Read(4, &key.m_bVisible);
        file->Read(12, &key.m_vPosition.x);
        file->Read(12, &key.m_vRotation.x);
        file->Read(12, &key.m_vScale.x);
    }
    // Models and textures are looked up by name once their managers exist.
    m_pModel = nullptr;
    return 1;
}

aeKeyFrame* aeAnimObject::GetNextKeyFrame(float t)
{
    const int count = m_aKeyFrames.GetNumElements();
    if (count == 0)
        return nullptr;
    int best = -1;
    for (int i = 0; i < count; ++i)
    {
        const float time = m_aKeyFrames[i].m_fTime;
        if (time >= t && time < 1.1f && (best < 0 || time < m_aKeyFrames[best].m_fTime))
            best = i;
    }
    return &m_aKeyFrames[best < 0 ? 0 : best];
}

aeKeyFrame* aeAnimObject::GetPrevKeyFrame(float t)
{
    const int count = m_aKeyFrames.GetNumElements();
    if (count == 0)
        return nullptr;
    int best = -1;
    for (int i = 0; i < count; ++i)
    {
        const float time = m_aKeyFrames[i].m_fTime;
        if (time <= t && time > -0.1f && (best < 0 || time > m_aKeyFrames[best].m_fTime))
            best = i;
    }
    return &m_aKeyFrames[best < 0 ? 0 : best];
}

aeAnimation::aeAnimation() : m_fTime(0.0f)
{
    m_acName[0] = 0;
}

aeAnimation::~aeAnimation()
{
    Exit();
}

void aeAnimation::Exit()
{
    m_aObjects.Clear();
}

int aeAnimation::Init(VFile* file, const char* name)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeAnimation::Init");
        return 0;
    }
    char magic[4] = {0, 0, 0, 0};
    file->Read(4, magic);
    if (std::memcmp(magic, "RVAN", 4) != 0)
    {
        AE_ERROR("aeAnimation::Init", "Falscher Four-Characters-Code!");
        return 0;
    }
    int count = 0;
    if (!file->Read(4, &m_fTime) || !file->Read(4, &count) || count < 0 ||
        count > file->GetRemaining() / kMinObjectBytes)
    {
        AE_ERROR("aeAnimation::Init", "Ungültige Objektanzahl in der Animationsdatei!");
        return 0;
    }
    Exit();
    for (int i = 0; i < count; ++i)
    {
        aeAnimObject* object = m_aObjects.Insert();
        if (!object || !object->Init(file))
        {
            Exit();
            return 0;
        }
    }
    std::strncpy(m_acName, name, sizeof(m_acName) - 1);
    m_acName[sizeof(m_acName) - 1] = 0;
    return 1;
}
