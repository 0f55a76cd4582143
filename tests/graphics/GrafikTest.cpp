#include "D3D9TestSupport.h"
#include "GrafikTestSupport.h"
#include "TestSupport.h"

#include <atomic>
#include <cstring>

#include "VFile.h"
#include "aeFont.h"
#include "aeIndexBuffer.h"
#include "aeMain.h"
#include "aeModelMaterial.h"
#include "aeTextureManager.h"
#include "aeVertexBuffer.h"
#include "d3dx9.h"

using test::GrafikFixture;

namespace
{
// A rectangle over the whole texture, corners in screen fractions.
int Rect(Vector2 corner1, Vector2 corner2, IDirect3DTexture9* texture, int alphaBlend, Color color)
{
    return aeGrafik::DrawTexturedRect(corner1, corner2, texture, alphaBlend, color, Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
}
}

TEST(GraphicsConfig, RecordRoundTripAndFormatNames)
{
    test::LogCapture log;
    aeConfig::m_VideoMode = {1280, 1024, 75, D3DFMT_X8R8G8B8};
    aeConfig::m_ZStencilBufferFormat = D3DFMT_D24S8;
    aeConfig::m_MultiSampling = D3DMULTISAMPLE_4_SAMPLES;
    VFile file;
    aeConfig::WriteConfigToVFile(&file);
    ASSERT_EQ(file.GetSize(), 24);
    const uint32_t expected[6] = {1280, 1024, 75, D3DFMT_X8R8G8B8, D3DFMT_D24S8, 4};
    EXPECT_EQ(std::memcmp(file.GetBuffer(), expected, 24), 0);

    aeConfig::m_VideoMode = {};
    aeConfig::m_MultiSampling = D3DMULTISAMPLE_NONE;
    file.Seek(0, -1);
    EXPECT_EQ(aeConfig::LoadConfig(&file), 1);
    EXPECT_EQ(aeConfig::m_VideoMode.Width, 1280u);
    EXPECT_EQ(aeConfig::m_VideoMode.RefreshRate, 75u);
    EXPECT_EQ(aeConfig::m_MultiSampling, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_TRUE(log.Contains("Die Konfiguration wurde geladen!"));

    // X8R8G8B8 and D24S8 are named in the log block of StandardConfigurationLogBlockClearAndPresent.
    char name[64];
    GetD3DFormatString(D3DFMT_DXT5, name);
    EXPECT_STREQ(name, "DXT5");
    GetD3DFormatString(D3DFMT_A8, name);
    EXPECT_STREQ(name, "Unbekanntes Format");
    EXPECT_EQ(GetD3DFormatString(D3DFMT_D16, nullptr), 0);
    EXPECT_EQ(aeConfig::LoadConfig(nullptr), 0);
    aeConfig::WriteConfigToVFile(nullptr);
    EXPECT_EQ(aeLog::m_iNumErrors, 2 + 0 + 1);
}

TEST_F(GrafikFixture, StandardConfigurationLogBlockClearAndPresent)
{
    test::LogCapture log;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_EQ(aeConfig::CalcStandardConfig(), 1);
    EXPECT_GT(aeConfig::m_VideoMode.Width, 0u);
    EXPECT_NE(aeConfig::m_ZStencilBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_NE(aeConfig::m_MultiSampling, D3DMULTISAMPLE_NONMASKABLE);
    EXPECT_TRUE(log.Contains("Die Konfiguration wurde errechnet!"));

    OpenDevice(320, 240);
    const std::string text = log.Text();
    for (const char* line : {"\r\n--- Konfiguration ---\r\n", "Direct3D-Konfiguration: Fenstergröße: 320 x 240\r\n",
                             "Direct3D-Konfiguration: Buffer-Format: X8R8G8B8\r\n",
                             "Direct3D-Konfiguration: Z-Stencil-Buffer-Format: D24S8\r\n",
                             "Direct3D-Konfiguration: Multi-Sampling: Kein Multi-Sampling\r\n",
                             "\r\n--- Initialisierung ---\r\n", "Direct3D wurde initialisiert!\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("Bildschirmaktualisierungsrate"), std::string::npos);  // windowed
    EXPECT_FALSE(aeGrafik::IsFullScreen());
    EXPECT_FLOAT_EQ(aeGrafik::GetAspect(), 320.0f / 240.0f);
    EXPECT_EQ(aeLog::m_iNumErrors, 0);

    // Clear checks the depth.
    EXPECT_EQ(aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF000000, 1.5f, 0), 0);
    EXPECT_EQ(aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF000000, -0.1f, 0), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, 2);
    EXPECT_TRUE(log.Contains("Funktion: aeGrafik::Clear Beschreibung: Der Funktion wurden ungültige Parameter übergeben!"));
    // A frame at depth 1 that presents: AppRestoreRebuildsTheDeviceAndTheStateBlockAfterALoss.
    EXPECT_EQ(aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 0.0f, 0), 1);
    const auto pixels = ReadBackBuffer();
    ASSERT_FALSE(pixels.empty());
    EXPECT_EQ(Pixel(pixels, 10, 10), 0x336699u);
}

TEST_F(GrafikFixture, LostDeviceIsRestoredWithBuffersRefilled)
{
    OpenDevice();
    test::LogCapture log;
    struct V { float x, y, z, u, v; };
    const V vertices[3] = {{0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}};
    aeVertexBuffer vb;
    EXPECT_EQ(vb.Init(0, D3DFVF_XYZ | D3DFVF_TEX1), 0);
    EXPECT_EQ(vb.Init(3, 0), 0);
    ASSERT_EQ(vb.Init(3, D3DFVF_XYZ | D3DFVF_TEX1), 1);
    EXPECT_EQ(vb.GetVertexSize(), 20u);
    EXPECT_EQ(vb.GetSize(), 60u);
    EXPECT_EQ(vb.SetVertices(nullptr), 0);
    ASSERT_EQ(vb.SetVertices(vertices), 1);
    aeIndexBuffer ib;
    ASSERT_EQ(ib.Init(5), 1);
    EXPECT_EQ(ib.GetSize(), 10u);
    const unsigned short indices[5] = {0, 1, 2, 2, 1};
    ASSERT_EQ(ib.SetIndices(indices), 1);
    const int errorsBefore = aeLog::m_iNumErrors;

    aeD3D9ForceDeviceLost(aeGrafik::GetDevice());
    EXPECT_EQ(aeGrafik::Present(), 0);
    EXPECT_EQ(aeLog::m_iNumErrors, errorsBefore);  // a loss is not an error

    vb.PrepareRestore();
    ib.PrepareRestore();
    V second;
    vb.GetVertex(1, &second);  // served from memory while the device is gone
    EXPECT_EQ(std::memcmp(&second, &vertices[1], sizeof(V)), 0);

    ASSERT_EQ(aeGrafik::Restore(), 1);
    EXPECT_TRUE(log.Contains("Direct3D wurde restauriert!"));
    ASSERT_EQ(vb.Restore(), 1);
    ASSERT_EQ(ib.Restore(), 1);
    EXPECT_EQ(ib.GetIndex(4), 1);
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(vb.GetVB()->Lock(0, 60, &data, D3DLOCK_READONLY)));
    EXPECT_EQ(std::memcmp(data, vertices, 60), 0);
    vb.GetVB()->Unlock();
    EXPECT_EQ(aeGrafik::Present(), 1);
    vb.Exit();
    vb.Exit();
}

TEST_F(GrafikFixture, TexturesByNameAndTheCursor)
{
    OpenDevice();
    test::LogCapture log;
    aeTextureManager::Exit();
    EXPECT_EQ(aeTextureManager::FindTexture("a.bmp"), -1);
    EXPECT_TRUE(log.Contains("Der TextureManager wurde noch nicht initialisiert!"));
    VFile archive("PK", 2);
    EXPECT_EQ(aeTextureManager::AddTextureArchive(&archive, 0), 0);
    EXPECT_TRUE(log.Contains("Sie müssen erst den TextureManager initialisieren!"));
    EXPECT_EQ(aeCursor::Render(), 0);
    EXPECT_TRUE(log.Contains("Fehler beim finden der Cursor-Textur!"));

    aeTextureManager::Init();
    const auto bmp = test::MakeBmp(1, 1, {0x123456});
    for (const char* name : {"a.bmp", "b.bmp", "a.bmp"})
    {
        VFile f(bmp.data(), static_cast<int>(bmp.size()));
        ASSERT_EQ(aeTextureManager::AddTexture(&f, name, 0, nullptr), 1);
    }
    EXPECT_EQ(aeTextureManager::GetNumTextures(), 3);
    EXPECT_EQ(aeTextureManager::FindTexture("a.bmp"), 0);
    EXPECT_EQ(aeTextureManager::FindTexture("A.bmp"), -1);
    EXPECT_EQ(aeTextureManager::GetTexture(-1), nullptr);
    EXPECT_EQ(aeTextureManager::GetTextureName(-1), nullptr);
    aeTextureManager::DeleteTexture(0);
    EXPECT_STREQ(aeTextureManager::GetTextureName(0), "b.bmp");
    EXPECT_EQ(aeTextureManager::FindTexture("a.bmp"), 1);
    aeTextureManager::DeleteTexture("nope.bmp");
    EXPECT_TRUE(log.Contains("Die Textur wurde nicht gefunden!"));

    VFile junk("not an image at all", 19);
    EXPECT_EQ(aeTextureManager::AddTexture(&junk, "junk.bmp", 0, nullptr), 0);
    EXPECT_TRUE(log.Contains("Der Aufruf von D3DXCreateTextureFromFileInMemoryEx verursachte den DirectX-Fehler"));
    EXPECT_TRUE(log.Contains("Fehler beim laden der Textur!"));
    EXPECT_EQ(aeTextureManager::GetNumTextures(), 2);

    // The cursor: a white square of 5 % of the screen from its top-left corner.
    const auto white = test::MakeBmp(1, 1, {0xFFFFFF});
    VFile cursor(white.data(), static_cast<int>(white.size()));
    aeTextureManager::AddTexture(&cursor, "Cursor.bmp", 0, nullptr);
    aeCursor::Init(Vector2(0.5f, 0.5f));
    aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    aeGrafik::BeginScene();
    EXPECT_EQ(aeCursor::Render(), 1);
    aeGrafik::EndScene();
    const auto pixels = ReadBackBuffer();
    EXPECT_EQ(Pixel(pixels, 162, 122), 0xFFFFFFu);
    EXPECT_EQ(Pixel(pixels, 158, 118), 0u);
    EXPECT_EQ(Pixel(pixels, 178, 134), 0u);

    // A rectangle shows its texture upright (left red, right blue, top bright),
    // swapped corners mirror it, the colour tints it; untextured, the tint shows.
    const auto quad = test::MakeBmp(2, 2, {0xFF0000, 0x0000FF, 0x800000, 0x000080});
    VFile image(quad.data(), static_cast<int>(quad.size()));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(aeTextureManager::AddTexture(&image, "quad.bmp", 0, &texture), 1);
    aeGrafik::GetDevice()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    aeGrafik::BeginScene();
    EXPECT_EQ(Rect(Vector2(1.0f, 0.0f), Vector2(0.5f, 1.0f), texture, 0, Color(0.5f, 1.0f, 1.0f, 1.0f)), 1);
    EXPECT_EQ(Rect(Vector2(0.0f, 0.0f), Vector2(0.5f, 1.0f), nullptr, 0, Color(0.25f, 0.5f, 1.0f, 1.0f)), 1);
    aeGrafik::EndScene();
    const auto drawn = ReadBackBuffer();
    EXPECT_EQ(Pixel(drawn, 170, 20), 0x0000FFu);
    EXPECT_EQ(Pixel(drawn, 170, 220), 0x000080u);
    EXPECT_NEAR(static_cast<int>(Pixel(drawn, 300, 20) >> 16), 0x7F, 2);
    const uint32_t tint = Pixel(drawn, 80, 120);
    EXPECT_NEAR(static_cast<int>(tint >> 16), 64, 2);
    EXPECT_EQ(tint & 0xFF, 0xFFu);
    DWORD zEnable = 0;  // after drawing, the default state is back
    aeGrafik::GetDevice()->GetRenderState(D3DRS_ZENABLE, &zEnable);
    EXPECT_EQ(zEnable, static_cast<DWORD>(D3DZB_TRUE));

    // Released by the manager, a texture the device still binds stays drawable.
    const auto red = test::MakeBmp(2, 2, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000});
    VFile redImage(red.data(), static_cast<int>(red.size()));
    ASSERT_EQ(aeTextureManager::AddTexture(&redImage, "red.bmp", 0, &texture), 1);
    aeGrafik::SetTexture(texture, 0);
    aeGrafik::SetTSS(D3DTSS_COLOROP, D3DTOP_SELECTARG1, 0);
    aeGrafik::SetTSS(D3DTSS_COLORARG1, D3DTA_TEXTURE, 0);
    aeTextureManager::DeleteTexture(aeTextureManager::FindTexture("red.bmp"));
    const gfx::ScreenVertex screen[4] = {{0, 240, 0, 1, ~0u, 0, 1}, {0, 0, 0, 1, ~0u, 0, 0}, {320, 240, 0, 1, ~0u, 1, 1}, {320, 0, 0, 1, ~0u, 1, 0}};
    aeGrafik::SetRS(D3DRS_ZENABLE, FALSE);
    aeGrafik::SetFVF(gfx::kScreenFVF);
    ASSERT_EQ(aeGrafik::GetDevice()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, screen, sizeof(gfx::ScreenVertex)), D3D_OK);
    EXPECT_EQ(Pixel(ReadBackBuffer(), 160, 120), 0xFF0000u);
    aeGrafik::Reset();
    aeTextureManager::Exit();
}

