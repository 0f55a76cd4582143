#include "aeGrafik.h"
#include "aeConfig.h"
#include "aeDirectory.h"
#include "aeError.h"
#include "aeIndexBuffer.h"
#include "aeLog.h"
#include "aeMain.h"
#include "aeModelMaterial.h"
#include "aeVertexBuffer.h"
#include "d3dx9.h"

#include <cstdio>
#include <cstring>

int aeGrafik::m_bInitialized = 0;
HWND aeGrafik::m_hWindow = nullptr;
IDirect3D9* aeGrafik::m_pD3D = nullptr;
IDirect3DDevice9* aeGrafik::m_pD3DDevice = nullptr;
D3DCAPS9 aeGrafik::m_Caps = {};
D3DPRESENT_PARAMETERS aeGrafik::m_PresentParams = {};
char aeGrafik::m_acScreenshot[256] = "";
int aeGrafik::m_bScreenshotFailed = 0;
Vector2 aeGrafik::m_vScreenSize(0.0f, 0.0f);

namespace
{
const char* kNoDirect3D = "Fehler beim Erstellen der IDirect3D9-Schnittstelle! DirectX 9 oder höher wird benötigt!";

// The screen rectangle's vertex: pre-transformed position, tint, one texture
// coordinate pair (28 bytes).
struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28);

void WriteConfiguration(bool fullScreen)
{
    if (aeLog::IsInitialized())
        aeLog::WriteDirect("\r\n--- Konfiguration ---\r\n");
    const D3DDISPLAYMODE& mode = aeConfig::m_VideoMode;
    aeLog::Write(fullScreen ? "Direct3D-Konfiguration: Auflösung: %d x %d" : "Direct3D-Konfiguration: Fenstergröße: %d x %d",
                 static_cast<int>(mode.Width), static_cast<int>(mode.Height));
    char name[64];
    GetD3DFormatString(mode.Format, name);
    aeLog::Write("Direct3D-Konfiguration: Buffer-Format: %s", name);
    if (fullScreen)
        aeLog::Write("Direct3D-Konfiguration: Bildschirmaktualisierungsrate: %d Hz", static_cast<int>(mode.RefreshRate));
    GetD3DFormatString(aeConfig::m_ZStencilBufferFormat, name);
    aeLog::Write("Direct3D-Konfiguration: Z-Stencil-Buffer-Format: %s", name);
    char samples[32];
    if (aeConfig::m_MultiSampling == D3DMULTISAMPLE_NONE)
        std::strcpy(samples, "Kein Multi-Sampling");
    else
        std::snprintf(samples, sizeof(samples), "%d Samples", static_cast<int>(aeConfig::m_MultiSampling));
    aeLog::Write("Direct3D-Konfiguration: Multi-Sampling: %s", samples);
    if (aeLog::IsInitialized())
        aeLog::WriteDirect("\r\n--- Initialisierung ---\r\n");
}

D3DPRESENT_PARAMETERS PresentParameters(bool fullScreen)
{
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = aeConfig::m_VideoMode.Width;
    pp.BackBufferHeight = aeConfig::m_VideoMode.Height;
    pp.BackBufferFormat = aeConfig::m_VideoMode.Format;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = aeConfig::m_MultiSampling;
    pp.MultiSampleQuality = 0;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = aeGrafik::m_hWindow;
    pp.Windowed = fullScreen ? FALSE : TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = aeConfig::m_ZStencilBufferFormat;
    pp.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    pp.FullScreen_RefreshRateInHz = fullScreen ? aeConfig::m_VideoMode.RefreshRate : 0;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    return pp;
}

