// Halvoran - Nachtweg: the game program. For now it brings the engine's log and
// frame loop up and down; the window and the game's states join as the engine
// grows.

#include "Engine.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static float s_fRunTime = 0.0f;
static float s_fRunLimit = 3.0f;
static long s_lFrames = 0;

static void OnSignal(int)
{
    aeMain::m_bQuit = 1;
}

static int Move(float elapsed)
{
    s_fRunTime += elapsed;
    ++s_lFrames;
    if (s_fRunLimit > 0.0f && s_fRunTime >= s_fRunLimit)
        aeMain::QuitGame();
    return 1;
}

static int Render(float)
{
    return 1;
}

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--seconds") == 0)
            s_fRunLimit = static_cast<float>(std::atof(argv[i + 1]));
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    if (!aeMain::Init())
        return -1;
    aeLog::Init("Halvoran - Nachtweg", "Halvoran");
    aeLog::WriteDirect("\r\n--- Programmstart ---\r\n");
    const int result = aeMain::DoMessageLoop(Move, Render, 0);
    aeLog::Write("%ld Bilder in %.1f Sekunden", s_lFrames, static_cast<double>(s_fRunTime));
    aeLog::WriteDirect("\r\n--- Programmende ---\r\n");
    aeMain::Exit();
    std::printf("Halvoran: %ld frames in %.1f s; log written to Halvoran.log\n", s_lFrames,
                static_cast<double>(s_fRunTime));
    return result ? 0 : -1;
}
