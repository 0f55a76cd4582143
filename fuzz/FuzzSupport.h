#pragma once
// What the fuzz targets share. Every target is a libFuzzer program: it gets
// untrusted bytes, hands them to one reader of the engine and checks what the
// reader promises (a clear refusal or a consistent result). The sanitizers
// report every read outside a buffer and every undefined operation.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "aeLog.h"

// Stops the run with a message: the reader broke one of its promises.
#define FUZZ_CHECK(condition)                                                                 \
    do                                                                                        \
    {                                                                                         \
        if (!(condition))                                                                     \
        {                                                                                     \
            std::fprintf(stderr, "%s:%d: Bedingung verletzt: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

// Error messages are formatted exactly as in the game (so that a bad format
// argument is found too), but written to /dev/null: a log file would grow by
// millions of lines.
inline void FuzzQuietLog()
{
    if (!aeLog::m_pFile)
        aeLog::m_pFile = std::fopen("/dev/null", "wb");
}

// The start of a target that needs nothing but the quiet log.
#define FUZZ_INIT_QUIET_LOG()                           \
    extern "C" int LLVMFuzzerInitialize(int*, char***) \
    {                                                   \
        FuzzQuietLog();                                 \
        return 0;                                       \
    }

// The largest input a reader is given: the game's files of these kinds are far
// smaller, and a larger input only makes each run slower.
constexpr size_t kFuzzMaxInput = size_t{1} << 20;

// A fresh empty directory as the working directory, so that relative paths
// from the input name nothing and nothing is written beside the corpus.
inline std::string FuzzTempDirectory()
{
    char path[] = "/tmp/halvoran-fuzz-XXXXXX";
    if (!mkdtemp(path))
    {
        std::perror("mkdtemp");
        std::abort();
    }
    if (chdir(path) != 0)
    {
        std::perror("chdir");
        std::abort();
    }
    return path;
}
