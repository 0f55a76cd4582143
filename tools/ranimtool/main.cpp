// ranimtool: turns a binary animation (.ran) into its text form and back, and
// checks an animation for what the engine would draw unexpectedly.
//
//   ranimtool dump  <animation.ran> [<animation.txt>]   text form to the file or to stdout
//   ranimtool build <animation.txt> <animation.ran>     binary animation from the text form
//   ranimtool check <animation.ran>                     every problem; exit code 1 if any

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "RanimText.h"

namespace
{
bool ReadAll(const char* path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "ranimtool: %s kann nicht gelesen werden\n", path);
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
        std::fprintf(stderr, "ranimtool: %s kann nicht geschrieben werden\n", path);
        return false;
    }
    return true;
}

// Object names in messages are Windows-1252; the terminal wants UTF-8.
void Print(FILE* out, const std::string& text)
{
    const std::string utf8 = aeCp1252ToUtf8(text.c_str(), text.size());
    std::fwrite(utf8.data(), 1, utf8.size(), out);
}

int Usage()
{
    std::fprintf(stderr, "Aufruf:\n"
                         "  ranimtool dump  <animation.ran> [<animation.txt>]\n"
                         "  ranimtool build <animation.txt> <animation.ran>\n"
                         "  ranimtool check <animation.ran>\n");
    return 2;
}
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    std::string input, error, report;
    ranimtext::Animation animation;
    if (command == "dump" && argc <= 4)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!ranimtext::FromBinary(input, &animation, &error))
        {
            Print(stderr, "ranimtool: " + error + "\n");
            return 1;
        }
        const std::string text = ranimtext::ToText(animation);
        if (argc == 4)
            return WriteAll(argv[3], text) ? 0 : 2;
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (command == "build" && argc == 4)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!ranimtext::FromText(input, &animation, &error))
        {
            std::fprintf(stderr, "ranimtool: %s\n", error.c_str());
            return 1;
        }
        // Odd animations are written all the same, so that tests can make them.
        if (!ranimtext::Check(animation, &report))
            Print(stderr, report);
        return WriteAll(argv[3], ranimtext::ToBinary(animation)) ? 0 : 2;
    }
    if (command == "check" && argc == 3)
    {
        if (!ReadAll(argv[2], &input))
            return 2;
        if (!ranimtext::FromBinary(input, &animation, &error))
        {
            Print(stdout, "Fehler: " + error + "\n");
            return 1;
        }
        const bool ok = ranimtext::Check(animation, &report);
        Print(stdout, ok ? std::string("Keine Probleme gefunden.\n") : report);
        return ok ? 0 : 1;
    }
    return Usage();
}
