#pragma once
// Memory for blocks of many megabytes (the maze's grid): straight from the
// system and, where it offers them, in huge pages, so that the first touch of
// a fresh block costs one fault per 2 MB instead of one per 4 KB. Smaller
// blocks come from the heap.

#include <cstddef>

// bytes of memory, or null when there is not enough.
void* aeAllocateLarge(size_t bytes);
// Gives back a block of aeAllocateLarge with the same bytes (null: nothing).
void aeFreeLarge(void* block, size_t bytes);
