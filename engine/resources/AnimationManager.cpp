#include "aeResourceRegistry.h"
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

namespace
{
const aeRegistryText kRegistry = AE_REGISTRY_TEXT(AnimationManager, Animation, "AnimationManager.cpp", "Die Animation wurde nicht gefunden!");
}

AE_REGISTRY_OPERATIONS(aeAnimationManager, Animation, aeAnimation, m_aAnimations)
