#pragma once
// What the content tools share: reading and writing whole files, messages to
// the terminal, and the dump/build/check command line of the converters.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "aeConsole.h"
#include "aeFileSystem.h"
#include "aeText.h"

namespace tool
{
inline bool ReadAll(const char* name, const char* path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "%s: %s kann nicht gelesen werden\n", name, path);
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    *bytes = s.str();
    return true;
}

// Written through a temporary file and a rename: a full disk or a crash
// leaves an existing output file as it was.
inline bool WriteAll(const char* name, const char* path, const std::string& bytes)
{
    if (!aeWriteNativeFileAtomically(path, bytes.data(), bytes.size()))
    {
        std::fprintf(stderr, "%s: %s kann nicht geschrieben werden\n", name, path);
        return false;
    }
    return true;
}

// Names in messages are Windows-1252; the terminal has its own encoding.
inline void Print(FILE* out, const std::string& text)
{
    const std::string local = aeCp1252ToConsole(text.c_str());
    std::fwrite(local.data(), 1, local.size(), out);
}

// "Aufruf:" with the three commands; exit code 2.
inline int Usage(const char* name, const char* binary, const char* text)
{
    std::fprintf(stderr, "Aufruf:\n  %s dump  <%s> [<%s>]\n  %s build <%s> <%s>\n  %s check <%s>\n", name, binary, text,
                 name, text, binary, name, binary);
    return 2;
}

// A converter between a binary format and its text form:
//   dump <binary> [<text>], build <text> <binary>, check <binary>.
// Faulty files are built all the same (with the problems on stderr), so that
// tests can make them on purpose.
template <class Data>
struct Converter
{
    const char* pcName;
    const char* pcBinaryFile;  // for the usage text, e.g. "modell.rvm"
    const char* pcTextFile;
    bool (*pfnFromBinary)(const std::string&, Data*, std::string*);
    std::string (*pfnToText)(const Data&);
    bool (*pfnFromText)(const std::string&, Data*, std::string*);
    std::string (*pfnToBinary)(const Data&);
    bool (*pfnCheck)(const Data&, std::string*);

    int Run(int argc, char** argv) const
    {
        if (argc < 3)
            return Usage(pcName, pcBinaryFile, pcTextFile);
        const std::string command = argv[1];
        const bool dump = command == "dump" && argc <= 4;
        const bool build = command == "build" && argc == 4;
        const bool check = command == "check" && argc == 3;
        if (!dump && !build && !check)
            return Usage(pcName, pcBinaryFile, pcTextFile);
        std::string input, error, report;
        if (!ReadAll(pcName, argv[2], &input))
            return 2;
        Data data;
        if (build)
        {
            if (!pfnFromText(input, &data, &error))
            {
                std::fprintf(stderr, "%s: %s\n", pcName, error.c_str());
                return 1;
            }
            if (!pfnCheck(data, &report))
                Print(stderr, report);
            return WriteAll(pcName, argv[3], pfnToBinary(data)) ? 0 : 2;
        }
        if (!pfnFromBinary(input, &data, &error))
        {
            Print(dump ? stderr : stdout, dump ? std::string(pcName) + ": " + error + "\n" : "Fehler: " + error + "\n");
            return 1;
        }
        if (check)
        {
            const bool ok = pfnCheck(data, &report);
            Print(stdout, ok ? std::string("Keine Probleme gefunden.\n") : report);
            return ok ? 0 : 1;
        }
        const std::string text = pfnToText(data);
        if (argc == 4)
            return WriteAll(pcName, argv[3], text) ? 0 : 2;
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
};
}
