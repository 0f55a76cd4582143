#pragma once
// The registry of named textures. Names are compared exactly and may repeat;
// a lookup finds the first entry of a name.

#include "DynList.h"

class IDirect3DTexture9;
class VFile;

struct aeTexture
{
    IDirect3DTexture9* pTexture; // owned by the entry
    char acName[256];
};

class aeTextureManager
{
public:
    static int m_bInitialized;
    static DynList<aeTexture> m_aTextures;

    static int Init();
    static void Exit();
    static int IsInitialized() { return m_bInitialized; }

    static int AddTexture(VFile* file, const char* name, unsigned long colorKey, IDirect3DTexture9** out);
    static int AddTextureArchive(VFile* archive, unsigned long colorKey);
    static int FindTexture(const char* name);
    static IDirect3DTexture9* GetTexture(int index);
    static IDirect3DTexture9* GetTexture(const char* name) { return GetTexture(FindTexture(name)); }
    static char* GetTextureName(int index);
    static int GetNumTextures() { return m_aTextures.GetNumElements(); }
    static void DeleteTexture(int index);
    static void DeleteTexture(const char* name);
};

// Creates a texture from the image file at the file's cursor; null on failure.
IDirect3DTexture9* aeLoadTexture(VFile* file, unsigned long colorKey);
