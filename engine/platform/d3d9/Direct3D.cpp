// The Direct3D object: adapter modes from SDL, format and multisample checks
// against what OpenGL offers, capabilities, device creation.

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "D3D9Internal.h"
#include "aeError.h"

namespace d3d9
{
std::atomic<int> g_bCreationBlocked{0};

namespace
{
GlProbe s_Probe{};
bool s_bProbed = false;

bool TryTarget(GLenum depthFormat, int samples)
{
    GLuint fbo = 0, rb[2] = {0, 0};
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(2, rb);
    glBindRenderbuffer(GL_RENDERBUFFER, rb[0]);
    if (samples > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, 16, 16);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 16, 16);
    GLint got = 0;
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb[0]);
    if (depthFormat)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, rb[1]);
        if (samples > 0)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, depthFormat, 16, 16);
        else
            glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, 16, 16);
        const GLenum attachment = depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, rb[1]);
    }
    const bool ok = glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE
                    && (samples == 0 || got == samples);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, rb);
    glDeleteFramebuffers(1, &fbo);
    return ok;
}

// Opens a hidden window with an OpenGL 3.3 core context once and asks it what
// it offers.
void RunProbe()
{
    s_bProbed = true;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SetContextAttributes();
    SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window)
    {
        AE_ERROR("Direct3DCreate9", "SDL konnte kein OpenGL-Fenster erstellen: %s", SDL_GetError());
        return;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
    {
        AE_ERROR("Direct3DCreate9", "Es ist kein OpenGL-3.3-Kontext verfügbar: %s", SDL_GetError());
        SDL_DestroyWindow(window);
        return;
    }
    SDL_GL_MakeCurrent(window, context);
    if (epoxy_gl_version() >= 33)
    {
        s_Probe.bValid = true;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &s_Probe.iMaxTextureSize);
        glGetIntegerv(GL_MAX_SAMPLES, &s_Probe.iMaxSamples);
        if (epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic")
            || epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic"))
        {
            GLfloat maxAniso = 0;
            glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAniso);
            s_Probe.fMaxAnisotropy = glGetError() == GL_NO_ERROR ? maxAniso : 0.f;
        }
        // A software rasteriser pays about half its frame rate for anisotropic
        // filtering and for four-fold multisampling alike; neither is offered
        // there (callers choose linear filtering and no anti-aliasing), so the
        // game stays smooth on a machine without a graphics driver.
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        const bool software =
            renderer && (strstr(renderer, "llvmpipe") || strstr(renderer, "softpipe") || strstr(renderer, "swrast"));
        if (software)
        {
            s_Probe.fMaxAnisotropy = 0.f;
            s_Probe.iMaxSamples = 0;
        }
        s_Probe.bDepth16 = TryTarget(GL_DEPTH_COMPONENT16, 0);
        s_Probe.bDepth24 = TryTarget(GL_DEPTH_COMPONENT24, 0);
        s_Probe.bDepth24S8 = TryTarget(GL_DEPTH24_STENCIL8, 0);
        s_Probe.bDepth32 = TryTarget(GL_DEPTH_COMPONENT32, 0);
        s_Probe.bDepth32F = TryTarget(GL_DEPTH_COMPONENT32F, 0);
        for (int n = 2; n <= 16 && n <= s_Probe.iMaxSamples; n++)
            s_Probe.abSampleCount[n] = TryTarget(GL_DEPTH24_STENCIL8, n);
    }
    else
        AE_ERROR("Direct3DCreate9", "OpenGL 3.3 wird benötigt, verfügbar ist %d.%d!", epoxy_gl_version() / 10,
                 epoxy_gl_version() % 10);
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
}

D3DFORMAT FromSdlFormat(Uint32 format)
{
    switch (format)
    {
    case SDL_PIXELFORMAT_RGB565:
        return D3DFMT_R5G6B5;
    case SDL_PIXELFORMAT_RGB555:
        return D3DFMT_X1R5G5B5;
    case SDL_PIXELFORMAT_ARGB2101010:
        return D3DFMT_A2R10G10B10;
    default:
        return D3DFMT_X8R8G8B8;
    }
}

void ToMode(const SDL_DisplayMode& sdl, D3DDISPLAYMODE* mode)
{
    mode->Width = static_cast<UINT>(sdl.w);
    mode->Height = static_cast<UINT>(sdl.h);
    mode->RefreshRate = sdl.refresh_rate > 0 ? static_cast<UINT>(sdl.refresh_rate) : 60;
    mode->Format = FromSdlFormat(sdl.format);
}
}   // namespace

