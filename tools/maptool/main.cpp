// maptool: turns a binary map (.hwm) into its text form and back, and checks
// a map for everything the engine would refuse or an author would regret.
//
//   maptool dump  <map.hwm> [<map.txt>]   text form to the file or to stdout
//   maptool build <map.txt> <map.hwm>     binary map from the text form
//   maptool check <map.hwm>               every problem; exit code 1 if any

#include "ToolMain.h"
#include "MapText.h"

int main(int argc, char** argv)
{
    if (argc < 3)
        return tool::Usage("maptool", "karte.hwm", "karte.txt");
    const std::string command = argv[1];
    std::string input, error;
    if (!tool::ReadAll("maptool", argv[2], &input))
        return 2;

    if (command == "dump" && argc <= 4)
    {
        maptext::Map map;
        if (!maptext::FromBinary(input, &map, &error))
        {
            tool::Print(stderr, "maptool: " + error + "\n");
            return 1;
        }
        const std::string text = maptext::ToText(map);
        if (argc == 4)
            return tool::WriteAll("maptool", argv[3], text) ? 0 : 2;
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
            tool::Print(stderr, report);
        return tool::WriteAll("maptool", argv[3], bytes) ? 0 : 2;
    }
    if (command == "check" && argc == 3)
    {
        std::string report;
        const int ok = maptext::Check(input, &report);
        tool::Print(stdout, ok ? std::string("Keine Probleme gefunden.\n") : report);
        return ok ? 0 : 1;
    }
    return tool::Usage("maptool", "karte.hwm", "karte.txt");
}
