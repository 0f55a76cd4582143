#include "aeClock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <time.h>

static std::atomic<DWORD (*)()> s_pSource{nullptr};
static std::atomic<void (*)(DWORD)> s_pSleep{nullptr};

static DWORD MonotonicMilliseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

uint64_t aeMicroseconds()
{
    if (DWORD (*source)() = s_pSource.load(std::memory_order_acquire))
        return static_cast<uint64_t>(source()) * 1000u;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

DWORD timeGetTime()
{
    DWORD (*source)() = s_pSource.load(std::memory_order_acquire);
    return source ? source() : MonotonicMilliseconds();
}

void aeSleep(DWORD ms)
{
    void (*sleep)(DWORD) = s_pSleep.load(std::memory_order_acquire);
    if (sleep && s_pSource.load(std::memory_order_acquire))
        sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void aeSetClockSource(DWORD (*source)(), void (*sleep)(DWORD ms))
{
    s_pSleep.store(source ? sleep : nullptr, std::memory_order_release);
    s_pSource.store(source, std::memory_order_release);
}
