// The device as a program written for Direct3D 9 relies on it: reference
// counts, untextured stages, the light formulas, pixel centres of
// pre-transformed vertices, text under a colour write mask.

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "D3D9TestSupport.h"

using namespace gfx;

namespace
{
class D3D9Fidelity : public DeviceTest
{
protected:
    IDirect3DTexture9* SolidTexture(D3DCOLOR color, D3DPOOL pool = D3DPOOL_MANAGED)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(m_pDevice->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, pool, &texture, nullptr), D3D_OK);
        D3DLOCKED_RECT locked;
        if (texture && SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)))
        {
            for (int y = 0; y < 2; y++)
                for (int x = 0; x < 2; x++)
                    memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &color, 4);
            texture->UnlockRect(0);
        }
        return texture;
    }

    static DWORD PixelOf(IDirect3DDevice9* device, int x, int y)
    {
        IDirect3DSurface9* surface = nullptr;
        DWORD value = 0xdeadbeef;
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))
            && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        {
            memcpy(&value, static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            surface->UnlockRect();
        }
        if (surface)
            surface->Release();
        return value & 0xffffff;
    }

    // The public count as Release reports it, left unchanged.
    static DWORD Count(IUnknown* object)
    {
        object->AddRef();
        return object->Release();
    }

    // A camera at the origin looking along +z, lighting on, white material.
    void LitScene()
    {
        UntexturedState();
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.f;
        m_pDevice->SetTransform(D3DTS_WORLD, &identity);
        m_pDevice->SetTransform(D3DTS_VIEW, &identity);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 1.2217305f, 4.f / 3.f, 0.1f, 200.f);
        m_pDevice->SetTransform(D3DTS_PROJECTION, &projection);
        m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
        m_pDevice->SetRenderState(D3DRS_AMBIENT, 0);
        D3DMATERIAL9 material{};
        material.Diffuse = {1.f, 1.f, 1.f, 1.f};
        material.Ambient = {1.f, 1.f, 1.f, 1.f};
        m_pDevice->SetMaterial(&material);
    }

    // Red at the screen centre of a small square facing the camera at z = 5,
    // lit only by the given light.
    int LitRed(const D3DLIGHT9& light)
    {
        struct NormalVertex
        {
            float x, y, z, nx, ny, nz;
        };
        const float s = 0.2f;
        const NormalVertex quad[4] = {
            {-s, -s, 5, 0, 0, -1}, {-s, s, 5, 0, 0, -1}, {s, -s, 5, 0, 0, -1}, {s, s, 5, 0, 0, -1}};
        EXPECT_EQ(m_pDevice->SetLight(0, &light), D3D_OK);
        m_pDevice->LightEnable(0, TRUE);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
        m_pDevice->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        EXPECT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex)), D3D_OK);
        return Red(Pixel(64, 48));
    }
};

TEST_F(D3D9Fidelity, BindingsKeepTheCountAndReleasedObjectsStayUsable)
{
    IDirect3DTexture9* texture = SolidTexture(0xff00ff00);
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFVF, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(m_pDevice->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
    ScreenVertex* v = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<void**>(&v), 0), D3D_OK);
    const ScreenVertex quad[4] = {{0, 0, 0, 1, 0xffffffff, 0, 0}, {64, 0, 0, 1, 0xffffffff, 1, 0},
                                  {0, 48, 0, 1, 0xffffffff, 0, 1}, {64, 48, 0, 1, 0xffffffff, 1, 1}};
    memcpy(v, quad, sizeof(quad));
    vb->Unlock();
    WORD* indices = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, reinterpret_cast<void**>(&indices), 0), D3D_OK);
    const WORD list[6] = {0, 1, 2, 2, 1, 3};
    memcpy(indices, list, sizeof(list));
    ib->Unlock();

    UntexturedState();
    m_pDevice->SetTexture(0, texture);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_pDevice->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
    m_pDevice->SetIndices(ib);
    m_pDevice->SetFVF(kScreenFVF);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(m_pDevice->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);
    EXPECT_EQ(Count(texture), 1u);
    EXPECT_EQ(Count(vb), 1u);
    EXPECT_EQ(Count(ib), 1u);

    // Released until zero while bound: the device keeps drawing with them.
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(ib->Release(), 0u);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(Pixel(10, 10), 0x00ff00u);
    // Unbound, the state block still holds them; applying it binds them again.
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    m_pDevice->SetIndices(nullptr);
    EXPECT_EQ(block->Apply(), D3D_OK);
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(block->Release(), 0u);
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    m_pDevice->SetIndices(nullptr);

    // A default-pool texture released while bound does not stand in Reset's way.
    IDirect3DTexture9* target = SolidTexture(0xffff0000, D3DPOOL_DEFAULT);
    m_pDevice->SetTexture(0, target);
    EXPECT_EQ(target->Release(), 0u);
    D3DPRESENT_PARAMETERS params = m_Params;
    EXPECT_EQ(m_pDevice->Reset(&params), D3D_OK);
    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    EXPECT_EQ(m_pDevice->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, nullptr);
}

