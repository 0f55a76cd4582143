#include "aeClock.h"

#include <atomic>
#include <time.h>

static std::atomic<DWORD (*)()> s_pSource{nullptr};

static DWORD MonotonicMilliseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

DWORD timeGetTime()
{
    DWORD (*source)() = s_pSource.load(std::memory_order_acquire);
    return source ? source() : MonotonicMilliseconds();
}

void aeSetClockSource(DWORD (*source)())
{
    s_pSource.store(source, std::memory_order_release);
}
