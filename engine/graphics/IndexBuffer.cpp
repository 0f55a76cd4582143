#include "aeIndexBuffer.h"
#include "aeError.h"
#include "aeGrafik.h"

#include <cstdlib>
#include <cstring>

int aeIndexBuffer::CreateAndFill(const char* function, bool fill)
{
    if (!aeGrafik::GetDevice())
    {
        aeReportError(__FILE_NAME__, __LINE__, function, "Das Grafikgerät wurde noch nicht initialisiert!");
        return 0;
    }
    HRESULT hr = aeGrafik::GetDevice()->CreateIndexBuffer(m_dwSize, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                                         &m_pIndexBuffer, nullptr);
    if (FAILED(hr))
    {
        m_pIndexBuffer = nullptr;
        aeReportDXError(__FILE_NAME__, __LINE__, function, "aeGrafik::m_pD3DDevice->CreateIndexBuffer", hr);
        return 0;
    }
    if (!fill)
        return 1;
    void* locked = nullptr;
    hr = m_pIndexBuffer->Lock(0, m_dwSize, &locked, 0);
    if (FAILED(hr))
    {
        aeReportDXError(__FILE_NAME__, __LINE__, function, "m_pIndexBuffer->Lock", hr);
        return 0;
    }
    std::memcpy(locked, m_pShadow, m_dwSize);
    m_pIndexBuffer->Unlock();
    return 1;
}

int aeIndexBuffer::Init(DWORD numIndices)
{
    if (numIndices == 0 || numIndices > 0x7FFFFFFFu)
    {
        AE_INVALID_PARAMETER("aeIndexBuffer::Init");
        return 0;
    }
    Exit();
    m_dwNumIndices = numIndices;
    m_dwSize = numIndices * 2;
    if (!CreateAndFill("aeIndexBuffer::Init", false))
        return 0;
    m_pShadow = static_cast<unsigned short*>(std::calloc(m_dwSize, 1));
    return m_pShadow != nullptr;
}

int aeIndexBuffer::SetIndices(const unsigned short* data)
{
    if (!data || !m_pIndexBuffer)
    {
        AE_INVALID_PARAMETER("aeIndexBuffer::SetIndices");
        return 0;
    }
    void* locked = nullptr;
    const HRESULT hr = m_pIndexBuffer->Lock(0, m_dwSize, &locked, 0);
    if (FAILED(hr))
    {
        AE_DXERROR("aeIndexBuffer::SetIndices", "m_pIndexBuffer->Lock", hr);
        return 0;
    }
    std::memcpy(m_pShadow, data, m_dwSize);
    std::memcpy(locked, m_pShadow, m_dwSize);
    m_pIndexBuffer->Unlock();
    return 1;
}

void aeIndexBuffer::GetIndices(DWORD first, DWORD count, unsigned short* out) const
{
    std::memcpy(out, m_pShadow + first, static_cast<size_t>(count) * 2);
}

void aeIndexBuffer::PrepareRestore()
{
    if (m_pIndexBuffer)
        m_pIndexBuffer->Release();
    m_pIndexBuffer = nullptr;
}

int aeIndexBuffer::Restore()
{
    return CreateAndFill("aeIndexBuffer::Restore", true);
}

void aeIndexBuffer::Exit()
{
    PrepareRestore();
    std::free(m_pShadow);
    m_pShadow = nullptr;
}
