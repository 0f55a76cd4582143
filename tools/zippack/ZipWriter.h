#pragma once
// Writes ZIP archives of stored (uncompressed) entries into a VFile: the only
// kind the engine's archive reader takes. Each entry is a local header, the
// name and the bytes; a central directory and its end record close the file,
// so that ordinary archivers read it as well.

#include <cstdint>
#include <string>
#include <vector>

#include "VFile.h"

namespace zipwriter
{
inline uint32_t Crc32(const unsigned char* data, size_t n)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready)
    {
        for (uint32_t i = 0; i < 256; ++i)
        {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class Writer
{
public:
    // Appends one stored entry; the name is kept as given (Windows-1252).
    bool Add(const std::string& name, const unsigned char* data, uint32_t size)
    {
        if (name.empty() || name.size() > 255)
            return false;
        Entry e;
        e.name = name;
        e.size = size;
        e.crc = Crc32(data, size);
        e.offset = static_cast<uint32_t>(m_File.GetSize());
        Header(0x04034B50, e, false);
        m_File.Write(static_cast<int>(size), data);
        m_aEntries.push_back(e);
        return true;
    }
    // Closes the archive and writes it to disk; 1 on success.
    int Finish(const char* path)
    {
        const uint32_t directory = static_cast<uint32_t>(m_File.GetSize());
        for (const Entry& e : m_aEntries)
            Header(0x02014B50, e, true);
        const uint32_t directorySize = static_cast<uint32_t>(m_File.GetSize()) - directory;
        Put32(0x06054B50);
        Put16(0);
        Put16(0);
        Put16(static_cast<uint16_t>(m_aEntries.size()));
        Put16(static_cast<uint16_t>(m_aEntries.size()));
        Put32(directorySize);
        Put32(directory);
        Put16(0);
        return m_File.WriteToFile(path);
    }
    VFile& File() { return m_File; }

private:
    struct Entry
    {
        std::string name;
        uint32_t size = 0, crc = 0, offset = 0;
    };
    void Put16(uint16_t v) { m_File.Write(2, &v); }
    void Put32(uint32_t v) { m_File.Write(4, &v); }
    void Header(uint32_t signature, const Entry& e, bool central)
    {
        Put32(signature);
        if (central)
            Put16(20);  // made by
        Put16(10);      // version needed: stored entries
        Put16(0);       // flags
        Put16(0);       // method: stored
        Put16(0);       // time
        Put16(0x21);    // date: 1980-01-01
        Put32(e.crc);
        Put32(e.size);
        Put32(e.size);
        Put16(static_cast<uint16_t>(e.name.size()));
        Put16(0);       // extra field
        if (central)
        {
            Put16(0);   // comment
            Put16(0);   // disk
            Put16(0);   // internal attributes
            Put32(0);   // external attributes
            Put32(e.offset);
        }
        m_File.Write(static_cast<int>(e.name.size()), e.name.data());
    }

    VFile m_File;
    std::vector<Entry> m_aEntries;
};
}
