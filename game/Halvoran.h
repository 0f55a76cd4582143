#pragma once
// The game program's application object: start-up, re-initialisation,
// restore after a lost device and shutdown, the two per-frame callbacks, and
// the data that the game states share.

#include "Engine.h"

class GameState;

// A savegame known to the game: where it lies and which map it belongs to.
struct SavegameEntry
{
    char acFile[256];  // "..\\savegame\\" and the file name
    char acMap[256];   // the map path stored at the head of the savegame
};

// How the program was started (from the command line).
struct HalvoranStartOptions
{
    int bWindowed = 0;       // a normal window of the video mode's size instead of full screen
    float fQuitAfter = 0.0f; // > 0: quit by itself after this many seconds (unattended runs)
    char acMap[256] = {};    // start on this map at once (no intro, no menu)
    char acRecord[256] = {}; // record the run into this demo file
    char acDemo[256] = {};   // play this demo back
    int bTimedemo = 0;       // play it as fast as frames are drawn and report the rate
    char acTimedemoCsv[256] = {}; // a timedemo writes every frame's time into this file
    float fLoseDevice = 0.0f; // > 0: the graphics device is lost this often, in seconds (soak runs)
};

class Halvoran
{
public:
    static HINSTANCE m_hInstance;
    static IDirect3DStateBlock9* m_pStateBlock;
    static GameState* m_pCurrentState;
    static int m_iCurrentState;
    static int m_bReinit;
    static char m_acMap[256];
    static VFile* m_pSavegameFile;
    static DynList<SavegameEntry> m_aSavegames;
    static HalvoranStartOptions m_Start;
    // A notice for the player that the next menu shows on its main page (a
    // map that could not be played); empty when there is none.
    static char m_acNotice[256];

    static int Init(HINSTANCE instance);
    static void Exit(int error);
    static int Reinit();
    static int Restore();
    static int Move(float elapsed);
    static int Render(float elapsed);
    static int SetState(int id);

    // Creates the state of an id (0 intro, 1 menu, 2 in-game); null otherwise.
    static GameState* CreateState(int id);
    // Applies the start-up state block to the device (when both exist).
    static void ApplyStateBlock();
    // Reads the savegame directory into m_aSavegames, creating the directory
    // when it does not exist.
    static int ScanSavegames();
    // The interface cursor's speed factor from the option (0.5, 1 or 2).
    static float GetCursorSpeedFactor();
    // The interface text colour for the stereo option.
    static Color GetTextColor();

    // Sets m_acNotice, printf-style.
    static void SetNotice(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Checks that the game's own data is there; otherwise the missing folder
    // or file is named in text (256 bytes) and 0 is returned.
    static int CheckGameData(char* text, int size);

    // The window procedure of the windowed mode's own window.
    static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static int InitDevices(const char* function);
    static int CreateStateBlock(const char* function, int dxTemplate);
    static int ScanSavegameCallback(int isFile, char* path);
};

// The program's entry: command line, single-instance rule, start-up, message
// loop with re-initialisation, shutdown. Returns the process's exit code:
// 0 after a normal end, -1 after a failure, -2 when another copy runs.
int HalvoranMain(HINSTANCE instance, int argc, char** argv);

// Reads the command line into options; 0 (with a message on standard error)
// for an argument the program does not know.
int HalvoranParseArguments(int argc, char** argv, HalvoranStartOptions* options);