TEST_F(GrafikFixture, FontsScaleFromTheReferenceScreen)
{
    // The height of a drawn "H" on two back buffers: 40 reference pixels are
    // 40 on a 768-line screen and 53 on a 1024-line one.
    auto glyphHeight = [this](UINT width, UINT height) {
        OpenDevice(width, height);
        {
            // The font goes before its device.
            aeFont font;
            EXPECT_EQ(font.Init("Arial", 40.0f, 1, 0.0f), 1);
            aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            aeGrafik::BeginScene();
            font.DrawTextA(Vector2(0.5f, 0.5f), Color(1.0f, 1.0f, 1.0f, 1.0f), "H", -1);
            font.DrawTextA(Vector2(0.5f, 0.5f), Color(1.0f, 1.0f, 1.0f, 1.0f), "", -1);
            aeGrafik::EndScene();
        }
        const auto pixels = ReadBackBuffer();
        const test::Box box = test::Bounds(static_cast<int>(width), static_cast<int>(height),
                                           [&](int x, int y) { return (Pixel(pixels, x, y) & 0xFF) > 0x80; });
        // Centred on the point.
        EXPECT_NEAR(box.CentreX(), width / 2.0, 3.0);
        EXPECT_NEAR(box.CentreY(), height / 2.0, 6.0);
        TearDown();
        return box.bottom - box.top + 1;
    };
    const int small = glyphHeight(1024, 768);
    const int large = glyphHeight(1280, 1024);
    ASSERT_GT(small, 10);
    EXPECT_NEAR(static_cast<double>(large) / small, 53.0 / 40.0, 0.08);
    aeFont none;
    EXPECT_EQ(none.Init(nullptr, 30.0f, 0, 0.0f), 0);
}

