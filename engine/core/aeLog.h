#pragma once
// The program's log file: a header line, time-stamped entries, raw banners and
// a closing summary of entries, errors and warnings. Text handed in is
// Windows-1252; the file is written in UTF-8.

#include <cstdio>

#include "aeClock.h"

class aeLog
{
public:
    static FILE* m_pFile;
    static int m_iNumEntries;
    static int m_iNumErrors;
    static int m_iNumWarnings;
    static DWORD m_dwStartTime;

    static int Init(const char* programName, const char* fileName);
    static int Write(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static int Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static int Warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static int WriteDirect(const char* text);
    static int Exit();
    // Once per frame from the main loop: a message that comes again in the
    // next frame is written once, and then its number of repeats (when it
    // stops, at the latest once a minute).
    static int NextFrame();
    static int IsInitialized();
};
