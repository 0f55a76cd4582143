// The Direct3D 9 stand-in: the object, its constants and the pictures the
// device draws for the states the engine sets.

#include <cmath>

#include "D3D9TestSupport.h"
#include "dxerr.h"

using namespace gfx;

// ---------------------------------------------------------------------------
// Object, constants, helpers
// ---------------------------------------------------------------------------

TEST(D3D9Object, ConstantsKeepTheirDirect3DValues)
{
    EXPECT_EQ(D3DRS_COLORWRITEENABLE, 168);
    EXPECT_EQ(D3DRS_AMBIENT, 139);
    EXPECT_EQ(D3DRS_FOGDENSITY, 38);
    EXPECT_EQ(D3DTSS_TEXTURETRANSFORMFLAGS, 24);
    EXPECT_EQ(D3DSAMP_MAXANISOTROPY, 10);
    EXPECT_EQ(static_cast<int>(D3DTS_WORLD), 256);
    EXPECT_EQ(kScreenFVF, 0x144u);
    EXPECT_EQ(kTexFVF, 0x102u);
    EXPECT_EQ(static_cast<uint32_t>(D3DERR_DEVICELOST), 0x88760868u);
    EXPECT_EQ(static_cast<uint32_t>(D3DERR_INVALIDCALL), 0x8876086Cu);
    EXPECT_EQ(static_cast<uint32_t>(D3DXERR_INVALIDDATA), 0x88760B59u);
}

TEST(D3D9Object, VertexSizesFollowTheFormat)
{
    EXPECT_EQ(D3DXGetFVFVertexSize(kTexFVF), 20u);
    EXPECT_EQ(D3DXGetFVFVertexSize(kScreenFVF), 28u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2), 44u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0)), 24u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB2 | D3DFVF_SPECULAR), 24u);
}

TEST(D3D9Object, ErrorNamesAndDescriptions)
{
    EXPECT_STREQ(DXGetErrorString9(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
    EXPECT_STREQ(DXGetErrorString9(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
    EXPECT_STREQ(DXGetErrorString9(D3DXERR_INVALIDDATA), "D3DXERR_INVALIDDATA");
    EXPECT_STREQ(DXGetErrorDescription9(D3DERR_NOTAVAILABLE), "This device does not support the queried technique.");
    EXPECT_STREQ(DXGetErrorString9(static_cast<HRESULT>(0x8123abcd)), "Unknown");
}

TEST(D3D9Object, PerspectiveMatrixIsLeftHanded)
{
    D3DXMATRIX m;
    ASSERT_EQ(D3DXMatrixPerspectiveFovLH(&m, 1.2217305f, 4.f / 3.f, 0.1f, 200.f), &m);
    const float y = 1.f / std::tan(1.2217305f / 2.f);
    EXPECT_FLOAT_EQ(m._22, y);
    EXPECT_FLOAT_EQ(m._11, y * 0.75f);
    EXPECT_FLOAT_EQ(m._33, 200.f / 199.9f);
    EXPECT_FLOAT_EQ(m._43, -0.1f * 200.f / 199.9f);
    EXPECT_EQ(m._34, 1.f);
    EXPECT_EQ(m._44, 0.f);
}

TEST(D3D9Object, ModesFormatsAndCapabilities)
{
    UseOffscreenVideo();
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE desktop;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_GT(desktop.Width, 0u);
    EXPECT_GT(desktop.RefreshRate, 0u);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    const UINT modes = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    ASSERT_GE(modes, 1u);
    D3DDISPLAYMODE mode;
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &mode), D3D_OK);
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, modes, &mode), D3DERR_INVALIDCALL);

    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_D24S8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_NONE, nullptr),
              D3D_OK);
    DWORD levels = 99;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE,
                                              static_cast<D3DMULTISAMPLE_TYPE>(17), &levels),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(levels, 0u);

    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.MaxSimultaneousTextures, 1u);
    EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR);
    EXPECT_GE(caps.MaxAnisotropy, 1u);
    EXPECT_EQ(d3d->Release(), 0u);
}

// ---------------------------------------------------------------------------
// Pictures
// ---------------------------------------------------------------------------

using D3D9Draw = DeviceTest;

