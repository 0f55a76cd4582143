// Halvoran - Nachtweg: the application object and the program's entry.

#include "Halvoran.h"
#include "Game.h"
#include "GameState.h"
#include "Intro.h"
#include "Menu.h"
#include "Options.h"
#include "Savegame.h"
#include "aeConsole.h"
#include "aeFileSystem.h"
#include "aeInstanceLock.h"
#include "aeSignals.h"
#include "aeLogFile.h"
#include "aeRegistry.h"
#include "aeText.h"
#include "aeUserFolders.h"

#include <cstdarg>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

HINSTANCE Halvoran::m_hInstance = nullptr;
IDirect3DStateBlock9* Halvoran::m_pStateBlock = nullptr;
GameState* Halvoran::m_pCurrentState = nullptr;
int Halvoran::m_iCurrentState = 0;
int Halvoran::m_bReinit = 0;
char Halvoran::m_acMap[256] = "";
VFile* Halvoran::m_pSavegameFile = nullptr;
DynList<SavegameEntry> Halvoran::m_aSavegames;
HalvoranStartOptions Halvoran::m_Start;
char Halvoran::m_acNotice[256] = "";

namespace
{
const char* const kTitle = "Halvoran - Nachtweg";
const char* const kMutexName = "Halvoran - Nachtweg Multiple Instances Mutex";
const char* const kSavegameDir = "..\\savegame\\";
const char* const kLoopError = "Fehler bei der Ausführung des Programms!";

// Set by SIGTERM and SIGINT: the program ends as if its window were closed.
volatile std::sig_atomic_t s_bTerminate = 0;
DWORD s_dwLoopStart = 0;

void OnTerminate(int)
{
    s_bTerminate = 1;
    aeMain::m_bQuit = 1;
}

// The window of the windowed mode, owned by the application.
HWND s_hOwnWindow = nullptr;

void DestroyOwnWindow()
{
    if (!s_hOwnWindow)
        return;
    if (aeGrafik::m_hWindow == s_hOwnWindow)
        aeGrafik::m_hWindow = nullptr;
    aeDestroyWindow(s_hOwnWindow);
    s_hOwnWindow = nullptr;
}

HICON LoadProgramIcon()
{
    const unsigned char* data = nullptr;
    int size = 0;
    if (Halvoran::m_hInstance && aeFindResource(Halvoran::m_hInstance, MAKEINTRESOURCE(101), "ICON", &data, &size))
        return const_cast<unsigned char*>(data);
    return nullptr;
}

// Where this run writes, one line each (paths in the log's own text).
void LogUserFolders(const aeUserFolders& folders, int made)
{
    if (folders.bInstalled)
        aeLog::Write("Das Spiel ist installiert: Was es schreibt, liegt in den Ordnern des Benutzers.");
    if (!made)
        AE_WARNING("Halvoran::Init", "Die Ordner des Benutzers konnten nicht alle angelegt werden!");
    const std::string log = folders.sLog + "/" + aeCp1252ToUtf8(aeLogFileName());
    aeLog::Write("Spielstände werden in \"%s\" gespeichert.", aeUtf8ToCp1252(folders.sSavegames.c_str()).c_str());
    aeLog::Write("Das Logbuch wird in \"%s\" geschrieben.", aeUtf8ToCp1252(log.c_str()).c_str());
    aeLog::Write("Bildschirmfotos werden in \"%s\" gespeichert.", aeUtf8ToCp1252(folders.sScreenshots.c_str()).c_str());
    aeLog::Write("Die Einstellungen werden in \"%s\" gespeichert.",
                 aeUtf8ToCp1252(aeRegistryFileForKey(kOptionsRegistryKey).c_str()).c_str());
}

void ReportAndShow(const char* function, const char* text)
{
    AE_ERROR(function, "%s", text);
    aeGrafik::DoMessageBox(text, "Fehler", MB_ICONEXCLAMATION);
}

// Full screen: the engine's window of the desktop's size. Windowed: a normal
// window of the configured video mode's size, made anew for every start so
// that a changed resolution changes its size.
int InitGraphics()
{
    if (!Halvoran::m_Start.bWindowed)
        return aeGrafik::Init(kTitle, LoadProgramIcon());
    DestroyOwnWindow();
    s_hOwnWindow = aeCreateWindow(kTitle, static_cast<int>(aeConfig::m_VideoMode.Width),
                                  static_cast<int>(aeConfig::m_VideoMode.Height), &Halvoran::WindowProc);
    if (!s_hOwnWindow)
        return 0;
    aeSetWindowIcon(s_hOwnWindow, LoadProgramIcon());
    return aeGrafik::Init(s_hOwnWindow);
}

void DeleteCurrentState()
{
    if (GameState* state = Halvoran::m_pCurrentState)
    {
        Halvoran::m_pCurrentState = nullptr;
        state->Exit();
        delete state;
    }
}

// After a timedemo: frames, seconds and frames per second, on standard
// output and in the log.
void ReportTimedemo()
{
    if (!aeDemo::IsPlaying() || !aeDemo::IsTimedemo())
        return;
    const int frames = aeDemo::GetFrames();
    const double seconds = aeDemo::GetWallMs() / 1000.0;
    const double fps = seconds > 0.0 ? frames / seconds : 0.0;
    char line[200];
    std::snprintf(line, sizeof(line), "Timedemo: %d Bilder in %.2f Sekunden = %.1f Bilder pro Sekunde", frames, seconds,
                  fps);
    aeLog::Write("%s", line);
    aeConsolePrint(stdout, "%s\n", line);

    const std::vector<float>& times = aeDemo::GetFrameTimes();
    const aeFrameTimeStats stats = aeDemo::GetFrameTimeStats(times);
    std::snprintf(line, sizeof(line),
                  "Bildzeiten in ms: min %.2f, Mittel %.2f, max %.2f, Standardabweichung %.2f, 99. Perzentil %.2f",
                  stats.fMin, stats.fAverage, stats.fMax, stats.fStdDev, stats.fP99);
    aeLog::Write("%s", line);
    aeConsolePrint(stdout, "%s\n", line);
    if (!Halvoran::m_Start.acTimedemoCsv[0])
        return;
    std::string csv = "Bild;Millisekunden\n";
    char row[48];
    for (size_t i = 0; i < times.size(); ++i)
    {
        std::snprintf(row, sizeof(row), "%zu;%.3f\n", i + 1, static_cast<double>(times[i]));
        csv += row;
    }
    if (!aeWriteFileAtomically(Halvoran::m_Start.acTimedemoCsv, csv.data(), csv.size()))
    {
        AE_ERROR("Halvoran::Exit", "Die Bildzeiten konnten nicht in \"%s\" gespeichert werden!", Halvoran::m_Start.acTimedemoCsv);
        aeConsolePrint(stderr, "Halvoran: Die Bildzeiten konnten nicht in \"%s\" gespeichert werden\n",
                       Halvoran::m_Start.acTimedemoCsv);
    }
}

// A screenshot that could not be written is told for a few seconds over
// whatever state runs.
const DWORD kScreenshotNoticeMs = 4000;
aeFont* s_pNoticeFont = nullptr;
DWORD s_dwScreenshotFailedAt = 0;
int s_bScreenshotNotice = 0;

void DeleteNoticeFont()
{
    delete s_pNoticeFont;
    s_pNoticeFont = nullptr;
}

void DrawScreenshotNotice()
{
    if (aeGrafik::m_bScreenshotFailed)
    {
        aeGrafik::m_bScreenshotFailed = 0;
        s_bScreenshotNotice = 1;
        s_dwScreenshotFailedAt = timeGetTime();
    }
    if (!s_bScreenshotNotice)
        return;
    if (timeGetTime() - s_dwScreenshotFailedAt > kScreenshotNoticeMs)
    {
        s_bScreenshotNotice = 0;
        DeleteNoticeFont();
        return;
    }
    if (!s_pNoticeFont)
        s_pNoticeFont = NewInterfaceFont(30.0f);
    if (s_pNoticeFont)
        s_pNoticeFont->DrawTextA(Vector2(0.5f, 0.05f), Color(1.0f, 0.25f, 0.0f, 1.0f),
                                 "Das Bildschirmfoto konnte nicht gespeichert werden!", -1);
}

void ReleaseStateBlock()
{
    if (Halvoran::m_pStateBlock)
    {
        Halvoran::m_pStateBlock->Release();
        Halvoran::m_pStateBlock = nullptr;
    }
}

// What ending and re-initialising share: the state, then everything that
// holds the device, then the devices themselves.
void ShutDownDevices()
{
    DeleteCurrentState();
    DeleteNoticeFont();
    aeCursor::Exit();
    ReleaseStateBlock();
    aeDataLoader::Unload();
    aeSoundManager::Exit();
    aeInput::Exit();
    aeGrafik::Exit();
}
}

