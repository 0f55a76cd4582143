#include "DataLoader.h"
#include "Animation.h"
#include "Sound.h"
#include "VFile.h"
#include "aeDirectory.h"
#include "aeError.h"
#include "aeModel.h"
#include "aeTextureManager.h"

#include <cstdio>
#include <cstring>

char aeDataLoader::m_acBaseDir[256] = "";
int aeDataLoader::m_bLoaded = 0;

namespace
{
// Textures of the data directories: opaque magenta is transparent.
const unsigned long kColorKey = 0xFFFF00FF;

// How one kind of resource is found and added.
struct Kind
{
    const char* pcSubdirectory;   // "textures\\"
    const char* pcStep;           // function name of the loading step
    const char* pcCallback;       // function name of the per-file callback
    const char* pcExtension;      // null: every file that is not an archive
    const char* pcUnknown;        // message for a file of another extension
    const char* pcArchiveFailed;  // "Fehler beim Laden des …-Archivs %s!"
    const char* pcFileFailed;     // "Fehler beim Laden der/des … %s!"
    int (*pfnAddArchive)(VFile* archive);
    int (*pfnAddFile)(VFile* file, const char* name);
};

int AddTextureArchive(VFile* archive) { return aeTextureManager::AddTextureArchive(archive, kColorKey); }
int AddTexture(VFile* file, const char* name) { return aeTextureManager::AddTexture(file, name, kColorKey, nullptr); }
int AddModelArchive(VFile* archive) { return aeModelManager::AddModelArchive(archive); }
int AddModel(VFile* file, const char* name) { return aeModelManager::AddModel(file, name, nullptr); }
int AddAnimationArchive(VFile* archive) { return aeAnimationManager::AddAnimationArchive(archive); }
int AddAnimation(VFile* file, const char* name) { return aeAnimationManager::AddAnimation(file, name, nullptr); }
int AddSoundArchive(VFile* archive) { return aeSoundManager::AddSoundArchive(archive); }
int AddSound(VFile* file, const char* name) { return aeSoundManager::AddSound(file, name, nullptr); }

const Kind kTextures = {"textures\\", "aeDataLoader::LoadTextures", "LoadTexturesCallback", nullptr, nullptr,
                        "Fehler beim Laden des Texturen-Archivs %s!", "Fehler beim Laden der Textur %s!",
                        AddTextureArchive, AddTexture};
const Kind kModels = {"models\\", "aeDataLoader::LoadModels", "LoadModelsCallback", "rvm",
                      "Unbekannte Modelldatei gefunden!", "Fehler beim Laden des Modell-Archivs %s!",
                      "Fehler beim Laden des Modells %s!", AddModelArchive, AddModel};
const Kind kAnimations = {"animations\\", "aeDataLoader::LoadAnimations", "LoadAnimationsCallback", "ran",
                          "Unbekannte Animationsdatei gefunden!", "Fehler beim Laden des Animation-Archivs %s!",
                          "Fehler beim Laden der Animation %s!", AddAnimationArchive, AddAnimation};
const Kind kSounds = {"sounds\\", "aeDataLoader::LoadSounds", "LoadSoundsCallback", "rvs",
                      "Unbekannte Sounddatei gefunden!", "Fehler beim Laden des Sound-Archivs %s!",
                      "Fehler beim Laden des Sounds %s!", AddSoundArchive, AddSound};

// Adds one file of a kind's directory; always goes on with the next file.
int LoadFile(const Kind& kind, const char* path)
{
    const char* extension = GetFilenameExtension(path);
    const char* name = RemoveDir(path);
    const bool archive = std::strcmp(extension, "zip") == 0;
    if (!archive && kind.pcExtension && std::strcmp(extension, kind.pcExtension) != 0)
    {
        aeReportError(__FILE_NAME__, __LINE__, kind.pcCallback, "%s", kind.pcUnknown);
        return 1;
    }
    VFile file;
    if (!file.Init(path))
        return 1;
    if (archive)
    {
        if (!kind.pfnAddArchive(&file))
            aeReportError(__FILE_NAME__, __LINE__, kind.pcCallback, kind.pcArchiveFailed, name);
    }
    else if (!kind.pfnAddFile(&file, name))
        aeReportError(__FILE_NAME__, __LINE__, kind.pcCallback, kind.pcFileFailed, name);
    return 1;
}

int LoadKind(const Kind& kind, aeDirectoryCallback callback)
{
    char path[512];
    std::snprintf(path, sizeof(path), "%s%s", aeDataLoader::m_acBaseDir, kind.pcSubdirectory);
    if (!aeSearchDirectory(path, callback, "*.*", 1))
    {
        aeReportError(__FILE_NAME__, __LINE__, kind.pcStep, "Fehler beim Durchsuchen des Verzeichnisses!");
        return 0;
    }
    return 1;
}
}

int aeDataLoader::LoadTexturesCallback(int, char* path) { return LoadFile(kTextures, path); }
int aeDataLoader::LoadModelsCallback(int, char* path) { return LoadFile(kModels, path); }
int aeDataLoader::LoadAnimationsCallback(int, char* path) { return LoadFile(kAnimations, path); }
int aeDataLoader::LoadSoundsCallback(int, char* path) { return LoadFile(kSounds, path); }
int aeDataLoader::LoadTextures() { return LoadKind(kTextures, LoadTexturesCallback); }
int aeDataLoader::LoadModels() { return LoadKind(kModels, LoadModelsCallback); }
int aeDataLoader::LoadAnimations() { return LoadKind(kAnimations, LoadAnimationsCallback); }
int aeDataLoader::LoadSounds() { return LoadKind(kSounds, LoadSoundsCallback); }

int aeDataLoader::Load(const char* baseDir, unsigned long flags)
{
    if (!baseDir)
    {
        AE_INVALID_PARAMETER("aeDataLoader::Load");
        return 0;
    }
    // A base directory that does not fit its buffer cannot name its files.
    if (std::strlen(baseDir) >= sizeof(m_acBaseDir))
    {
        AE_ERROR("aeDataLoader::Load", "Der Pfad %.64s... ist zu lang!", baseDir);
        return 0;
    }
    std::strcpy(m_acBaseDir, baseDir);
    if ((flags & AE_LOAD_TEXTURES) && !aeTextureManager::IsInitialized())
    {
        aeTextureManager::Init();
        LoadTextures();
    }
    if ((flags & AE_LOAD_MODELS) && !aeModelManager::IsInitialized())
    {
        aeModelManager::Init();
        LoadModels();
    }
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
    aeModelManager::Exit();
    aeTextureManager::Exit();
    m_acBaseDir[0] = 0;
    m_bLoaded = 0;
}

void aeDataLoader::PrepareRestore()
{
    aeAnimationManager::PrepareRestore();
    aeModelManager::PrepareRestore();
    aeTextureManager::Exit();
}

int aeDataLoader::Restore()
{
    aeTextureManager::Init();
    if (!LoadTextures())
        return 0;
    if (!aeModelManager::Restore())
    {
        AE_ERROR("aeDataLoader::Restore", "Fehler beim restaurieren des Modell-Managers");
        return 0;
    }
    if (!aeAnimationManager::Restore())
    {
        AE_ERROR("aeDataLoader::Restore", "Fehler beim restaurieren des Animations-Managers!");
        return 0;
    }
    return 1;
}
