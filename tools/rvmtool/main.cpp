// rvmtool: turns a binary model (.rvm) into its text form and back, and checks
// a model for what the engine would refuse.
//
//   rvmtool dump  <model.rvm> [<model.txt>]   text form to the file or to stdout
//   rvmtool build <model.txt> <model.rvm>     binary model from the text form
//   rvmtool check <model.rvm>                 every problem; exit code 1 if any

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "RvmText.h"

namespace
{
bool ReadAll(const char* path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "rvmtool: %s kann nicht gelesen werden\n", path);
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
        std::fprintf(stderr, "rvmtool: %s kann nicht geschrieben werden\n", path);
        return false;
    }
    return true;
}

// Texture names in messages are Windows-1252; the terminal wants UTF-8.
void Print(FILE* out, const std::string& text)
{
    const std::string utf8 = aeCp1252ToUtf8(text.c_str(), text.size());
    std::fwrite(utf8.data(), 1, utf8.size(), out);
}

int Usage()
{
    std::fprintf(stderr, "Aufruf:\n"
                         "  rvmtool dump  <modell.rvm> [<modell.txt>]\n"
                         "  rvmtool build <modell.txt> <modell.rvm>\n"
                         "  rvmtool check <modell.rvm>\n");
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    std::string input, error, report;
    rvmtext::Model model;
    if (command == "dump" && argc <= 4)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!rvmtext::FromBinary(input, &model, &error))
        {
            Print(stderr, "rvmtool: " + error + "\n");
            return 1;
        }
        const std::string text = rvmtext::ToText(model);
        if (argc == 4)
            return WriteAll(argv[3], text) ? 0 : 2;
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (command == "build" && argc == 4)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!rvmtext::FromText(input, &model, &error))
        {
            std::fprintf(stderr, "rvmtool: %s\n", error.c_str());
            return 1;
        }
        // Faulty models are written all the same, so that tests can make them.
        if (!rvmtext::Check(model, &report))
            Print(stderr, report);
        return WriteAll(argv[3], rvmtext::ToBinary(model)) ? 0 : 2;
    }
    if (command == "check" && argc == 3)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!rvmtext::FromBinary(input, &model, &error))
        {
            Print(stdout, "Fehler: " + error + "\n");
            return 1;
        }
        const bool ok = rvmtext::Check(model, &report);
        Print(stdout, ok ? std::string("Keine Probleme gefunden.\n") : report);
        return ok ? 0 : 1;
    }
    return Usage();
}