LRESULT Halvoran::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ACTIVATE:
        // A normal window is not minimised when it loses the focus; the game
        // only pauses until it has it again.
        aeMain::m_bActive = (wParam & 0xFFFF) != WA_INACTIVE ? 1 : 0;
        return 1;
    case WM_CLOSE:
        aeMain::m_bQuit = 1;
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int Halvoran::CreateStateBlock(const char* function, int dxTemplate)
{
    IDirect3DDevice9* device = aeGrafik::GetDevice();
    HRESULT hr = D3DERR_INVALIDCALL;
    if (device)
        hr = device->CreateStateBlock(D3DSBT_ALL, &m_pStateBlock);
    if (FAILED(hr))
    {
        m_pStateBlock = nullptr;
        if (dxTemplate)
            AE_DXERROR(function, "aeGrafik::GetDevice()->CreateStateBlock", hr);
        else
            ReportAndShow(function, "Fehler beim initialisieren des State-Blocks!");
        return 0;
    }
    return 1;
}

int Halvoran::InitDevices(const char* function)
{
    if (!InitGraphics())
    {
        ReportAndShow(function, "Fehler beim initialisieren der Grafik!");
        return 0;
    }
    if (!CreateStateBlock(function, 0))
        return 0;
    if (!aeInput::Init())
    {
        ReportAndShow(function, "Fehler beim initialisieren der Eingabegeräte!");
        return 0;
    }
    if (!aeSoundManager::Init())
    {
        ReportAndShow(function, "Fehler beim initialisieren des Sounds!");
        return 0;
    }
    return 1;
}