TEST_F(GrafikFixture, WindowsKeepTheirSizeAndTakeTheIcon)
{
    // A window smaller than the video mode: the device scales into it.
    OpenDevice(320, 240, 200, 150);
    EXPECT_EQ(aeGrafik::Present(), 1);
    // A windowed device without a back-buffer size takes the window's size.
    D3DPRESENT_PARAMETERS pp = aeGrafik::m_PresentParams;
    pp.BackBufferWidth = pp.BackBufferHeight = 0;
    IDirect3DDevice9* probe = nullptr;
    ASSERT_EQ(aeGrafik::GetD3D()->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, 0, &pp, &probe), D3D_OK);
    EXPECT_EQ(pp.BackBufferWidth, 200u);
    EXPECT_EQ(pp.BackBufferHeight, 150u);
    probe->Release();
    TearDown();
    m_hWindow = nullptr;

    // The full-screen start puts the given icon on its window.
    const auto icon = test::MakeBmp(16, 16, std::vector<uint32_t>(256, 0x3366CC));
    ASSERT_EQ(aeGrafik::Init("Halvoran-Test", const_cast<unsigned char*>(icon.data())), 1);
    m_hWindow = aeGrafik::GetWindow();
    int w = 0, h = 0;
    EXPECT_EQ(aeGetWindowIcon(m_hWindow, &w, &h), 1);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
}

