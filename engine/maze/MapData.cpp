#include "aeMapData.h"
#include "BoundedReader.h"
#include "VFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

static_assert(sizeof(aeMapField) == 28, "a field entry is seven ints in the file");
static_assert(sizeof(aeMapCondition) == 16, "a condition is four ints in the file");

namespace
{
// Smallest possible record of each block: its fixed fields, empty strings and
// an empty condition list.
const int kQuestBytes = 1 + 16;
const int kConditionBytes = 16;
const int kFieldBytes = 28;
int MinRecordBytes(int block)
{
    return 4 * g_aiMapLeadFloats[block] + 1 + 12 + 1 + 4;
}

const char* const kKind[AE_MAP_NUM_BLOCKS] = {"Objekt", "Wand", "Boden", "Decke"};
const char* const kPlural[AE_MAP_NUM_BLOCKS] = {"Objekten", "Wänden", "Böden", "Decken"};

class Parser
{
public:
    Parser(const unsigned char* data, int size, aeMapData* map, aeMapProblemCallback callback, void* user)
        : m_In(data, size), m_pMap(map), m_pCallback(callback), m_pUser(user), m_Result{}
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

    bool Ends(const char* where)
    {
        Report(AE_MAP_BROKEN, "Die Karte endet vorzeitig in %s (Byte %d)!", where, m_In.GetPosition());
        return false;
    }

    // n bytes (ints and floats) into out.
    bool Bytes(void* out, int n, const char* where) { return m_In.Read(n, out) || Ends(where); }

    // A length byte and that many characters; into *text when not null.
    bool String(std::string* text, const char* where)
    {
        unsigned char n = 0;
        if (!m_In.Read(1, &n))
            return Ends(where);
        if (!m_In.Fits(n, 1))
        {
            Report(AE_MAP_BROKEN, "Die Zeichenkette %s (%d Zeichen) reicht über das Dateiende hinaus!", where, n);
            return false;
        }
        if (text)
            text->assign(reinterpret_cast<const char*>(m_In.GetCurrent()), n);
        m_In.Skip(n);
        m_iLength = n;
        return true;
    }

    // A count of records of at least minBytes each; a count of 0 or less is an
    // empty list.
    bool Count(int* count, int minBytes, const char* what)
    {
        if (!Bytes(count, 4, what))
            return false;
        if (*count < 0)
            *count = 0;
        if (!m_In.Fits(*count, minBytes))
        {
            Report(AE_MAP_BROKEN, "Unmögliche Anzahl %d von %s: die Datei hat nur noch %d Bytes!", *count, what,
                   m_In.GetRemaining());
            return false;
        }
        return true;
    }

    // One record: its leading floats, then the part every record shares.
    bool Record(int block, int index, aeMapRecord* record)
    {
        const char* kind = kKind[block];
        char where[96];
        std::snprintf(where, sizeof(where), "%s %d", kind, index);
        if (!Bytes(record->lead, 4 * g_aiMapLeadFloats[block], where))
            return false;
        std::snprintf(where, sizeof(where), "%s %d (Animation)", kind, index);
        if (!String(m_pMap ? &record->animation : nullptr, where))
            return false;
        if (m_iLength == 0)
            Report(AE_MAP_WARNING, "%s %d hat keine Animation und kann nicht gezeichnet werden!", kind, index);
        std::snprintf(where, sizeof(where), "%s %d", kind, index);
        int32_t modes[3];
        if (!Bytes(modes, 12, where))
            return false;
        record->action = modes[0];
        record->mode = modes[1];
        record->automatic = modes[2];
        std::snprintf(where, sizeof(where), "%s %d (Sound)", kind, index);
        if (!String(m_pMap ? &record->sound : nullptr, where))
            return false;
        std::snprintf(where, sizeof(where), "den Bedingungen von %s %d", kind, index);
        int conditions = 0;
        if (!Count(&conditions, kConditionBytes, where))
            return false;
        if (m_pMap)
            record->conditions.resize(static_cast<size_t>(conditions));
        for (int i = 0; i < conditions; ++i)
        {
            aeMapCondition condition;
            m_In.Read(kConditionBytes, &condition);
            if (static_cast<unsigned>(condition.bit) > 7)
                Report(AE_MAP_WARNING,
                       "%s %d, Bedingung %d: Bitnummer %d liegt nicht zwischen 0 und 7 und wird übergangen!", kind,
                       index, i, condition.bit);
            if (m_pMap)
                record->conditions[static_cast<size_t>(i)] = condition;
        }
        return true;
    }

