#include "Savegame.h"
#include "VFile.h"

#include <cstring>

int WriteSavegameHeader(VFile* file, const char* map)
{
    const size_t length = map ? std::strlen(map) : 0;
    if (!file || length > 255)
        return 0;
    const unsigned char byte = static_cast<unsigned char>(length);
    return file->Write(1, &byte) && (length == 0 || file->Write(static_cast<int>(length), map));
}

int ReadSavegameHeader(VFile* file, char* map)
{
    map[0] = 0;
    unsigned char length = 0;
    if (!file || !file->Read(1, &length) || file->GetRemaining() < length)
        return 0;
    if (length > 0 && !file->Read(length, map))
        return 0;
    map[length] = 0;
    return 1;
}
