#pragma once
// A headless Direct3D device for the graphics tests, and helpers that draw
// simple shapes and read pixels back from the back buffer.

#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "aeWindow.h"
#include "d3d9.h"
#include "d3dx9.h"

namespace gfx
{
struct ScreenVertex { float x, y, z, rhw; D3DCOLOR color; float u, v; };
constexpr DWORD kScreenFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
struct TexVertex { float x, y, z, u, v; };
constexpr DWORD kTexFVF = D3DFVF_XYZ | D3DFVF_TEX1;

inline void UseOffscreenVideo()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

inline D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.f;
    return m;
}

class DeviceTest : public ::testing::Test
{
protected:
    static constexpr UINT kWidth = 128;
    static constexpr UINT kHeight = 96;

    void SetUp() override { Open(kWidth, kHeight, kWidth, kHeight); }

    // A window of the given size and a windowed device on it with a back
    // buffer of width × height.
    void Open(int windowWidth, int windowHeight, UINT width, UINT height)
    {
        UseOffscreenVideo();
        m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_pD3D, nullptr);
        m_hWindow = aeCreateWindow("Test", windowWidth, windowHeight, nullptr);
        ASSERT_NE(m_hWindow, nullptr);
        m_Params = WindowedParams(width, height);
        ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &m_Params,
                                       &m_pDevice),
                  D3D_OK);
    }

    void TearDown() override
    {
        if (m_pDevice)
        {
            EXPECT_EQ(m_pDevice->Release(), 0u);
        }
        if (m_pD3D)
            m_pD3D->Release();
        if (m_hWindow)
            aeDestroyWindow(m_hWindow);
    }

    D3DPRESENT_PARAMETERS WindowedParams(UINT width, UINT height)
    {
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = width;
        p.BackBufferHeight = height;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = m_hWindow;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return p;
    }

    // The fixture's device released and made anew, full screen at this size.
    HRESULT RecreateFullScreen(UINT width, UINT height, DWORD flags = 0)
    {
        if (m_pDevice)
        {
            EXPECT_EQ(m_pDevice->Release(), 0u);
        }
        m_pDevice = nullptr;
        m_Params = WindowedParams(width, height);
        m_Params.Windowed = FALSE;
        m_Params.FullScreen_RefreshRateInHz = 60;
        m_Params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        D3DPRESENT_PARAMETERS params = m_Params;
        return m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, flags, &params, &m_pDevice);
    }

    // Stage 0 shows the vertex colour only.
    void UntexturedState()
    {
        m_pDevice->SetTexture(0, nullptr);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // A camera at the origin looking along +z.
    void Camera()
    {
        const D3DMATRIX identity = Identity();
        m_pDevice->SetTransform(D3DTS_WORLD, &identity);
        m_pDevice->SetTransform(D3DTS_VIEW, &identity);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 1.2217305f, 4.f / 3.f, 0.1f, 200.f);
        m_pDevice->SetTransform(D3DTS_PROJECTION, &projection);
    }

    // Colour operation and arguments of stage 0.
    void ColourStage(DWORD op, DWORD arg1, DWORD arg2 = D3DTA_DIFFUSE)
    {
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, op);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, arg1);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, arg2);
    }

    // Source alpha blended over the picture.
    void AlphaBlend()
    {
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }

    // A texture of w × h texels given row by row; a single texel fills it.
    IDirect3DTexture9* Texture(UINT w, UINT h, const std::vector<DWORD>& texels, D3DFORMAT format = D3DFMT_A8R8G8B8,
                               D3DPOOL pool = D3DPOOL_MANAGED)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_pDevice->CreateTexture(w, h, 1, 0, format, pool, &texture, nullptr), D3D_OK);
        D3DLOCKED_RECT locked;
        if (texture && SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)))
        {
            for (UINT i = 0; i < w * h; i++)
                memcpy(static_cast<uint8_t*>(locked.pBits) + i / w * locked.Pitch + i % w * 4,
                       &texels[texels.size() == 1 ? 0 : i], 4);
            texture->UnlockRect(0);
        }
        return texture;
    }

    // Four vertices as a strip of two triangles.
    template <class Vertex>
    HRESULT Strip(const Vertex (&quad)[4], DWORD fvf)
    {
        m_pDevice->SetFVF(fvf);
        return m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    }

    // A screen rectangle in pixels.
    HRESULT DrawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z = 0.f)
    {
        const ScreenVertex quad[4] = {
            {x1, y2, z, 1.f, color, 0, 1}, {x1, y1, z, 1.f, color, 0, 0}, {x2, y2, z, 1.f, color, 1, 1}, {x2, y1, z, 1.f, color, 1, 0}};
        return Strip(quad, kScreenFVF);
    }

    // The back buffer pixel as 0xRRGGBB, of the fixture's device or another.
    DWORD Pixel(int x, int y, IDirect3DDevice9* device = nullptr)
    {
        IDirect3DSurface9* surface = nullptr;
        if (FAILED((device ? device : m_pDevice)->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)))
            return 0xdeadbeef;
        D3DLOCKED_RECT locked;
        DWORD value = 0xdeadbeef;
        if (SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        {
            memcpy(&value, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            surface->UnlockRect();
        }
        surface->Release();
        return value & 0xffffff;
    }

    IDirect3D9* m_pD3D = nullptr;
    IDirect3DDevice9* m_pDevice = nullptr;
    HWND m_hWindow = nullptr;
    D3DPRESENT_PARAMETERS m_Params{};
};

inline int Red(DWORD c) { return static_cast<int>((c >> 16) & 0xff); }
inline int Green(DWORD c) { return static_cast<int>((c >> 8) & 0xff); }
inline int Blue(DWORD c) { return static_cast<int>(c & 0xff); }
}   // namespace gfx
