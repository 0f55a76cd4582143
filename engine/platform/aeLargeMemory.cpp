#include "aeLargeMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace
{
const size_t kHugePage = size_t{2} << 20;
// Below this a block comes from the heap.
const size_t kLarge = size_t{4} << 20;

size_t Rounded(size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}
}   // namespace

void* aeAllocateLarge(size_t bytes)
{
    if (bytes < kLarge)
        return std::malloc(bytes ? bytes : 1);
    const size_t size = Rounded(bytes);
    if (size < bytes)
        return nullptr;
    // A huge page more than needed, then what lies outside an aligned block
    // of the size goes back.
    void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > begin)
        munmap(raw, aligned - begin);
    if (aligned + size < begin + size + kHugePage)
        munmap(reinterpret_cast<void*>(aligned + size), begin + size + kHugePage - aligned - size);
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, size, MADV_HUGEPAGE);
    return block;
}

void aeFreeLarge(void* block, size_t bytes)
{
    if (!block)
        return;
    if (bytes < kLarge)
        std::free(block);
    else
        munmap(block, Rounded(bytes));
}
