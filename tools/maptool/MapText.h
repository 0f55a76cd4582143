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

#include "TextForm.h"
#include "aeMapData.h"
#include "aeText.h"

namespace maptext
{
using textform::Float;
using textform::ParseFloat;
using textform::Quote;
using textform::Tokenize;
using textform::Unquote;

// The map itself is the engine's; this file only adds its text form.
using Map = aeMapData;
using Record = aeMapRecord;
using Quest = aeMapQuest;
using Condition = aeMapCondition;

// Leading floats per block, block keywords and the layer keywords in the
// order of a field entry.
inline const int* const kLead = g_aiMapLeadFloats;
inline const char* const kBlock[4] = {"object", "wall", "floor", "ceiling"};
inline const char* const kLayer[7] = {"floor", "ceiling", "wall0", "wall1", "wall2", "wall3", "object"};

// ---------------------------------------------------------------------------
// Binary
// ---------------------------------------------------------------------------

// Reads map bytes whose structure the engine's parser accepts (no broken
// problem); bad indices and fields outside the grid are kept as they are.
inline bool FromBinary(const std::string& bytes, Map* map, std::string* error)
{
    aeMapCheckResult check;
    std::string first;
    aeParseMap(
        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), map,
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
    return true;
}

inline std::string ToBinary(const Map& m)
{
    std::string out;
    aeWriteMap(m, &out);
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
        if (!m.Block(b).empty())
            o << "\n";
        for (size_t i = 0; i < m.Block(b).size(); ++i)
        {
            const Record& r = m.Block(b)[i];
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
        for (const aeMapField& field : m.fields)
            cell = std::max(cell, Index(field[static_cast<size_t>(s)]).size());
        o << "\nlayer " << kLayer[s] << "\n";
        for (size_t y = 0; y < height; ++y)
        {
            std::string line;
            for (size_t x = 0; x < width; ++x)
            {
                const std::string v = Index(m.fields[y * width + x][static_cast<size_t>(s)]);
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
                number != static_cast<int32_t>(m.Block(b).size()))
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
            m.Block(b).push_back(r);
        }
        if (!ok)
            return fail(message);
    }
    if (!haveSize)
        return fail("Die Angabe size fehlt");
    if (m.width < 1 || m.height < 1 || static_cast<long long>(m.width) * m.height > g_llMaxMapFields)
        return fail("Unmögliche Größe des Gitters");
    const size_t count = static_cast<size_t>(m.width) * static_cast<size_t>(m.height);
    aeMapField none;
    none.fill(-1);
    m.fields.assign(count, none);
    for (int s = 0; s < 7; ++s)
        if (haveLayer[s])
            for (size_t f = 0; f < count; ++f)
                m.fields[f][static_cast<size_t>(s)] = layers[s][f];
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
