#include "aeDemo.h"
#include "VFile.h"
#include "aeError.h"
#include "aeFileSystem.h"
#include "aeInput.h"
#include "aeLog.h"
#include "aeMain.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int aeDemo::m_iMode = 0;
int aeDemo::m_bTimedemo = 0;
int aeDemo::m_bFinished = 0;
int aeDemo::m_iFrames = 0;
DWORD aeDemo::m_dwStart = 0;
DWORD aeDemo::m_dwDue = 0;
std::vector<float> aeDemo::m_aFrameTimes;
uint64_t aeDemo::m_uFrameStartUs = 0;
// No frame of a timedemo has started yet.
static const uint64_t kNoFrameStart = ~0ull;
std::vector<aeDemoLine> aeDemo::m_aLines;
size_t aeDemo::m_iLine = 0;
int aeDemo::m_iLineFrame = 0;
char aeDemo::m_acPath[256] = "";

namespace
{
// How far real-time playback may fall behind before it stops catching up.
const DWORD kMaxLagMs = 250;
const char* const kHeader = "HALVORAN-DEMO 1";

bool IsButtonEntry(int button)
{
    return (button >= 0 && button < AE_NUM_KEYS) || (button >= AE_FIRST_MOUSE_BUTTON + 6 && button < AE_NUM_BUTTONS);
}

// The name a button has in demo text: its table name with '_' for a space,
// or "#n" for names with other characters than letters, digits and spaces.
std::string TokenOf(int button)
{
    const char* name = aeButtonName(button);
    std::string token;
    for (const char* c = name; *c; ++c)
    {
        const unsigned char u = static_cast<unsigned char>(*c);
        if (u == ' ')
            token += '_';
        else if (u < 0x80 && std::isalnum(u))
            token += *c;
        else
            return "#" + std::to_string(button);
    }
    return token;
}

int ButtonOfToken(const std::string& token)
{
    if (token.size() > 1 && token[0] == '#')
    {
        char* end = nullptr;
        const long n = std::strtol(token.c_str() + 1, &end, 10);
        return (*end == 0 && n >= 0 && n < AE_NUM_BUTTONS && IsButtonEntry(static_cast<int>(n))) ? static_cast<int>(n) : -1;
    }
    for (int b = 0; b < AE_NUM_BUTTONS; ++b)
    {
        if (!IsButtonEntry(b))
            continue;
        const std::string name = TokenOf(b);
        if (name.size() == token.size() && strncasecmp(name.c_str(), token.c_str(), name.size()) == 0)
            return b;
    }
    return -1;
}

// A whole decimal number within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long* value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || n < low || n > high)
        return false;
    *value = n;
    return true;
}

// Splits a line at blanks and tabs.
std::vector<std::string> Tokens(const char* begin, const char* end)
{
    std::vector<std::string> tokens;
    const char* p = begin;
    while (p < end)
    {
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        const char* start = p;
        while (p < end && *p != ' ' && *p != '\t')
            ++p;
        if (p > start)
            tokens.emplace_back(start, p);
    }
    return tokens;
}

// One frame line; an empty string on success, else what is wrong.
const char* ParseLine(const std::vector<std::string>& tokens, aeDemoLine* line)
{
    long frames = 0, ms = 0;
    if (tokens.size() < 2 || !ParseNumber(tokens[0], 1, AE_DEMO_MAX_FRAMES_PER_LINE, &frames))
        return "die Anzahl der Bilder fehlt oder ist ungültig";
    if (!ParseNumber(tokens[1], 1, AE_DEMO_MAX_MS, &ms))
        return "die Millisekunden fehlen oder sind ungültig";
    std::memset(line, 0, sizeof(*line));
    line->iFrames = static_cast<int>(frames);
    line->dwMs = static_cast<DWORD>(ms);
    for (size_t i = 2; i < tokens.size(); ++i)
    {
        const std::string& t = tokens[i];
        if (t.size() > 2 && t[1] == '=' && (t[0] == 'x' || t[0] == 'y' || t[0] == 'z'))
        {
            long count = 0;
            if (!ParseNumber(t.substr(2), -AE_DEMO_MAX_COUNT, AE_DEMO_MAX_COUNT, &count))
                return "eine Mauszählung ist ungültig";
            (t[0] == 'x' ? line->Input.lX : t[0] == 'y' ? line->Input.lY : line->Input.lZ) = static_cast<int32_t>(count);
            continue;
        }
        const int button = ButtonOfToken(t);
        if (button < 0)
            return "unbekannte Taste";
        line->Input.SetHeld(button, 1);
    }
    return "";
}
}

bool aeDemoInput::operator==(const aeDemoInput& other) const
{
    return std::memcmp(adwHeld, other.adwHeld, sizeof(adwHeld)) == 0 && lX == other.lX && lY == other.lY &&
           lZ == other.lZ;
}

