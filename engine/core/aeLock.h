#pragma once
// A small busy-waiting lock for data shared between the move and render threads.

#include <atomic>

class aeLock
{
public:
    aeLock() : m_iFlag(0) {}

    // Spins, without sleeping, until the lock is free, and takes it.
    void Lock()
    {
        int expected = 0;
        while (!m_iFlag.compare_exchange_weak(expected, 1, std::memory_order_acquire))
            expected = 0;
    }
    void Unlock() { m_iFlag.store(0, std::memory_order_release); }
    int IsLocked() const { return m_iFlag.load(std::memory_order_relaxed); }

private:
    std::atomic<int> m_iFlag;
};
