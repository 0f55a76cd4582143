#include "DataLoader.h"
#include "Animation.h"
#include "Sound.h"
#include "VFile.h"
#include "aeDirectory.h"
#include "aeError.h"

#include <cstdio>
#include <cstring>

char aeDataLoader::m_acBaseDir[256] = "";
int aeDataLoader::m_bLoaded = 0;

int aeDataLoader::Load(const char* baseDir, unsigned long flags)
{
    if (!baseDir)
    {
        AE_INVALID_PARAMETER("aeDataLoader::Load");
        return 0;
    }
    std::snprintf(m_acBaseDir, sizeof(m_acBaseDir), "%s", baseDir);
    if ((flags & AE_LOAD_ANIMATIONS) && !aeAnimationManager::IsInitialized())
    {
        if (!aeAnimationManager::Init())
        {
            AE_ERROR("aeDataLoader::Load", "Fehler beim initialisieren des Animations-Managers!");
            return 0;
        }
        LoadAnimations();
    }
    if ((flags & AE_LOAD_SOUNDS) && aeSoundManager::IsInitialized())
        LoadSounds();
    m_bLoaded = 1;
    return 1;
}

void aeDataLoader::Unload()
{
    aeSoundManager::DeleteSounds();
    aeAnimationManager::Exit();
    m_acBaseDir[0] = 0;
    m_bLoaded = 0;
}

int aeDataLoader::LoadAnimations()
{
    char path[512];
    std::snprintf(path, sizeof(path), "%sanimations\\", m_acBaseDir);
    if (!aeSearchDirectory(path, LoadAnimationsCallback, "*.*", 1))
    {
        AE_ERROR("aeDataLoader::LoadAnimations", "Fehler beim Durchsuchen des Verzeichnisses!");
        return 0;
    }
    return 1;
}

int aeDataLoader::LoadSounds()
{
    char path[512];
    std::snprintf(path, sizeof(path), "%ssounds\\", m_acBaseDir);
    if (!aeSearchDirectory(path, LoadSoundsCallback, "*.*", 1))
    {
        AE_ERROR("aeDataLoader::LoadSounds", "Fehler beim Durchsuchen des Verzeichnisses!");
        return 0;
    }
    return 1;
}

int aeDataLoader::LoadAnimationsCallback(int /*isFile*/, char* path)
{
    const char* extension = GetFilenameExtension(path);
    const char* name = RemoveDir(path);
    const bool archive = std::strcmp(extension, "zip") == 0;
    if (!archive && std::strcmp(extension, "ran") != 0)
    {
        AE_ERROR("LoadAnimationsCallback", "Unbekannte Animationsdatei gefunden!");
        return 1;
    }
    VFile file;
    if (!file.Init(path))
        return 1;
    if (archive)
    {
        if (!aeAnimationManager::AddAnimationArchive(&file))
            AE_ERROR("LoadAnimationsCallback", "Fehler beim Laden des Animation-Archivs %s!", name);
    }
    else if (!aeAnimationManager::AddAnimation(&file, name, nullptr))
        AE_ERROR("LoadAnimationsCallback", "Fehler beim Laden der Animation %s!", name);
    return 1;
}

int aeDataLoader::LoadSoundsCallback(int /*isFile*/, char* path)
{
    const char* extension = GetFilenameExtension(path);
    const char* name = RemoveDir(path);
    const bool archive = std::strcmp(extension, "zip") == 0;
    if (!archive && std::strcmp(extension, "rvs") != 0)
    {
        AE_ERROR("LoadSoundsCallback", "Unbekannte Sounddatei gefunden!");
        return 1;
    }
    VFile file;
    if (!file.Init(path))
        return 1;
    if (archive)
    {
        if (!aeSoundManager::AddSoundArchive(&file))
            AE_ERROR("LoadSoundsCallback", "Fehler beim Laden des Sound-Archivs %s!", name);
    }
    else if (!aeSoundManager::AddSound(&file, name, nullptr))
        AE_ERROR("LoadSoundsCallback", "Fehler beim Laden des Sounds %s!", name);
    return 1;
}
