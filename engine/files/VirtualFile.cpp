#include "VFile.h"
#include "aeError.h"
#include "aeFileSystem.h"

#include <climits>
#include <cstdlib>
#include <cstring>

VFile::VFile() : m_pData(nullptr), m_iSize(0), m_iCursor(0), m_bOpened(0), m_bEOF(0), m_iCapacity(0) {}

VFile::VFile(VFile* source, int n) : VFile() { Init(source, n); }
VFile::VFile(const char* path) : VFile() { Init(path); }
VFile::VFile(const void* memory, int n) : VFile() { Init(memory, n); }
VFile::VFile(HINSTANCE module, const char* name, const char* type) : VFile() { Init(module, name, type); }

VFile::~VFile() { Close(); }

VFile::VFile(VFile&& other) noexcept
    : m_pData(other.m_pData), m_iSize(other.m_iSize), m_iCursor(other.m_iCursor),
      m_bOpened(other.m_bOpened), m_bEOF(other.m_bEOF), m_iCapacity(other.m_iCapacity)
{
    other.m_pData = nullptr;
    other.m_iSize = other.m_iCursor = other.m_bOpened = other.m_bEOF = other.m_iCapacity = 0;
}

VFile& VFile::operator=(VFile&& other) noexcept
{
    if (this != &other)
    {
        Close();
        std::swap(m_pData, other.m_pData);
        std::swap(m_iSize, other.m_iSize);
        std::swap(m_iCursor, other.m_iCursor);
        std::swap(m_bOpened, other.m_bOpened);
        std::swap(m_bEOF, other.m_bEOF);
        std::swap(m_iCapacity, other.m_iCapacity);
    }
    return *this;
}

int VFile::Close()
{
    std::free(m_pData);
    m_pData = nullptr;
    m_iSize = m_iCursor = m_bOpened = m_bEOF = m_iCapacity = 0;
    return 1;
}

// Closes the file and gives it a fresh block of n bytes (n > 0).
int VFile::TakeBlock(int n, const char* function)
{
    Close();
    m_pData = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(n)));
    if (!m_pData)
    {
        aeReportError(__FILE_NAME__, __LINE__, function, "Es konnte nicht genügend Speicher reserviert werden!");
        return 0;
    }
    m_iCapacity = n;
    return 1;
}

int VFile::Init(VFile* source, int n)
{
    if (!source || n <= 0 || source == this)
    {
        AE_INVALID_PARAMETER("VFile::Init");
        return 0;
    }
    Close();
    if (static_cast<long long>(source->m_iSize) < static_cast<long long>(source->m_iCursor) + n)
    {
        AE_ERROR("VFile::Init", "pVFile ist zu klein!");
        return 0;
    }
    if (!TakeBlock(n, "VFile::Init"))
        return 0;
    std::memcpy(m_pData, source->m_pData + source->m_iCursor, static_cast<size_t>(n));
    m_iSize = n;
    m_bOpened = 1;
    return 1;
}

int VFile::Init(const char* path)
{
    if (!path)
    {
        AE_INVALID_PARAMETER("VFile::Init");
        return 0;
    }
    Close();
    const long long size = aeFileSize(path);
    FILE* file = aeFileOpen(path, "rb");
    if (!file)
    {
        AE_ERROR("VFile::Init", "Die Datei %s konnte nicht %s werden!", path, "geöffnet");
        return 0;
    }
    // A file that does not fit a block of the system's sizes cannot be read.
    bool ok = size > 0 && size <= INT_MAX && TakeBlock(static_cast<int>(size), "VFile::Init");
    ok = ok && std::fread(m_pData, static_cast<size_t>(size), 1, file) == 1;
    aeFileClose(file);
    if (!ok)
    {
        Close();
        AE_ERROR("VFile::Init", "Die Datei %s konnte nicht %s werden!", path, "gelesen");
        return 0;
    }
    m_iSize = static_cast<int>(size);
    m_bOpened = 1;
    return 1;
}

int VFile::Init(const void* memory, int n)
{
    if (!memory || n < 1)
    {
        AE_INVALID_PARAMETER("VFile::Init");
        return 0;
    }
    if (!TakeBlock(n, "VFile::Init"))
        return 0;
    std::memcpy(m_pData, memory, static_cast<size_t>(n));
    m_iSize = n;
    m_bOpened = 1;
    return 1;
}

