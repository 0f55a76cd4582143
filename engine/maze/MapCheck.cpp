#include "aeMapCheck.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
// Smallest possible record of each block: its fixed fields, empty strings and
// an empty condition list.
const int kQuestBytes = 1 + 16;
const int kObjectBytes = 16 + 1 + 12 + 1 + 4;
const int kWallBytes = 4 + 1 + 12 + 1 + 4;
const int kFloorBytes = 1 + 12 + 1 + 4;
const int kConditionBytes = 16;
const int kFieldBytes = 28;
const long long kMaxFields = INT32_MAX / kFieldBytes;

class Checker
{
public:
    Checker(const unsigned char* data, int size, aeMapProblemCallback callback, void* user)
        : m_pData(data), m_iSize(size), m_iPos(0), m_pCallback(callback), m_pUser(user), m_Result{}
    {
    }

    void Report(int kind, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        if (kind == AE_MAP_BROKEN)
            ++m_Result.iBroken;
        else if (kind == AE_MAP_INVALID)
            ++m_Result.iInvalid;
        else
            ++m_Result.iWarnings;
        if (!m_pCallback)
            return;
        char message[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(message, sizeof(message), format, args);
        va_end(args);
        m_pCallback(kind, message, m_pUser);
    }

    int Remaining() const { return m_iSize - m_iPos; }

    bool Int(int* value, const char* where)
    {
        if (Remaining() < 4)
        {
            Report(AE_MAP_BROKEN, "Die Karte endet vorzeitig in %s (Byte %d)!", where, m_iPos);
            return false;
        }
        std::memcpy(value, m_pData + m_iPos, 4);
        m_iPos += 4;
        return true;
    }

    bool Skip(int n, const char* where)
    {
        if (Remaining() < n)
        {
            Report(AE_MAP_BROKEN, "Die Karte endet vorzeitig in %s (Byte %d)!", where, m_iPos);
            return false;
        }
        m_iPos += n;
        return true;
    }

    // A length byte and that many characters; *length receives n.
    bool String(int* length, const char* where)
    {
        if (Remaining() < 1)
        {
            Report(AE_MAP_BROKEN, "Die Karte endet vorzeitig in %s (Byte %d)!", where, m_iPos);
            return false;
        }
        const int n = m_pData[m_iPos];
        if (Remaining() - 1 < n)
        {
            Report(AE_MAP_BROKEN, "Die Zeichenkette %s (%d Zeichen) reicht über das Dateiende hinaus!", where, n);
            return false;
        }
        m_iPos += 1 + n;
        *length = n;
        return true;
    }

    // A count of records of at least minBytes each; a count of 0 or less is an
    // empty list.
    bool Count(int* count, int minBytes, const char* what)
    {
        if (!Int(count, what))
            return false;
        if (*count < 0)
            *count = 0;
        if (*count > Remaining() / minBytes)
        {
            Report(AE_MAP_BROKEN, "Unmögliche Anzahl %d von %s: die Datei hat nur noch %d Bytes!", *count, what,
                   Remaining());
            return false;
        }
        return true;
    }

    // The part every record shares behind its own leading fields.
    bool Record(const char* kind, int index)
    {
        char where[96];
        int length = 0;
        std::snprintf(where, sizeof(where), "%s %d (Animation)", kind, index);
        if (!String(&length, where))
            return false;
        if (length == 0)
            Report(AE_MAP_WARNING, "%s %d hat keine Animation und kann nicht gezeichnet werden!", kind, index);
        std::snprintf(where, sizeof(where), "%s %d", kind, index);
        if (!Skip(12, where))
            return false;
        std::snprintf(where, sizeof(where), "%s %d (Sound)", kind, index);
        if (!String(&length, where))
            return false;
        std::snprintf(where, sizeof(where), "den Bedingungen von %s %d", kind, index);
        int conditions = 0;
        if (!Count(&conditions, kConditionBytes, where))
            return false;
        for (int i = 0; i < conditions; ++i)
        {
            int bit = 0;
            std::memcpy(&bit, m_pData + m_iPos + 8, 4);
            if (static_cast<unsigned>(bit) > 7)
                Report(AE_MAP_WARNING, "%s %d, Bedingung %d: Bitnummer %d liegt nicht zwischen 0 und 7 und wird übergangen!",
                       kind, index, i, bit);
            m_iPos += kConditionBytes;
        }
        return true;
    }

    bool Block(const char* kind, const char* plural, int leadingBytes, int minBytes, int* count)
    {
        if (!Count(count, minBytes, plural))
            return false;
        for (int i = 0; i < *count; ++i)
        {
            char where[96];
            std::snprintf(where, sizeof(where), "%s %d", kind, i);
            if (!Skip(leadingBytes, where) || !Record(kind, i))
                return false;
        }
        return true;
    }

    bool Run()
    {
        int width = 0, height = 0, startX = 0, startY = 0, length = 0;
        if (!Int(&width, "dem Kopf") || !Int(&height, "dem Kopf") || !Skip(12, "dem Kopf") ||
            !Int(&startX, "dem Kopf") || !Int(&startY, "dem Kopf"))
            return false;
        if (width < 1 || height < 1 || static_cast<long long>(width) * height > kMaxFields)
        {
            Report(AE_MAP_BROKEN, "Unmögliche Größe des Gitters: %d x %d!", width, height);
            return false;
        }
        m_Result.iWidth = width;
        m_Result.iHeight = height;
        if (startX < 0 || startX >= width || startY < 0 || startY >= height)
            Report(AE_MAP_INVALID, "Das Startfeld (%d, %d) liegt außerhalb des Gitters von %d x %d Feldern!", startX,
                   startY, width, height);
        if (!String(&length, "dem Musiknamen") || !String(&length, "dem Datenverzeichnis") ||
            !String(&length, "dem Namen des Himmels"))
            return false;

        int quests = 0;
        if (!Count(&quests, kQuestBytes, "Quests"))
            return false;
        m_Result.iQuests = quests;
        for (int i = 0; i < quests; ++i)
        {
            char where[64];
            std::snprintf(where, sizeof(where), "Quest %d", i);
            if (!String(&length, where) || !Skip(16, where))
                return false;
        }
        int counts[4] = {0, 0, 0, 0};
        if (!Block("Objekt", "Objekten", 16, kObjectBytes, &counts[0]) ||
            !Block("Wand", "Wänden", 4, kWallBytes, &counts[1]) ||
            !Block("Boden", "Böden", 0, kFloorBytes, &counts[2]) ||
            !Block("Decke", "Decken", 4, kWallBytes, &counts[3]))
            return false;

        const long long tableBytes = static_cast<long long>(width) * height * kFieldBytes;
        if (tableBytes > Remaining())
        {
            Report(AE_MAP_BROKEN, "Die Karte endet vor dem Ende der Feldtabelle (%lld Bytes nötig, %d vorhanden)!",
                   tableBytes, Remaining());
            return false;
        }
        // Slot order in the table: floor, ceiling, walls 0 to 3, object.
        static const int kList[7] = {2, 3, 1, 1, 1, 1, 0};
        static const char* const kSlotName[7] = {"Boden", "Decke", "Wand 0", "Wand 1", "Wand 2", "Wand 3", "Objekt"};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                int entry[7];
                std::memcpy(entry, m_pData + m_iPos, sizeof(entry));
                m_iPos += kFieldBytes;
                for (int s = 0; s < 7; ++s)
                {
                    const int n = counts[kList[s]];
                    if (entry[s] != -1 && (entry[s] < 0 || entry[s] >= n))
                        Report(AE_MAP_INVALID, "Feld (%d, %d): %s-Index %d liegt außerhalb der Liste (%d Einträge)!", x,
                               y, kSlotName[s], entry[s], n);
                }
            }

        if (Remaining() == 0)
        {
            m_Result.bHasExit = 0;
            m_Result.iSize = m_iPos;
            return true;
        }
        int exitX = 0, exitY = 0;
        if (!Int(&exitX, "dem Zielblock") || !Int(&exitY, "dem Zielblock") ||
            !String(&length, "dem Namen der nächsten Karte"))
            return false;
        if (exitX < 0 || exitX >= width || exitY < 0 || exitY >= height)
            Report(AE_MAP_INVALID, "Das Zielfeld (%d, %d) liegt außerhalb des Gitters von %d x %d Feldern!", exitX,
                   exitY, width, height);
        m_Result.bHasExit = 1;
        m_Result.iSize = m_iPos;
        if (Remaining() > 0)
            Report(AE_MAP_WARNING, "Hinter dem Zielblock folgen noch %d Bytes, die nicht zur Karte gehören!",
                   Remaining());
        return true;
    }

    const unsigned char* m_pData;
    int m_iSize;
    int m_iPos;
    aeMapProblemCallback m_pCallback;
    void* m_pUser;
    aeMapCheckResult m_Result;
};
}

int aeCheckMap(const unsigned char* data, int size, aeMapProblemCallback callback, void* user,
               aeMapCheckResult* result)
{
    Checker checker(data, data ? size : 0, callback, user);
    checker.Run();
    if (result)
        *result = checker.m_Result;
    return checker.m_Result.iBroken == 0 && checker.m_Result.iInvalid == 0;
}