// Anisotropic filtering where the device offers it, else linear; linear mips.
void SetUpSamplers()
{
    IDirect3DDevice9* device = aeGrafik::m_pD3DDevice;
    const D3DCAPS9& caps = aeGrafik::m_Caps;
    for (DWORD s = 0; s < caps.MaxSimultaneousTextures; ++s)
    {
        device->SetSamplerState(s, D3DSAMP_MINFILTER,
                                (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR);
        device->SetSamplerState(s, D3DSAMP_MAGFILTER,
                                (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR);
        device->SetSamplerState(s, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(s, D3DSAMP_MAXANISOTROPY, caps.MaxAnisotropy);
    }
}

// Unbinds everything from the device and releases it and the Direct3D object.
void ReleaseDevice()
{
    if (IDirect3DDevice9* device = aeGrafik::m_pD3DDevice)
    {
        for (DWORD s = 0; s < aeGrafik::m_Caps.MaxSimultaneousTextures; ++s)
            device->SetTexture(s, nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->Release();
        aeGrafik::m_pD3DDevice = nullptr;
    }
    if (aeGrafik::m_pD3D)
    {
        aeGrafik::m_pD3D->Release();
        aeGrafik::m_pD3D = nullptr;
    }
}

void SetStageOp(DWORD colorOp)
{
    IDirect3DDevice9* device = aeGrafik::m_pD3DDevice;
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, colorOp);
}

// Creates the Direct3D object and the device for the window; logs failures.
int CreateDevice(const char* function, bool fullScreen, DWORD behaviour, const D3DPRESENT_PARAMETERS& params)
{
    aeGrafik::m_pD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!aeGrafik::m_pD3D)
    {
        aeReportError(__FILE_NAME__, __LINE__, function, "%s", kNoDirect3D);
        if (std::strcmp(function, "aeGrafik::Restore") != 0)
            aeGrafik::DoMessageBox(kNoDirect3D, "Fehler", MB_ICONEXCLAMATION);
        return 0;
    }
    D3DPRESENT_PARAMETERS pp = params;
    const HRESULT hr = aeGrafik::m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, aeGrafik::m_hWindow, behaviour,
                                                      &pp, &aeGrafik::m_pD3DDevice);
    if (FAILED(hr))
    {
        aeReportDXError(__FILE_NAME__, __LINE__, function, "m_pD3D->CreateDevice", hr);
        aeGrafik::m_pD3DDevice = nullptr;
        return 0;
    }
    (void)fullScreen;
    return 1;
}

// What both starts share once the window exists.
int StartDevice(bool fullScreen)
{
    WriteConfiguration(fullScreen);
    const D3DPRESENT_PARAMETERS pp = PresentParameters(fullScreen);
    if (!CreateDevice("aeGrafik::Init", fullScreen, D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, pp))
    {
        ReleaseDevice();
        return 0;
    }
    aeGrafik::m_PresentParams = pp;
    aeGrafik::m_pD3DDevice->GetDeviceCaps(&aeGrafik::m_Caps);
    if (fullScreen)
    {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
        ShowCursor(FALSE);
    }
    else
        ShowCursor(TRUE);
    aeGrafik::m_pD3DDevice->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    aeGrafik::m_pD3DDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    SetUpSamplers();
    aeGrafik::SetScreenSize(Vector2(static_cast<float>(aeConfig::m_VideoMode.Width),
                                    static_cast<float>(aeConfig::m_VideoMode.Height)));
    aeGrafik::m_acScreenshot[0] = 0;
    aeLog::Write("Direct3D wurde initialisiert!");
    aeGrafik::m_bInitialized = 1;
    return 1;
}
}

int aeGrafik::Init(const char* title, HICON icon)
{
    if (m_bInitialized)
        Exit();
    if (!m_hWindow)
    {
        m_hWindow = aeCreateWindow(title ? title : "", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), &WindowProc);
        if (!m_hWindow)
        {
            AE_ERROR("aeGrafik::Init", "Erstellung des Fensters ist fehlgeschlagen!");
            return 0;
        }
        aeLog::Write("Das Fenster wurde erstellt!");
    }
    // The icon belongs to the engine's window, also to one made by an earlier start.
    if (icon)
        aeSetWindowIcon(m_hWindow, icon);
    return StartDevice(true);
}

int aeGrafik::Init(HWND window)
{
    if (m_bInitialized)
        Exit();
    m_hWindow = window;
    return StartDevice(false);
}

void aeGrafik::Exit()
{
    if (!m_bInitialized)
        return;
    ReleaseDevice();
    ShowCursor(TRUE);
    aeLog::Write("Direct3D wurde beendet!");
    m_bInitialized = 0;
}

int aeGrafik::Restore()
{
    ReleaseDevice();
    m_bInitialized = 0;
    if (!CreateDevice("aeGrafik::Restore", IsFullScreen(), D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED,
                      m_PresentParams))
    {
        ReleaseDevice();
        return 0;
    }
    m_pD3DDevice->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    m_pD3DDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    SetUpSamplers();
    m_acScreenshot[0] = 0;
    Reset();
    m_bInitialized = 1;
    aeLog::Write("Direct3D wurde restauriert!");
    return 1;
}

