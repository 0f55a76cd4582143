// The Direct3D 9 stand-in: the object, its helpers and the pictures the
// device draws for the states the engine sets; and the device as a program
// written for Direct3D 9 relies on it: reference counts, threads, untextured
// stages, the light formulas, pixel centres of pre-transformed vertices.

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "D3D9TestSupport.h"
#include "dxerr.h"

using namespace gfx;

TEST(D3D9Object, ModesFormatsAndCapabilities)
{
    UseOffscreenVideo();
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_GT(mode.RefreshRate, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    const UINT modes = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    ASSERT_GE(modes, 1u);
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &mode), D3D_OK);
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, modes, &mode), D3DERR_INVALIDCALL);

    auto depthFormat = [d3d](D3DFORMAT format) {
        return d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format);
    };
    EXPECT_EQ(depthFormat(D3DFMT_D24S8), D3D_OK);
    EXPECT_EQ(depthFormat(D3DFMT_D15S1), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    DWORD levels = 99;
    const auto samples = static_cast<D3DMULTISAMPLE_TYPE>(17);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_NONE, nullptr), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, samples, &levels), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(levels, 0u);

    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.MaxSimultaneousTextures, 1u);
    EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR);
    EXPECT_GE(caps.MaxAnisotropy, 1u);
    EXPECT_EQ(d3d->Release(), 0u);
}

// Pictures.

using D3D9Scene = DeviceTest;

