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
struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kScreenFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct ColorVertex
{
    float x, y, z;
    D3DCOLOR color;
};
constexpr DWORD kColorFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct TexVertex
{
    float x, y, z, u, v;
};
constexpr DWORD kTexFVF = D3DFVF_XYZ | D3DFVF_TEX1;

inline void UseOffscreenVideo()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

class DeviceTest : public ::testing::Test
{
protected:
    static constexpr UINT kWidth = 128;
    static constexpr UINT kHeight = 96;

    void SetUp() override
    {
        UseOffscreenVideo();
        m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_pD3D, nullptr);
        m_hWindow = aeCreateWindow("Test", static_cast<int>(kWidth), static_cast<int>(kHeight), nullptr);
        ASSERT_NE(m_hWindow, nullptr);
        m_Params = WindowedParams(kWidth, kHeight);
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
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.f;
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

    // A screen rectangle as a strip of two triangles, in pixels.
    HRESULT DrawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z = 0.f, float u1 = 0.f,
                     float v1 = 0.f, float u2 = 1.f, float v2 = 1.f)
    {
        const ScreenVertex quad[4] = {{x1, y2, z, 1.f, color, u1, v2},
                                      {x1, y1, z, 1.f, color, u1, v1},
                                      {x2, y2, z, 1.f, color, u2, v2},
                                      {x2, y1, z, 1.f, color, u2, v1}};
        m_pDevice->SetFVF(kScreenFVF);
        return m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
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