TEST_F(D3D9Draw, PretransformedRectangleCoversExactPixelsFromTheTopLeft)
{
    UntexturedState();
    ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0), D3D_OK);
    ASSERT_EQ(m_pDevice->BeginScene(), D3D_OK);
    ASSERT_EQ(DrawRect(10, 20, 30, 40, 0xffff0000), D3D_OK);
    ASSERT_EQ(m_pDevice->EndScene(), D3D_OK);
    EXPECT_EQ(Pixel(10, 20), 0xff0000u);
    EXPECT_EQ(Pixel(29, 39), 0xff0000u);
    EXPECT_EQ(Pixel(9, 20), 0u);
    EXPECT_EQ(Pixel(10, 19), 0u);
    EXPECT_EQ(Pixel(30, 39), 0u);
    EXPECT_EQ(Pixel(29, 40), 0u);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(D3D9Draw, ClearRejectsDepthOutsideTheRangeAndFillsTheTarget)
{
    EXPECT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, -0.1f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff123456, 1.f, 0), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0x123456u);
    EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), 0x123456u);
    const D3DRECT rect = {4, 4, 8, 8};
    EXPECT_EQ(m_pDevice->Clear(1, &rect, D3DCLEAR_TARGET, 0xffffffff, 1.f, 0), D3D_OK);
    EXPECT_EQ(Pixel(4, 4), 0xffffffu);
    EXPECT_EQ(Pixel(8, 8), 0x123456u);
}

TEST_F(D3D9Draw, ColourWriteMaskLimitsDrawingButNotClearing)
{
    UntexturedState();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
    DrawRect(0, 0, 64, 96, 0xffffffff);
    EXPECT_EQ(Pixel(10, 10), 0xff0000u);
    m_pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 10);   // green and alpha
    DrawRect(32, 0, 128, 96, 0xffffffff);
    EXPECT_EQ(Pixel(40, 10), 0xffff00u);
    EXPECT_EQ(Pixel(100, 10), 0x00ff00u);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff808080, 1.f, 0);
    EXPECT_EQ(Pixel(10, 10), 0x808080u);
}

TEST_F(D3D9Draw, AlphaBlendingDependsOnOrder)
{
    UntexturedState();
    m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Left: opaque red, then half-transparent blue over it.
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    DrawRect(0, 0, 64, 96, 0xffff0000);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    DrawRect(0, 0, 64, 96, 0x800000ff);
    // Right: blended blue first (over black), then opaque red replaces it.
    DrawRect(64, 0, 128, 96, 0x800000ff);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    DrawRect(64, 0, 128, 96, 0xffff0000);
    const DWORD left = Pixel(20, 20), right = Pixel(100, 20);
    EXPECT_NEAR(Red(left), 127, 2);
    EXPECT_NEAR(Blue(left), 128, 2);
    EXPECT_EQ(right, 0xff0000u);
}

TEST_F(D3D9Draw, DepthTestKeepsTheNearerSurface)
{
    UntexturedState();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    m_pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    DrawRect(0, 0, 128, 96, 0xffff0000, 0.2f);
    DrawRect(0, 0, 64, 96, 0xff00ff00, 0.8f);
    EXPECT_EQ(Pixel(10, 10), 0xff0000u);
    // Without depth writes the far green surface does not hide what follows.
    m_pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    m_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawRect(0, 0, 64, 96, 0xff00ff00, 0.8f);
    EXPECT_EQ(Pixel(10, 10), 0x00ff00u);
    // The depth buffer still holds 0.2 everywhere: a surface at 0.5 is hidden.
    m_pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    m_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    DrawRect(0, 0, 128, 96, 0xff0000ff, 0.5f);
    EXPECT_EQ(Pixel(10, 10), 0x00ff00u);
    EXPECT_EQ(Pixel(100, 10), 0xff0000u);
    DrawRect(0, 0, 128, 96, 0xff0000ff, 0.1f);
    EXPECT_EQ(Pixel(100, 10), 0x0000ffu);
}

TEST_F(D3D9Draw, CullingFollowsScreenWinding)
{
    UntexturedState();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    // Clockwise on screen (y grows downwards): top-left, top-right, bottom-left.
    const ScreenVertex clockwise[3] = {{0, 0, 0, 1, 0xffffffff, 0, 0},
                                       {128, 0, 0, 1, 0xffffffff, 0, 0},
                                       {0, 96, 0, 1, 0xffffffff, 0, 0}};
    m_pDevice->SetFVF(kScreenFVF);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
    EXPECT_EQ(Pixel(5, 5), 0xffffffu);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
    EXPECT_EQ(Pixel(5, 5), 0u);
}