namespace
{
std::atomic<int> g_iRenderedFrames{0};
std::atomic<int> g_iPresented{0};
std::atomic<uint32_t> g_uCentre{0}, g_uCorner{0};

int IdleMove(float)
{
    return 1;
}

// One frame on the render thread: a clear, an untextured rectangle, the pixels
// read back, the frame shown; then the loop ends.
int RenderOnce(float)
{
    if (g_iRenderedFrames++ > 0)
        return 1;
    aeGrafik::Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204060, 1.0f, 0);
    aeGrafik::BeginScene();
    Rect(Vector2(0.25f, 0.25f), Vector2(0.75f, 0.75f), nullptr, 0, Color(1.0f, 0.0f, 0.0f, 1.0f));
    aeGrafik::EndScene();
    const auto pixels = GrafikFixture::ReadBackBuffer();
    if (!pixels.empty())
    {
        g_uCentre = GrafikFixture::Pixel(pixels, 160, 120);
        g_uCorner = GrafikFixture::Pixel(pixels, 5, 5);
    }
    g_iPresented = aeGrafik::Present();
    aeMain::QuitGame();
    return 1;
}
}

TEST_F(GrafikFixture, WindowMessagesFeedTheLoopFlagsAndTheMultiThreadedLoopDrawsOnTheRenderThread)
{
    OpenDevice();
    aeMain::m_bActive = 1;
    aeGrafik::WindowProc(m_hWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(aeMain::m_bActive, 0);
    aeGrafik::WindowProc(m_hWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(aeMain::m_bActive, 1);
    aeMain::m_bQuit = 0;
    aeGrafik::WindowProc(m_hWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(aeMain::m_bQuit, 1);
    aeMain::m_bQuit = 0;

    g_iRenderedFrames = 0;
    g_iPresented = 0;
    ASSERT_EQ(aeMain::DoMessageLoop(IdleMove, RenderOnce, 1), 1);
    EXPECT_EQ(g_iPresented, 1);
    EXPECT_EQ(g_uCentre, 0xFF0000u);
    EXPECT_EQ(g_uCorner, 0x204060u);
    // Back on the main thread the device still draws.
    aeGrafik::Clear(D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    EXPECT_EQ(Pixel(ReadBackBuffer(), 5, 5), 0x00FF00u);
    EXPECT_EQ(aeGrafik::Present(), 1);
}
