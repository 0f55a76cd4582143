// The device's life: state blocks, device loss and reset, full-screen windows,
// window messages.

#include "D3D9TestSupport.h"
#include "aeWindowHooks.h"

using namespace gfx;

using D3D9StateBlock = DeviceTest;

TEST_F(D3D9StateBlock, CapturesAndAppliesEveryState)
{
    IDirect3DTexture9* texture = Texture(4, 4, {0});
    m_pDevice->SetTexture(0, texture);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(m_pDevice->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);

    // Change a little of everything.
    m_pDevice->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);   // the block still holds it, unseen by the count
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    m_pDevice->SetFVF(kScreenFVF);
    D3DMATRIX m{};
    m._11 = 2.f;
    m_pDevice->SetTransform(D3DTS_VIEW, &m);
    D3DMATERIAL9 material{};
    material.Power = 7.f;
    m_pDevice->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    m_pDevice->SetLight(2, &light);
    m_pDevice->LightEnable(2, TRUE);

    // Render states such as fog and the colour mask come back as in
    // AppFixture.AppStateSwitchRestoresTheStartUpRenderStatesAndTheTextFollowsTheOptions.
    ASSERT_EQ(block->Apply(), D3D_OK);
    DWORD value = 0;
    m_pDevice->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
    m_pDevice->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    m_pDevice->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
    m_pDevice->GetFVF(&value);
    EXPECT_EQ(value, 0u);
    m_pDevice->GetTransform(D3DTS_VIEW, &m);
    EXPECT_EQ(m._11, 1.f);
    m_pDevice->GetMaterial(&material);
    EXPECT_EQ(material.Power, 0.f);
    BOOL on = TRUE;
    EXPECT_EQ(m_pDevice->GetLightEnable(2, &on), D3DERR_INVALIDCALL);   // the light did not exist then
    IDirect3DBaseTexture9* bound = nullptr;
    m_pDevice->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture);
    bound->Release();

    // Capture takes the current states.
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0xff102030);
    block->Capture();
    m_pDevice->SetRenderState(D3DRS_AMBIENT, 0);
    block->Apply();
    m_pDevice->GetRenderState(D3DRS_AMBIENT, &value);
    EXPECT_EQ(value, 0xff102030u);

    m_pDevice->SetTexture(0, nullptr);
    EXPECT_EQ(block->Release(), 0u);
}

using D3D9DeviceLoss = DeviceTest;

TEST_F(D3D9DeviceLoss, ForcedLossIsReportedUntilResetOrRecreation)
{
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3D_OK);
    aeD3D9ForceDeviceLost(m_pDevice);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

    // Reset waits for the default-pool resources to go.
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(m_pDevice->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, kTexFVF, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    EXPECT_EQ(m_pDevice->Reset(&m_Params), D3DERR_INVALIDCALL);
    vb->Release();
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(m_pDevice->Reset(&m_Params), D3D_OK);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3D_OK);
    DWORD cull = 0;
    m_pDevice->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));   // states are back at their defaults

    UntexturedState();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.f, 0);
    DrawRect(0, 0, 8, 8, 0xff00ff00);
    EXPECT_EQ(Pixel(2, 2), 0x00ff00u);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    // Lost again: released, and created anew once creation is no longer blocked.
    aeD3D9ForceDeviceLost(m_pDevice);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->Release(), 0u);
    m_pDevice = nullptr;

    aeD3D9BlockDeviceCreation(1);
    D3DPRESENT_PARAMETERS params = m_Params;
    EXPECT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, 0, &params, &m_pDevice), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice, nullptr);
    aeD3D9BlockDeviceCreation(0);
    ASSERT_EQ(m_pD3D->CreateDevice(0, D3DDEVTYPE_HAL, m_hWindow, 0, &params, &m_pDevice), D3D_OK);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

using D3D9Window = DeviceTest;

TEST_F(D3D9Window, FullScreenDeviceScalesAndIsLostWhileMinimised)
{
    ASSERT_EQ(RecreateFullScreen(320, 240, D3DCREATE_MIXED_VERTEXPROCESSING), D3D_OK);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 320u);
    EXPECT_EQ(desc.Height, 240u);
    surface->Release();
    UntexturedState();
    m_pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
    DrawRect(300, 220, 320, 240, 0xffffffff);
    EXPECT_EQ(Pixel(319, 239), 0xffffffu);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    ShowWindow(m_hWindow, SW_MINIMIZE);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(m_pDevice->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(RecreateFullScreen(320, 240), D3DERR_DEVICELOST);
    ShowWindow(m_hWindow, SW_RESTORE);
    ASSERT_EQ(RecreateFullScreen(320, 240), D3D_OK);
    EXPECT_EQ(m_pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

namespace
{
int s_iCloses = 0;
int s_iLastActivate = -1;
LRESULT TestProc(HWND, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_CLOSE)
        s_iCloses++;
    else if (message == WM_ACTIVATE)
        s_iLastActivate = static_cast<int>(wParam & 0xffff);
    return 1;
}
}   // namespace

TEST_F(D3D9Window, MessagesReachTheWindowProcedure)
{
    EXPECT_EQ(aeGetWindowProc(m_hWindow), nullptr);
    aeSetWindowProc(m_hWindow, TestProc);
    EXPECT_EQ(SendMessageA(m_hWindow, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(SendMessageA(m_hWindow, WM_ACTIVATE, WA_INACTIVE, 0), 1);
    EXPECT_EQ(s_iCloses, 1);
    EXPECT_EQ(s_iLastActivate, WA_INACTIVE);
    // The frame loop's pump is installed with the window and runs quietly.
    EXPECT_EQ(aePumpMessages(), 0);
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
    EXPECT_EQ(aeCreateWindow("x", 0, 10, nullptr), nullptr);
    EXPECT_EQ(SendMessageA(nullptr, WM_CLOSE, 0, 0), 0);
}