    bool Block(int block, int* count)
    {
        if (!Count(count, MinRecordBytes(block), kPlural[block]))
            return false;
        std::vector<aeMapRecord>* list = m_pMap ? &m_pMap->Block(block) : nullptr;
        if (list)
            list->resize(static_cast<size_t>(*count));
        for (int i = 0; i < *count; ++i)
        {
            aeMapRecord scratch;
            if (!Record(block, i, list ? &(*list)[static_cast<size_t>(i)] : &scratch))
                return false;
        }
        return true;
    }

    // The field table's width x height entries against the lengths of the
    // lists (slotCounts: each slot's list). An index is fine when it plus one
    // (-1 and 0 to n - 1 become 0 to n) is at most the length. Four fields at
    // a time are 28 such comparisons, which the compiler makes side by side;
    // only a group with a fault is looked at field by field, in file order.
    void CheckFields(const unsigned char* table, int width, int height, const uint32_t* slotCounts)
    {
        const long long fields = static_cast<long long>(width) * height;
        uint32_t limits[4 * 7];
        for (int j = 0; j < 4 * 7; ++j)
            limits[j] = slotCounts[j % 7];
        for (long long group = 0; group < fields; group += 4)
        {
            const long long end = std::min(group + 4, fields);
            if (end - group == 4)
            {
                const unsigned char* p = table + group * kFieldBytes;
                uint32_t faults = 0;
                for (int j = 0; j < 4 * 7; ++j)
                {
                    uint32_t index;
                    std::memcpy(&index, p + 4 * j, 4);
                    faults |= index + 1u > limits[j];
                }
                if (!faults)
                    continue;
            }
            for (long long i = group; i < end; ++i)
            {
                int32_t entry[7];
                std::memcpy(entry, table + i * kFieldBytes, kFieldBytes);
                ReportField(entry, static_cast<int>(i % width), static_cast<int>(i / width), slotCounts);
            }
        }
    }

    void ReportField(const int32_t* entry, int x, int y, const uint32_t* slotCounts)
    {
        static const char* const kSlotName[7] = {"Boden", "Decke", "Wand 0", "Wand 1", "Wand 2", "Wand 3", "Objekt"};
        for (int s = 0; s < 7; ++s)
        {
            const int n = static_cast<int>(slotCounts[s]);
            if (entry[s] != -1 && (entry[s] < 0 || entry[s] >= n))
                Report(AE_MAP_INVALID, "Feld (%d, %d): %s-Index %d liegt außerhalb der Liste (%d Einträge)!", x, y,
                       kSlotName[s], entry[s], n);
        }
    }

