#include "aeUserFolders.h"
#include "aeFileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace
{
std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

std::string WorkFolder()
{
    std::error_code error;
    const std::filesystem::path work = std::filesystem::current_path(error);
    return error ? std::string(".") : work.string();
}

// An absolute native path for a name relative to the working folder.
std::string Absolute(const std::string& work, const std::string& native)
{
    const std::filesystem::path path(native);
    std::string absolute = (path.is_absolute() ? path : std::filesystem::path(work) / path).lexically_normal().string();
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();
    return absolute;
}

bool MakeFolders(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error && std::filesystem::is_directory(path, error);
}
}

int aeIsInstalledTree(const char* programDir, const char* workDir)
{
    if (programDir && *programDir && access((std::string(programDir) + "/" AE_INSTALLED_MARKER).c_str(), F_OK) == 0)
        return 1;
    if (!workDir || !*workDir)
        return 0;
    const std::string work = workDir;
    return access(work.c_str(), W_OK) != 0 || access((work + "/..").c_str(), W_OK) != 0;
}

std::string aeXdgFolder(const char* variable, const char* fallback, const char* appName)
{
    // Relative values are invalid by the base-directory rules and ignored.
    const char* value = variable ? std::getenv(variable) : nullptr;
    std::string base = value && value[0] == '/' ? std::string(value) : HomeFolder() + "/" + (fallback ? fallback : "");
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base + "/" + (appName ? appName : "");
}

int aeSetUpUserFolders(const char* appName, const char* savegameFolder, const char* logPattern,
                       const char* screenshotPattern, aeUserFolders* folders)
{
    aeUserFolders result;
    const std::string work = WorkFolder();
    aeClearRedirects();
    result.bInstalled = aeIsInstalledTree(ProgramFolder().c_str(), work.c_str());
    int ok = 1;
    if (result.bInstalled)
    {
        const std::string data = aeXdgFolder("XDG_DATA_HOME", ".local/share", appName);
        result.sSavegames = data + "/savegame";
        result.sScreenshots = data + "/screenshots";
        result.sLog = aeXdgFolder("XDG_STATE_HOME", ".local/state", appName);
        for (const std::string* folder : {&result.sSavegames, &result.sScreenshots, &result.sLog})
            ok = MakeFolders(*folder) && ok;
        aeRedirectFolder(savegameFolder, result.sSavegames.c_str());
        aeRedirectFiles(logPattern, result.sLog.c_str());
        aeRedirectFiles(screenshotPattern, result.sScreenshots.c_str());
    }
    else
    {
        result.sSavegames = Absolute(work, aeNativePath(savegameFolder));
        result.sScreenshots = work;
        result.sLog = work;
    }
    if (folders)
        *folders = result;
    return ok;
}
