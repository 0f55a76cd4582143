#pragma once
// A headless window and device for the graphics tests (SDL's offscreen video
// driver on Mesa's software OpenGL).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "aeConfig.h"
#include "aeGrafik.h"
#include "aeWindow.h"

namespace test
{
class GrafikFixture : public ::testing::Test
{
public:
    // A window of the video mode's size unless another is given.
    void OpenDevice(UINT width = 320, UINT height = 240, int windowWidth = 0, int windowHeight = 0)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        aeConfig::m_VideoMode = {width, height, 60, D3DFMT_X8R8G8B8};
        aeConfig::m_ZStencilBufferFormat = D3DFMT_D24S8;
        aeConfig::m_MultiSampling = D3DMULTISAMPLE_NONE;
        m_hWindow = aeCreateWindow("Halvoran-Test", windowWidth ? windowWidth : static_cast<int>(width),
                                   windowHeight ? windowHeight : static_cast<int>(height), nullptr);
        ASSERT_NE(m_hWindow, nullptr);
        ASSERT_EQ(aeGrafik::Init(m_hWindow), 1);
    }
    void TearDown() override
    {
        aeGrafik::Exit();
        if (m_hWindow)
            aeDestroyWindow(m_hWindow);
        aeGrafik::m_hWindow = nullptr;
    }

    // The back buffer as 0xAARRGGBB pixels, row by row from the top (on any
    // thread that holds the device).
    static std::vector<uint32_t> ReadBackBuffer()
    {
        std::vector<uint32_t> pixels;
        IDirect3DSurface9* surface = nullptr;
        if (FAILED(aeGrafik::GetDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)))
            return pixels;
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        {
            s_iWidth = static_cast<int>(desc.Width);
            for (UINT y = 0; y < desc.Height; ++y)
            {
                const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch);
                pixels.insert(pixels.end(), row, row + desc.Width);
            }
            surface->UnlockRect();
        }
        surface->Release();
        return pixels;
    }
    static uint32_t Pixel(const std::vector<uint32_t>& pixels, int x, int y) { return pixels[static_cast<size_t>(y * s_iWidth + x)] & 0xFFFFFF; }

    HWND m_hWindow = nullptr;
    static inline int s_iWidth = 0;
};

// The smallest rectangle around the pixels (x, y) of a width × height picture
// for which lit(x, y) holds; right is -1 when there are none.
struct Box
{
    int left, top, right, bottom;
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};
template <class Lit>
Box Bounds(int width, int height, Lit lit)
{
    Box box = {width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (lit(x, y))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    return box;
}

// A 24-bit BMP file of w × h pixels (0xRRGGBB, rows from the top).
inline std::vector<unsigned char> MakeBmp(int w, int h, const std::vector<uint32_t>& rgb)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    const int size = 54 + rowBytes * h;
    std::vector<unsigned char> f(static_cast<size_t>(size), 0);
    auto put32 = [&](int at, uint32_t v) { for (int i = 0; i < 4; ++i) f[static_cast<size_t>(at + i)] = static_cast<unsigned char>(v >> (8 * i)); };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(size));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            const uint32_t c = rgb[static_cast<size_t>(y * w + x)];
            unsigned char* p = &f[static_cast<size_t>(54 + (h - 1 - y) * rowBytes + x * 3)];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    return f;
}
}
