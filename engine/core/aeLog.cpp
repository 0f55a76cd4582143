#include "aeLog.h"
#include "aeError.h"
#include "aeFileSystem.h"
#include "aeLogFile.h"
#include "aeText.h"

#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

FILE* aeLog::m_pFile = nullptr;
int aeLog::m_iNumEntries = 0;
int aeLog::m_iNumErrors = 0;
int aeLog::m_iNumWarnings = 0;
DWORD aeLog::m_dwStartTime = 0;

// Keeps formatting, writing and counting of one entry together when several
// threads log.
static std::mutex s_Mutex;

enum { NAME_BUFFER = 256, LINE_BUFFER = 1024 };

static void WriteText(const char* text, size_t length)
{
    const std::string utf8 = aeCp1252ToUtf8(text, length);
    std::fwrite(utf8.data(), 1, utf8.size(), aeLog::m_pFile);
    std::fflush(aeLog::m_pFile);
}

// A message written in one frame and again in the next is a repeat (a
// per-frame path that keeps failing): it is written once, and its repeats are
// summed up in one line when it stops, or once a minute while it goes on.
// Entries, errors and warnings are counted all the same.
namespace
{
struct Repeat
{
    std::string text;
    unsigned int uLastFrame;
    int bRepeating;
    int iRepeats;
    DWORD dwLastWritten;
};
std::vector<Repeat> s_Repeats;
unsigned int s_uFrame = 0;
const size_t kMaxRepeats = 16;
const DWORD kRepeatReportMs = 60000;
}

static void WriteLine(const char* message)
{
    const DWORD elapsedMs = timeGetTime() - aeLog::m_dwStartTime;
    const float seconds = static_cast<float>(elapsedMs * 0.001);
    const int h = static_cast<int>(seconds * (1.0f / 3600.0f));
    const int m = static_cast<int>(seconds * (1.0f / 60.0f)) % 60;
    const int s = static_cast<int>(seconds) % 60;

    // A line too long for its buffer is cut, but keeps its line end.
    char line[LINE_BUFFER];
    int n = std::snprintf(line, sizeof(line) - 2, "%dh %dm %ds %s", h, m, s, message);
    if (n < 0)
        n = 0;
    if (n > static_cast<int>(sizeof(line)) - 3)
        n = static_cast<int>(sizeof(line)) - 3;
    line[n++] = '\r';
    line[n++] = '\n';
    line[n] = 0;
    WriteText(line, static_cast<size_t>(n));
}

static void ReportRepeats(Repeat& repeat)
{
    if (repeat.iRepeats <= 0)
        return;
    char note[LINE_BUFFER];
    std::snprintf(note, sizeof(note), "%.900s (%d-mal wiederholt)", repeat.text.c_str(), repeat.iRepeats);
    WriteLine(note);
    repeat.iRepeats = 0;
    repeat.dwLastWritten = timeGetTime();
}

// 1 when message repeats one of the frame before and is not to be written.
static int IsRepeat(const char* message)
{
    if (s_uFrame == 0)
        return 0;  // no frames counted: every entry is written
    for (Repeat& repeat : s_Repeats)
    {
        if (repeat.text != message)
            continue;
        const int again = repeat.uLastFrame + 1 == s_uFrame || (repeat.uLastFrame == s_uFrame && repeat.bRepeating);
        repeat.uLastFrame = s_uFrame;
        repeat.bRepeating = again;
        if (!again)
        {
            repeat.dwLastWritten = timeGetTime();
            return 0;
        }
        ++repeat.iRepeats;
        if (timeGetTime() - repeat.dwLastWritten >= kRepeatReportMs)
            ReportRepeats(repeat);
        return 1;
    }
    if (s_Repeats.size() >= kMaxRepeats)
    {
        ReportRepeats(s_Repeats.front());
        s_Repeats.erase(s_Repeats.begin());
    }
    s_Repeats.push_back({message, s_uFrame, 0, 0, timeGetTime()});
    return 0;
}

static void ReportAllRepeats()
{
    for (Repeat& repeat : s_Repeats)
        ReportRepeats(repeat);
    s_Repeats.clear();
}

static void WriteEntry(const char* format, va_list args, int* counter)
{
    std::lock_guard<std::mutex> lock(s_Mutex);
    if (!aeLog::m_pFile)
        return;
    char message[LINE_BUFFER];
    std::vsnprintf(message, sizeof(message), format, args);
    ++aeLog::m_iNumEntries;
    if (counter)
        ++*counter;
    if (!IsRepeat(message))
        WriteLine(message);
}