class D3D9Scene : public DeviceTest
{
protected:
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

    // A large white square facing the camera at depth z.
    void Wall(float z, D3DCOLOR color = 0xffffffff)
    {
        const float s = z * 2.f;
        const ColorVertex quad[4] = {{-s, -s, z, color}, {-s, s, z, color}, {s, -s, z, color}, {s, s, z, color}};
        m_pDevice->SetFVF(kColorFVF);
        ASSERT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
    }

    float FogColourAt(float z)
    {
        m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
        Wall(z);
        return static_cast<float>(Red(Pixel(64, 48)));
    }
};

TEST_F(D3D9Scene, Exp2PixelFogDarkensWithDistance)
{
    UntexturedState();
    Camera();
    const float density = 0.05f;
    DWORD bits;
    memcpy(&bits, &density, 4);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_NONE);
    m_pDevice->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    m_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0);
    m_pDevice->SetRenderState(D3DRS_FOGDENSITY, bits);
    const float near = FogColourAt(5.f), middle = FogColourAt(20.f), far = FogColourAt(40.f);
    EXPECT_NEAR(near, 255.f * std::exp(-0.0625f), 3.f);
    EXPECT_NEAR(middle, 255.f * std::exp(-1.f), 3.f);
    EXPECT_NEAR(far, 255.f * std::exp(-4.f), 3.f);
    // Fog colour shows through; without fog the wall is white.
    m_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0xff0000ff);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    Wall(40.f);
    EXPECT_GT(Blue(Pixel(64, 48)), 240);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
    EXPECT_EQ(FogColourAt(40.f), 255.f);
}

TEST_F(D3D9Scene, LightingUsesAmbientTimesMaterialAmbientAndDiffuseAlpha)
{
    UntexturedState();
    Camera();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0xff808080);
    D3DMATERIAL9 material{};
    material.Diffuse = {1.f, 1.f, 1.f, 0.5f};
    material.Ambient = {1.f, 0.5f, 0.f, 0.f};
    m_pDevice->SetMaterial(&material);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    // A model vertex: position and texture coordinates, no colour, no normal.
    const TexVertex quad[4] = {{-10, -10, 5, 0, 0}, {-10, 10, 5, 0, 0}, {10, -10, 5, 0, 0}, {10, 10, 5, 0, 0}};
    m_pDevice->SetFVF(kTexFVF);
    ASSERT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex)), D3D_OK);
    const DWORD lit = Pixel(64, 48);
    // (0.5 × 1, 0.5 × 0.5, 0) at alpha 0.5 over black.
    EXPECT_NEAR(Red(lit), 64, 2);
    EXPECT_NEAR(Green(lit), 32, 2);
    EXPECT_EQ(Blue(lit), 0);
}

TEST_F(D3D9Scene, DirectionalLightShadesByTheNormal)
{
    UntexturedState();
    Camera();
    struct NormalVertex
    {
        float x, y, z, nx, ny, nz;
    };
    const NormalVertex quad[4] = {{-10, -10, 5, 0, 0, -1}, {-10, 10, 5, 0, 0, -1}, {10, -10, 5, 0, 0, -1},
                                  {10, 10, 5, 0, 0, -1}};
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0);
    D3DMATERIAL9 material{};
    material.Diffuse = {1.f, 1.f, 1.f, 1.f};
    m_pDevice->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.f, 1.f, 0.f, 1.f};
    light.Direction = {0.f, 0.f, 1.f};
    ASSERT_EQ(m_pDevice->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(m_pDevice->LightEnable(0, TRUE), D3D_OK);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    m_pDevice->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
    ASSERT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex)), D3D_OK);
    EXPECT_EQ(Pixel(64, 48), 0x00ff00u);
    m_pDevice->LightEnable(0, FALSE);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(NormalVertex));
    EXPECT_EQ(Pixel(64, 48), 0u);
}

