#include "aeText.h"

#include <cstring>

// Code points of the bytes 0x80..0x9F; the rest of the upper half is Latin-1.
static const unsigned short s_aHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned int aeCp1252ToUnicode(unsigned char c)
{
    return (c >= 0x80 && c < 0xA0) ? s_aHigh[c - 0x80] : c;
}

static void AppendUtf8(std::string& out, unsigned int cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string aeCp1252ToUtf8(const char* text, size_t length)
{
    std::string out;
    if (!text)
        return out;
    out.reserve(length + length / 8);
    for (size_t i = 0; i < length; ++i)
        AppendUtf8(out, aeCp1252ToUnicode(static_cast<unsigned char>(text[i])));
    return out;
}

std::string aeCp1252ToUtf8(const char* text)
{
    return text ? aeCp1252ToUtf8(text, std::strlen(text)) : std::string();
}

static int UnicodeToCp1252(unsigned int cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (s_aHigh[i] == cp)
            return 0x80 + i;
    return '?';
}

std::string aeUtf8ToCp1252(const char* text)
{
    std::string out;
    if (!text)
        return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p)
    {
        const unsigned char c = *p;
        int extra = 0;
        unsigned int cp = 0;
        if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
        bool valid = extra > 0;
        for (int k = 1; valid && k <= extra; ++k)
        {
            if ((p[k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (valid)
        {
            out += static_cast<char>(UnicodeToCp1252(cp));
            p += extra + 1;
        }
        else
        {
            out += static_cast<char>(c);
            ++p;
        }
    }
    return out;
}

unsigned char aeCp1252ToLower(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    switch (c)
    {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}