TEST_F(D3D9Scene, TextureTransformShiftsCoordinates)
{
    Camera();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Two texels: red on the left, green on the right.
    IDirect3DTexture9* texture = Texture(2, 1, {0xffff0000, 0xff00ff00}, D3DFMT_X8R8G8B8);
    ASSERT_NE(texture, nullptr);
    m_pDevice->SetTexture(0, texture);
    ColourStage(D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    const TexVertex quad[4] = {{-10, -10, 5, 0, 1}, {-10, 10, 5, 0, 0}, {10, -10, 5, 1, 1}, {10, 10, 5, 1, 0}};
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    Strip(quad, kTexFVF);
    EXPECT_EQ(Pixel(50, 48), 0xff0000u);
    EXPECT_EQ(Pixel(78, 48), 0x00ff00u);
    // Each draw takes the world matrix set before it.
    const TexVertex small[4] = {{-1, -1, 5, 0, 1}, {-1, 1, 5, 0, 0}, {1, -1, 5, 1, 1}, {1, 1, 5, 1, 0}};
    D3DMATRIX world = Identity();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    for (const float x : {-3.f, 3.f, 0.f})
    {
        world._41 = x;
        m_pDevice->SetTransform(D3DTS_WORLD, &world);
        if (x != 0.f)
            Strip(small, kTexFVF);
    }
    EXPECT_EQ(Pixel(64 - 48, 48), 0xff0000u);
    EXPECT_EQ(Pixel(64 + 32, 48), 0xff0000u);
    EXPECT_EQ(Pixel(64, 48), 0u);
    // u + 0.5: the left half now samples the right texel.
    D3DMATRIX shift = Identity();
    shift._31 = 0.5f;
    m_pDevice->SetTransform(D3DTS_TEXTURE0, &shift);
    m_pDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    Strip(quad, kTexFVF);
    EXPECT_EQ(Pixel(50, 48), 0x00ff00u);
    // Exp2 pixel fog at density 0.05 leaves exp(-(0.05 * 5)^2) at depth 5 and
    // brings in the fog colour.
    const float density = 0.05f;
    DWORD bits;
    memcpy(&bits, &density, 4);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    m_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0xff0000ff);
    m_pDevice->SetRenderState(D3DRS_FOGDENSITY, bits);
    Strip(quad, kTexFVF);
    EXPECT_NEAR(Green(Pixel(50, 48)), 255.f * std::exp(-0.0625f), 3.f);
    EXPECT_NEAR(Blue(Pixel(50, 48)), 255.f * (1.f - std::exp(-0.0625f)), 3.f);
    m_pDevice->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

namespace
{
class D3D9Fidelity : public DeviceTest
{
protected:
    // The public count as Release reports it, left unchanged.
    static DWORD Count(IUnknown* object)
    {
        object->AddRef();
        return object->Release();
    }

    // Red at the screen centre of a small square facing the camera at z = 5,
    // lit only by the given light (or by none).
    int LitRed(const D3DLIGHT9& light, BOOL enable = TRUE)
    {
        struct NormalVertex { float x, y, z, nx, ny, nz; };
        const float s = 0.2f;
        const NormalVertex quad[4] = {
            {-s, -s, 5, 0, 0, -1}, {-s, s, 5, 0, 0, -1}, {s, -s, 5, 0, 0, -1}, {s, s, 5, 0, 0, -1}};
        EXPECT_EQ(m_pDevice->SetLight(0, &light), D3D_OK);
        m_pDevice->LightEnable(0, enable);
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
        EXPECT_EQ(Strip(quad, D3DFVF_XYZ | D3DFVF_NORMAL), D3D_OK);
        return Red(Pixel(64, 48));
    }
};

// Buffers of both pools, locked, drawn indexed, checked against their sizes.
TEST_F(D3D9Fidelity, BuffersAreRangeCheckedAndBindingsKeepTheCountAndReleasedObjectsStayUsable)
{
    IDirect3DTexture9* texture = Texture(2, 2, {0xff00ff00});
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFVF, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    ASSERT_EQ(m_pDevice->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr), D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 1000, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    const ScreenVertex quad[4] = {{0, 0, 0, 1, 0xffffffff, 0, 0}, {64, 0, 0, 1, 0xffffffff, 1, 0},
                                  {0, 48, 0, 1, 0xffffffff, 0, 1}, {64, 48, 0, 1, 0xffffffff, 1, 1}};
    memcpy(data, quad, sizeof(quad));
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const WORD list[6] = {0, 1, 2, 2, 1, 3};
    memcpy(data, list, sizeof(list));
    ib->Unlock();

    UntexturedState();
    m_pDevice->SetTexture(0, texture);
    ColourStage(D3DTOP_MODULATE, D3DTA_TEXTURE);
    m_pDevice->SetStreamSource(0, vb, 0, sizeof(ScreenVertex));
    m_pDevice->SetIndices(ib);
    m_pDevice->SetFVF(kScreenFVF);
    // Beyond the index buffer, or indices beyond the vertices: refused.
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2), D3DERR_INVALIDCALL);
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
    EXPECT_EQ(Pixel(70, 10), 0u);
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
    IDirect3DTexture9* target = Texture(2, 2, {0xffff0000}, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
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
    EXPECT_EQ(Pixel(10, 10, device), 0x00ff00u);
    step = 2;
    drawer.join();
    EXPECT_EQ(Pixel(100, 10, device), 0x0000ffu);
    EXPECT_EQ(device->Release(), 0u);
}

TEST_F(D3D9Fidelity, LightsFollowRangeAttenuationAndTheSpotConeAndAmbientTakesTheMaterial)
{
    UntexturedState();
    Camera();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0);
    D3DMATERIAL9 material{};
    material.Diffuse = {1.f, 1.f, 1.f, 1.f};
    material.Ambient = {1.f, 1.f, 1.f, 1.f};
    m_pDevice->SetMaterial(&material);
    // The square's centre is 5 units in front of the light at the origin; a
    // light of diffuse 0 shines with ambient 1.
    auto light = [](D3DLIGHTTYPE type, float range, float att0, float att1, float diffuse = 1.f,
                    D3DVECTOR direction = {0.f, 0.f, 1.f}, float falloff = 1.f) {
        D3DLIGHT9 l{};
        l.Type = type;
        l.Diffuse = {diffuse, diffuse, diffuse, diffuse};
        l.Ambient = {1.f - diffuse, 1.f - diffuse, 1.f - diffuse, 1.f - diffuse};
        l.Direction = direction;
        l.Range = range;
        l.Attenuation0 = att0;
        l.Attenuation1 = att1;
        l.Theta = 0.4f;
        l.Phi = 1.f;
        l.Falloff = falloff;
        return l;
    };
    // Aimed 0.35 rad off: between the inner (0.2) and outer (0.5) half angles.
    // Lit per vertex: tilted across the square's diagonal, both ends of the
    // diagonal (and so the centre) see the same angle.
    const float off = 0.35f, length = std::sqrt(0.08f + 25.f), rho = 5.f * std::cos(off) / length;
    const float fraction = (rho - std::cos(0.5f)) / (std::cos(0.2f) - std::cos(0.5f)), facing = 5.f / length;
    const D3DVECTOR tilted = {std::sin(off) / std::sqrt(2.f), std::sin(off) / std::sqrt(2.f), std::cos(off)};
    const struct { const char* what; D3DLIGHT9 light; float expected; } cases[] = {
        {"point beyond its range", light(D3DLIGHT_POINT, 4.f, 1.f, 0.f), 0.f},
        {"point within its range", light(D3DLIGHT_POINT, 10.f, 1.f, 0.f), 1.f},
        {"linear attenuation", light(D3DLIGHT_POINT, 10.f, 0.f, 0.4f), 0.5f},
        {"spot inside the inner cone", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f), 1.f},
        {"attenuated ambient", light(D3DLIGHT_POINT, 10.f, 2.f, 0.f, 0.f), 0.5f},
        {"ambient beyond the range", light(D3DLIGHT_POINT, 4.f, 2.f, 0.f, 0.f), 0.f},
        {"spot aimed away", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f, 1.f, {0.f, 0.f, -1.f}), 0.f},
        {"spot between the cones", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f, 1.f, tilted, 1.f), fraction * facing},
        {"spot between the cones, falloff 2", light(D3DLIGHT_SPOT, 10.f, 1.f, 0.f, 1.f, tilted, 2.f), fraction * fraction * facing},
        {"directional, range unset", light(D3DLIGHT_DIRECTIONAL, 0.f, 1.f, 0.f), 1.f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(LitRed(c.light), 255.f * c.expected, 2.f) << c.what;
    // A light's colour shades by the normal; a disabled light shades nothing.
    D3DLIGHT9 green = light(D3DLIGHT_DIRECTIONAL, 0.f, 1.f, 0.f);
    green.Diffuse = {0.f, 1.f, 0.f, 1.f};
    LitRed(green);
    EXPECT_EQ(Pixel(64, 48), 0x00ff00u);
    LitRed(green, FALSE);
    EXPECT_EQ(Pixel(64, 48), 0u);

    // The ambient light times the material's ambient, at the diffuse alpha, on
    // a vertex without colour or normal: (0.5 × 1, 0.5 × 0.5, 0) at alpha 0.5 over black.
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0xff808080);
    material.Diffuse = {1.f, 1.f, 1.f, 0.5f};
    material.Ambient = {1.f, 0.5f, 0.f, 0.f};
    m_pDevice->SetMaterial(&material);
    AlphaBlend();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    const TexVertex quad[4] = {{-10, -10, 5, 0, 0}, {-10, 10, 5, 0, 0}, {10, -10, 5, 0, 0}, {10, 10, 5, 0, 0}};
    ASSERT_EQ(Strip(quad, kTexFVF), D3D_OK);
    EXPECT_NEAR(Red(Pixel(64, 48)), 64, 2);
    EXPECT_NEAR(Green(Pixel(64, 48)), 32, 2);
    EXPECT_EQ(Blue(Pixel(64, 48)), 0);
}

TEST_F(D3D9Fidelity, OverlayWithTheHalfPixelOffsetMapsEachTexelOntoOnePixel)
{
    // 2 × 2 texels filtered linearly: each pixel shows its own texel unmixed.
    const std::vector<DWORD> texels = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    IDirect3DTexture9* texture = Texture(2, 2, texels, D3DFMT_X8R8G8B8);
    ASSERT_NE(texture, nullptr);
    UntexturedState();
    m_pDevice->SetTexture(0, texture);
    ColourStage(D3DTOP_SELECTARG1, D3DTA_TEXTURE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    ASSERT_EQ(DrawRect(10 - 0.5f, 20 - 0.5f, 12 - 0.5f, 22 - 0.5f, 0xffffffff), D3D_OK);
    for (int i = 0; i < 4; i++)
        for (int shift : {0, 8, 16})
            EXPECT_NEAR(Pixel(10 + i % 2, 20 + i / 2) >> shift & 0xff, texels[i] >> shift & 0xff, 2) << i;
    EXPECT_EQ(Pixel(12, 20), 0u);
    EXPECT_EQ(Pixel(10, 22), 0u);
    m_pDevice->SetTexture(0, nullptr);
    texture->Release();
}

}   // namespace