int aeDemo::Parse(const char* text, int size, const char* name, std::vector<aeDemoLine>* lines)
{
    lines->clear();
    if (!text || size < 0 || !name)
    {
        AE_INVALID_PARAMETER("aeDemo::Parse");
        return 0;
    }
    const char* p = text;
    const char* end = text + size;
    int number = 0;
    bool header = false;
    while (p < end)
    {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* lineEnd = eol ? eol : end;
        const char* next = eol ? eol + 1 : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        ++number;
        const std::vector<std::string> tokens = Tokens(p, lineEnd);
        p = next;
        if (tokens.empty() || tokens[0][0] == '#')
            continue;
        const bool isHeader = tokens.size() == 2 && tokens[0] + " " + tokens[1] == kHeader;
        if (header && isHeader)
            continue;  // demos joined one after the other
        if (!header)
        {
            if (!isHeader)
            {
                AE_ERROR("aeDemo::Parse", "Die Datei \"%s\" ist keine Demo (Zeile %d)!", name, number);
                lines->clear();
                return 0;
            }
            header = true;
            continue;
        }
        aeDemoLine line;
        const char* problem = ParseLine(tokens, &line);
        if (*problem)
        {
            AE_ERROR("aeDemo::Parse", "Fehler in Zeile %d der Demo \"%s\": %s!", number, name, problem);
            lines->clear();
            return 0;
        }
        lines->push_back(line);
    }
    if (!header)
    {
        AE_ERROR("aeDemo::Parse", "Die Datei \"%s\" ist keine Demo (Zeile %d)!", name, number);
        return 0;
    }
    return 1;
}

std::string aeDemo::Format(const std::vector<aeDemoLine>& lines)
{
    std::string text = std::string(kHeader) + "\n# Bilder Millisekunden Tasten/Maus\n";
    for (const aeDemoLine& line : lines)
    {
        text += std::to_string(line.iFrames) + " " + std::to_string(line.dwMs);
        for (int b = 0; b < AE_NUM_BUTTONS; ++b)
            if (IsButtonEntry(b) && line.Input.IsHeld(b))
                text += " " + TokenOf(b);
        if (line.Input.lX)
            text += " x=" + std::to_string(line.Input.lX);
        if (line.Input.lY)
            text += " y=" + std::to_string(line.Input.lY);
        if (line.Input.lZ)
            text += " z=" + std::to_string(line.Input.lZ);
        text += "\n";
    }
    return text;
}

int aeDemo::StartPlayback(const char* path, int timedemo)
{
    Stop();
    VFile file;
    if (!path || !file.Init(path))
    {
        AE_ERROR("aeDemo::StartPlayback", "Die Demo \"%s\" konnte nicht geöffnet werden!", path ? path : "");
        return 0;
    }
    if (file.GetSize() > AE_DEMO_MAX_FILE)
    {
        AE_ERROR("aeDemo::StartPlayback", "Die Demo \"%s\" ist zu groß (%d Bytes, höchstens %d)!", path, file.GetSize(),
                 static_cast<int>(AE_DEMO_MAX_FILE));
        return 0;
    }
    std::vector<char> text(static_cast<size_t>(file.GetSize()));
    if (!text.empty() && !file.Read(file.GetSize(), text.data()))
        return 0;
    if (!Parse(text.data(), static_cast<int>(text.size()), path, &m_aLines))
        return 0;
    m_iMode = 1;
    m_bTimedemo = timedemo ? 1 : 0;
    m_aFrameTimes.clear();
    m_uFrameStartUs = kNoFrameStart;
    if (m_bTimedemo)
    {
        size_t frames = 0;
        for (const aeDemoLine& line : m_aLines)
            frames += static_cast<size_t>(line.iFrames);
        m_aFrameTimes.reserve(frames);  // nothing allocated while frames are measured
    }
    m_bFinished = 0;
    m_iFrames = 0;
    m_iLine = 0;
    m_iLineFrame = 0;
    aeLog::Write("Die Demo \"%s\" wird abgespielt (%zu Zeilen)", path, m_aLines.size());
    return 1;
}

int aeDemo::StartRecording(const char* path)
{
    Stop();
    if (!path || std::strlen(path) >= sizeof(m_acPath) - 4)
    {
        AE_INVALID_PARAMETER("aeDemo::StartRecording");
        return 0;
    }
    // A whole session's recording must not be lost at its end for want of
    // a folder to put it in.
    if (!aeFolderWritable(path))
    {
        AE_ERROR("aeDemo::StartRecording", "Die Demo \"%s\" kann nicht aufgenommen werden: Der Ordner fehlt oder ist schreibgeschützt!", path);
        return 0;
    }
    std::snprintf(m_acPath, sizeof(m_acPath), "%s", path);
    m_aLines.clear();
    m_iMode = 2;
    m_bTimedemo = 0;
    m_bFinished = 0;
    m_iFrames = 0;
    aeLog::Write("Die Demo \"%s\" wird aufgenommen", path);
    return 1;
}

