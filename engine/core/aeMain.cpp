#include "aeMain.h"
#include "Animation.h"
#include "Sound.h"
#include "aeGrafik.h"
#include "aeInput.h"
#include "aeMultiplayer.h"
#include "aeModel.h"
#include "aeTextureManager.h"
#include "aeError.h"
#include "aeDemo.h"
#include "aeFrameTimer.h"
#include "aeLog.h"
#include "aeWindowHooks.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

extern const aeResourceModule EngineResources;

int aeMain::m_bInitialized = 0;
std::atomic<int> aeMain::m_bActive{0};
std::atomic<int> aeMain::m_bQuit{0};
float aeMain::m_fFrequency = 1.0f;
HINSTANCE aeMain::m_hDLLHandle = nullptr;
HANDLE aeMain::m_ahThreads[2] = {nullptr, nullptr};

int aeMain::Init()
{
    if (m_bInitialized)
        Exit();
    std::srand(timeGetTime());
    m_fFrequency = 1.0f;
    m_bActive = 1;
    m_bQuit = 0;
    m_bInitialized = 1;
    return 1;
}

void aeMain::Exit()
{
    if (!m_bInitialized)
        return;
    // Subsystems shut down in a fixed order; each Exit does nothing unless its
    // subsystem runs.
    if (aeMultiplayer::m_iState != 0)
        aeMultiplayer::Exit();
    aeAnimationManager::Exit();
    aeModelManager::Exit();
    aeTextureManager::Exit();
    aeSoundManager::Exit();
    aeInput::Exit();
    aeGrafik::Exit();
    aeLog::Exit();
    m_bInitialized = 0;
}

// Handles every pending window message; a quit message ends the loop.
static void PumpMessages()
{
    if (aePumpMessages())
        aeMain::m_bQuit = 1;
}

// Per-frame work that belongs to the thread that reads the devices.
static void PollDevices()
{
    aeInput::GetState();
    // The network side that runs (host or client) takes in what has arrived.
    if (aeMultiplayer::m_iState == 2)
        aeHost::Process();
    else if (aeMultiplayer::m_iState == 3)
        aeClient::Process();
}

// Full screen: the system cursor sits hidden in the middle of the screen (the
// engine draws its own); otherwise it is shown. The display count is kept at
// -1 or 0, so that one ShowCursor(TRUE), as before a message box, shows it.
static void HandleCursor()
{
    if (aeGrafik::m_bInitialized && !aeGrafik::m_PresentParams.Windowed)
    {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
        if (ShowCursor(FALSE) < -1)
            ShowCursor(TRUE);
    }
    else if (ShowCursor(TRUE) > 0)
        ShowCursor(FALSE);
}

static int SingleThreadedLoop(aeFrameCallback move, aeFrameCallback render)
{
    aeLog::Write("Die Nachrichtenschleife wurde betreten (Single-Threaded)!");
    aeMain::m_ahThreads[0] = aeMain::m_ahThreads[1] = nullptr;
    aeFrameTimer timer;
    for (;;)
    {
        aeLog::NextFrame();
        PumpMessages();
        const DWORD measured = timer.NextMs();
        PollDevices();
        // A demo being played gives each frame its recorded time.
        const float elapsed = aeFrameTimer::Seconds(aeDemo::FrameTime(measured), aeMain::m_fFrequency);
        if (aeMain::m_bActive)
        {
            HandleCursor();
            if (!move(elapsed))
            {
                AE_ERROR("aeMain::DoMessageLoop", "Fehler beim Ausführen der Move-Funktion!");
                return 0;
            }
            if (!render(elapsed))
            {
                AE_ERROR("aeMain::DoMessageLoop", "Fehler beim Ausführen der Render-Funktion!");
                return 0;
            }
        }
        if (aeMain::m_bQuit)
        {
            aeLog::Write("Die Nachrichtenschleife wurde verlassen!");
            return 1;
        }
    }
}