int VFile::Init(HINSTANCE module, const char* name, const char* type)
{
    if (!module || !name || !type)
    {
        AE_INVALID_PARAMETER("VFile::Init");
        return 0;
    }
    Close();
    const unsigned char* data = nullptr;
    int size = 0;
    if (!aeFindResource(module, name, type, &data, &size) || size <= 0 || !TakeBlock(size, "VFile::Init"))
    {
        // An integer identifier is shown as "#101".
        char id[16];
        if (IS_INTRESOURCE(name))
            std::snprintf(id, sizeof(id), "#%d", static_cast<int>(reinterpret_cast<uintptr_t>(name)));
        AE_ERROR("VFile::Init", "Es konnte nicht auf die Resource %s des Types %s zugegriffen werden!",
                 IS_INTRESOURCE(name) ? id : name, type);
        return 0;
    }
    std::memcpy(m_pData, data, static_cast<size_t>(size));
    m_iSize = size;
    m_bOpened = 1;
    return 1;
}

int VFile::Read(int n, void* buffer)
{
    if (n == 0)
        return 1;
    if (n < 0 || !buffer)
    {
        AE_INVALID_PARAMETER("VFile::Read");
        return 0;
    }
    const int remaining = m_iSize - m_iCursor;
    const int copy = n <= remaining ? n : remaining;
    if (copy > 0)
        std::memcpy(buffer, m_pData + m_iCursor, static_cast<size_t>(copy));
    m_iCursor += copy;
    if (m_iCursor == m_iSize)
        m_bEOF = 1;
    return copy == n;
}

// Makes room for needed bytes, growing geometrically.
int VFile::Grow(int needed)
{
    if (needed <= m_iCapacity)
        return 1;
    long long capacity = static_cast<long long>(m_iCapacity) * 2;
    if (capacity < needed)
        capacity = needed;
    if (capacity > INT_MAX)
        capacity = INT_MAX;
    void* block = std::realloc(m_pData, static_cast<size_t>(capacity));
    if (!block)
    {
        AE_ERROR("VFile::Write", "Es konnte nicht genügend Speicher reserviert werden!");
        return 0;
    }
    m_pData = static_cast<unsigned char*>(block);
    m_iCapacity = static_cast<int>(capacity);
    return 1;
}

int VFile::WriteGrowing(int n, const void* buffer)
{
    if (n == 0)
        return 1;
    if (n < 0 || !buffer || static_cast<long long>(m_iCursor) + n > INT_MAX)
    {
        AE_INVALID_PARAMETER("VFile::Write");
        return 0;
    }
    const int end = m_iCursor + n;
    if (!Grow(end))
        return 0;
    std::memmove(m_pData + m_iCursor, buffer, static_cast<size_t>(n));
    m_iSize = m_iCursor = end;
    m_bEOF = 1;
    m_bOpened = 1;
    return 1;
}

int VFile::Seek(int offset, int mode)
{
    long long position;
    switch (mode)
    {
    case -1: position = offset; break;
    case 0: position = static_cast<long long>(m_iCursor) + offset; break;
    case 1: position = static_cast<long long>(m_iSize) - 1 - offset; break;
    default:
        AE_INVALID_PARAMETER("VFile::Seek");
        return 0;
    }
    if (position < 0 || position > m_iSize)
        return 0;
    m_iCursor = static_cast<int>(position);
    m_bEOF = m_iCursor == m_iSize - 1;
    return 1;
}

int VFile::WriteToFile(const char* path)
{
    if (!m_bOpened)
    {
        AE_ERROR("VFile::WriteToFile", "Die Datei wurde noch nicht geöffnet oder beschrieben!");
        return 0;
    }
    if (!path)
    {
        AE_INVALID_PARAMETER("VFile::WriteToFile");
        return 0;
    }
    FILE* file = aeFileOpen(path, "wcb");
    if (!file)
    {
        AE_ERROR("VFile::WriteToFile", "Die Datei %s konnte nicht %s werden!", path, "geöffnet");
        return 0;
    }
    const bool ok = std::fwrite(m_pData, static_cast<size_t>(m_iSize), 1, file) == 1;
    const bool closed = aeFileClose(file);
    if (!ok || !closed)
    {
        AE_ERROR("VFile::WriteToFile", "Die Datei %s konnte nicht %s werden!", path, "beschrieben");
        return 0;
    }
    return 1;
}
