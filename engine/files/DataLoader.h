#pragma once
// Fills the resource managers from one data directory (the base directory):
// each kind of resource from its own subdirectory, as loose files and as ZIP
// archives.
//
// Animations and sounds are loaded here; textures and models join with their
// managers on the graphics side, and with them the device-restore path.

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
    static char* GetBaseDir() { return m_acBaseDir; }
    static int IsLoaded() { return m_bLoaded; }

private:
    static int LoadAnimations();
    static int LoadSounds();
    static int LoadAnimationsCallback(int isFile, char* path);
    static int LoadSoundsCallback(int isFile, char* path);
};
