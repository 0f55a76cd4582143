#pragma once
// Frame timing shared by the loops: every frame lasts at least one tick of the
// millisecond clock, and a wrap of the clock yields the true small difference.

#include "aeClock.h"

class aeFrameTimer
{
public:
    aeFrameTimer() : m_dwLast(timeGetTime()) {}

    // Waits for the clock to move on from the last stamp and returns the
    // elapsed seconds scaled by frequency; the next stamp is a fresh reading.
    float Next(float frequency) { return Seconds(NextMs(), frequency); }

    static float Seconds(DWORD ms, float frequency) { return static_cast<float>(ms * 0.001 * frequency); }

    // Waits for the clock to move on and returns the elapsed milliseconds.
    DWORD NextMs()
    {
        DWORD now;
        do
            now = timeGetTime();
        while (now == m_dwLast);
        const DWORD ms = now - m_dwLast;
        m_dwLast = timeGetTime();
        return ms;
    }

private:
    DWORD m_dwLast;
};