TEST_F(D3D9Fidelity, MultithreadedDeviceServesWhicheverThreadCalls)
{
    D3DPRESENT_PARAMETERS params = WindowedParams(kWidth, kHeight);
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, D3DCREATE_MULTITHREADED, &params, &device), D3D_OK);
    std::atomic<int> step{0};
    std::thread drawer([&] {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 1.f, 0);
        step = 1;
        // In the middle of its frame; the other thread gets the device between two calls.
        while (step < 2)
            device->SetRenderState(D3DRS_AMBIENT, 0);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    });
    while (step < 1)
        std::this_thread::yield();
    const D3DRECT left = {0, 0, 64, 96};
    EXPECT_EQ(device->Clear(1, &left, D3DCLEAR_TARGET, 0xff00ff00, 1.f, 0), D3D_OK);
    EXPECT_EQ(PixelOf(device, 10, 10), 0x00ff00u);
    step = 2;
    drawer.join();
    EXPECT_EQ(PixelOf(device, 100, 10), 0x0000ffu);
    EXPECT_EQ(device->Release(), 0u);
}

TEST_F(D3D9Fidelity, StagesThatReadAMissingTexturePassTheColourThrough)
{
    struct Case
    {
        DWORD op, arg1, arg2;
    };
    const Case cases[] = {{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
                          {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE},
                          {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE},
                          {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE}};
    UntexturedState();
    for (const Case& c : cases)
    {
        m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
        m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, c.op);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
        m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.arg2);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
        ASSERT_EQ(DrawRect(0, 0, 128, 96, 0xff4080c0), D3D_OK);
        EXPECT_EQ(Pixel(64, 48), 0x4080c0u) << "op " << c.op;
    }
}

