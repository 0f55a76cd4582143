#pragma once
// Where the game writes. A game tree the user can write to (the build's tree,
// a copy in the home folder) keeps everything inside: the log beside the
// program in bin/, savegames in ../savegame/, screenshots in bin/. An
// installed game (program, maps and data read-only, as a package puts them)
// writes into the user's folders instead:
//   savegames    $XDG_DATA_HOME/<app>/savegame/    (default ~/.local/share)
//   screenshots  $XDG_DATA_HOME/<app>/screenshots/
//   the log      $XDG_STATE_HOME/<app>/            (default ~/.local/state)
// The game keeps its relative names; the file layer redirects them
// (aeRedirectFolder, aeRedirectFiles).
//
// A tree counts as installed when the file "installed" lies beside the
// program (the install step puts it there; as root every folder is writable,
// so this is what decides for a package), or when the working folder (bin/)
// or the folder above it cannot be written.

#include <string>

// The marker's name beside the program.
#define AE_INSTALLED_MARKER "installed"

struct aeUserFolders
{
    int bInstalled = 0;
    // Native absolute paths (UTF-8) of where each kind of file goes.
    std::string sSavegames;
    std::string sScreenshots;
    std::string sLog;
};

// The decision alone: programDir holds the program, workDir is the working
// folder (native paths).
int aeIsInstalledTree(const char* programDir, const char* workDir);

// The user's folder for one kind of data: the absolute path in the variable
// (XDG_DATA_HOME, XDG_STATE_HOME), else fallback below the home folder
// (".local/share"), then appName.
std::string aeXdgFolder(const char* variable, const char* fallback, const char* appName);

// Decides once for this process, sets up the redirects of the game's
// relative names (savegameFolder such as "..\\savegame", logPattern such as
// "*.log", screenshotPattern such as "Screenshot *.bmp") and creates the
// user's folders when installed. Fills folders (may be null). Returns 0 when
// the user's folders cannot be created (the game then still runs: what
// cannot be written fails where it is written).
int aeSetUpUserFolders(const char* appName, const char* savegameFolder, const char* logPattern,
                       const char* screenshotPattern, aeUserFolders* folders);
