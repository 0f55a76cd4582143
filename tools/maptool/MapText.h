#pragma once
// The readable text form of a map file and its conversion in both
// directions. Binary -> text -> binary gives the same bytes (see README.md
// for the one exception: negative record counts are written as 0).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "../common/TextForm.h"
#include "aeMapCheck.h"
#include "aeText.h"

namespace maptext
{
using textform::Float;
using textform::ParseFloat;
using textform::Quote;
using textform::Tokenize;
using textform::Unquote;
struct Condition
{
    int32_t x = 0, y = 0, bit = 0, value = 0;
};

// One record of any block; lead holds the fields before the animation name:
// the box of an object (4), the thickness of a wall or the height of a
// ceiling (1), nothing for a floor.
struct Record
{
    float lead[4] = {0, 0, 0, 0};
    std::string animation, sound;
    int32_t action = 0, mode = 0, automatic = 0;
    std::vector<Condition> conditions;
};

struct Quest
{
    std::string text;
    int32_t bx = 0, by = 0, ex = 0, ey = 0;
};

struct Map
{
    int32_t width = 1, height = 1;
    float depth = 10.0f, speed = 10.0f, fog = 0.05f;
    int32_t startX = 0, startY = 0;
    std::string music, data, sky;
    std::vector<Quest> quests;
    // Blocks in file order: objects, walls, floors, ceilings.
    std::vector<Record> blocks[4];
    // Seven indices per field in file order: floor, ceiling, walls 0-3, object.
    std::vector<int32_t> fields;
    bool hasExit = false;
    int32_t exitX = 0, exitY = 0;
    std::string next;
    std::string trailing;
};

// Leading floats per block, block keywords and the layer keywords in the
// order of a field entry.
inline const int kLead[4] = {4, 1, 0, 1};
inline const char* const kBlock[4] = {"object", "wall", "floor", "ceiling"};
inline const char* const kLayer[7] = {"floor", "ceiling", "wall0", "wall1", "wall2", "wall3", "object"};

// ---------------------------------------------------------------------------
// Binary
// ---------------------------------------------------------------------------

class Reader
{
public:
    Reader(const unsigned char* data, int size) : m_pData(data), m_iSize(size) {}
    int32_t Int()
    {
        int32_t v = 0;
        Take(&v, 4);
        return v;
    }
    float Float()
    {
        float v = 0;
        Take(&v, 4);
        return v;
    }
    std::string String()
    {
        unsigned char n = 0;
        Take(&n, 1);
        std::string s(n, '\0');
        Take(s.data(), n);
        return s;
    }
    int Pos() const { return m_iPos; }

private:
    void Take(void* out, int n)
    {
        if (m_iPos + n > m_iSize)
            n = m_iSize - m_iPos;
        if (n > 0)
            std::memcpy(out, m_pData + m_iPos, static_cast<size_t>(n));
        m_iPos += n;
    }
    const unsigned char* m_pData;
    int m_iSize;
    int m_iPos = 0;
};

// Reads map bytes whose structure aeCheckMap has accepted (no broken
// problem); bad indices and fields outside the grid are kept as they are.
inline bool FromBinary(const std::string& bytes, Map* map, std::string* error)
{
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    aeMapCheckResult check;
    std::string first;
    aeCheckMap(
        data, static_cast<int>(bytes.size()),
        [](int kind, const char* message, void* user) {
            std::string* text = static_cast<std::string*>(user);
            if (kind == AE_MAP_BROKEN && text->empty())
                *text = message;
        },
        &first, &check);
    if (check.iBroken)
    {
        *error = first;
        return false;
    }
    Reader r(data, static_cast<int>(bytes.size()));
    Map& m = *map;
    m.width = r.Int();
    m.height = r.Int();
    m.depth = r.Float();
    m.speed = r.Float();
    m.fog = r.Float();
    m.startX = r.Int();
    m.startY = r.Int();
    m.music = r.String();
    m.data = r.String();
    m.sky = r.String();
    int32_t count = r.Int();
    for (int32_t i = 0; i < count; ++i)
    {
        Quest q;
        q.text = r.String();
        q.bx = r.Int();
        q.by = r.Int();
        q.ex = r.Int();
        q.ey = r.Int();
        m.quests.push_back(q);
    }
    for (int b = 0; b < 4; ++b)
    {
        count = r.Int();
        for (int32_t i = 0; i < count; ++i)
        {
            Record rec;
            for (int k = 0; k < kLead[b]; ++k)
                rec.lead[k] = r.Float();
            rec.animation = r.String();
            rec.action = r.Int();
            rec.mode = r.Int();
            rec.automatic = r.Int();
            rec.sound = r.String();
            const int32_t conditions = r.Int();
            for (int32_t c = 0; c < conditions; ++c)
            {
                Condition cond;
                cond.x = r.Int();
                cond.y = r.Int();
                cond.bit = r.Int();
                cond.value = r.Int();
                rec.conditions.push_back(cond);
            }
            m.blocks[b].push_back(rec);
        }
    }
    const size_t entries = static_cast<size_t>(m.width) * static_cast<size_t>(m.height) * 7;
    m.fields.resize(entries);
    for (size_t i = 0; i < entries; ++i)
        m.fields[i] = r.Int();
    m.hasExit = check.bHasExit != 0;
    if (m.hasExit)
    {
        m.exitX = r.Int();
        m.exitY = r.Int();
        m.next = r.String();
    }
    m.trailing = bytes.substr(static_cast<size_t>(r.Pos()));
    return true;
}

inline std::string ToBinary(const Map& m)
{
    std::string out;
    auto i32 = [&](int32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto f32 = [&](float v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    auto str = [&](const std::string& s) {
        const size_t n = s.size() > 255 ? 255 : s.size();
        out.push_back(static_cast<char>(n));
        out.append(s, 0, n);
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
    for (const Quest& q : m.quests)
    {
        str(q.text);
        i32(q.bx);
        i32(q.by);
        i32(q.ex);
        i32(q.ey);
    }
    for (int b = 0; b < 4; ++b)
    {
        i32(static_cast<int32_t>(m.blocks[b].size()));
        for (const Record& rec : m.blocks[b])
        {
            for (int k = 0; k < kLead[b]; ++k)
                f32(rec.lead[k]);
            str(rec.animation);
            i32(rec.action);
            i32(rec.mode);
            i32(rec.automatic);
            str(rec.sound);
            i32(static_cast<int32_t>(rec.conditions.size()));
            for (const Condition& c : rec.conditions)
            {
                i32(c.x);
                i32(c.y);
                i32(c.bit);
                i32(c.value);
            }
        }
    }
    for (int32_t v : m.fields)
        i32(v);
    if (m.hasExit)
    {
        i32(m.exitX);
        i32(m.exitY);
        str(m.next);
    }
    out += m.trailing;
    return out;
}

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

inline std::string Index(int32_t v)
{
    return v == -1 ? "." : std::to_string(v);
}

inline std::string ToText(const Map& m)
{
    std::ostringstream o;
    o << "# Halvoran map (maptool text form)\n";
    o << "size " << m.width << " " << m.height << "\n";
    o << "floor-depth " << Float(m.depth) << "\n";
    o << "speed " << Float(m.speed) << "\n";
    o << "fog " << Float(m.fog) << "\n";
    o << "start " << m.startX << " " << m.startY << "\n";
    o << "music " << Quote(m.music) << "\n";
    o << "data " << Quote(m.data) << "\n";
    o << "sky " << Quote(m.sky) << "\n";
    if (m.hasExit)
        o << "exit " << m.exitX << " " << m.exitY << " " << Quote(m.next) << "\n";
    else
        o << "exit none\n";
    if (!m.quests.empty())
        o << "\n";
    for (const Quest& q : m.quests)
        o << "quest " << Quote(q.text) << " begin " << q.bx << " " << q.by << " end " << q.ex << " " << q.ey << "\n";
    for (int b = 0; b < 4; ++b)
    {
        if (!m.blocks[b].empty())
            o << "\n";
        for (size_t i = 0; i < m.blocks[b].size(); ++i)
        {
            const Record& r = m.blocks[b][i];
            o << kBlock[b] << " " << i;
            if (b == 0)
                o << " box " << Float(r.lead[0]) << " " << Float(r.lead[1]) << " " << Float(r.lead[2]) << " "
                  << Float(r.lead[3]);
            else if (b == 1)
                o << " thickness " << Float(r.lead[0]);
            else if (b == 3)
                o << " height " << Float(r.lead[0]);
            o << " anim " << Quote(r.animation) << " action " << r.action << " mode " << r.mode << " auto "
              << r.automatic << " sound " << Quote(r.sound);
            for (const Condition& c : r.conditions)
                o << " if " << c.x << " " << c.y << " " << c.bit << " " << c.value;
            o << "\n";
        }
    }
    // One picture per slot: the record index of every field, "." for none;
    // row 0 first, column 0 on the left.
    const size_t width = static_cast<size_t>(m.width), height = static_cast<size_t>(m.height);
    for (int s = 0; s < 7; ++s)
    {
        size_t cell = 1;
        for (size_t i = s; i < m.fields.size(); i += 7)
            cell = std::max(cell, Index(m.fields[i]).size());
        o << "\nlayer " << kLayer[s] << "\n";
        for (size_t y = 0; y < height; ++y)
        {
            std::string line;
            for (size_t x = 0; x < width; ++x)
            {
                const std::string v = Index(m.fields[(y * width + x) * 7 + static_cast<size_t>(s)]);
                if (x)
                    line += ' ';
                line += std::string(cell - v.size(), ' ') + v;
            }
            o << line << "\n";
        }
        o << "end\n";
    }
    if (!m.trailing.empty())
    {
        o << "\ntrailing ";
        for (unsigned char c : m.trailing)
        {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%02X", c);
            o << hex;
        }
        o << "\n";
    }
    return o.str();
}

// A number, or "." for -1 (no record).
inline bool ParseInt(const std::string& token, int32_t* v, std::string* error)
{
    if (token == ".")
    {
        *v = -1;
        return true;
    }
    return textform::ParseInt(token, v, error);
}

// Parses the text form. On failure *error names the line and the fault.
inline bool FromText(const std::string& text, Map* map, std::string* error)
{
    Map m;
    m.fields.clear();
    std::vector<int32_t> layers[7];
    bool haveLayer[7] = {};
    bool haveSize = false;
    std::istringstream in(text);
    std::string line, message;
    std::vector<std::string> t;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        *error = "Zeile " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, line))
    {
        ++lineNo;
        if (!Tokenize(line, &t, &message))
            return fail(message);
        if (t.empty())
            continue;
        const std::string& key = t[0];
        auto want = [&](size_t n) { return t.size() == n; };
        bool ok = true;
        if (key == "size" && want(3))
        {
            // The layers read so far have the first size's shape.
            if (haveSize)
                return fail("Die Angabe size steht mehr als einmal");
            ok = ParseInt(t[1], &m.width, &message) && ParseInt(t[2], &m.height, &message);
            haveSize = ok;
        }
        else if (key == "floor-depth" && want(2))
            ok = ParseFloat(t[1], &m.depth, &message);
        else if (key == "speed" && want(2))
            ok = ParseFloat(t[1], &m.speed, &message);
        else if (key == "fog" && want(2))
            ok = ParseFloat(t[1], &m.fog, &message);
        else if (key == "start" && want(3))
            ok = ParseInt(t[1], &m.startX, &message) && ParseInt(t[2], &m.startY, &message);
        else if (key == "music" && want(2))
            ok = Unquote(t[1], &m.music, &message);
        else if (key == "data" && want(2))
            ok = Unquote(t[1], &m.data, &message);
        else if (key == "sky" && want(2))
            ok = Unquote(t[1], &m.sky, &message);
        else if (key == "exit" && want(2) && t[1] == "none")
            m.hasExit = false;
        else if (key == "exit" && want(4))
        {
            m.hasExit = true;
            ok = ParseInt(t[1], &m.exitX, &message) && ParseInt(t[2], &m.exitY, &message) &&
                 Unquote(t[3], &m.next, &message);
        }
        else if (key == "quest" && want(8) && t[2] == "begin" && t[5] == "end")
        {
            Quest q;
            ok = Unquote(t[1], &q.text, &message) && ParseInt(t[3], &q.bx, &message) &&
                 ParseInt(t[4], &q.by, &message) && ParseInt(t[6], &q.ex, &message) && ParseInt(t[7], &q.ey, &message);
            m.quests.push_back(q);
        }
        else if (key == "trailing" && want(2) && t[1].size() % 2 == 0)
        {
            for (size_t i = 0; i < t[1].size(); i += 2)
                m.trailing += static_cast<char>(std::strtoul(t[1].substr(i, 2).c_str(), nullptr, 16));
        }
        else if (key == "layer" && want(2))
        {
            int s = 0;
            while (s < 7 && t[1] != kLayer[s])
                ++s;
            if (s == 7)
                return fail("Unbekannte Ebene " + t[1]);
            if (!haveSize)
                return fail("Die Größe muss vor den Ebenen stehen");
            haveLayer[s] = true;
            std::vector<int32_t>& layer = layers[s];
            while (std::getline(in, line))
            {
                ++lineNo;
                if (!Tokenize(line, &t, &message))
                    return fail(message);
                if (t.size() == 1 && t[0] == "end")
                    break;
                if (t.empty())
                    continue;
                if (t.size() != static_cast<size_t>(m.width))
                    return fail("Die Zeile der Ebene " + std::string(kLayer[s]) + " hat " + std::to_string(t.size()) +
                                " statt " + std::to_string(m.width) + " Einträge");
                for (const std::string& v : t)
                {
                    int32_t index = 0;
                    if (!ParseInt(v, &index, &message))
                        return fail(message);
                    layer.push_back(index);
                }
            }
            if (layer.size() != static_cast<size_t>(m.width) * static_cast<size_t>(m.height))
                return fail("Die Ebene " + std::string(kLayer[s]) + " hat nicht " + std::to_string(m.height) +
                            " Zeilen");
        }
        else
        {
            int b = 0;
            while (b < 4 && key != kBlock[b])
                ++b;
            if (b == 4)
                return fail("Unbekannte oder unvollständige Angabe: " + line);
            int32_t number = 0;
            if (t.size() < 2 || !ParseInt(t[1], &number, &message) ||
                number != static_cast<int32_t>(m.blocks[b].size()))
                return fail("Die Datensätze eines Blocks werden von 0 an fortlaufend nummeriert");
            Record r;
            size_t i = 2;
            static const char* const kLeadWord[4] = {"box", "thickness", nullptr, "height"};
            if (kLead[b])
            {
                if (i + kLead[b] >= t.size() || t[i] != kLeadWord[b])
                    return fail(std::string("Erwartet: ") + kLeadWord[b]);
                for (int k = 0; k < kLead[b]; ++k)
                    if (!ParseFloat(t[i + 1 + k], &r.lead[k], &message))
                        return fail(message);
                i += 1 + kLead[b];
            }
            if (i + 10 > t.size() || t[i] != "anim" || t[i + 2] != "action" || t[i + 4] != "mode" ||
                t[i + 6] != "auto" || t[i + 8] != "sound")
                return fail("Erwartet: anim \"…\" action N mode N auto N sound \"…\"");
            if (!Unquote(t[i + 1], &r.animation, &message) || !ParseInt(t[i + 3], &r.action, &message) ||
                !ParseInt(t[i + 5], &r.mode, &message) || !ParseInt(t[i + 7], &r.automatic, &message) ||
                !Unquote(t[i + 9], &r.sound, &message))
                return fail(message);
            for (i += 10; i < t.size(); i += 5)
            {
                Condition c;
                if (i + 5 > t.size() || t[i] != "if" || !ParseInt(t[i + 1], &c.x, &message) ||
                    !ParseInt(t[i + 2], &c.y, &message) || !ParseInt(t[i + 3], &c.bit, &message) ||
                    !ParseInt(t[i + 4], &c.value, &message))
                    return fail("Erwartet: if X Y BIT WERT");
                r.conditions.push_back(c);
            }
            m.blocks[b].push_back(r);
        }
        if (!ok)
            return fail(message);
    }
    if (!haveSize)
        return fail("Die Angabe size fehlt");
    if (m.width < 1 || m.height < 1 || static_cast<long long>(m.width) * m.height > INT32_MAX / 28)
        return fail("Unmögliche Größe des Gitters");
    const size_t count = static_cast<size_t>(m.width) * static_cast<size_t>(m.height);
    m.fields.assign(count * 7, -1);
    for (int s = 0; s < 7; ++s)
        if (haveLayer[s])
            for (size_t f = 0; f < count; ++f)
                m.fields[f * 7 + static_cast<size_t>(s)] = layers[s][f];
    *map = std::move(m);
    return true;
}

// Every problem of a map as lines "Fehler: …" or "Warnung: …"; 1 when there
// is none.
inline int Check(const std::string& bytes, std::string* report)
{
    aeMapCheckResult result;
    aeCheckMap(
        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()),
        [](int kind, const char* message, void* user) {
            std::string* text = static_cast<std::string*>(user);
            *text += kind == AE_MAP_WARNING ? "Warnung: " : "Fehler: ";
            *text += message;
            *text += '\n';
        },
        report, &result);
    return result.iBroken + result.iInvalid + result.iWarnings == 0;
}
}
