#pragma once
// A device buffer of 16-bit indices with a copy in memory (see aeVertexBuffer).

#include "d3d9.h"

class aeIndexBuffer
{
public:
    aeIndexBuffer() = default;
    ~aeIndexBuffer() { Exit(); }
    aeIndexBuffer(const aeIndexBuffer&) = delete;
    aeIndexBuffer& operator=(const aeIndexBuffer&) = delete;

    int Init(DWORD numIndices);
    int SetIndices(const unsigned short* data);
    unsigned short GetIndex(DWORD index) const { return m_pShadow[index]; }
    void GetIndices(DWORD first, DWORD count, unsigned short* out) const;
    void PrepareRestore();
    int Restore();
    void Exit();

    IDirect3DIndexBuffer9* GetIB() const { return m_pIndexBuffer; }
    unsigned short* GetBuffer() const { return m_pShadow; }
    DWORD GetSize() const { return m_dwSize; }
    DWORD GetNumIndices() const { return m_dwNumIndices; }

private:
    int CreateAndFill(const char* function, bool fill);

    IDirect3DIndexBuffer9* m_pIndexBuffer = nullptr;
    unsigned short* m_pShadow = nullptr;
    DWORD m_dwSize = 0;
    DWORD m_dwNumIndices = 0;
};
