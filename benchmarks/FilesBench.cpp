// Building files from small writes and walking archives.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <malloc.h>
#include <vector>

#include "VFile.h"
#include "aeArchive.h"

// A VFile built from 4-byte writes: time must grow linearly with the size.
// Freed memory goes back to the system before each build, so that every size
// pays for its fresh pages as a single build in the game does.
static void BM_VFileSmallWrites(benchmark::State& state)
{
    const int64_t bytes = state.range(0);
    for (auto _ : state)
    {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        VFile file;
        uint32_t value = 0;
        for (int64_t i = 0; i < bytes; i += 4, ++value)
            file.Write(4, &value);
        benchmark::DoNotOptimize(file.GetBuffer());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_VFileSmallWrites)->Arg(1 << 20)->Arg(4 << 20)->Arg(16 << 20)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

static void PutLocalEntry(std::vector<unsigned char>& zip, const char* name, int size)
{
    const unsigned char header[30] = {'P', 'K', 3, 4, 10, 0, 0, 0, 0, 0};
    size_t at = zip.size();
    zip.insert(zip.end(), header, header + 30);
    const uint16_t n = static_cast<uint16_t>(std::strlen(name));
    const uint32_t s = static_cast<uint32_t>(size);
    std::memcpy(&zip[at + 18], &s, 4);
    std::memcpy(&zip[at + 22], &s, 4);
    std::memcpy(&zip[at + 26], &n, 2);
    zip.insert(zip.end(), name, name + n);
    zip.insert(zip.end(), static_cast<size_t>(size), 0x5A);
}

static int64_t s_iEntryBytes;
static void CountEntry(VFile* entry, char*)
{
    s_iEntryBytes += entry->GetSize();
}

// An archive of many stored entries, walked from memory.
static void BM_ArchiveWalk(benchmark::State& state)
{
    std::vector<unsigned char> zip;
    const int entries = static_cast<int>(state.range(0));
    for (int i = 0; i < entries; ++i)
        PutLocalEntry(zip, "textures/wall.bmp", 4096);
    const unsigned char central[4] = {'P', 'K', 1, 2};
    zip.insert(zip.end(), central, central + 4);
    VFile archive(zip.data(), static_cast<int>(zip.size()));
    for (auto _ : state)
    {
        archive.Seek(0, -1);
        s_iEntryBytes = 0;
        aeReadArchive(&archive, CountEntry);
        benchmark::DoNotOptimize(s_iEntryBytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(zip.size()));
}
BENCHMARK(BM_ArchiveWalk)->Arg(256)->Arg(4096)->Unit(benchmark::kMicrosecond);
