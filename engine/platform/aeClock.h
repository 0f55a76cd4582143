#pragma once
// The millisecond clock of the system: an unsigned 32-bit count that wraps.

#include <cstdint>

typedef uint32_t DWORD;

// Milliseconds from a monotonic clock, truncated to 32 bits.
DWORD timeGetTime();

// Microseconds from the same monotonic clock, not truncated (for measuring
// frames); with a replaced clock, its milliseconds times 1000.
uint64_t aeMicroseconds();

// Waits ms milliseconds.
void aeSleep(DWORD ms);

// Replaces the clock source (tests drive frame timing and wraps with it);
// null restores the real clock. With a replaced clock, aeSleep calls sleep
// (when given) instead of waiting, so that a test's clock can move on.
void aeSetClockSource(DWORD (*source)(), void (*sleep)(DWORD ms) = nullptr);
