// The back buffer in a window of another shape: Present scales it to fit with
// its aspect kept and fills the rest with black; window points map back
// through the same transform.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "D3D9TestSupport.h"
#include "GrafikTestSupport.h"

namespace
{
// A 1024 × 768 back buffer on a 1920 × 1080 window.
class D3D9LetterboxDevice : public gfx::DeviceTest
{
protected:
    void SetUp() override { Open(1920, 1080, 1024, 768); }

    // A filled circle as a fan of screen triangles.
    void DrawCircle(float cx, float cy, float radius, D3DCOLOR color)
    {
        std::vector<gfx::ScreenVertex> fan;
        fan.push_back({cx, cy, 0.f, 1.f, color, 0.f, 0.f});
        for (int i = 0; i <= 128; ++i)
        {
            const float a = static_cast<float>(i) * 6.2831853f / 128.0f;
            fan.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a), 0.f, 1.f, color, 0.f, 0.f});
        }
        m_pDevice->SetFVF(gfx::kScreenFVF);
        ASSERT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 128, fan.data(), sizeof(gfx::ScreenVertex)), D3D_OK);
    }
};

uint32_t At(const std::vector<uint8_t>& pixels, int width, int x, int y)
{
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

bool IsRed(uint32_t c)
{
    return (c >> 16) > 0xC0 && ((c >> 8) & 0xFF) < 0x40 && (c & 0xFF) < 0x40;
}
}

TEST_F(D3D9LetterboxDevice, A4To3PictureOn16To9HasBlackPillarsAndARoundCircle)
{
    UntexturedState();
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0), D3D_OK);
    ASSERT_EQ(m_pDevice->BeginScene(), D3D_OK);
    DrawCircle(512.0f, 384.0f, 300.0f, D3DCOLOR_XRGB(255, 0, 0));
    ASSERT_EQ(m_pDevice->EndScene(), D3D_OK);
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    aeD3D9ReadWindowPicture(m_pDevice, &pixels, &w, &h);
    ASSERT_EQ(w, 1920);
    ASSERT_EQ(h, 1080);
    // Bars of exactly 240 pixels on both sides, the picture between them.
    for (int y : {0, 300, 540, 1079})
    {
        SCOPED_TRACE(y);
        EXPECT_EQ(At(pixels, w, 0, y), 0u);
        EXPECT_EQ(At(pixels, w, 239, y), 0u);
        EXPECT_NE(At(pixels, w, 240, y), 0u);
        EXPECT_NE(At(pixels, w, 1679, y), 0u);
        EXPECT_EQ(At(pixels, w, 1680, y), 0u);
        EXPECT_EQ(At(pixels, w, 1919, y), 0u);
    }
    EXPECT_EQ(At(pixels, w, 240, 0), 0x0000FFu);

    // The circle is as wide as it is high: 300 × 1080 / 768 ≈ 422 pixels of
    // radius both ways, centred in the window.
    const test::Box box = test::Bounds(w, h, [&](int x, int y) { return IsRed(At(pixels, w, x, y)); });
    EXPECT_NEAR(box.right - box.left + 1, 844, 4);
    EXPECT_NEAR(box.bottom - box.top + 1, 844, 4);
    EXPECT_NEAR(box.right - box.left, box.bottom - box.top, 2);
    EXPECT_NEAR(box.CentreX(), 959.5, 2.0);
    EXPECT_NEAR(box.CentreY(), 539.5, 2.0);

    // The window's points lead back to the same back-buffer pixels.
    int bx = -1, by = -1;
    aeD3D9WindowToBackBuffer(m_pDevice, 960, 540, &bx, &by);
    EXPECT_EQ(bx, 512);
    EXPECT_EQ(by, 384);
    aeD3D9WindowToBackBuffer(m_pDevice, 10, 10, &bx, &by);
    EXPECT_EQ(bx, 0);
    EXPECT_EQ(by, 7);

    // Presenting still works and keeps the back buffer.
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3D9LetterboxDevice, AFullScreenDeviceOfAnotherShapeThanTheDesktopGetsBars)
{
    const int dw = GetSystemMetrics(SM_CXSCREEN), dh = GetSystemMetrics(SM_CYSCREEN);
    // A back buffer of another shape than the desktop's.
    const UINT bw = dw * 9 == dh * 16 ? 1024 : 1280, bh = dw * 9 == dh * 16 ? 768 : 720;
    ASSERT_EQ(RecreateFullScreen(bw, bh, D3DCREATE_MIXED_VERTEXPROCESSING), D3D_OK);
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 255, 255), 1.0f, 0), D3D_OK);
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    aeD3D9ReadWindowPicture(m_pDevice, &pixels, &w, &h);
    ASSERT_EQ(w, dw);
    ASSERT_EQ(h, dh);
    const aeD3D9PresentRect r = aeD3D9FitRect(bw, bh, w, h);
    ASSERT_TRUE(r.x > 0 || r.y > 0);
    const int cx = w / 2, cy = h / 2;
    EXPECT_EQ(At(pixels, w, cx, cy), 0xFFFFFFu);
    EXPECT_EQ(At(pixels, w, r.x, r.y), 0xFFFFFFu);
    EXPECT_EQ(At(pixels, w, r.x + r.width - 1, r.y + r.height - 1), 0xFFFFFFu);
    if (r.y > 0)
    {
        EXPECT_EQ(At(pixels, w, cx, r.y - 1), 0u);
        EXPECT_EQ(At(pixels, w, cx, r.y + r.height), 0u);
    }
    else
    {
        EXPECT_EQ(At(pixels, w, r.x - 1, cy), 0u);
        EXPECT_EQ(At(pixels, w, r.x + r.width, cy), 0u);
    }
}
