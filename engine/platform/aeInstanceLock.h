#pragma once
// The single-instance rule of a program: a named lock that only one process of
// the user holds at a time (a named mutex on the original platform). It is an
// exclusive flock on the file "<name>.lock" in $XDG_RUNTIME_DIR, or in /tmp
// (then "<name>-<uid>.lock", so that users do not block each other) when that
// is not set. The system drops the lock when the process ends, however it
// ends, so a crashed copy never blocks the next start.

struct aeInstanceLock;

enum
{
    AE_INSTANCE_LOCK_TAKEN = 1,   // this process holds the lock now
    AE_INSTANCE_LOCK_BUSY = 0,    // another process holds it
    AE_INSTANCE_LOCK_DENIED = -1  // the lock file cannot be opened
};

// Tries to take the lock without waiting. Returns one of the values above;
// *lock receives the held lock (null unless taken).
int aeInstanceLockAcquire(const char* name, aeInstanceLock** lock);
// Releases a held lock (null does nothing). The lock file stays.
void aeInstanceLockRelease(aeInstanceLock* lock);
// The lock file's path (UTF-8) for a name.
const char* aeInstanceLockPath(const char* name, char* buffer, int size);