void Halvoran::SetNotice(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_acNotice, sizeof(m_acNotice), format, args);
    va_end(args);
}

int Halvoran::CheckGameData(char* text, int size)
{
    // What the intro, the menu and every map need before anything is drawn.
    static const struct
    {
        const char* pcPath;
        int bFolder;
    } kNeeded[] = {
        {"..\\maps\\", 1},
        {"..\\data\\", 1},
        {"..\\data\\menu_interface\\", 1},
        {"..\\data\\menu_interface\\textures\\interface.zip", 0},
    };
    for (const auto& needed : kNeeded)
    {
        const int present = needed.bFolder ? aeDirectoryExists(needed.pcPath) : aeFileReadable(needed.pcPath);
        if (present)
            continue;
        std::snprintf(text, static_cast<size_t>(size),
                      needed.bFolder ? "Die Spieldaten sind unvollständig: Der Ordner \"%s\" fehlt!"
                                     : "Die Spieldaten sind unvollständig: Die Datei \"%s\" fehlt!",
                      needed.pcPath);
        return 0;
    }
    return 1;
}

int Halvoran::Init(HINSTANCE instance)
{
    m_hInstance = instance;
    aeMain::Init();
    // An installed game writes into the user's folders; decided before the
    // log is opened, which is one of the files that move.
    aeUserFolders folders;
    const int foldersMade = aeSetUpUserFolders("halvoran", kSavegameDir, "*.log", "Screenshot *.bmp", &folders);
    aeLog::Init(kTitle, "Halvoran");
    aeLog::WriteDirect("\r\n--- Programmstart ---\r\n");
    LogUserFolders(folders, foldersMade);
    char missing[256];
    if (!CheckGameData(missing, sizeof(missing)))
    {
        ReportAndShow("Halvoran::Init", missing);
        return 0;
    }
    Options::Init();
    if (!InitDevices("Halvoran::Init"))
        return 0;
    m_acMap[0] = 0;
    aeCursor::Init(Vector2(0.5f, 0.5f));

    // A map named on the command line is started at once, without intro.
    const int first = m_Start.acMap[0] ? STATE_GAME : STATE_INTRO;
    if (first == STATE_GAME)
        std::snprintf(m_acMap, sizeof(m_acMap), "%s", m_Start.acMap);
    m_pCurrentState = CreateState(first);
    m_iCurrentState = first;
    if (!m_pCurrentState || !m_pCurrentState->Init())
        return 0;
    if (!ScanSavegames())
        return 0;
    if (m_Start.acDemo[0] && !aeDemo::StartPlayback(m_Start.acDemo, m_Start.bTimedemo))
    {
        ReportAndShow("Halvoran::Init", "Die Demo konnte nicht geladen werden!");
        return 0;
    }
    if (m_Start.acRecord[0] && !aeDemo::StartRecording(m_Start.acRecord))
        return 0;
    return 1;
}

