#pragma once
// The engine's in-memory file: one heap block with a size, a read/write cursor,
// an opened flag and an end-of-file flag. Every format of the system is read
// from and written into one.

#include "aeResources.h"

class VFile
{
public:
    VFile();
    VFile(VFile* source, int n);
    explicit VFile(const char* path);
    VFile(const void* memory, int n);
    VFile(HINSTANCE module, const char* name, const char* type);
    ~VFile();

    // A VFile owns its block; it is moved, never shared.
    VFile(const VFile&) = delete;
    VFile& operator=(const VFile&) = delete;
    VFile(VFile&& other) noexcept;
    VFile& operator=(VFile&& other) noexcept;

    int Init(VFile* source, int n);
    int Init(const char* path);
    int Init(const void* memory, int n);
    int Init(HINSTANCE module, const char* name, const char* type);
    int Close();

    int Read(int n, void* buffer);
    int Write(int n, const void* buffer)
    {
        // Writes that fit the spare room skip the call into the library.
        if (n > 0 && buffer && n <= m_iCapacity - m_iCursor)
        {
            __builtin_memmove(m_pData + m_iCursor, buffer, static_cast<unsigned long>(n));
            m_iSize = m_iCursor += n;
            m_bEOF = m_bOpened = 1;
            return 1;
        }
        return WriteGrowing(n, buffer);
    }
    int Seek(int offset, int mode);
    int WriteToFile(const char* path);

    unsigned char* GetBuffer() const { return m_pData; }
    int GetSize() const { return m_iSize; }
    int GetCursor() const { return m_iCursor; }
    int IsOpened() const { return m_bOpened; }
    int IsEOF() const { return m_bEOF; }
    // Bytes between the cursor and the end; readers check counts from a file
    // against it before they allocate.
    int GetRemaining() const { return m_iSize - m_iCursor; }

private:
    int WriteGrowing(int n, const void* buffer);
    int TakeBlock(int n, const char* function);
    int Grow(int needed);

    unsigned char* m_pData;
    int m_iSize;
    int m_iCursor;
    int m_bOpened;
    int m_bEOF;
    // Bytes allocated for the block; Write keeps spare room so that a file
    // built from many small writes costs time linear in its size.
    int m_iCapacity;
};
