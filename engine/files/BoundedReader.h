#pragma once
// Reads a file that comes from disk and is untrusted: nothing is read past
// its end, and every count is checked against the bytes that are left before
// anything is allocated for it, so that a broken file can neither run a read
// past its end nor make a reader allocate more than the file could fill.
//
// Either over a VFile (through its cursor, so that the reader's own reads and
// the file's reads can be mixed) or over bytes in memory.

#include "VFile.h"

#include <climits>
#include <cstring>

class aeBoundedReader
{
public:
    explicit aeBoundedReader(VFile* file) : m_pFile(file) {}
    aeBoundedReader(const void* data, int size)
        : m_pData(static_cast<const unsigned char*>(data)), m_iSize(data && size > 0 ? size : 0)
    {
    }

    // Bytes between the position and the end.
    int GetRemaining() const { return m_pFile ? m_pFile->GetRemaining() : m_iSize - m_iPos; }
    // Bytes read so far (over a VFile: its cursor).
    int GetPosition() const { return m_pFile ? m_pFile->GetCursor() : m_iPos; }
    // The bytes from the position on (GetRemaining() of them).
    const unsigned char* GetCurrent() const
    {
        return m_pFile ? m_pFile->GetBuffer() + m_pFile->GetCursor() : m_pData + m_iPos;
    }

    // n bytes into out; false when fewer are left (over memory nothing is
    // read then; a VFile takes what it has, as VFile::Read does).
    bool Read(int n, void* out)
    {
        if (m_pFile)
            return m_pFile->Read(n, out) != 0;
        if (n < 0 || n > m_iSize - m_iPos)
            return false;
        if (n > 0)
            std::memcpy(out, m_pData + m_iPos, static_cast<size_t>(n));
        m_iPos += n;
        return true;
    }
    bool Skip(int n)
    {
        if (n < 0 || n > GetRemaining())
            return false;
        if (m_pFile)
            return m_pFile->Seek(n, 0) != 0;
        m_iPos += n;
        return true;
    }

    // Whether count elements of at least minBytes each can follow: not
    // negative, at most max, and no more than the bytes left can hold.
    bool Fits(long long count, int minBytes, long long max = INT_MAX) const
    {
        return count >= 0 && count <= max && count <= GetRemaining() / (minBytes > 0 ? minBytes : 1);
    }
    // A 32-bit count followed by elements of at least minBytes each; false
    // when the file ends first or the count does not fit (see Fits). *count
    // holds what was read either way.
    bool ReadCount(int* count, int minBytes, long long max = INT_MAX)
    {
        return Read(4, count) && Fits(*count, minBytes, max);
    }

private:
    VFile* m_pFile = nullptr;
    const unsigned char* m_pData = nullptr;
    int m_iSize = 0;
    int m_iPos = 0;
};