int Halvoran::ScanSavegameCallback(int, char* path)
{
    SavegameEntry* entry = m_aSavegames.Insert();
    if (!entry)
        return 0;
    std::snprintf(entry->acFile, sizeof(entry->acFile), "%s", path);
    entry->acMap[0] = 0;
    VFile file;
    if (!file.Init(path) || !ReadSavegameHeader(&file, entry->acMap))
        // Listed all the same (it can still be deleted), with no map.
        AE_WARNING("Halvoran::Init", "Der Kopf des Spielstands \"%s\" konnte nicht gelesen werden!", path);
    return 1;
}

int Halvoran::ScanSavegames()
{
    m_aSavegames.Clear();
    // Without any savegame (or without the folder, at the first start) there
    // is nothing to search, and nothing to report.
    char name[256];
    aeFindHandle* find = aeFindFirst("..\\savegame\\*.ssd", name);
    if (!find)
    {
        aeMakeDirectory(kSavegameDir);
        return 1;
    }
    aeFindClose(find);
    aeSearchDirectory(kSavegameDir, &ScanSavegameCallback, "*.ssd", 1);
    return 1;
}

void Halvoran::Exit(int error)
{
    aeLog::WriteDirect(error ? "\r\n--- Fehler aufgetreten -> Beenden ---\r\n" : "\r\n--- Beenden ---\r\n");
    ReportTimedemo();
    aeDemo::Stop();
    ShutDownDevices();
    m_aSavegames.Clear();
    Options::FreeResolutions();
    delete m_pSavegameFile;
    m_pSavegameFile = nullptr;
    DestroyOwnWindow();
    aeLog::Exit();
    aeMain::Exit();
}

int Halvoran::Reinit()
{
    m_bReinit = 0;
    aeLog::WriteDirect("\r\n--- Reinitialisierung -> Beenden ---\r\n");
    ShutDownDevices();
    if (!InitDevices("Halvoran::Reinit"))
        return 0;
    aeCursor::Init(Vector2(0.5f, 0.5f));

    Menu* menu = new (std::nothrow) Menu;
    m_pCurrentState = menu;
    m_iCurrentState = STATE_MENU;
    if (!menu || !menu->Init())
        return 0;
    menu->ShowPage(MENU_PAGE_OPTIONS);
    return 1;
}

int Halvoran::Restore()
{
    if (!aeMain::m_bActive)
        return 1;
    if (m_pCurrentState)
        m_pCurrentState->PrepareRestore();
    DeleteNoticeFont();
    ReleaseStateBlock();
    aeDataLoader::PrepareRestore();
    if (!aeGrafik::Restore())
        return 0;
    aeDataLoader::Restore();
    if (!CreateStateBlock("Halvoran::Restore", 1))
        return 0;
    if (m_pCurrentState)
        m_pCurrentState->Restore();
    return 1;
}

int Halvoran::Move(float elapsed)
{
    if (s_bTerminate)
        aeMain::m_bQuit = 1;
    if (m_Start.fQuitAfter > 0.0f && static_cast<float>(timeGetTime() - s_dwLoopStart) >= m_Start.fQuitAfter * 1000.0f)
        aeMain::m_bQuit = 1;
    // Soak runs: the device is lost now and then, as when a full-screen game
    // is switched away from, and has to be restored.
    static DWORD s_dwLastLoss = timeGetTime();
    if (m_Start.fLoseDevice > 0.0f && static_cast<float>(timeGetTime() - s_dwLastLoss) >= m_Start.fLoseDevice * 1000.0f)
    {
        s_dwLastLoss = timeGetTime();
        if (IDirect3DDevice9* device = aeGrafik::GetDevice())
        {
            aeLog::Write("Das Grafikgerät wird absichtlich verloren");
            aeD3D9ForceDeviceLost(device);
        }
    }
    // A demo that has been played to its end ends the program.
    if (aeDemo::IsPlaying() && aeDemo::IsFinished())
        aeMain::m_bQuit = 1;
    if (aeInput::IsButtonDown(BUTTON_ALT_LEFT) && aeInput::IsButtonPressed(BUTTON_F4))
        aeMain::m_bQuit = 1;
    if (aeInput::IsButtonPressed(BUTTON_SYSRQ))
        aeGrafik::Screenshot(nullptr);
    if (m_pCurrentState)
        m_pCurrentState->Move(elapsed);
    return 1;
}

