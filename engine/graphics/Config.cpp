#include "aeConfig.h"
#include "VFile.h"
#include "aeError.h"
#include "aeGrafik.h"
#include "aeLog.h"

D3DDISPLAYMODE aeConfig::m_VideoMode = {0, 0, 0, D3DFMT_UNKNOWN};
D3DFORMAT aeConfig::m_ZStencilBufferFormat = D3DFMT_UNKNOWN;
D3DMULTISAMPLE_TYPE aeConfig::m_MultiSampling = D3DMULTISAMPLE_NONE;

int aeConfig::CalcStandardConfig()
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d)
    {
        const char* text = "Fehler beim erstellen der Direct3D9-Schnittstelle!\nDirectX 9.0 oder Höher wird benötigt!";
        AE_ERROR("aeConfig::CalcStandardConfig", "%s", text);
        aeGrafik::DoMessageBox(text, "Fehler", MB_ICONEXCLAMATION);
        return 0;
    }
    D3DDISPLAYMODE mode = {};
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    m_VideoMode = mode;

    // The first depth format that the adapter offers and that fits the mode.
    static const D3DFORMAT kDepth[] = {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D15S1, D3DFMT_D16};
    m_ZStencilBufferFormat = D3DFMT_D16;
    for (D3DFORMAT candidate : kDepth)
    {
        if (SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_SURFACE, candidate)) &&
            SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, mode.Format, candidate)))
        {
            m_ZStencilBufferFormat = candidate;
            break;
        }
    }

    // The highest multisample type that both the colour and the depth buffer take.
    m_MultiSampling = D3DMULTISAMPLE_NONE;
    for (int type = 0; type <= 16; ++type)
    {
        if (type == 1)
            continue;
        const D3DMULTISAMPLE_TYPE t = static_cast<D3DMULTISAMPLE_TYPE>(type);
        if (SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, mode.Format, FALSE, t, nullptr)) &&
            SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_ZStencilBufferFormat, FALSE, t, nullptr)))
            m_MultiSampling = t;
    }
    d3d->Release();
    aeLog::Write("Die Konfiguration wurde errechnet!");
    return 1;
}

int aeConfig::LoadConfig(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeConfig::LoadConfig");
        return 0;
    }
    // Short reads keep what the fields held; every field is a 32-bit value.
    uint32_t mode[4] = {m_VideoMode.Width, m_VideoMode.Height, m_VideoMode.RefreshRate,
                        static_cast<uint32_t>(m_VideoMode.Format)};
    uint32_t depth = static_cast<uint32_t>(m_ZStencilBufferFormat);
    uint32_t samples = static_cast<uint32_t>(m_MultiSampling);
    file->Read(16, mode);
    file->Read(4, &depth);
    file->Read(4, &samples);
    m_VideoMode.Width = mode[0];
    m_VideoMode.Height = mode[1];
    m_VideoMode.RefreshRate = mode[2];
    m_VideoMode.Format = static_cast<D3DFORMAT>(mode[3]);
    m_ZStencilBufferFormat = static_cast<D3DFORMAT>(depth);
    m_MultiSampling = static_cast<D3DMULTISAMPLE_TYPE>(samples);
    aeLog::Write("Die Konfiguration wurde geladen!");
    return 1;
}

void aeConfig::WriteConfigToVFile(VFile* file)
{
    if (!file)
    {
        AE_INVALID_PARAMETER("aeConfig::WriteConfigToVFile");
        return;
    }
    const uint32_t mode[4] = {m_VideoMode.Width, m_VideoMode.Height, m_VideoMode.RefreshRate,
                              static_cast<uint32_t>(m_VideoMode.Format)};
    const uint32_t depth = static_cast<uint32_t>(m_ZStencilBufferFormat);
    const uint32_t samples = static_cast<uint32_t>(m_MultiSampling);
    file->Write(16, mode);
    file->Write(4, &depth);
    file->Write(4, &samples);
}