int aeDemo::Stop()
{
    const int mode = m_iMode;
    m_iMode = 0;
    if (mode != 2)
        return 1;
    const std::string text = Format(m_aLines);
    m_aLines.clear();
    if (aeWriteFileAtomically(m_acPath, text.data(), text.size()))
    {
        aeLog::Write("Die Demo \"%s\" wurde gespeichert (%d Bilder)", m_acPath, m_iFrames);
        return 1;
    }
    AE_ERROR("aeDemo::Stop", "Die Demo \"%s\" konnte nicht gespeichert werden!", m_acPath);
    return 0;
}

aeFrameTimeStats aeDemo::GetFrameTimeStats(const std::vector<float>& times)
{
    aeFrameTimeStats stats;
    if (times.empty())
        return stats;
    stats.iFrames = static_cast<int>(times.size());
    double sum = 0.0;
    stats.fMin = stats.fMax = times[0];
    for (float t : times)
    {
        sum += t;
        stats.fMin = std::min(stats.fMin, static_cast<double>(t));
        stats.fMax = std::max(stats.fMax, static_cast<double>(t));
    }
    stats.fAverage = sum / static_cast<double>(times.size());
    double squares = 0.0;
    for (float t : times)
        squares += (t - stats.fAverage) * (t - stats.fAverage);
    stats.fStdDev = std::sqrt(squares / static_cast<double>(times.size()));
    // The nearest rank: the smallest time that 99 % of the frames do not exceed.
    std::vector<float> sorted = times;
    const size_t rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(sorted.size())));
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(rank - 1), sorted.end());
    stats.fP99 = sorted[rank - 1];
    return stats;
}

DWORD aeDemo::GetWallMs()
{
    return m_iFrames ? timeGetTime() - m_dwStart : 0;
}

void aeDemo::TakeInput(aeDemoInput* input)
{
    // While the program is inactive its frames do nothing: they are neither
    // recorded nor do they use up frames of a demo.
    if (m_iMode == 0 || !aeMain::m_bActive)
        return;
    if (m_iFrames == 0)
        m_dwStart = timeGetTime();
    if (m_iMode == 2)
    {
        // The time is filled in by FrameTime; a frame like the one before
        // joins its line there.
        aeDemoLine line = {1, 0, *input};
        m_aLines.push_back(line);
        ++m_iFrames;
        return;
    }
    while (m_iLine < m_aLines.size() && m_iLineFrame >= m_aLines[m_iLine].iFrames)
    {
        ++m_iLine;
        m_iLineFrame = 0;
    }
    if (m_iLine >= m_aLines.size())
    {
        std::memset(input, 0, sizeof(*input));
        m_bFinished = 1;
        return;
    }
    *input = m_aLines[m_iLine].Input;
    ++m_iLineFrame;
    ++m_iFrames;
}

// Real time: each frame ends its recorded milliseconds after the one before,
// measured on the clock and not from the frame's own measurement (which holds
// the last frame's wait). A program that falls far behind (too slow, or
// inactive for a while) starts counting anew instead of racing to catch up.
void aeDemo::WaitForFrame(DWORD ms)
{
    const DWORD now = timeGetTime();
    if (m_iFrames <= 1 || static_cast<int32_t>(now - m_dwDue) > static_cast<int32_t>(kMaxLagMs))
        m_dwDue = now;
    m_dwDue += ms;
    const int32_t wait = static_cast<int32_t>(m_dwDue - now);
    if (wait > 0)
        aeSleep(static_cast<DWORD>(wait));
}

DWORD aeDemo::FrameTime(DWORD measuredMs)
{
    if (!aeMain::m_bActive)
        return measuredMs;
    if (m_iMode == 2 && !m_aLines.empty())
    {
        aeDemoLine& last = m_aLines.back();
        const DWORD maxMs = AE_DEMO_MAX_MS;
        last.dwMs = measuredMs < 1 ? 1 : (measuredMs > maxMs ? maxMs : measuredMs);
        if (m_aLines.size() > 1)
        {
            aeDemoLine& before = m_aLines[m_aLines.size() - 2];
            if (before.dwMs == last.dwMs && before.Input == last.Input && before.iFrames < AE_DEMO_MAX_FRAMES_PER_LINE)
            {
                ++before.iFrames;
                m_aLines.pop_back();
            }
        }
        return measuredMs;
    }
    if (m_iMode != 1 || m_bFinished || m_iLine >= m_aLines.size())
        return measuredMs;
    const DWORD ms = m_aLines[m_iLine].dwMs;
    if (!m_bTimedemo)
        WaitForFrame(ms);
    else
    {
        const uint64_t now = aeMicroseconds();
        if (m_uFrameStartUs != kNoFrameStart)
            m_aFrameTimes.push_back(static_cast<float>(static_cast<double>(now - m_uFrameStartUs) / 1000.0));
        m_uFrameStartUs = now;
    }
    return ms;
}
