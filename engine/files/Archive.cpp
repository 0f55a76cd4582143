#include "aeArchive.h"
#include "BoundedReader.h"
#include "VFile.h"
#include "aeError.h"

#include <cstdint>

namespace
{
enum : uint32_t { LOCAL_HEADER_SIGNATURE = 0x04034B50 };
enum { HEADER_SIZE = 30, DESCRIPTOR_SIZE = 12, NAME_BUFFER = 256 };
enum : uint16_t { FLAG_ENCRYPTED = 1 << 0, FLAG_DESCRIPTOR = 1 << 3 };

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Moves the cursor forward; a skip that would leave the archive is refused.
bool Skip(VFile* archive, uint32_t bytes)
{
    if (bytes == 0)
        return true;
    if (!aeBoundedReader(archive).Fits(bytes, 1))
        return false;
    return archive->Seek(static_cast<int>(bytes), 0) != 0;
}
}

int aeReadArchive(VFile* archive, aeArchiveCallback callback)
{
    if (!archive || !callback)
    {
        AE_INVALID_PARAMETER("aeReadArchive");
        return 0;
    }
    if (archive->IsEOF())
        return 1;
    for (;;)
    {
        unsigned char header[HEADER_SIZE];
        if (!archive->Read(HEADER_SIZE, header))
        {
            AE_ERROR("aeReadArchive", "Fehler beim Lesen des Headers!");
            return 0;
        }
        if (U32(header) != LOCAL_HEADER_SIGNATURE)
            return 1;
        const uint16_t flags = U16(header + 6);
        const uint16_t method = U16(header + 8);
        const uint32_t dataSize = U32(header + 18);
        const uint16_t nameLength = U16(header + 26);
        const uint16_t extraLength = U16(header + 28);
        if (flags & FLAG_ENCRYPTED)
        {
            AE_ERROR("aeReadArchive", "Die Daten sind verschlüsselt!");
            return 0;
        }
        // Names fill at most 255 bytes of the zeroed buffer.
        if (nameLength >= NAME_BUFFER)
        {
            AE_ERROR("aeReadArchive", "Der Dateiname im Archiv ist zu lang!");
            return 0;
        }
        char name[NAME_BUFFER] = {};
        if (!archive->Read(nameLength, name))
        {
            AE_ERROR("aeReadArchive", "Fehler beim Lesen des Dateinamens!");
            return 0;
        }
        if (!Skip(archive, extraLength))
        {
            AE_ERROR("aeReadArchive", "Fehler beim lesen der Datei innerhalb des Archivs!");
            return 0;
        }
        const uint32_t trailer = (flags & FLAG_DESCRIPTOR) ? DESCRIPTOR_SIZE : 0;
        // Archivers store every folder as an empty entry whose name ends with a
        // separator; there is nothing to hand over.
        const bool folder = dataSize == 0 && nameLength > 0 &&
                            (name[nameLength - 1] == '/' || name[nameLength - 1] == '\\');
        if (folder)
        {
            if (!Skip(archive, trailer))
            {
                AE_ERROR("aeReadArchive", "Fehler beim lesen der Datei innerhalb des Archivs!");
                return 0;
            }
        }
        else if (method != 0)
        {
            AE_ERROR("aeReadArchive", "Komprimiertes Objekt gefunden! Dekomprimierung wird nicht unterstützt!");
            if (!Skip(archive, dataSize) || !Skip(archive, trailer))
            {
                AE_ERROR("aeReadArchive", "Fehler beim lesen der Datei innerhalb des Archivs!");
                return 0;
            }
        }
        else
        {
            VFile entry;
            if (!aeBoundedReader(archive).Fits(dataSize, 1) ||
                !entry.Init(archive, static_cast<int>(dataSize)))
            {
                AE_ERROR("aeReadArchive", "Fehler beim lesen der Datei innerhalb des Archivs!");
                return 0;
            }
            Skip(archive, dataSize);
            callback(&entry, name);
            entry.Close();
            Skip(archive, trailer);
        }
        if (archive->IsEOF())
            return 1;
    }
}
