#pragma once
// A device vertex buffer with a copy in memory: reads are served from the copy,
// and after a device loss the buffer is refilled from it.

#include "d3d9.h"

class aeVertexBuffer
{
public:
    aeVertexBuffer() = default;
    ~aeVertexBuffer() { Exit(); }
    aeVertexBuffer(const aeVertexBuffer&) = delete;
    aeVertexBuffer& operator=(const aeVertexBuffer&) = delete;

    int Init(DWORD numVertices, DWORD fvf);
    int SetVertices(const void* data);
    void GetVertex(DWORD index, void* out) const;
    void GetVertices(DWORD first, DWORD count, void* out) const;
    void PrepareRestore();
    int Restore();
    void Exit();

    IDirect3DVertexBuffer9* GetVB() const { return m_pVertexBuffer; }
    void* GetBuffer() const { return m_pShadow; }
    DWORD GetSize() const { return m_dwSize; }
    DWORD GetVertexSize() const { return m_dwVertexSize; }
    DWORD GetNumVertices() const { return m_dwNumVertices; }
    DWORD GetFVF() const { return m_dwFVF; }

private:
    int CreateAndFill(const char* function, bool fill);

    IDirect3DVertexBuffer9* m_pVertexBuffer = nullptr;
    void* m_pShadow = nullptr;
    DWORD m_dwSize = 0;
    DWORD m_dwVertexSize = 0;
    DWORD m_dwNumVertices = 0;
    DWORD m_dwFVF = 0;
};
