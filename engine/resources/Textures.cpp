#include "aeResourceRegistry.h"
#include "aeTextureManager.h"
#include "VFile.h"
#include "aeArchive.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "d3dx9.h"

#include <cstring>

int aeTextureManager::m_bInitialized = 0;
DynList<aeTexture> aeTextureManager::m_aTextures;

static unsigned long s_ulArchiveColorKey = 0;

// The manager owns its textures outright, whatever other references exist.
static void ReleaseCompletely(IDirect3DTexture9* texture)
{
    if (texture)
        while (texture->Release() > 0)
        {
        }
}

IDirect3DTexture9* aeLoadTexture(VFile* file, unsigned long colorKey)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeLoadTexture");
        return nullptr;
    }
    if (!aeGrafik::GetDevice())
    {
        AE_ERROR("aeLoadTexture", "Das Grafikgerät wurde noch nicht initialisiert!");
        return nullptr;
    }
    // The image's own format first, then the formats every device offers.
    static const D3DFORMAT kFormats[] = {D3DFMT_UNKNOWN, D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5};
    HRESULT hr = E_FAIL;
    for (D3DFORMAT format : kFormats)
    {
        IDirect3DTexture9* texture = nullptr;
        hr = D3DXCreateTextureFromFileInMemoryEx(aeGrafik::GetDevice(), file->GetBuffer() + file->GetCursor(),
                                                 static_cast<UINT>(file->GetRemaining()), D3DX_DEFAULT, D3DX_DEFAULT,
                                                 D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                                 static_cast<D3DCOLOR>(colorKey), nullptr, nullptr, &texture);
        if (SUCCEEDED(hr) && texture)
            return texture;
    }
    AE_DXERROR("aeLoadTexture", "D3DXCreateTextureFromFileInMemoryEx", hr);
    return nullptr;
}

int aeTextureManager::Init()
{
    if (m_bInitialized)
        Exit();
    m_aTextures.Clear();
    m_bInitialized = 1;
    return 1;
}

void aeTextureManager::Exit()
{
    if (!m_bInitialized)
        return;
    for (int i = 0; i < m_aTextures.GetNumElements(); ++i)
        ReleaseCompletely(m_aTextures[i]->pTexture);
    m_aTextures.Clear();
    m_bInitialized = 0;
}

int aeTextureManager::AddTexture(VFile* file, const char* name, unsigned long colorKey, IDirect3DTexture9** out)
{
    if (!file || !name)
    {
        AE_INVALID_PARAMETER("aeTextureManager::AddTexture");
        return 0;
    }
    IDirect3DTexture9* texture = aeLoadTexture(file, colorKey);
    if (!texture)
    {
        AE_ERROR("aeTextureManager::AddTexture", "Fehler beim laden der Textur!");
        return 0;
    }
    aeTexture* entry = m_aTextures.Insert();
    if (!entry)
    {
        ReleaseCompletely(texture);
        return 0;
    }
    entry->pTexture = texture;
    std::snprintf(entry->acName, sizeof(entry->acName), "%s", name);
    if (out)
        *out = texture;
    return 1;
}

static void AddArchiveEntry(VFile* entry, char* name)
{
    aeTextureManager::AddTexture(entry, name, s_ulArchiveColorKey, nullptr);
}

int aeTextureManager::AddTextureArchive(VFile* archive, unsigned long colorKey)
{
    if (!archive)
    {
        AE_INVALID_PARAMETER("aeTextureManager::AddTextureArchive");
        return 0;
    }
    if (!m_bInitialized)
    {
        AE_ERROR("aeTextureManager::AddTextureArchive", "Sie müssen erst den TextureManager initialisieren!");
        return 0;
    }
    s_ulArchiveColorKey = colorKey;
    if (!aeReadArchive(archive, AddArchiveEntry))
    {
        AE_ERROR("aeTextureManager::AddTextureArchive", "Fehler beim lesen des Archivs!");
        return 0;
    }
    return 1;
}

int aeTextureManager::FindTexture(const char* name)
{
    static const aeRegistryText kText = {"Textures.cpp", nullptr, nullptr, "aeTextureManager::FindTexture", nullptr,
                                         nullptr, "Der TextureManager wurde noch nicht initialisiert!", nullptr};
    return aeRegistryFind(m_aTextures, m_bInitialized, name, kText, __LINE__,
                          [](const auto& entry) { return entry.acName; });
}

IDirect3DTexture9* aeTextureManager::GetTexture(int index)
{
    // An index past the end is treated like a missing one.
    if (index < 0 || index >= m_aTextures.GetNumElements())
        return nullptr;
    return m_aTextures[index]->pTexture;
}

char* aeTextureManager::GetTextureName(int index)
{
    if (index < 0 || index >= m_aTextures.GetNumElements())
        return nullptr;
    return m_aTextures[index]->acName;
}

void aeTextureManager::DeleteTexture(int index)
{
    if (index < 0 || index >= m_aTextures.GetNumElements())
    {
        AE_INVALID_PARAMETER("aeTextureManager::DeleteTexture");
        return;
    }
    ReleaseCompletely(m_aTextures[index]->pTexture);
    m_aTextures.Remove(index);
}

void aeTextureManager::DeleteTexture(const char* name)
{
    if (!name)
    {
        AE_INVALID_PARAMETER("aeTextureManager::DeleteTexture");
        return;
    }
    const int index = FindTexture(name);
    if (index < 0)
    {
        AE_ERROR("aeTextureManager::DeleteTexture", "Die Textur wurde nicht gefunden!");
        return;
    }
    DeleteTexture(index);
}