void aeGrafik::Reset()
{
    IDirect3DDevice9* device = m_pD3DDevice;
    if (!device)
        return;
    device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetTexture(0, nullptr);
    SetStageOp(D3DTOP_SELECTARG1);
}

int aeGrafik::Clear(DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if (!(z >= 0.0f && z <= 1.0f))
    {
        AE_INVALID_PARAMETER("aeGrafik::Clear");
        return 0;
    }
    const HRESULT hr = m_pD3DDevice->Clear(0, nullptr, flags, color, z, stencil);
    if (FAILED(hr))
    {
        AE_DXERROR("aeGrafik::Clear", "m_pD3DDevice->Clear", hr);
        return 0;
    }
    return 1;
}

int aeGrafik::BeginScene()
{
    const HRESULT hr = m_pD3DDevice->BeginScene();
    if (FAILED(hr))
    {
        AE_DXERROR("aeGrafik::BeginScene", "m_pD3DDevice->BeginScene", hr);
        return 0;
    }
    return 1;
}

int aeGrafik::EndScene()
{
    const HRESULT hr = m_pD3DDevice->EndScene();
    if (FAILED(hr))
    {
        AE_DXERROR("aeGrafik::EndScene", "m_pD3DDevice->EndScene", hr);
        return 0;
    }
    return 1;
}

int aeGrafik::Present()
{
    HRESULT hr = m_pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (hr == D3DERR_DEVICELOST)
        return 0;
    if (FAILED(hr))
    {
        AE_DXERROR("aeGrafik::Present", "m_pD3DDevice->Present", hr);
        return 0;
    }
    if (m_acScreenshot[0])
    {
        IDirect3DSurface9* surface = nullptr;
        hr = m_pD3DDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
        if (FAILED(hr))
        {
            AE_DXERROR("aeGrafik::Present", "m_pD3DDevice->GetBackBuffer", hr);
            return 0;
        }
        if (FAILED(D3DXSaveSurfaceToFileA(m_acScreenshot, D3DXIFF_BMP, surface, nullptr, nullptr)))
        {
            AE_ERROR("aeGrafik::Present", "Das Bildschirmfoto \"%s\" konnte nicht gespeichert werden!", m_acScreenshot);
            m_bScreenshotFailed = 1;
        }
        surface->Release();
        m_acScreenshot[0] = 0;
    }
    return 1;
}

int aeGrafik::Screenshot(const char* directory)
{
    if (!directory)
        directory = "";
    if (m_acScreenshot[0])
        return 1;
    // The first free number, gaps first; a path that cannot fit is not taken.
    for (int n = 1; n < 1000000; ++n)
    {
        char path[256];
        const int length = std::snprintf(path, sizeof(path), "%sScreenshot %d.bmp", directory, n);
        if (length < 0 || length >= static_cast<int>(sizeof(path)))
        {
            AE_INVALID_PARAMETER("aeGrafik::Screenshot");
            return 1;
        }
        if (FileExists(path))
            continue;
        std::memcpy(m_acScreenshot, path, static_cast<size_t>(length) + 1);
        return 1;
    }
    return 1;
}

int aeGrafik::DrawTexturedRect(Vector2 corner1, Vector2 corner2, IDirect3DTexture9* texture, int alphaBlend, Color color,
                               Vector2 texCorner1, Vector2 texCorner2)
{
    IDirect3DDevice9* device = m_pD3DDevice;
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    if (alphaBlend)
    {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    else
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, texture);
    SetStageOp(D3DTOP_MODULATE);

    const float x1 = m_vScreenSize.x * corner1.x, y1 = m_vScreenSize.y * corner1.y;
    const float x2 = m_vScreenSize.x * corner2.x, y2 = m_vScreenSize.y * corner2.y;
    const D3DCOLOR tint = static_cast<D3DCOLOR>(static_cast<unsigned long>(color));
    const ScreenVertex quad[4] = {{x1, y2, 0.0f, 1.0f, tint, texCorner1.x, texCorner2.y},
                                  {x1, y1, 0.0f, 1.0f, tint, texCorner1.x, texCorner1.y},
                                  {x2, y2, 0.0f, 1.0f, tint, texCorner2.x, texCorner2.y},
                                  {x2, y1, 0.0f, 1.0f, tint, texCorner2.x, texCorner1.y}};
    const HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    if (FAILED(hr))
    {
        AE_DXERROR("aeGrafik::DrawTexturedRect", "aeGrafik::GetDevice()->DrawPrimitiveUP", hr);
        return 0;
    }
    Reset();
    return 1;
}

