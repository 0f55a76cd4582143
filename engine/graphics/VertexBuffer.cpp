#include "aeVertexBuffer.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "d3dx9.h"

#include <cstdlib>
#include <cstring>

// Creates the device buffer; with fill, copies the memory copy into it.
int aeVertexBuffer::CreateAndFill(const char* function, bool fill)
{
    if (!aeGrafik::GetDevice())
    {
        aeReportError(__FILE_NAME__, __LINE__, function, "Das Grafikgerät wurde noch nicht initialisiert!");
        return 0;
    }
    HRESULT hr = aeGrafik::GetDevice()->CreateVertexBuffer(m_dwSize, D3DUSAGE_WRITEONLY, m_dwFVF, D3DPOOL_DEFAULT,
                                                          &m_pVertexBuffer, nullptr);
    if (FAILED(hr))
    {
        m_pVertexBuffer = nullptr;
        aeReportDXError(__FILE_NAME__, __LINE__, function, "aeGrafik::GetDevice()->CreateVertexBuffer", hr);
        return 0;
    }
    if (!fill)
        return 1;
    void* locked = nullptr;
    hr = m_pVertexBuffer->Lock(0, m_dwSize, &locked, 0);
    if (FAILED(hr))
    {
        aeReportDXError(__FILE_NAME__, __LINE__, function, "m_pVertexBuffer->Lock", hr);
        return 0;
    }
    std::memcpy(locked, m_pShadow, m_dwSize);
    m_pVertexBuffer->Unlock();
    return 1;
}

int aeVertexBuffer::Init(DWORD numVertices, DWORD fvf)
{
    const DWORD vertexSize = fvf ? D3DXGetFVFVertexSize(fvf) : 0;
    // Counts that would overflow the 32-bit size are no buffer either.
    if (numVertices == 0 || fvf == 0 || vertexSize == 0 || numVertices > 0xFFFFFFFFu / vertexSize)
    {
        AE_INVALID_PARAMETER("aeVertexBuffer::Init");
        return 0;
    }
    Exit();
    m_dwNumVertices = numVertices;
    m_dwFVF = fvf;
    m_dwVertexSize = vertexSize;
    m_dwSize = numVertices * vertexSize;
    if (!CreateAndFill("aeVertexBuffer::Init", false))
        return 0;
    m_pShadow = std::calloc(m_dwSize, 1);
    return m_pShadow != nullptr;
}

int aeVertexBuffer::SetVertices(const void* data)
{
    if (!data || !m_pVertexBuffer)
    {
        AE_INVALID_PARAMETER("aeVertexBuffer::SetVertices");
        return 0;
    }
    void* locked = nullptr;
    const HRESULT hr = m_pVertexBuffer->Lock(0, m_dwSize, &locked, 0);
    if (FAILED(hr))
    {
        AE_DXERROR("aeVertexBuffer::SetVertices", "m_pVertexBuffer->Lock", hr);
        return 0;
    }
    std::memcpy(m_pShadow, data, m_dwSize);
    std::memcpy(locked, m_pShadow, m_dwSize);
    m_pVertexBuffer->Unlock();
    return 1;
}

void aeVertexBuffer::GetVertex(DWORD index, void* out) const
{
    std::memcpy(out, static_cast<const char*>(m_pShadow) + static_cast<size_t>(index) * m_dwVertexSize, m_dwVertexSize);
}

void aeVertexBuffer::GetVertices(DWORD first, DWORD count, void* out) const
{
    std::memcpy(out, static_cast<const char*>(m_pShadow) + static_cast<size_t>(first) * m_dwVertexSize,
                static_cast<size_t>(count) * m_dwVertexSize);
}

void aeVertexBuffer::PrepareRestore()
{
    if (m_pVertexBuffer)
        m_pVertexBuffer->Release();
    m_pVertexBuffer = nullptr;
}

int aeVertexBuffer::Restore()
{
    return CreateAndFill("aeVertexBuffer::Restore", true);
}

void aeVertexBuffer::Exit()
{
    PrepareRestore();
    std::free(m_pShadow);
    m_pShadow = nullptr;
}
