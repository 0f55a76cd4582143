#include "aeConsole.h"
#include "aeText.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

namespace
{
enum class Encoding
{
    Utf8,
    Latin1,
    Ascii
};

Encoding FromCodeset(const char* codeset)
{
    if (!codeset || !*codeset)
        return Encoding::Utf8;
    if (!strcasecmp(codeset, "UTF-8") || !strcasecmp(codeset, "utf8"))
        return Encoding::Utf8;
    if (!strncasecmp(codeset, "ISO-8859-1", 10) || !strncasecmp(codeset, "ISO8859-1", 9) ||
        !strcasecmp(codeset, "CP1252") || !strcasecmp(codeset, "windows-1252"))
        return Encoding::Latin1;  // ISO-8859-1 and -15 share the letters the messages use
    if (!strcasecmp(codeset, "ANSI_X3.4-1968") || !strcasecmp(codeset, "ASCII") || !strcasecmp(codeset, "US-ASCII"))
        return Encoding::Ascii;
    return Encoding::Utf8;
}

// The locale the environment names, asked without changing the program's own.
Encoding TerminalEncoding()
{
    if (locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0)))
    {
        const Encoding encoding = FromCodeset(nl_langinfo_l(CODESET, locale));
        freelocale(locale);
        return encoding;
    }
    // A locale this system has not generated: its name may still say it.
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const char* dot = std::strchr(value, '.');
        if (!dot)
            return Encoding::Utf8;
        char codeset[32];
        std::snprintf(codeset, sizeof(codeset), "%.*s", static_cast<int>(std::strcspn(dot + 1, "@")), dot + 1);
        return FromCodeset(codeset);
    }
    return Encoding::Utf8;
}

const char* AsciiFor(unsigned char c)
{
    switch (c)
    {
    case 0xE4: return "ae";
    case 0xF6: return "oe";
    case 0xFC: return "ue";
    case 0xC4: return "Ae";
    case 0xD6: return "Oe";
    case 0xDC: return "Ue";
    case 0xDF: return "ss";
    case 0x84: case 0x93: case 0x94: return "\"";
    case 0x96: case 0x97: return "-";
    default: return "?";
    }
}
}

std::string aeCp1252ToConsole(const char* text)
{
    if (!text)
        return std::string();
    switch (TerminalEncoding())
    {
    case Encoding::Latin1:
        return text;
    case Encoding::Ascii:
    {
        std::string out;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        {
            if (*p < 0x80)
                out += static_cast<char>(*p);
            else
                out += AsciiFor(*p);
        }
        return out;
    }
    default:
        return aeCp1252ToUtf8(text);
    }
}

void aeConsolePrint(FILE* stream, const char* format, ...)
{
    if (!stream || !format)
        return;
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    const std::string out = aeCp1252ToConsole(text);
    std::fwrite(out.data(), 1, out.size(), stream);
    std::fflush(stream);
}
