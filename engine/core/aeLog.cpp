#include "aeLog.h"
#include "aeError.h"
#include "aeFileSystem.h"
#include "aeLogFile.h"
#include "aeText.h"

#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string>

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

static void WriteEntry(const char* format, va_list args, int* counter)
{
    std::lock_guard<std::mutex> lock(s_Mutex);
    if (!aeLog::m_pFile)
        return;
    char message[LINE_BUFFER];
    std::vsnprintf(message, sizeof(message), format, args);

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
    ++aeLog::m_iNumEntries;
    if (counter)
        ++*counter;
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
