#pragma once
// The engine's frame driver: run flags, frame timing, the move and render
// callbacks, single- or multi-threaded, and the orderly shutdown of the engine.

#include <atomic>

#include "aeResources.h"

typedef void* HANDLE;

// Elapsed time of the frame in seconds (already scaled); non-zero to go on.
typedef int (*aeFrameCallback)(float elapsed);

class aeMain
{
public:
    static int m_bInitialized;
    static std::atomic<int> m_bActive;
    static std::atomic<int> m_bQuit;
    static float m_fFrequency;
    static HINSTANCE m_hDLLHandle;
    static HANDLE m_ahThreads[2];

    static int Init();
    static void Exit();
    static int DoMessageLoop(aeFrameCallback move, aeFrameCallback render, int multiThreaded);

    static void SetActive(int active) { m_bActive = active; }
    static int IsActive() { return m_bActive; }
    static void QuitGame() { m_bQuit = 1; }
    static int IsQuit() { return m_bQuit; }
    static void SetFrequency(float frequency) { m_fFrequency = frequency; }
    static float GetFrequency() { return m_fFrequency; }
    static int IsInitialized() { return m_bInitialized; }
    static HINSTANCE GetDLLHandle() { return m_hDLLHandle; }
    static HANDLE GetMoveThread() { return m_ahThreads[0]; }
    static HANDLE GetRenderThread() { return m_ahThreads[1]; }
};