int Halvoran::Render(float elapsed)
{
    if (aeGrafik::m_bInitialized)
    {
        aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        aeGrafik::BeginScene();
        if (m_pCurrentState)
            m_pCurrentState->Render(elapsed);
        DrawScreenshotNotice();
        aeGrafik::EndScene();
        if (aeGrafik::Present() || !aeMain::m_bActive)
            return 1;
    }
    Restore();
    return 1;
}

void Halvoran::ApplyStateBlock()
{
    if (m_pStateBlock)
        m_pStateBlock->Apply();
}

GameState* Halvoran::CreateState(int id)
{
    switch (id)
    {
    case STATE_INTRO:
        return new (std::nothrow) Intro;
    case STATE_MENU:
        return new (std::nothrow) Menu;
    case STATE_GAME:
        return new (std::nothrow) Game;
    default:
        return nullptr;
    }
}

int Halvoran::SetState(int id)
{
    DeleteCurrentState();
    ApplyStateBlock();
    m_pCurrentState = CreateState(id);
    if (!m_pCurrentState)
    {
        AE_INVALID_PARAMETER("Halvoran::SetState");
        return 0;
    }
    if (!m_pCurrentState->Init())
        return 0;
    m_iCurrentState = id;
    return 1;
}

float Halvoran::GetCursorSpeedFactor()
{
    switch (Options::m_iCursorSpeed)
    {
    case 0:
        return 0.5f;
    case 1:
        return 1.0f;
    default:
        return 2.0f;
    }
}

Color Halvoran::GetTextColor()
{
    switch (Options::m_i3DGlasses)
    {
    case 0:
        return Color(1.0f, 1.0f, 1.0f, 1.0f);
    case 1:
        return Color(1.0f, 1.0f, 0.0f, 1.0f);
    default:
        return Color(1.0f, 0.0f, 1.0f, 1.0f);
    }
}

namespace
{
const char* const kUsage =
    "Aufruf: Halvoran [--windowed] [--quit-after SEKUNDEN] [--map KARTE]\n"
    "                 [--record DEMO | --demo DEMO | --timedemo DEMO [--timedemo-csv DATEI]]\n"
    "                 [--lose-device-every SEKUNDEN]\n";

// A map named on the command line: a bare name ("Kerker") means the map of
// that name in the maps folder, anything else is taken as a path.
void MapArgument(const char* arg, char* out, size_t size)
{
    const size_t length = std::strlen(arg);
    if (!std::strpbrk(arg, "\\/.") && length + 16 < size)
        std::snprintf(out, size, "..\\maps\\%.*s.hwm", static_cast<int>(length), arg);
    else
        std::snprintf(out, size, "%s", arg);
}
}

