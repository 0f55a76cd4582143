#include "Animation.h"
#include "BoundedReader.h"
#include "VFile.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "aeTextureManager.h"

#include <cstring>

// Smallest object record of an RVAN file: type, name length, key count.
static const int kMinObjectBytes = 12;
// One key frame in the file: time, visible flag and nine floats.
static const int kKeyFrameBytes = 44;

aeAnimObject::aeAnimObject() : m_pModel(nullptr), m_pSpriteTexture(nullptr), m_iType(0)
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
    aeBoundedReader in(file);
    if (!in.Fits(length, 1, 255))
    {
        AE_ERROR("aeAnimObject::Init", "Ungültige Namenslänge %d in der Animationsdatei!", length);
        return 0;
    }
    file->Read(length, m_acName);
    m_acName[length] = 0;

    int count = 0;
    if (!in.ReadCount(&count, kKeyFrameBytes))
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
    Restore();
    return 1;
}

int aeAnimObject::Restore()
{
    // A model of the name wins; otherwise a texture of the name is shown on
    // the basic sprite model. Models and textures must be loaded before the
    // animations that use them.
    m_pModel = nullptr;
    m_pSpriteTexture = nullptr;
    const int model = aeModelManager::FindModel(m_acName);
    if (model >= 0)
    {
        m_pModel = aeModelManager::GetModel(model);
        return 1;
    }
    const int texture = aeTextureManager::FindTexture(m_acName);
    if (texture >= 0)
    {
        m_pSpriteTexture = aeTextureManager::GetTexture(texture);
        m_pModel = aeAnimationManager::GetBasicSpriteModel();
    }
    return 1;
}

void aeAnimObject::PrepareRestore()
{
    // Only the built-in sprite quad is touched: a model of the model manager
    // may already be gone when the device is lost.
    aeModel* sprite = aeAnimationManager::GetBasicSpriteModel();
    if (sprite && m_pModel == sprite && sprite->GetNumMaterials() > 0)
        sprite->GetMaterial(0)->pTexture = nullptr;
    m_pSpriteTexture = nullptr;
}

static Vector3 Lerp(const Vector3& a, const Vector3& b, float f)
{
    return a + (b - a) * f;
}

int aeAnimObject::GetWorldMatrix(float t, const Matrix& world, const Vector3& eye, const Vector3& right,
                                 int atWorldPosition, Matrix* out)
{
    // Written so that a NaN time is outside as well.
    if (m_aKeyFrames.GetNumElements() == 0 || !(t >= 0.0f && t <= 1.0f) || !out)
        return 0;
    const aeKeyFrame* next = GetNextKeyFrame(t);
    const aeKeyFrame* prev = GetPrevKeyFrame(t);
    const float d = next->m_fTime - prev->m_fTime;
    float f = 0.0f;
    int visible = prev->m_bVisible;
    if (d > 0.001f)
    {
        f = (t - prev->m_fTime) / d;
        if (f >= 0.5f)
            visible = next->m_bVisible;
    }
    if (!visible)
        return 0;
    const Vector3 s = Lerp(prev->m_vScale, next->m_vScale, f);
    const Vector3 r = Lerp(prev->m_vRotation, next->m_vRotation, f);
    const Vector3 p = Lerp(prev->m_vPosition, next->m_vPosition, f);

    Matrix m = MatrixScaling(s) * MatrixRotation(r.x, r.y, r.z);
    if (m_iType >= AE_BILLBOARD_FULL && m_iType <= AE_BILLBOARD_Z)
    {
        const Vector3 at = atWorldPosition ? Vector3TransformCoords(p, world, nullptr) : p;
        Vector3 x, y, z;
        switch (m_iType)
        {
        case AE_BILLBOARD_FULL:
            z = Vector3Normalize(at - eye);
            y = Vector3Normalize(Vector3Cross(z, right));
            x = Vector3Normalize(Vector3Cross(z, y));
            break;
        case AE_BILLBOARD_X:
            x = Vector3(1.0f, 0.0f, 0.0f);
            y = Vector3Normalize(Vector3Cross(x, Vector3Normalize(eye - at)));
            z = Vector3Normalize(Vector3Cross(x, y));
            break;
        case AE_BILLBOARD_Y:
            y = Vector3(0.0f, 1.0f, 0.0f);
            x = Vector3Normalize(Vector3Cross(y, Vector3Normalize(at - eye)));
            z = Vector3Normalize(Vector3Cross(x, y));
            break;
        default:
            z = Vector3(0.0f, 0.0f, 1.0f);
            y = Vector3Normalize(Vector3Cross(z, right));
            x = Vector3Normalize(Vector3Cross(y, z));
            break;
        }
        m = m * MatrixAxes(x, y, z);
    }
    *out = m * MatrixTranslation(p) * world;
    return 1;
}

// Draws the model with the matrix set; a sprite first puts its own texture into
// the shared quad's material.
static int DrawObject(aeAnimObject* object, const Matrix& matrix, const Color* tint, int mode)
{
    Matrix m = matrix;
    aeGrafik::SetWorldMatrix(&m);
    aeModel* model = object->m_pModel;
    if (object->m_pSpriteTexture && model->GetNumMaterials() > 0)
        model->GetMaterial(0)->pTexture = object->m_pSpriteTexture;
    return (tint ? model->RenderEx(*tint, mode) : model->Render(mode)) ? 1 : 0;
}

int aeAnimObject::Render(float t, Matrix world, Vector3 eye, Vector3 right, int mode)
{
    if (!m_pModel)
        return 0;
    Matrix m;
    if (!GetWorldMatrix(t, world, eye, right, 1, &m))
        return 1;
    if (!aeGrafik::GetDevice())
        return 0;
    return DrawObject(this, m, nullptr, mode);
}

int aeAnimObject::RenderEx(float t, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode)
{
    if (!m_pModel)
        return 0;
    Matrix m;
    if (!GetWorldMatrix(t, world, eye, right, 0, &m))
        return 1;
    if (!aeGrafik::GetDevice())
        return 0;
    return DrawObject(this, m, &tint, mode);
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
    aeBoundedReader in(file);
    if (!file->Read(4, &m_fTime) || !in.ReadCount(&count, kMinObjectBytes))
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

void aeAnimation::PrepareRestore()
{
    const int count = m_aObjects.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aObjects[i]->PrepareRestore();
}

int aeAnimation::Restore()
{
    const int count = m_aObjects.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aObjects[i]->Restore();
    return 1;
}

int aeAnimation::Render(float t, Matrix world, Vector3 eye, Vector3 right, int mode)
{
    const int count = m_aObjects.GetNumElements();
    for (int i = 0; i < count; ++i)
        if (!m_aObjects[i]->Render(t, world, eye, right, mode))
            return 0;
    return 1;
}

int aeAnimation::RenderEx(float t, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode)
{
    const int count = m_aObjects.GetNumElements();
    for (int i = 0; i < count; ++i)
        if (!m_aObjects[i]->RenderEx(t, world, eye, right, tint, mode))
            return 0;
    return 1;
}
