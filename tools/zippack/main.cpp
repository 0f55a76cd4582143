// zippack: packs files into a ZIP archive of stored entries, the archive kind
// that the engine reads from data directories.
//
//   zippack <archive.zip> <file>...
//
// Each file is stored under its own name without the directory. Names are
// taken as UTF-8 and stored as Windows-1252, as the engine compares them.

#include <cstdio>
#include <string>

#include "VFile.h"
#include "ZipWriter.h"
#include "aeText.h"

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "Aufruf: zippack <archiv.zip> <datei>...\n");
        return 2;
    }
    zipwriter::Writer writer;
    for (int i = 2; i < argc; ++i)
    {
        std::string path = argv[i];
        const size_t slash = path.find_last_of('/');
        const std::string name = aeUtf8ToCp1252((slash == std::string::npos ? path : path.substr(slash + 1)).c_str());
        VFile file;
        if (!file.Init(aeUtf8ToCp1252(path.c_str()).c_str()))
        {
            std::fprintf(stderr, "zippack: %s kann nicht gelesen werden\n", argv[i]);
            return 2;
        }
        if (!writer.Add(name, file.GetBuffer(), static_cast<uint32_t>(file.GetSize())))
        {
            std::fprintf(stderr, "zippack: ungültiger Name %s\n", argv[i]);
            return 2;
        }
    }
    if (!writer.Finish(aeUtf8ToCp1252(argv[1]).c_str()))
    {
        std::fprintf(stderr, "zippack: %s kann nicht geschrieben werden\n", argv[1]);
        return 2;
    }
    return 0;
}