    bool Run()
    {
        aeMapData header;
        aeMapData& m = m_pMap ? *m_pMap : header;
        float floats[3];
        if (!Bytes(&m.width, 4, "dem Kopf") || !Bytes(&m.height, 4, "dem Kopf") || !Bytes(floats, 12, "dem Kopf") ||
            !Bytes(&m.startX, 4, "dem Kopf") || !Bytes(&m.startY, 4, "dem Kopf"))
            return false;
        m.depth = floats[0];
        m.speed = floats[1];
        m.fog = floats[2];
        const int width = m.width, height = m.height;
        if (width < 1 || height < 1 || static_cast<long long>(width) * height > g_llMaxMapFields)
        {
            Report(AE_MAP_BROKEN, "Unmögliche Größe des Gitters: %d x %d!", width, height);
            return false;
        }
        m_Result.iWidth = width;
        m_Result.iHeight = height;
        if (m.startX < 0 || m.startX >= width || m.startY < 0 || m.startY >= height)
            Report(AE_MAP_INVALID, "Das Startfeld (%d, %d) liegt außerhalb des Gitters von %d x %d Feldern!", m.startX,
                   m.startY, width, height);
        if (!String(m_pMap ? &m.music : nullptr, "dem Musiknamen") || !String(m_pMap ? &m.data : nullptr, "dem Datenverzeichnis") ||
            !String(m_pMap ? &m.sky : nullptr, "dem Namen des Himmels"))
            return false;

        int quests = 0;
        if (!Count(&quests, kQuestBytes, "Quests"))
            return false;
        m_Result.iQuests = quests;
        if (m_pMap)
            m.quests.resize(static_cast<size_t>(quests));
        for (int i = 0; i < quests; ++i)
        {
            char where[64];
            std::snprintf(where, sizeof(where), "Quest %d", i);
            aeMapQuest scratch;
            aeMapQuest& quest = m_pMap ? m.quests[static_cast<size_t>(i)] : scratch;
            int32_t fields[4];
            if (!String(m_pMap ? &quest.text : nullptr, where) || !Bytes(fields, 16, where))
                return false;
            quest.bx = fields[0];
            quest.by = fields[1];
            quest.ex = fields[2];
            quest.ey = fields[3];
        }
        int counts[AE_MAP_NUM_BLOCKS] = {0, 0, 0, 0};
        for (int b = 0; b < AE_MAP_NUM_BLOCKS; ++b)
            if (!Block(b, &counts[b]))
                return false;

        uint32_t slotCounts[7];
        for (int s = 0; s < 7; ++s)
            slotCounts[s] = static_cast<uint32_t>(counts[aeMapBlockOfSlot(s)]);
        const long long tableBytes = static_cast<long long>(width) * height * kFieldBytes;
        if (!m_In.Fits(static_cast<long long>(width) * height, kFieldBytes))
        {
            Report(AE_MAP_BROKEN, "Die Karte endet vor dem Ende der Feldtabelle (%lld Bytes nötig, %d vorhanden)!",
                   tableBytes, m_In.GetRemaining());
            return false;
        }
        // The entries are checked where they lie; a structure to fill gets a
        // copy unless its loader reads them from the bytes itself.
        const unsigned char* table = m_In.GetCurrent();
        m_Result.iFieldTable = m_In.GetPosition();
        CheckFields(table, width, height, slotCounts);
        if (m_pMap && !m.fieldsInPlace)
        {
            m.fields.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
            std::memcpy(m.fields.data(), table, static_cast<size_t>(tableBytes));
        }
        m_In.Skip(static_cast<int>(tableBytes));

        if (m_In.GetRemaining() == 0)
        {
            m.hasExit = false;
            m_Result.bHasExit = 0;
            m_Result.iSize = m_In.GetPosition();
            return true;
        }
        if (!Bytes(&m.exitX, 4, "dem Zielblock") || !Bytes(&m.exitY, 4, "dem Zielblock") ||
            !String(m_pMap ? &m.next : nullptr, "dem Namen der nächsten Karte"))
            return false;
        if (m.exitX < 0 || m.exitX >= width || m.exitY < 0 || m.exitY >= height)
            Report(AE_MAP_INVALID, "Das Zielfeld (%d, %d) liegt außerhalb des Gitters von %d x %d Feldern!", m.exitX,
                   m.exitY, width, height);
        m.hasExit = true;
        m_Result.bHasExit = 1;
        m_Result.iSize = m_In.GetPosition();
        if (m_In.GetRemaining() > 0)
        {
            Report(AE_MAP_WARNING, "Hinter dem Zielblock folgen noch %d Bytes, die nicht zur Karte gehören!",
                   m_In.GetRemaining());
            if (m_pMap)
                m.trailing.assign(reinterpret_cast<const char*>(m_In.GetCurrent()),
                                  static_cast<size_t>(m_In.GetRemaining()));
        }
        return true;
    }

