#pragma once
// The requests to end that the system sends a program (SIGTERM, and SIGINT
// from the terminal's Ctrl+C).

// Installs handler for both; it runs in signal context, so it may only set
// flags of type volatile std::sig_atomic_t or lock-free atomics.
void aeSetTerminationHandler(void (*handler)(int));
