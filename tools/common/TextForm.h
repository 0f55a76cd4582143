#pragma once
// Pieces shared by the text forms of the binary content files (rvmtool,
// ranimtool): exact floats, quoted Windows-1252 strings, little-endian
// reading and writing, and splitting a line into tokens.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aeText.h"

namespace textform
{
// Reads little-endian values from a byte string; Ok() turns false as soon as
// a read runs past the end (the value is then 0).
class Reader
{
public:
    explicit Reader(const std::string& bytes) : m_Bytes(bytes) {}
    bool Take(void* out, size_t n)
    {
        if (!m_bOk || n > m_Bytes.size() - m_iPos)
        {
            m_bOk = false;
            std::memset(out, 0, n);
            return false;
        }
        std::memcpy(out, m_Bytes.data() + m_iPos, n);
        m_iPos += n;
        return true;
    }
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
    uint16_t Short()
    {
        uint16_t v = 0;
        Take(&v, 2);
        return v;
    }
    std::string Bytes(size_t n)
    {
        if (!m_bOk || n > m_Bytes.size() - m_iPos)
        {
            m_bOk = false;
            return std::string();
        }
        std::string s = m_Bytes.substr(m_iPos, n);
        m_iPos += n;
        return s;
    }
    bool Ok() const { return m_bOk; }
    size_t Pos() const { return m_iPos; }
    size_t Remaining() const { return m_Bytes.size() - m_iPos; }
    std::string Rest() const { return m_Bytes.substr(m_iPos); }

private:
    const std::string& m_Bytes;
    size_t m_iPos = 0;
    bool m_bOk = true;
};

inline void PutInt(std::string* out, int32_t v) { out->append(reinterpret_cast<const char*>(&v), 4); }
inline void PutFloat(std::string* out, float v) { out->append(reinterpret_cast<const char*>(&v), 4); }
inline void PutShort(std::string* out, uint16_t v) { out->append(reinterpret_cast<const char*>(&v), 2); }

// A float that reads back to the same bits: decimal where that is exact,
// else its bits in hexadecimal ("0x7FC00000" for a NaN).
inline std::string Float(float v)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(v));
    const float back = std::strtof(text, nullptr);
    if (std::memcmp(&back, &v, 4) == 0)
        return text;
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    std::snprintf(text, sizeof(text), "0x%08X", bits);
    return text;
}

// Windows-1252 text as a quoted UTF-8 string; control characters, quotes,
// backslashes and the five unassigned bytes are escaped.
inline std::string Quote(const std::string& s)
{
    std::string out = "\"";
    std::string run;
    auto flush = [&] {
        out += aeCp1252ToUtf8(run.c_str(), run.size());
        run.clear();
    };
    for (unsigned char c : s)
    {
        const bool unassigned = c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
        if (c == '"' || c == '\\')
        {
            flush();
            out += '\\';
            out += static_cast<char>(c);
        }
        else if (c < 0x20 || c == 0x7F || unassigned)
        {
            flush();
            char esc[8];
            std::snprintf(esc, sizeof(esc), "\\x%02X", c);
            out += esc;
        }
        else
            run += static_cast<char>(c);
    }
    flush();
    return out + "\"";
}

inline std::string Hex(const std::string& bytes)
{
    std::string out;
    char hex[4];
    for (unsigned char c : bytes)
    {
        std::snprintf(hex, sizeof(hex), "%02X", c);
        out += hex;
    }
    return out;
}

// Splits a line into tokens: words and quoted strings (kept with their
// quotes); "#" outside a string starts a comment.
inline bool Tokenize(const std::string& line, std::vector<std::string>* tokens, std::string* error)
{
    tokens->clear();
    size_t i = 0;
    while (i < line.size())
    {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r')
        {
            ++i;
            continue;
        }
        if (c == '#')
            break;
        if (c == '"')
        {
            size_t j = i + 1;
            while (j < line.size() && line[j] != '"')
                j += line[j] == '\\' ? 2 : 1;
            if (j >= line.size())
            {
                *error = "Zeichenkette ohne schließendes Anführungszeichen";
                return false;
            }
            tokens->push_back(line.substr(i, j + 1 - i));
            i = j + 1;
            continue;
        }
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' && line[j] != '#')
            ++j;
        tokens->push_back(line.substr(i, j - i));
        i = j;
    }
    return true;
}

inline bool IsQuoted(const std::string& token)
{
    return token.size() >= 2 && token.front() == '"' && token.back() == '"';
}

// A quoted UTF-8 token as Windows-1252 bytes; at most 255 of them.
inline bool Unquote(const std::string& token, std::string* out, std::string* error)
{
    if (!IsQuoted(token))
    {
        *error = "Zeichenkette erwartet: " + token;
        return false;
    }
    out->clear();
    std::string run;
    auto flush = [&] {
        *out += aeUtf8ToCp1252(run.c_str());
        run.clear();
    };
    for (size_t i = 1; i + 1 < token.size(); ++i)
    {
        if (token[i] != '\\')
        {
            run += token[i];
            continue;
        }
        flush();
        const char e = token[++i];
        if (e == 'x' && i + 3 < token.size())
        {
            *out += static_cast<char>(std::strtoul(token.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        }
        else
            *out += e;
    }
    flush();
    if (out->size() > 255)
    {
        *error = "Zeichenkette länger als 255 Zeichen";
        return false;
    }
    return true;
}

inline bool ParseInt(const std::string& token, int32_t* v, std::string* error)
{
    char* end = nullptr;
    const long long value = std::strtoll(token.c_str(), &end, 10);
    if (token.empty() || *end || value < INT32_MIN || value > INT32_MAX)
    {
        *error = "Ganzzahl erwartet: " + token;
        return false;
    }
    *v = static_cast<int32_t>(value);
    return true;
}

inline bool ParseFloat(const std::string& token, float* v, std::string* error)
{
    char* end = nullptr;
    if (token.size() == 10 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
    {
        const uint32_t bits = static_cast<uint32_t>(std::strtoul(token.c_str() + 2, &end, 16));
        if (!*end)
        {
            std::memcpy(v, &bits, 4);
            return true;
        }
    }
    *v = std::strtof(token.c_str(), &end);
    if (token.empty() || *end)
    {
        *error = "Zahl erwartet: " + token;
        return false;
    }
    return true;
}

// Several floats from tokens[at...]; false with a message on the first bad one.
inline bool ParseFloats(const std::vector<std::string>& tokens, size_t at, float* out, int n, std::string* error)
{
    if (at + static_cast<size_t>(n) > tokens.size())
    {
        *error = "Zu wenige Zahlen";
        return false;
    }
    for (int i = 0; i < n; ++i)
        if (!ParseFloat(tokens[at + static_cast<size_t>(i)], &out[i], error))
            return false;
    return true;
}

inline bool ParseHex(const std::string& token, std::string* out, std::string* error)
{
    out->clear();
    if (token.size() % 2)
    {
        *error = "Ungerade Anzahl von Hexadezimalziffern: " + token;
        return false;
    }
    for (size_t i = 0; i < token.size(); i += 2)
    {
        char* end = nullptr;
        const std::string pair = token.substr(i, 2);
        const unsigned long v = std::strtoul(pair.c_str(), &end, 16);
        if (*end)
        {
            *error = "Hexadezimalziffern erwartet: " + token;
            return false;
        }
        *out += static_cast<char>(v);
    }
    return true;
}
}
