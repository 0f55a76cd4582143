#pragma once
// The player's settings: screen resolution, anti-aliasing, cursor speed and the
// kind of two-colour 3D glasses. They are kept in the registry of the current
// user; resolution and anti-aliasing go to the engine's configuration and,
// while the game runs, take effect through a re-initialisation.

#include "Engine.h"

struct Resolution
{
    int iWidth;
    int iHeight;
    int iRefreshRate;
};

class Options
{
public:
    static DynArray<Resolution> m_aResolutions;
    static int m_iSelectedResolution;
    static int m_bMultiSampling;
    static D3DMULTISAMPLE_TYPE m_MultiSamplingType;
    static int m_iCursorSpeed;
    static int m_i3DGlasses;
    static int m_bApplied;

    static void Init();
    static int Load();
    static int Apply();
    static int Save();
    static int PrevCursorSpeed();
    static int NextCursorSpeed();
    static int Prev3DGlasses();
    static int Next3DGlasses();
    static void ToggleMultiSampling();
    static void PrevResolution();
    static void NextResolution();
    static char* GetSelectedResolutionString(char* buffer);

    // Adds a display mode to the list of resolutions: modes below 640 × 480
    // are left out, and of one size only the highest refresh rate is kept.
    static void AddResolution(const D3DDISPLAYMODE& mode);
    // Selects the listed mode of that size; 0 (selection unchanged) if none.
    static int SelectResolution(int width, int height);
    // Frees the list of resolutions (at shutdown).
    static void FreeResolutions();

private:
    static int WriteValue(const char* name, int value, const char* function);
};

// The registry key of the options, below the current user.
extern const char* const kOptionsRegistryKey;
