#include "Animation.h"
#include "aeError.h"

int aeAnimationPlayer::Init(aeAnimation* animation)
{
    if (!animation)
    {
        AE_INVALID_PARAMETER("aeAnimationPlayer::Init");
        return 0;
    }
    m_pAnimation = animation;
    m_fTime = 0.0f;
    m_bLoop = 0;
    m_fSpeed = 1.0f;
    return 1;
}

int aeAnimationPlayer::Init(const char* name)
{
    if (!name)
    {
        AE_INVALID_PARAMETER("aeAnimationPlayer::Init");
        return 0;
    }
    aeAnimation* animation = aeAnimationManager::GetAnimation(aeAnimationManager::FindAnimation(name));
    if (!animation)
    {
        AE_ERROR("aeAnimationPlayer::Init", "Die Animation konnte nicht gefunden werden!");
        return 0;
    }
    return Init(animation);
}

int aeAnimationPlayer::IsFinished() const
{
    return !m_pAnimation || m_fTime >= m_pAnimation->GetTime();
}

float aeAnimationPlayer::Advance(float dt)
{
    if (!m_pAnimation)
        return 0.0f;
    const float duration = m_pAnimation->GetTime();
    m_fTime += m_fSpeed * dt;
    if (m_bLoop)
    {
        if (m_fTime < 0.0f)
            m_fTime += duration;
        if (m_fTime > duration)
            m_fTime -= duration;
    }
    else
    {
        if (m_fTime < 0.0f)
            m_fTime = 0.0f;
        if (m_fTime > duration)
            m_fTime = duration;
    }
    return m_fTime / duration;
}

int aeAnimationPlayer::Render(float dt, Matrix world, Vector3 eye, Vector3 right, int mode)
{
    if (!m_pAnimation)
        return 0;
    const float t = Advance(dt);
    return m_pAnimation->Render(t, world, eye, right, mode) ? 1 : 0;
}

int aeAnimationPlayer::RenderEx(float dt, Matrix world, Vector3 eye, Vector3 right, Color tint, int mode)
{
    if (!m_pAnimation)
        return 0;
    const float t = Advance(dt);
    return m_pAnimation->RenderEx(t, world, eye, right, tint, mode) ? 1 : 0;
}