const GlProbe* Probe()
{
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (!s_bProbed)
        RunProbe();
    return &s_Probe;
}

int BytesPerPixel(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8L8:
        return 2;
    case D3DFMT_A8:
    case D3DFMT_L8:
        return 1;
    default:
        return 0;
    }
}

bool IsTextureFormat(D3DFORMAT format)
{
    return BytesPerPixel(format) > 0;
}

bool IsRenderTargetFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5
           || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

bool IsDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

bool DepthFormatSupported(D3DFORMAT format, GLenum* glFormat)
{
    const GlProbe* probe = Probe();
    GLenum gl = 0;
    bool ok = false;
    switch (format)
    {
    case D3DFMT_D16:
        gl = GL_DEPTH_COMPONENT16;
        ok = probe->bDepth16;
        break;
    case D3DFMT_D24X8:
        gl = GL_DEPTH_COMPONENT24;
        ok = probe->bDepth24;
        break;
    case D3DFMT_D24S8:
        gl = GL_DEPTH24_STENCIL8;
        ok = probe->bDepth24S8;
        break;
    case D3DFMT_D32:
        gl = GL_DEPTH_COMPONENT32;
        ok = probe->bDepth32;
        break;
    case D3DFMT_D32F_LOCKABLE:
        gl = GL_DEPTH_COMPONENT32F;
        ok = probe->bDepth32F;
        break;
    default:
        break;
    }
    if (glFormat)
        *glFormat = gl;
    return ok && probe->bValid;
}