bool aeGrafik::OpaqueFacesHide()
{
    IDirect3DDevice9* device = m_pD3DDevice;
    DWORD z = 0, func = 0, fill = 0, alphaTest = 1, stencil = 1, clip = 1;
    return device && SUCCEEDED(device->GetRenderState(D3DRS_ZENABLE, &z)) && z == D3DZB_TRUE &&
           SUCCEEDED(device->GetRenderState(D3DRS_ZFUNC, &func)) && (func == D3DCMP_LESS || func == D3DCMP_LESSEQUAL) &&
           SUCCEEDED(device->GetRenderState(D3DRS_FILLMODE, &fill)) && fill == D3DFILL_SOLID &&
           SUCCEEDED(device->GetRenderState(D3DRS_ALPHATESTENABLE, &alphaTest)) && alphaTest == FALSE &&
           SUCCEEDED(device->GetRenderState(D3DRS_STENCILENABLE, &stencil)) && stencil == FALSE &&
           SUCCEEDED(device->GetRenderState(D3DRS_CLIPPLANEENABLE, &clip)) && clip == 0;
}

static void ApplyMaterial(const aeModelMaterial* material, Color colour, bool blend)
{
    IDirect3DDevice9* device = aeGrafik::m_pD3DDevice;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (blend)
    {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    }
    else
    {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }
    device->SetRenderState(D3DRS_SPECULARENABLE, material->fPower > 0.0f ? TRUE : FALSE);
    D3DMATERIAL9 m = {};
    m.Diffuse = {1.0f, 1.0f, 1.0f, colour.a};
    m.Ambient = {colour.r, colour.g, colour.b, 0.0f};
    m.Specular = material->cSpecular;
    m.Power = material->fPower;
    device->SetMaterial(&m);
    device->SetTexture(0, material->pTexture);
    SetStageOp(material->pTexture ? D3DTOP_MODULATE : D3DTOP_SELECTARG1);
}

int aeGrafik::SetMaterial(aeModelMaterial* material)
{
    ApplyMaterial(material, material->cColor, material->iTransparent != 0);
    return 1;
}

int aeGrafik::SetMaterialEx(aeModelMaterial* material, Color tint)
{
    const Color c = material->cColor;
    const Color tinted(c.r * tint.r, c.g * tint.g, c.b * tint.b, c.a * tint.a);
    ApplyMaterial(material, tinted, material->iTransparent != 0 || tint.a < 1.0f);
    return 1;
}

int aeGrafik::DoMessageBox(const char* text, const char* caption, UINT type)
{
    ShowCursor(TRUE);
    if (!m_bInitialized)
        return MessageBoxA(nullptr, text, caption, type);
    if (IsFullScreen() && m_hWindow)
        ShowWindow(m_hWindow, SW_MINIMIZE);
    return MessageBoxA(m_hWindow, text, caption, type);
}

void aeGrafik::SetScreenSize(Vector2 size)
{
    m_vScreenSize = size;
    aeMathSetScreenSize(size);
}

void aeGrafik::SetStreamSource(aeVertexBuffer* vb)
{
    m_pD3DDevice->SetStreamSource(0, vb->GetVB(), 0, vb->GetVertexSize());
}

void aeGrafik::SetIndices(aeIndexBuffer* ib)
{
    m_pD3DDevice->SetIndices(ib->GetIB());
}

LRESULT aeGrafik::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_ACTIVATE:
        aeMain::m_bActive = (wParam & 0xFFFF) != WA_INACTIVE ? 1 : 0;
        if ((wParam & 0xFFFF) == WA_INACTIVE)
            ShowWindow(window, SW_SHOWMINIMIZED);
        return 1;
    case WM_CLOSE:
        aeMain::m_bQuit = 1;
        return 1;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