int aeLog::NextFrame()
{
    std::lock_guard<std::mutex> lock(s_Mutex);
    ++s_uFrame;
    // Messages missing from the frame that ended have stopped repeating.
    for (size_t i = 0; i < s_Repeats.size();)
    {
        if (s_Repeats[i].uLastFrame + 1 < s_uFrame)
        {
            ReportRepeats(s_Repeats[i]);
            s_Repeats.erase(s_Repeats.begin() + static_cast<long>(i));
        }
        else
            ++i;
    }
    return 1;
}

int aeLog::Init(const char* programName, const char* fileName)
{
    if (!programName || !fileName)
        return 1;
    if (m_pFile)
        Exit();
    // The name is cut so that the extension always fits the buffer.
    char path[NAME_BUFFER];
    std::snprintf(path, sizeof(path), "%.*s.log", NAME_BUFFER - 5, fileName);
    FILE* file = aeLogFileOpen(path);
    if (!file)
        return 0;
    char header[NAME_BUFFER];
    std::snprintf(header, sizeof(header), "--- Logbuch zum Programm \"%s\" ---\r\n", programName);
    std::lock_guard<std::mutex> lock(s_Mutex);
    m_pFile = file;
    WriteText(header, std::strlen(header));
    m_iNumEntries = m_iNumErrors = m_iNumWarnings = 0;
    m_dwStartTime = timeGetTime();
    s_Repeats.clear();
    s_uFrame = 0;
    return 1;
}

int aeLog::Write(const char* format, ...)
{
    if (!format)
        return 1;
    va_list args;
    va_start(args, format);
    WriteEntry(format, args, nullptr);
    va_end(args);
    return 1;
}

int aeLog::Error(const char* format, ...)
{
    if (!format)
        return 1;
    va_list args;
    va_start(args, format);
    WriteEntry(format, args, &m_iNumErrors);
    va_end(args);
    return 1;
}

int aeLog::Warning(const char* format, ...)
{
    if (!format)
        return 1;
    va_list args;
    va_start(args, format);
    WriteEntry(format, args, &m_iNumWarnings);
    va_end(args);
    return 1;
}

int aeLog::WriteDirect(const char* text)
{
    std::lock_guard<std::mutex> lock(s_Mutex);
    if (m_pFile && text)
        WriteText(text, std::strlen(text));
    return 1;
}

int aeLog::Exit()
{
    std::lock_guard<std::mutex> lock(s_Mutex);
    if (!m_pFile)
        return 1;
    ReportAllRepeats();
    const DWORD elapsedMs = timeGetTime() - m_dwStartTime;
    const float seconds = static_cast<float>(elapsedMs * 0.001);
    char summary[NAME_BUFFER];
    std::snprintf(summary, sizeof(summary),
                  "\r\n%dh %dm %ds Ende des Logbuches: %d Einträge, %d Fehler, %d Warnungen",
                  static_cast<int>(seconds * (1.0f / 3600.0f)),
                  static_cast<int>(seconds * (1.0f / 60.0f)) % 60,
                  static_cast<int>(seconds) % 60, m_iNumEntries, m_iNumErrors, m_iNumWarnings);
    WriteText(summary, std::strlen(summary));
    aeFileClose(m_pFile);
    m_pFile = nullptr;
    return 1;
}

int aeLog::IsInitialized()
{
    return m_pFile != nullptr;
}

// ---------------------------------------------------------------------------
// Error reports

static void Report(bool warning, const char* file, int line, const char* function,
                   const char* description, va_list args)
{
    char text[LINE_BUFFER];
    std::vsnprintf(text, sizeof(text), description, args);
    if (warning)
        aeLog::Warning("Warnung: Datei: %s Zeile: %d Funktion: %s Beschreibung: %s", file, line, function, text);
    else
        aeLog::Error("Fehler: Datei: %s Zeile: %d Funktion: %s Beschreibung: %s", file, line, function, text);
}

void aeReportError(const char* file, int line, const char* function, const char* description, ...)
{
    va_list args;
    va_start(args, description);
    Report(false, file, line, function, description, args);
    va_end(args);
}

void aeReportWarning(const char* file, int line, const char* function, const char* description, ...)
{
    va_list args;
    va_start(args, description);
    Report(true, file, line, function, description, args);
    va_end(args);
}

void aeReportInvalidParameter(const char* file, int line, const char* function)
{
    aeLog::Error("Fehler: Datei: %s Zeile: %d Funktion: %s Beschreibung: Der Funktion wurden ungültige Parameter übergeben!",
                 file, line, function);
}
