#pragma once
// The three values that creating the graphics device uses: video mode,
// depth/stencil format and multisample type.

#include "d3d9.h"

class VFile;

class aeConfig
{
public:
    static D3DDISPLAYMODE m_VideoMode;
    static D3DFORMAT m_ZStencilBufferFormat;
    static D3DMULTISAMPLE_TYPE m_MultiSampling;

    static int CalcStandardConfig();
    static int LoadConfig(VFile* file);
    static void WriteConfigToVFile(VFile* file);

    static void SetVideoMode(D3DDISPLAYMODE mode) { m_VideoMode = mode; }
    static D3DDISPLAYMODE GetVideoMode() { return m_VideoMode; }
    static void SetZStencilBufferFormat(D3DFORMAT format) { m_ZStencilBufferFormat = format; }
    static D3DFORMAT GetZStencilBufferFormat() { return m_ZStencilBufferFormat; }
    static void SetMultiSampling(D3DMULTISAMPLE_TYPE type) { m_MultiSampling = type; }
    static D3DMULTISAMPLE_TYPE GetMultiSampling() { return m_MultiSampling; }
};

// Writes the name of a Direct3D format ("X8R8G8B8", or "Unbekanntes Format")
// into out (at least 32 bytes).
int GetD3DFormatString(D3DFORMAT format, char* out);