TEST_F(D3D9Scene, IndexedTrianglesFromBuffersAndRangeChecks)
{
    UntexturedState();
    Camera();
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(4 * sizeof(ColorVertex), D3DUSAGE_WRITEONLY, kColorFVF, D3DPOOL_DEFAULT,
                                            &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(m_pDevice->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 1000, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    const ColorVertex vertices[4] = {
        {-10, -10, 5, 0xff00ffff}, {-10, 10, 5, 0xff00ffff}, {10, 10, 5, 0xff00ffff}, {10, -10, 5, 0xff00ffff}};
    memcpy(data, vertices, sizeof(vertices));
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    memcpy(data, indices, sizeof(indices));
    ib->Unlock();
    m_pDevice->SetStreamSource(0, vb, 0, sizeof(ColorVertex));
    m_pDevice->SetIndices(ib);
    m_pDevice->SetFVF(kColorFVF);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    ASSERT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(Pixel(64, 48), 0x00ffffu);
    // Beyond the index buffer, or indices beyond the vertices: refused.
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 2, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    m_pDevice->SetStreamSource(0, nullptr, 0, 0);
    m_pDevice->SetIndices(nullptr);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(ib->Release(), 0u);
}

TEST_F(D3D9Scene, TextureTransformShiftsCoordinates)
{
    Camera();
    m_pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    // Two texels: red on the left, green on the right.
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(m_pDevice->CreateTexture(2, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    const DWORD texels[2] = {0xffff0000, 0xff00ff00};
    memcpy(locked.pBits, texels, 8);
    texture->UnlockRect(0);
    m_pDevice->SetTexture(0, texture);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    const TexVertex quad[4] = {{-10, -10, 5, 0, 1}, {-10, 10, 5, 0, 0}, {10, -10, 5, 1, 1}, {10, 10, 5, 1, 0}};
    m_pDevice->SetFVF(kTexFVF);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex));
    EXPECT_EQ(Pixel(50, 48), 0xff0000u);
    EXPECT_EQ(Pixel(78, 48), 0x00ff00u);
    // u + 0.5: the left half now samples the right texel.
    D3DMATRIX shift{};
    shift._11 = shift._22 = shift._33 = shift._44 = 1.f;
    shift._31 = 0.5f;
    m_pDevice->SetTransform(D3DTS_TEXTURE0, &shift);
    m_pDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexVertex));
    EXPECT_EQ(Pixel(50, 48), 0x00ff00u);
    m_pDevice->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(D3D9Scene, EachDrawUsesTheWorldMatrixSetBeforeIt)
{
    UntexturedState();
    Camera();
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.f;
    auto drawAt = [&](float x, D3DCOLOR color) {
        world._41 = x;
        m_pDevice->SetTransform(D3DTS_WORLD, &world);
        const ColorVertex quad[4] = {{-1, -1, 5, color}, {-1, 1, 5, color}, {1, -1, 5, color}, {1, 1, 5, color}};
        m_pDevice->SetFVF(kColorFVF);
        ASSERT_EQ(m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
    };
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    // Left, the same place again, right, back to the left: every draw where its matrix says.
    drawAt(-3.f, 0xffff0000);
    drawAt(-3.f, 0xff00ff00);
    drawAt(3.f, 0xff0000ff);
    drawAt(-3.f, 0xffffffff);
    drawAt(0.f, 0xffffff00);
    EXPECT_EQ(Pixel(64, 48), 0xffff00u);
    EXPECT_EQ(Pixel(64 - 35, 48), 0xffffffu);
    EXPECT_EQ(Pixel(64 + 35, 48), 0x0000ffu);
    // A new view moves what the same world matrix places.
    D3DMATRIX view{};
    view._11 = view._22 = view._33 = view._44 = 1.f;
    view._41 = 3.f;
    m_pDevice->SetTransform(D3DTS_VIEW, &view);
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    drawAt(-3.f, 0xffff0000);
    EXPECT_EQ(Pixel(64, 48), 0xff0000u);
    EXPECT_EQ(Pixel(64 - 35, 48), 0u);
}

TEST_F(D3D9Draw, FramesPresentedInARowKeepTheLastFrameReadable)
{
    UntexturedState();
    for (int frame = 0; frame < 6; frame++)
    {
        const D3DCOLOR colour = 0xff000000 | static_cast<D3DCOLOR>(frame * 0x202020 + 0x101010);
        ASSERT_EQ(m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0), D3D_OK);
        ASSERT_EQ(m_pDevice->BeginScene(), D3D_OK);
        ASSERT_EQ(DrawRect(static_cast<float>(frame * 10), 0, static_cast<float>(frame * 10 + 10), 10, colour), D3D_OK);
        ASSERT_EQ(m_pDevice->EndScene(), D3D_OK);
        ASSERT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    // The back buffer still holds the last frame, and only it.
    EXPECT_EQ(Pixel(55, 5), 0xb0b0b0u);
    EXPECT_EQ(Pixel(45, 5), 0u);
}
