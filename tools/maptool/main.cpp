// maptool: turns a binary map (.hwm) into its text form and back, and checks
// a map for everything the engine would refuse or an author would regret.
//
//   maptool dump  <map.hwm> [<map.txt>]   text form to the file or to stdout
//   maptool build <map.txt> <map.hwm>     binary map from the text form
//   maptool check <map.hwm>               every problem; exit code 1 if any

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "MapText.h"

namespace
{
bool ReadAll(const char* path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "maptool: %s kann nicht gelesen werden\n", path);
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    *bytes = s.str();
    return true;
}

bool WriteAll(const char* path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    if (!out)
    {
        std::fprintf(stderr, "maptool: %s kann nicht geschrieben werden\n", path);
        return false;
    }
    return true;
}

// Engine messages are Windows-1252; the terminal wants UTF-8.
void Print(FILE* out, const std::string& text)
{
    const std::string utf8 = aeCp1252ToUtf8(text.c_str(), text.size());
    std::fwrite(utf8.data(), 1, utf8.size(), out);
}

int Usage()
{
    std::fprintf(stderr, "Aufruf:\n"
                         "  maptool dump  <karte.hwm> [<karte.txt>]\n"
                         "  maptool build <karte.txt> <karte.hwm>\n"
                         "  maptool check <karte.hwm>\n");
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    std::string input, error;
    if (!ReadAll(argv[2], &input))
        return 2;

    if (command == "dump" && argc <= 4)
    {
        maptext::Map map;
        if (!maptext::FromBinary(input, &map, &error))
        {
            Print(stderr, "maptool: " + error + "\n");
            return 1;
        }
        const std::string text = maptext::ToText(map);
        if (argc == 4)
            return WriteAll(argv[3], text) ? 0 : 2;
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (command == "build" && argc == 4)
    {
        maptext::Map map;
        if (!maptext::FromText(input, &map, &error))
        {
            std::fprintf(stderr, "maptool: %s\n", error.c_str());
            return 1;
        }
        const std::string bytes = maptext::ToBinary(map);
        std::string report;
        if (!maptext::Check(bytes, &report))
            Print(stderr, report);
        return WriteAll(argv[3], bytes) ? 0 : 2;
    }
    if (command == "check" && argc == 3)
    {
        std::string report;
        const int ok = maptext::Check(input, &report);
        Print(stdout, ok ? std::string("Keine Probleme gefunden.\n") : report);
        return ok ? 0 : 1;
    }
    return Usage();
}
