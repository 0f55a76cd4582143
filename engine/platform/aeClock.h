#pragma once
// The millisecond clock of the system: an unsigned 32-bit count that wraps.

#include <cstdint>

typedef uint32_t DWORD;

// Milliseconds from a monotonic clock, truncated to 32 bits.
DWORD timeGetTime();

// Replaces the clock source (tests drive frame timing and wraps with it);
// null restores the real clock.
void aeSetClockSource(DWORD (*source)());