int PackPixel(D3DFORMAT format, uint32_t argb, uint8_t* out)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
    uint16_t v = 0;
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        memcpy(out, &argb, 4);
        return 4;
    case D3DFMT_R5G6B5:
        v = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        break;
    case D3DFMT_X1R5G5B5:
        v = static_cast<uint16_t>(0x8000 | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        break;
    case D3DFMT_A1R5G5B5:
        v = static_cast<uint16_t>(((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        break;
    case D3DFMT_A4R4G4B4:
        v = static_cast<uint16_t>(((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
        break;
    case D3DFMT_A8L8:
        v = static_cast<uint16_t>((a << 8) | ((r * 77 + g * 150 + b * 29) >> 8));
        break;
    case D3DFMT_A8:
        out[0] = static_cast<uint8_t>(a);
        return 1;
    case D3DFMT_L8:
        out[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
        return 1;
    default:
        return 0;
    }
    memcpy(out, &v, 2);
    return 2;
}

uint32_t UnpackPixel(D3DFORMAT format, const uint8_t* in)
{
    uint32_t v32 = 0;
    uint16_t v = 0;
    auto expand5 = [](uint32_t x) { return (x << 3) | (x >> 2); };
    auto expand6 = [](uint32_t x) { return (x << 2) | (x >> 4); };
    auto expand4 = [](uint32_t x) { return x * 17; };
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        memcpy(&v32, in, 4);
        return v32;
    case D3DFMT_X8R8G8B8:
        memcpy(&v32, in, 4);
        return v32 | 0xff000000u;
    case D3DFMT_A8:
        return static_cast<uint32_t>(in[0]) << 24;
    case D3DFMT_L8:
        return 0xff000000u | in[0] * 0x010101u;
    default:
        break;
    }
    memcpy(&v, in, 2);
    switch (format)
    {
    case D3DFMT_R5G6B5:
        return 0xff000000u | expand5(v >> 11) << 16 | expand6((v >> 5) & 63) << 8 | expand5(v & 31);
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return ((format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 0xff000000u : 0u) | expand5((v >> 10) & 31) << 16
               | expand5((v >> 5) & 31) << 8 | expand5(v & 31);
    case D3DFMT_A4R4G4B4:
        return expand4(v >> 12) << 24 | expand4((v >> 8) & 15) << 16 | expand4((v >> 4) & 15) << 8 | expand4(v & 15);
    case D3DFMT_A8L8:
        return static_cast<uint32_t>(v >> 8) << 24 | (v & 0xff) * 0x010101u;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------

Direct3D::Direct3D() = default;

Direct3D::~Direct3D()
{
    ReleaseVideo();
}

namespace
{
// The display's modes of a format. A display that lists no real mode (the
// headless video driver lists one of 0 x 0) offers its desktop mode.
std::vector<SDL_DisplayMode> ModesOfFormat(D3DFORMAT format)
{
    std::vector<SDL_DisplayMode> modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; i++)
    {
        SDL_DisplayMode sdl;
        if (SDL_GetDisplayMode(0, i, &sdl) == 0 && sdl.w > 0 && sdl.h > 0 && FromSdlFormat(sdl.format) == format)
            modes.push_back(sdl);
    }
    SDL_DisplayMode desktop;
    if (modes.empty() && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0
        && FromSdlFormat(desktop.format) == format)
        modes.push_back(desktop);
    return modes;
}
}   // namespace

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    return adapter == 0 ? static_cast<UINT>(ModesOfFormat(format).size()) : 0;
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode)
{
    if (adapter != 0 || !mode)
        return D3DERR_INVALIDCALL;
    const std::vector<SDL_DisplayMode> modes = ModesOfFormat(format);
    if (index >= modes.size())
        return D3DERR_INVALIDCALL;
    ToMode(modes[index], mode);
    return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != 0 || !mode)
        return D3DERR_INVALIDCALL;
    SDL_DisplayMode sdl;
    if (SDL_GetDesktopDisplayMode(0, &sdl) != 0)
        return D3DERR_NOTAVAILABLE;
    ToMode(sdl, mode);
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                  BOOL windowed)
{
    if (adapter != 0 || type != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    if (!IsDisplayFormat(adapterFormat) && !(windowed && adapterFormat == D3DFMT_UNKNOWN))
        return D3DERR_NOTAVAILABLE;
    return IsRenderTargetFormat(backBufferFormat) || (windowed && backBufferFormat == D3DFMT_UNKNOWN)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE rtype, D3DFORMAT format)
{
    if (adapter != 0 || type != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    if (!IsDisplayFormat(adapterFormat))
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return rtype == D3DRTYPE_SURFACE && DepthFormatSupported(format, nullptr) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_RENDERTARGET)
        return rtype == D3DRTYPE_SURFACE && IsRenderTargetFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (rtype == D3DRTYPE_TEXTURE || rtype == D3DRTYPE_SURFACE)
        return IsTextureFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL,
                                             D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels)
{
    if (adapter != 0 || type != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    if (!IsRenderTargetFormat(surfaceFormat) && !DepthFormatSupported(surfaceFormat, nullptr))
        return D3DERR_NOTAVAILABLE;
    const GlProbe* probe = Probe();
    DWORD levels = 0;
    if (multiSample == D3DMULTISAMPLE_NONE)
        levels = 1;
    else if (multiSample == D3DMULTISAMPLE_NONMASKABLE)
    {
        for (int n = 2; n <= 16; n++)
            levels += probe->abSampleCount[n] ? 1 : 0;
    }
    else if (multiSample >= 2 && multiSample <= 16 && probe->abSampleCount[multiSample])
        levels = 1;
    if (qualityLevels)
        *qualityLevels = levels;
    return levels > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat)
{
    if (adapter != 0 || type != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    if (!IsDisplayFormat(adapterFormat) || !IsRenderTargetFormat(renderTargetFormat))
        return D3DERR_NOTAVAILABLE;
    return DepthFormatSupported(depthFormat, nullptr) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (adapter != 0 || type != D3DDEVTYPE_HAL || !caps)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    memset(caps, 0, sizeof(*caps));
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps->ZCmpCaps = caps->AlphaCmpCaps = 0xff;
    caps->SrcBlendCaps = caps->DestBlendCaps = 0x3fff;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT
                              | D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (probe->fMaxAnisotropy >= 2.f)
        caps->TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP
                               | D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV;
    const DWORD maxSize = static_cast<DWORD>(std::min(probe->iMaxTextureSize, 16384));
    caps->MaxTextureWidth = caps->MaxTextureHeight = maxSize;
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = maxSize;
    caps->MaxAnisotropy = probe->fMaxAnisotropy >= 2.f ? static_cast<DWORD>(std::min(probe->fMaxAnisotropy, 16.f)) : 1;
    caps->MaxVertexW = 1e10f;
    caps->GuardBandLeft = caps->GuardBandTop = -32768.f;
    caps->GuardBandRight = caps->GuardBandBottom = 32767.f;
    caps->FVFCaps = 8;
    caps->TextureOpCaps = 0x7f;   // DISABLE … ADD, the operations the one emulated stage knows
    // Only texture stage 0 is drawn; the states of the others are kept.
    caps->MaxTextureBlendStages = 1;
    caps->MaxSimultaneousTextures = 1;
    caps->MaxActiveLights = kMaxActiveLights;
    caps->MaxPointSize = 1.f;
    caps->MaxPrimitiveCount = 0xfffff;
    caps->MaxVertexIndex = 0xffffff;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
    caps->NumberOfAdaptersInGroup = 1;
    caps->NumSimultaneousRTs = 1;
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != 0 || type != D3DDEVTYPE_HAL || !params)
        return D3DERR_INVALIDCALL;
    HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
    if (!aeIsWindow(window))
        return D3DERR_INVALIDCALL;
    Device* created = new Device(this, (behaviour & D3DCREATE_MULTITHREADED) != 0);
    const HRESULT hr = created->Create(window, *params);   // fills in what was left to the device
    if (FAILED(hr))
    {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}
}   // namespace d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    if (!d3d9::AcquireVideo())
        return nullptr;
    if (!d3d9::Probe()->bValid)
    {
        d3d9::ReleaseVideo();
        return nullptr;
    }
    return new d3d9::Direct3D();
}

void aeD3D9ForceDeviceLost(IDirect3DDevice9* device)
{
    if (device)
        static_cast<d3d9::Device*>(device)->ForceLost();
}

void aeD3D9BlockDeviceCreation(int blocked)
{
    d3d9::g_bCreationBlocked = blocked ? 1 : 0;
}

aeD3D9PresentRect aeD3D9FitRect(UINT backWidth, UINT backHeight, int drawableWidth, int drawableHeight)
{
    if (backWidth == 0 || backHeight == 0 || drawableWidth <= 0 || drawableHeight <= 0)
        return {0, 0, drawableWidth > 0 ? drawableWidth : 0, drawableHeight > 0 ? drawableHeight : 0};
    const int64_t bw = backWidth, bh = backHeight, dw = drawableWidth, dh = drawableHeight;
    aeD3D9PresentRect r = {0, 0, drawableWidth, drawableHeight};
    if (bw * dh > bh * dw)
    {
        // Wider than the drawable: bars above and below.
        r.height = static_cast<int>((bh * dw * 2 + bw) / (bw * 2));
        r.y = (drawableHeight - r.height) / 2;
    }
    else if (bw * dh < bh * dw)
    {
        r.width = static_cast<int>((bw * dh * 2 + bh) / (bh * 2));
        r.x = (drawableWidth - r.width) / 2;
    }
    r.width = r.width > 0 ? r.width : 1;
    r.height = r.height > 0 ? r.height : 1;
    return r;
}

void aeD3D9MapWindowPoint(UINT backWidth, UINT backHeight, int windowWidth, int windowHeight, int drawableWidth,
                          int drawableHeight, int x, int y, int* backX, int* backY)
{
    const aeD3D9PresentRect r = aeD3D9FitRect(backWidth, backHeight, drawableWidth, drawableHeight);
    // Window coordinates to drawable pixels (they differ on high-density
    // displays), at the centre of the pixel pointed at.
    const double px = windowWidth > 0 ? (x + 0.5) * drawableWidth / windowWidth : 0.0;
    const double py = windowHeight > 0 ? (y + 0.5) * drawableHeight / windowHeight : 0.0;
    auto map = [](double p, int start, int extent, UINT size) {
        const double b = std::floor((p - start) * size / extent);
        return static_cast<int>(std::clamp(b, 0.0, size > 0 ? static_cast<double>(size - 1) : 0.0));
    };
    if (backX)
        *backX = map(px, r.x, r.width, backWidth);
    if (backY)
        *backY = map(py, r.y, r.height, backHeight);
}

void aeD3D9WindowToBackBuffer(IDirect3DDevice9* device, int x, int y, int* backX, int* backY)
{
    if (device)
        static_cast<d3d9::Device*>(device)->WindowToBackBuffer(x, y, backX, backY);
}

void aeD3D9ReadWindowPicture(IDirect3DDevice9* device, std::vector<uint8_t>* pixels, int* width, int* height)
{
    if (device && pixels && width && height)
        static_cast<d3d9::Device*>(device)->ReadWindow(*pixels, width, height);
}
