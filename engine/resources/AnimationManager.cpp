#include "Animation.h"
#include "VFile.h"
#include "aeArchive.h"
#include "aeError.h"
#include "aeMain.h"

#include <cstring>
#include <new>

// The basic sprite model among the engine library's own resources.
static const int kBasicSpriteResource = 101;

int aeAnimationManager::m_bInitialized = 0;
DynList<aeAnimation> aeAnimationManager::m_aAnimations;
aeModel* aeAnimationManager::m_pBasicSpriteModel = nullptr;

int aeAnimationManager::Init()
{
    if (m_bInitialized)
        Exit();
    m_aAnimations.Clear();
    LoadBasicSpriteModel();
    m_bInitialized = 1;
    return 1;
}

// Without the sprite model the manager still runs; sprite objects then find no
// model and are not drawn.
void aeAnimationManager::LoadBasicSpriteModel()
{
    delete m_pBasicSpriteModel;
    m_pBasicSpriteModel = nullptr;
    VFile file;
    if (!file.Init(aeMain::GetDLLHandle(), MAKEINTRESOURCE(kBasicSpriteResource), "RVM"))
        return;
    aeModel* model = new (std::nothrow) aeModel();
    if (!model || !model->Init(&file, AE_BASIC_SPRITE_MODEL))
    {
        delete model;
        AE_ERROR("aeAnimationManager::Init", "Das Basis-Sprite-Modell konnte nicht geladen werden!");
        return;
    }
    m_pBasicSpriteModel = model;
}

void aeAnimationManager::Exit()
{
    if (!m_bInitialized)
        return;
    m_aAnimations.Clear();
    delete m_pBasicSpriteModel;
    m_pBasicSpriteModel = nullptr;
    m_bInitialized = 0;
}

void aeAnimationManager::PrepareRestore()
{
    if (m_pBasicSpriteModel)
        m_pBasicSpriteModel->PrepareRestore();
    const int count = m_aAnimations.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aAnimations[i]->PrepareRestore();
}

int aeAnimationManager::Restore()
{
    if (m_pBasicSpriteModel && !m_pBasicSpriteModel->Restore())
        return 0;
    const int count = m_aAnimations.GetNumElements();
    for (int i = 0; i < count; ++i)
        m_aAnimations[i]->Restore();
    return 1;
}

int aeAnimationManager::AddAnimation(VFile* file, const char* name, aeAnimation** out)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeAnimationManager::AddAnimation");
        return 0;
    }
    aeAnimation* animation = m_aAnimations.Insert();
    if (!animation)
        return 0;
    if (!animation->Init(file, name))
    {
        m_aAnimations.Remove(animation);
        return 0;
    }
    if (out)
        *out = animation;
    return 1;
}

static void AddArchiveEntry(VFile* entry, char* name)
{
    aeAnimationManager::AddAnimation(entry, name, nullptr);
}

int aeAnimationManager::AddAnimationArchive(VFile* archive)
{
    if (!archive)
    {
        AE_INVALID_PARAMETER("aeAnimationManager::AddAnimationArchive");
        return 0;
    }
    if (!m_bInitialized)
    {
        AE_ERROR("aeAnimationManager::AddAnimationArchive", "Sie müssen erst den AnimationManager initialisieren!");
        return 0;
    }
    if (!aeReadArchive(archive, AddArchiveEntry))
    {
        AE_ERROR("aeAnimationManager::AddAnimationArchive", "Fehler beim lesen des Archivs!");
        return 0;
    }
    return 1;
}

int aeAnimationManager::FindAnimation(const char* name)
{
    if (!m_bInitialized)
    {
        AE_ERROR("aeAnimationManager::FindAnimation", "Der AnimationManager wurde noch nicht initialisiert!");
        return -1;
    }
    if (!name)
    {
        AE_INVALID_PARAMETER("aeAnimationManager::FindAnimation");
        return -1;
    }
    const int count = m_aAnimations.GetNumElements();
    for (int i = 0; i < count; ++i)
        if (std::strcmp(m_aAnimations[i]->m_acName, name) == 0)
            return i;
    return -1;
}

aeAnimation* aeAnimationManager::GetAnimation(const char* name)
{
    const int index = FindAnimation(name);
    return index < 0 ? nullptr : m_aAnimations.GetElement(index);
}

void aeAnimationManager::DeleteAnimation(int index)
{
    if (index < 0 || index >= m_aAnimations.GetNumElements())
    {
        AE_INVALID_PARAMETER("aeAnimationManager::DeleteAnimation");
        return;
    }
    m_aAnimations.Remove(index);
}

void aeAnimationManager::DeleteAnimation(const char* name)
{
    if (!name)
    {
        AE_INVALID_PARAMETER("aeAnimationManager::DeleteAnimation");
        return;
    }
    const int index = FindAnimation(name);
    if (index < 0)
    {
        AE_ERROR("aeAnimationManager::DeleteAnimation", "Die Animation wurde nicht gefunden!");
        return;
    }
    m_aAnimations.Remove(index);
}
