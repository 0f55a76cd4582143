#pragma once
// Fills the resource managers from one data directory (the base directory):
// textures, models, animations and sounds, each from its own subdirectory, as
// loose files and as ZIP archives; and carries them through a lost device.

enum : unsigned long
{
    AE_LOAD_TEXTURES = 1,
    AE_LOAD_MODELS = 2,
    AE_LOAD_ANIMATIONS = 4,
    AE_LOAD_SOUNDS = 8,
};

class aeDataLoader
{
public:
    static char m_acBaseDir[256];
    static int m_bLoaded;

    // Stores baseDir and loads the selected kinds into managers that are not
    // yet running (sounds: whenever the sound manager runs). 0 only when the
    // animation manager cannot start.
    static int Load(const char* baseDir, unsigned long flags);
    // Deletes every sound (the sound manager stays), ends the other managers
    // and forgets the base directory.
    static void Unload();
    // Before the device is rebuilt: animations and models drop their device
    // objects, the textures go.
    static void PrepareRestore();
    // After the device is rebuilt: textures are read again from the base
    // directory, then models and animations find them by name.
    static int Restore();
    static char* GetBaseDir() { return m_acBaseDir; }
    static int IsLoaded() { return m_bLoaded; }

private:
    static int LoadTextures();
    static int LoadModels();
    static int LoadAnimations();
    static int LoadSounds();
    static int LoadTexturesCallback(int isFile, char* path);
    static int LoadModelsCallback(int isFile, char* path);
    static int LoadAnimationsCallback(int isFile, char* path);
    static int LoadSoundsCallback(int isFile, char* path);
};