int HalvoranParseArguments(int argc, char** argv, HalvoranStartOptions* options)
{
    for (int i = 1; i < argc; ++i)
    {
        const char* arg = argv[i];
        // Paths inside the system are Windows-1252; the shell hands over UTF-8.
        const std::string converted = i + 1 < argc ? aeUtf8ToCp1252(argv[i + 1]) : std::string();
        const char* value = i + 1 < argc ? converted.c_str() : nullptr;
        const bool takesValue = std::strcmp(arg, "--quit-after") == 0 || std::strcmp(arg, "--map") == 0 ||
                                std::strcmp(arg, "--lose-device-every") == 0 ||
                                std::strcmp(arg, "--record") == 0 || std::strcmp(arg, "--demo") == 0 ||
                                std::strcmp(arg, "--timedemo") == 0 || std::strcmp(arg, "--timedemo-csv") == 0;
        if (std::strcmp(arg, "--windowed") == 0)
        {
            options->bWindowed = 1;
            continue;
        }
        if (!takesValue)
        {
            aeConsolePrint(stderr, "Halvoran: unbekanntes Argument: %s\n%s", aeUtf8ToCp1252(arg).c_str(), kUsage);
            return 0;
        }
        if (!value || std::strlen(value) >= sizeof(options->acMap))
        {
            aeConsolePrint(stderr, "Halvoran: %s braucht einen Wert (höchstens 255 Zeichen)\n%s", arg, kUsage);
            return 0;
        }
        ++i;
        if (std::strcmp(arg, "--quit-after") == 0 || std::strcmp(arg, "--lose-device-every") == 0)
        {
            char* end = nullptr;
            const float seconds = std::strtof(value, &end);
            if (!end || *end || !(seconds > 0.0f))
            {
                aeConsolePrint(stderr, "Halvoran: ungültige Zeitangabe für %s: %s\n", arg, value);
                return 0;
            }
            (arg[2] == 'q' ? options->fQuitAfter : options->fLoseDevice) = seconds;
        }
        else if (std::strcmp(arg, "--map") == 0)
            MapArgument(value, options->acMap, sizeof(options->acMap));
        else if (std::strcmp(arg, "--record") == 0)
            std::snprintf(options->acRecord, sizeof(options->acRecord), "%s", value);
        else if (std::strcmp(arg, "--timedemo-csv") == 0)
            std::snprintf(options->acTimedemoCsv, sizeof(options->acTimedemoCsv), "%s", value);
        else
        {
            std::snprintf(options->acDemo, sizeof(options->acDemo), "%s", value);
            options->bTimedemo = std::strcmp(arg, "--timedemo") == 0;
        }
    }
    if (options->acRecord[0] && options->acDemo[0])
    {
        aeConsolePrint(stderr, "Halvoran: eine Demo kann nicht zugleich aufgenommen und abgespielt werden\n%s", kUsage);
        return 0;
    }
    return 1;
}

namespace
{
// Start-up, the message loop with its re-initialisations, and shutdown; one
// way out for every end. 0 after a normal end, -1 after a failure.
int RunGame(HINSTANCE instance)
{
    int ok = 0;
    bool loopFailed = false;
    try
    {
        ok = Halvoran::Init(instance);
        if (ok)
            s_dwLoopStart = timeGetTime();
        while (ok)
        {
            aeLog::WriteDirect("\r\n--- Nachrichtenschleife ---\r\n");
            if (!aeMain::DoMessageLoop(&Halvoran::Move, &Halvoran::Render, 0))
            {
                ok = 0;
                loopFailed = true;
            }
            else if (!Halvoran::m_bReinit || s_bTerminate)
                break;
            // A failed re-initialisation has shown its message: the program
            // ends instead of looping on without a state or a device.
            else if (!Halvoran::Reinit())
                ok = 0;
        }
    }
    catch (...)
    {
        aeMain::m_bQuit = 1;
        ok = 0;
        loopFailed = true;
    }
    Halvoran::Exit(ok ? 0 : 1);
    if (loopFailed)
        MessageBoxA(nullptr, kLoopError, "Fehler", MB_ICONEXCLAMATION);
    return ok ? 0 : -1;
}
}

int HalvoranMain(HINSTANCE instance, int argc, char** argv)
{
    HalvoranStartOptions start;
    if (!HalvoranParseArguments(argc, argv, &start))
        return -1;
    // A recording whose folder is missing would be lost at the end of the
    // whole session: it is refused before anything is played.
    if (start.acRecord[0] && !aeFolderWritable(start.acRecord))
    {
        aeConsolePrint(stderr, "Halvoran: Die Demo \"%s\" kann nicht aufgenommen werden: Der Ordner fehlt oder ist schreibgeschützt\n",
                       start.acRecord);
        return -1;
    }
    Halvoran::m_Start = start;

    aeInstanceLock* lock = nullptr;
    if (aeInstanceLockAcquire(kMutexName, &lock) != AE_INSTANCE_LOCK_TAKEN)
        return -2;

    aeSetTerminationHandler(&OnTerminate);
    const int code = RunGame(instance);
    aeInstanceLockRelease(lock);
    return code;
}
