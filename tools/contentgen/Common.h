#pragma once
// Shared helpers of contentgen: recipe lines split into words, key/value
// options, files, colours and a small deterministic random generator.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "aeFileSystem.h"

namespace cg
{
// Splits a line into words; "quoted strings" stay one word (without quotes),
// '#' at the start of a word outside quotes starts a comment (so that "C#4"
// stays a note).
inline std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> words;
    std::string cur;
    bool quoted = false, have = false;
    for (size_t i = 0; i < line.size(); ++i)
    {
        const char c = line[i];
        if (quoted)
        {
            if (c == '"')
                quoted = false;
            else
                cur += c;
        }
        else if (c == '"')
            quoted = have = true;
        else if (c == '#' && !have)
            break;
        else if (c == ' ' || c == '\t' || c == '\r')
        {
            if (have)
                words.push_back(cur);
            cur.clear();
            have = false;
        }
        else
        {
            cur += c;
            have = true;
        }
    }
    if (have)
        words.push_back(cur);
    return words;
}

// "key value key value ..." from words[first] on.
class Options
{
public:
    Options() = default;
    Options(const std::vector<std::string>& words, size_t first)
    {
        for (size_t i = first; i + 1 < words.size(); i += 2)
            m_Values[words[i]] = words[i + 1];
    }
    bool Has(const std::string& key) const { return m_Values.count(key) != 0; }
    std::string Str(const std::string& key, const std::string& fallback = "") const
    {
        auto it = m_Values.find(key);
        return it == m_Values.end() ? fallback : it->second;
    }
    double Num(const std::string& key, double fallback) const
    {
        auto it = m_Values.find(key);
        return it == m_Values.end() ? fallback : std::atof(it->second.c_str());
    }
    int Int(const std::string& key, int fallback) const { return static_cast<int>(Num(key, fallback)); }
    // A colour as six hex digits (RRGGBB).
    uint32_t Color(const std::string& key, uint32_t fallback) const
    {
        auto it = m_Values.find(key);
        return it == m_Values.end() ? fallback : static_cast<uint32_t>(std::strtoul(it->second.c_str(), nullptr, 16));
    }

private:
    std::map<std::string, std::string> m_Values;
};

// A recipe, score or plan; a file that cannot be read is reported here.
inline bool ReadText(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "contentgen: %s kann nicht gelesen werden\n", path.c_str());
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return true;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes)
{
    return aeWriteNativeFileAtomically(path.c_str(), bytes.data(), bytes.size()) != 0;
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// xorshift: the same numbers on every machine for the same seed.
class Random
{
public:
    explicit Random(uint32_t seed) : m_State(seed * 2654435761u + 0x9E3779B9u) { if (!m_State) m_State = 1; }
    uint32_t Next()
    {
        m_State ^= m_State << 13;
        m_State ^= m_State >> 17;
        m_State ^= m_State << 5;
        return m_State;
    }
    double Unit() { return (Next() & 0xFFFFFF) / 16777216.0; }           // 0 .. 1
    double Signed() { return Unit() * 2.0 - 1.0; }                       // -1 .. 1

private:
    uint32_t m_State;
};

int Textures(const std::string& recipe, const std::string& outDir);
int Models(const std::string& recipe, const std::string& outFile);
int Sounds(const std::string& recipe, const std::string& outDir);
int Music(const std::string& score, const std::string& outFile, bool wav);
int Maze(const std::string& source, const std::string& outText, const std::string& preview);
}