namespace
{
// What a worker thread shares with the main thread. Held by both, so that a
// worker that outlives its time-out still finds it.
struct WorkerState
{
    std::mutex mutex;
    std::condition_variable done;
    int finished = 0;
    int exitCode[2] = {0, 0};
};

struct Worker
{
    const char* pcName;        // function name in error reports
    const char* pcStarted;
    const char* pcEnded;
    const char* pcFailure;
    const char* pcException;
    bool bMove;
};

const Worker s_Workers[2] = {
    {"MoveThread", "Der Move-Thread wurde gestartet!", "Der Move-Thread wurde beendet!",
     "Fehler beim Ausführen der Move-Funktion!",
     "Fehler während der ausführung des Move-Threads aufgetreten -> Beenden!", true},
    {"RenderThread", "Der Render-Thread wurde gestartet!", "Der Render-Thread wurde beendet!",
     "Fehler beim Ausführen der Render-Funktion!",
     "Fehler während der ausführung des Render-Threads aufgetreten -> Beenden!", false}};

int RunWorker(const Worker& w, aeFrameCallback callback)
{
    if (!callback)
    {
        aeReportInvalidParameter(__FILE_NAME__, __LINE__, w.pcName);
        return 0;
    }
    try
    {
        aeFrameTimer timer;
        aeLog::Write("%s", w.pcStarted);
        for (;;)
        {
            if (aeMain::m_bQuit)
            {
                aeLog::Write("%s", w.pcEnded);
                return 1;
            }
            const float elapsed = timer.Next(aeMain::m_fFrequency);
            if (w.bMove)
            {
                aeLog::NextFrame();
                PollDevices();
            }
            if (!aeMain::m_bActive)
                continue;
            if (!w.bMove)
                HandleCursor();
            if (!callback(elapsed))
            {
                aeMain::m_bQuit = 1;
                aeReportError(__FILE_NAME__, __LINE__, w.pcName, "%s", w.pcFailure);
                return 0;
            }
        }
    }
    catch (...)
    {
        aeMain::m_bQuit = 1;
        aeLog::Error("%s", w.pcException);
        return 0;
    }
}

void WorkerMain(std::shared_ptr<WorkerState> state, int index, aeFrameCallback callback)
{
    const int code = RunWorker(s_Workers[index], callback);
    std::lock_guard<std::mutex> lock(state->mutex);
    state->exitCode[index] = code;
    state->finished |= 1 << index;
    state->done.notify_all();
}

int MultiThreadedLoop(aeFrameCallback move, aeFrameCallback render)
{
    aeLog::Write("Die Nachrichtenschleife wurde betreten (Multi-Threaded)!");
    auto state = std::make_shared<WorkerState>();
    std::thread threads[2] = {std::thread(WorkerMain, state, 0, move),
                              std::thread(WorkerMain, state, 1, render)};
    aeMain::m_ahThreads[0] = &threads[0];
    aeMain::m_ahThreads[1] = &threads[1];

    // The main thread only handles window messages until quit is requested;
    // it wakes often enough to keep the window responsive.
    while (!aeMain::m_bQuit)
    {
        {
            std::unique_lock<std::mutex> lock(state->mutex);
            state->done.wait_for(lock, std::chrono::milliseconds(10));
        }
        PumpMessages();
    }

    bool timedOut;
    int codes[2];
    {
        std::unique_lock<std::mutex> lock(state->mutex);
        timedOut = !state->done.wait_for(lock, std::chrono::milliseconds(1000),
                                         [&] { return state->finished == 3; });
        codes[0] = (state->finished & 1) ? state->exitCode[0] : 0;
        codes[1] = (state->finished & 2) ? state->exitCode[1] : 0;
    }
    if (timedOut)
        aeLog::Write("Alle Threads abbbrechen, da das Timeout erreicht wurde!");
    // A thread that is still running is given up: it counts as failed and is
    // left to end on its own (it sees the quit flag at its next frame).
    for (int i = 0; i < 2; ++i)
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->finished & (1 << i))
            threads[i].join();
        else
            threads[i].detach();
    }
    aeMain::m_ahThreads[0] = aeMain::m_ahThreads[1] = nullptr;

    if (codes[0] && codes[1])
    {
        aeLog::Write("Die Nachrichtenschleife wurde verlassen!");
        return 1;
    }
    if (codes[0])
        aeLog::Error("Es ist ein Fehler im Render-Thread aufgetreten, weshalb die Nachrichtenschleife abgebrochen wurde!");
    else if (codes[1])
        aeLog::Error("Es ist ein Fehler im Move-Thread aufgetreten, weshalb die Nachrichtenschleife abgebrochen wurde!");
    else
        aeLog::Error("Es ist ein Fehler im Move- und im Render-Thread aufgetreten, weshalb die Nachrichtenschleife abgebrochen wurde!");
    return 0;
}
}

int aeMain::DoMessageLoop(aeFrameCallback move, aeFrameCallback render, int multiThreaded)
{
    if (!move || !render)
    {
        AE_INVALID_PARAMETER("aeMain::DoMessageLoop");
        return 0;
    }
    m_fFrequency = 1.0f;
    m_bActive = 1;
    m_bQuit = 0;
    return multiThreaded ? MultiThreadedLoop(move, render) : SingleThreadedLoop(move, render);
}

namespace
{
// The library's entry point: records the module handle on load and shuts the
// engine down on unload if the program did not.
struct LibraryEntry
{
    LibraryEntry() { aeMain::m_hDLLHandle = &EngineResources; }
    ~LibraryEntry()
    {
        if (aeMain::m_bInitialized)
            aeMain::Exit();
    }
} s_LibraryEntry;
}