    aeBoundedReader m_In;
    aeMapData* m_pMap;
    aeMapProblemCallback m_pCallback;
    void* m_pUser;
    aeMapCheckResult m_Result;
    // Length of the string read last.
    int m_iLength = 0;
};

// Little-endian values to a string or a file.
struct StringOut
{
    std::string* s;
    void Put(const void* p, size_t n) { s->append(static_cast<const char*>(p), n); }
};
struct FileOut
{
    VFile* file;
    void Put(const void* p, size_t n) { file->Write(static_cast<int>(n), p); }
};

template <class Out> void Write(const aeMapData& m, Out& out, aeMapFieldSource source, void* user)
{
    auto i32 = [&](int32_t v) { out.Put(&v, 4); };
    auto f32 = [&](float v) { out.Put(&v, 4); };
    auto str = [&](const std::string& s) {
        const unsigned char n = static_cast<unsigned char>(s.size() > 255 ? 255 : s.size());
        out.Put(&n, 1);
        out.Put(s.data(), n);
    };
    i32(m.width);
    i32(m.height);
    f32(m.depth);
    f32(m.speed);
    f32(m.fog);
    i32(m.startX);
    i32(m.startY);
    str(m.music);
    str(m.data);
    str(m.sky);
    i32(static_cast<int32_t>(m.quests.size()));
    for (const aeMapQuest& q : m.quests)
    {
        str(q.text);
        i32(q.bx);
        i32(q.by);
        i32(q.ex);
        i32(q.ey);
    }
    for (int b = 0; b < AE_MAP_NUM_BLOCKS; ++b)
    {
        const std::vector<aeMapRecord>& block = m.Block(b);
        i32(static_cast<int32_t>(block.size()));
        for (const aeMapRecord& r : block)
        {
            for (int k = 0; k < g_aiMapLeadFloats[b]; ++k)
                f32(r.lead[k]);
            str(r.animation);
            i32(r.action);
            i32(r.mode);
            i32(r.automatic);
            str(r.sound);
            i32(static_cast<int32_t>(r.conditions.size()));
            if (!r.conditions.empty())
                out.Put(r.conditions.data(), r.conditions.size() * sizeof(aeMapCondition));
        }
    }
    if (source)
    {
        const int fields = m.width > 0 && m.height > 0 ? m.width * m.height : 0;
        for (int i = 0; i < fields; ++i)
        {
            aeMapField entry;
            source(i, &entry, user);
            out.Put(entry.data(), sizeof(entry));
        }
    }
    else if (!m.fields.empty())
        out.Put(m.fields.data(), m.fields.size() * sizeof(aeMapField));
    if (m.hasExit)
    {
        i32(m.exitX);
        i32(m.exitY);
        str(m.next);
    }
    if (!m.trailing.empty())
        out.Put(m.trailing.data(), m.trailing.size());
}
}

int aeParseMap(const unsigned char* data, int size, aeMapData* map, aeMapProblemCallback callback, void* user,
               aeMapCheckResult* result)
{
    if (map)
    {
        const bool inPlace = map->fieldsInPlace;
        *map = aeMapData();
        map->fieldsInPlace = inPlace;
    }
    Parser parser(data, data ? size : 0, map, callback, user);
    try
    {
        parser.Run();
    }
    catch (const std::bad_alloc&)
    {
        parser.Report(AE_MAP_BROKEN, "Nicht genug Speicher für die Karte (%d x %d Felder)!", parser.m_Result.iWidth,
                      parser.m_Result.iHeight);
    }
    if (result)
        *result = parser.m_Result;
    return parser.m_Result.iBroken == 0 && parser.m_Result.iInvalid == 0;
}

void aeWriteMap(const aeMapData& map, std::string* out)
{
    if (!out)
        return;
    StringOut sink{out};
    Write(map, sink, nullptr, nullptr);
}

int aeWriteMap(const aeMapData& map, VFile* file, aeMapFieldSource source, void* user)
{
    if (!file)
        return 0;
    FileOut sink{file};
    Write(map, sink, source, user);
    return 1;
}