TEST_F(D3D9Fidelity, LightsFollowRangeAttenuationAndTheSpotCone)
{
    LitScene();
    // The square's centre is 5 units in front of the light at the origin.
    auto light = [](D3DLIGHTTYPE type, float range, float att0, float att1) {
        D3DLIGHT9 l{};
        l.Type = type;
        l.Diffuse = {1.f, 1.f, 1.f, 1.f};
        l.Direction = {0.f, 0.f, 1.f};
        l.Range = range;
        l.Attenuation0 = att0;
        l.Attenuation1 = att1;
        l.Theta = 0.4f;
        l.Phi = 1.f;
        l.Falloff = 1.f;
        return l;
    };
    struct Case
    {
        const char* what;
        D3DLIGHT9 light;
        float expected;
    };
    std::vector<Case> cases = {
        {"point beyond its range", light(D3DLIGHT_POINT, 4.f, 1.f, 0.f), 0.f},
        {"point within its range", light(D3DLIGHT_POINT, 10.f, 1.f, 0.f), 1.f},
        {"linear attenuation", light(D3DLIGHT_POINT, 10.f, 0.f, 0.4f), 0.5f},
        {"spot inside the inner cone", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f), 1.f},
    };
    Case ambient = {"attenuated ambient", light(D3DLIGHT_POINT, 10.f, 2.f, 0.f), 0.5f};
    ambient.light.Diffuse = {0.f, 0.f, 0.f, 0.f};
    ambient.light.Ambient = {1.f, 1.f, 1.f, 1.f};
    cases.push_back(ambient);
    ambient.what = "ambient beyond the range";
    ambient.light.Range = 4.f;
    ambient.expected = 0.f;
    cases.push_back(ambient);
    Case away = {"spot aimed away", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f), 0.f};
    away.light.Direction = {0.f, 0.f, -1.f};
    cases.push_back(away);
    // Aimed 0.35 rad off: between the inner (0.2) and outer (0.5) half angles.
    // Lit per vertex: tilted across the square's diagonal, both ends of the
    // diagonal (and so the centre) see the same angle.
    const float off = 0.35f, length = std::sqrt(0.08f + 25.f), rho = 5.f * std::cos(off) / length;
    const float fraction = (rho - std::cos(0.5f)) / (std::cos(0.2f) - std::cos(0.5f));
    for (float falloff : {1.f, 2.f})
    {
        Case edge = {"spot between the cones", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f),
                     std::pow(fraction, falloff) * 5.f / length};
        edge.light.Direction = {std::sin(off) / std::sqrt(2.f), std::sin(off) / std::sqrt(2.f), std::cos(off)};
        edge.light.Falloff = falloff;
        cases.push_back(edge);
    }
    for (const Case& c : cases)
        EXPECT_NEAR(LitRed(c.light), 255.f * c.expected, 2.f) << c.what;
}

TEST_F(D3D9Fidelity, OverlayWithTheHalfPixelOffsetMapsEachTexelOntoOnePixel)
{
    // 4 × 4 texels, each of its own colour, filtered linearly.
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_pDevice->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    auto texel = [](int x, int y) { return static_cast<DWORD>(0xff000000u | (x * 80) << 16 | (y * 80) << 8 | ((x + y) % 2) * 255); };
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
        {
            const DWORD c = texel(x, y);
            memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &c, 4);
        }
    texture->UnlockRect(0);
    UntexturedState();
    m_pDevice->SetTexture(0, texture);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    m_pDevice->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    ASSERT_EQ(DrawRect(10 - 0.5f, 20 - 0.5f, 14 - 0.5f, 24 - 0.5f, 0xffffffff), D3D_OK);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
        {
            const DWORD want = texel(x, y) & 0xffffff, got = Pixel(10 + x, 20 + y);
            EXPECT_NEAR(Red(got), Red(want), 2) << x << "," << y;
            EXPECT_NEAR(Green(got), Green(want), 2) << x << "," << y;
            EXPECT_NEAR(Blue(got), Blue(want), 2) << x << "," << y;
        }
    EXPECT_EQ(Pixel(14, 20), 0u);
    EXPECT_EQ(Pixel(10, 24), 0u);
    m_pDevice->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(D3D9Fidelity, TextWritesAllChannelsWhateverTheColourWriteMask)
{
    ID3DXFont* font = nullptr;
    ASSERT_EQ(D3DXCreateFontA(m_pDevice, 40, 0, FW_BOLD, 1, FALSE, 0, 0, 0, 0, "Arial", &font), D3D_OK);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
    RECT rect = {0, 0, 128, 96};
    EXPECT_GT(font->DrawTextA(nullptr, "MMMM", -1, &rect, DT_LEFT | DT_TOP, 0xffffffff), 0);
    DWORD mask = 0;
    m_pDevice->GetRenderState(D3DRS_COLORWRITEENABLE, &mask);
    EXPECT_EQ(mask, static_cast<DWORD>(D3DCOLORWRITEENABLE_RED));
    int white = 0;
    for (int y = 0; y < 48; y++)
        for (int x = 0; x < 128; x++)
            if (Pixel(x, y) == 0xffffffu)
                white++;
    EXPECT_GT(white, 20);
    font->Release();
}
}   // namespace
