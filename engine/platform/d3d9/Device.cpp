// The device: its OpenGL context on the window, the back buffer (an off-screen
// framebuffer of the back-buffer size, shown by Present scaled to fit the
// window with its aspect kept, black bars filling the rest),
// frames, device loss and reset, and resource creation.

#include <algorithm>

#include "D3D9Internal.h"
#include "aeError.h"

namespace d3d9
{
Device::Device(Direct3D* d3d, bool multithreaded) : m_pD3D(d3d), m_bMultithreaded(multithreaded)
{
    m_pD3D->AddRef();
    memset(&m_State, 0, sizeof(m_State));
}

Device::~Device()
{
    if (m_Context)
    {
        MakeCurrent();
        ReleaseStateRefs(m_State);
        m_Programs.Clear();
        glDeleteSamplers(kStages, m_auSamplers);
        glDeleteBuffers(1, &m_uStreamBuffer);
        glDeleteVertexArrays(1, &m_uVao);
        DestroyTargets();
        SDL_GL_MakeCurrent(m_hWindow->pSdl, nullptr);
        SDL_GL_DeleteContext(m_Context);
    }
    m_pD3D->Release();
}

void Device::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() != m_Context)
        SDL_GL_MakeCurrent(m_hWindow->pSdl, m_Context);
    if (m_bMultithreaded)
        m_Owner = std::this_thread::get_id();
}

void Device::Enter(bool handBack)
{
    m_Lock.lock();
    if (m_iLockDepth == 0 && m_Owner != std::thread::id() && m_Owner != std::this_thread::get_id())
    {
        // The context is current on another thread, which gives it up at the
        // end of its next call.
        m_iWaiters++;
        m_Handover.wait(m_Lock, [this] { return m_Owner == std::thread::id(); });
        m_iWaiters--;
    }
    m_iLockDepth++;
    m_bHandBack = m_bHandBack || handBack;
}

void Device::Leave()
{
    if (--m_iLockDepth == 0)
    {
        if (m_Owner == std::this_thread::get_id() && (m_bHandBack || m_iWaiters > 0))
        {
            // (Another device may have made its own context current here since.)
            if (SDL_GL_GetCurrentContext() == m_Context)
                SDL_GL_MakeCurrent(m_hWindow->pSdl, nullptr);
            m_Owner = std::thread::id();
            m_Handover.notify_all();
        }
        m_bHandBack = false;
    }
    m_Lock.unlock();
}

HRESULT Device::CheckParams(HWND window, D3DPRESENT_PARAMETERS& params)
{
    if (g_bCreationBlocked || (!params.Windowed && window->bMinimized))
        return D3DERR_DEVICELOST;
    if (params.Windowed)
    {
        int w = 0, h = 0;
        SDL_GetWindowSize(window->pSdl, &w, &h);
        if (params.BackBufferWidth == 0)
            params.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
        if (params.BackBufferHeight == 0)
            params.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
        if (params.BackBufferFormat == D3DFMT_UNKNOWN)
            params.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    if (params.BackBufferCount == 0)
        params.BackBufferCount = 1;
    if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0 || params.BackBufferWidth > 16384
        || params.BackBufferHeight > 16384 || params.BackBufferCount > 3)
        return D3DERR_INVALIDCALL;
    if (!IsRenderTargetFormat(params.BackBufferFormat))
        return D3DERR_INVALIDCALL;
    if (params.SwapEffect < D3DSWAPEFFECT_DISCARD || params.SwapEffect > D3DSWAPEFFECT_COPY)
        return D3DERR_INVALIDCALL;
    if (params.MultiSampleType != D3DMULTISAMPLE_NONE
        && FAILED(m_pD3D->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, params.BackBufferFormat, params.Windowed,
                                                     params.MultiSampleType, nullptr)))
        return D3DERR_INVALIDCALL;
    if (params.EnableAutoDepthStencil && !DepthFormatSupported(params.AutoDepthStencilFormat, nullptr))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

void Device::SetupWindow()
{
    SDL_Window* sdl = m_hWindow->pSdl;
    // A windowed device keeps the window as its owner made it; Present scales
    // the back buffer to it.
    if (m_Params.Windowed)
        SDL_SetWindowFullscreen(sdl, 0);
    else
        SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
    const UINT interval = m_Params.PresentationInterval;
    SDL_GL_SetSwapInterval(interval == static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE) ? 0 : 1);
}

HRESULT Device::Create(HWND window, D3DPRESENT_PARAMETERS& params)
{
    const HRESULT hr = CheckParams(window, params);
    if (FAILED(hr))
        return hr;
    m_hWindow = window;
    m_Params = params;
    m_Params.hDeviceWindow = window;
    m_bHeadless = IsHeadless();

    SetContextAttributes();
    m_Context = SDL_GL_CreateContext(window->pSdl);
    if (!m_Context)
    {
        AE_ERROR("IDirect3D9::CreateDevice", "Der OpenGL-Kontext konnte nicht erstellt werden: %s", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    DeviceLock lock(this, true);
    MakeCurrent();
    SetupWindow();
    if (!CreateTargets())
        return D3DERR_OUTOFVIDEOMEMORY;

    glActiveTexture(GL_TEXTURE0);
    glGenVertexArrays(1, &m_uVao);
    glBindVertexArray(m_uVao);
    glGenBuffers(1, &m_uStreamBuffer);
    m_uStreamCapacity = 256 * 1024;
    glBindBuffer(GL_ARRAY_BUFFER, m_uStreamBuffer);
    glBufferData(GL_ARRAY_BUFFER, m_uStreamCapacity, nullptr, GL_STREAM_DRAW);
    glGenSamplers(kStages, m_auSamplers);
    for (int i = 0; i < kStages; i++)
        glBindSampler(static_cast<GLuint>(i), m_auSamplers[i]);
    // Values of the vertex parts a format leaves out.
    glVertexAttrib4f(1, 0.f, 0.f, 0.f, 0.f);
    glVertexAttrib4f(2, 1.f, 1.f, 1.f, 1.f);
    glVertexAttrib4f(3, 0.f, 0.f, 0.f, 0.f);
    glVertexAttrib4f(4, 0.f, 0.f, 0.f, 1.f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    SetDefaultState();
    return D3D_OK;
}

bool Device::CreateTargets()
{
    const GLsizei w = static_cast<GLsizei>(m_Params.BackBufferWidth);
    const GLsizei h = static_cast<GLsizei>(m_Params.BackBufferHeight);
    GLenum colorFormat = GL_RGBA8;
    if (m_Params.BackBufferFormat == D3DFMT_R5G6B5)
        colorFormat = GL_RGB565;
    else if (m_Params.BackBufferFormat == D3DFMT_X1R5G5B5 || m_Params.BackBufferFormat == D3DFMT_A1R5G5B5)
        colorFormat = GL_RGB5_A1;
    m_iSamples = 0;
    if (m_Params.MultiSampleType >= D3DMULTISAMPLE_2_SAMPLES)
        m_iSamples = static_cast<int>(m_Params.MultiSampleType);
    else if (m_Params.MultiSampleType == D3DMULTISAMPLE_NONMASKABLE)
        for (int n = 2; n <= 16; n++)
            if (Probe()->abSampleCount[n])
                m_iSamples = n;

    auto storage = [&](GLenum format) {
        if (m_iSamples > 0)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, m_iSamples, format, w, h);
        else
            glRenderbufferStorage(GL_RENDERBUFFER, format, w, h);
    };
    glGenFramebuffers(1, &m_uFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_uFbo);
    glGenRenderbuffers(1, &m_uColor);
    glBindRenderbuffer(GL_RENDERBUFFER, m_uColor);
    storage(colorFormat);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_uColor);
    m_bHasDepth = m_bHasStencil = false;
    GLenum depthFormat = 0;
    if (m_Params.EnableAutoDepthStencil && DepthFormatSupported(m_Params.AutoDepthStencilFormat, &depthFormat))
    {
        glGenRenderbuffers(1, &m_uDepth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_uDepth);
        storage(depthFormat);
        m_bHasDepth = true;
        m_bHasStencil = depthFormat == GL_DEPTH24_STENCIL8;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, m_bHasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, m_uDepth);
    }
    bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (ok && m_iSamples > 0)
    {
        glGenFramebuffers(1, &m_uResolveFbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_uResolveFbo);
        glGenRenderbuffers(1, &m_uResolveColor);
        glBindRenderbuffer(GL_RENDERBUFFER, m_uResolveColor);
        glRenderbufferStorage(GL_RENDERBUFFER, colorFormat, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_uResolveColor);
        ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_uFbo);
    if (!ok)
        AE_ERROR("IDirect3D9::CreateDevice", "Der Hintergrundpuffer (%d x %d) konnte nicht angelegt werden!", w, h);
    // A fresh back buffer starts black with the far depth.
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | (m_bHasDepth ? GL_DEPTH_BUFFER_BIT : 0));
    m_Gl.Forget();
    return ok;
}

void Device::DestroyTargets()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const GLuint fbos[2] = {m_uFbo, m_uResolveFbo};
    const GLuint rbs[3] = {m_uColor, m_uDepth, m_uResolveColor};
    glDeleteFramebuffers(2, fbos);
    glDeleteRenderbuffers(3, rbs);
    m_uFbo = m_uColor = m_uDepth = m_uResolveFbo = m_uResolveColor = 0;
}

bool Device::CheckWindowLoss()
{
    if (!m_Params.Windowed && m_hWindow->bMinimized)
        m_bLost = true;
    return m_bLost;
}

HRESULT Device::TestCooperativeLevel()
{
    DeviceLock lock(this, true);
    if (!CheckWindowLoss())
        return D3D_OK;
    if (g_bCreationBlocked || (!m_Params.Windowed && m_hWindow->bMinimized))
        return D3DERR_DEVICELOST;
    return D3DERR_DEVICENOTRESET;
}

HRESULT Device::GetDirect3D(IDirect3D9** d3d)
{
    DeviceLock lock(this);
    if (!d3d)
        return D3DERR_INVALIDCALL;
    m_pD3D->AddRef();
    *d3d = m_pD3D;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps)
{
    DeviceLock lock(this);
    return m_pD3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, caps);
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    DeviceLock lock(this);
    if (swapChain != 0 || !mode)
        return D3DERR_INVALIDCALL;
    if (m_Params.Windowed)
        return m_pD3D->GetAdapterDisplayMode(0, mode);
    mode->Width = m_Params.BackBufferWidth;
    mode->Height = m_Params.BackBufferHeight;
    mode->RefreshRate = m_Params.FullScreen_RefreshRateInHz ? m_Params.FullScreen_RefreshRateInHz : 60;
    mode->Format = m_Params.BackBufferFormat;
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params)
{
    DeviceLock lock(this, true);
    if (!params)
        return D3DERR_INVALIDCALL;
    // As on Direct3D, every resource of the default pool must be gone.
    if (m_iDefaultPoolObjects > 0)
        return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS checked = *params;
    HWND window = checked.hDeviceWindow && aeIsWindow(checked.hDeviceWindow) ? checked.hDeviceWindow : m_hWindow;
    const HRESULT hr = CheckParams(window, checked);
    if (FAILED(hr))
        return hr;
    MakeCurrent();
    DestroyTargets();
    if (window != m_hWindow)
    {
        SDL_GL_MakeCurrent(window->pSdl, m_Context);
        m_hWindow = window;
    }
    m_Params = checked;
    m_Params.hDeviceWindow = window;
    *params = m_Params;
    SetupWindow();
    if (!CreateTargets())
        return D3DERR_OUTOFVIDEOMEMORY;
    ReleaseStateRefs(m_State);
    memset(&m_State, 0, sizeof(m_State));
    SetDefaultState();
    m_bLost = false;
    m_bInScene = false;
    return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*)
{
    DeviceLock lock(this, true);
    if (CheckWindowLoss())
        return D3DERR_DEVICELOST;
    MakeCurrent();
    if (m_bHeadless)
    {
        // Nobody sees the window of a headless video driver: copying the frame
        // into it would cost a full-screen pass on a software renderer. The
        // back buffer keeps the frame for reading. Present still waits until
        // the frame is drawn, as the swap to a visible window does on such a
        // renderer (it copies the finished picture): a thread that ran ahead
        // into the next frame would take cores from the renderer's threads and
        // make the frame times uneven.
        glFinish();
        SDL_GL_SwapWindow(m_hWindow->pSdl);
        return D3D_OK;
    }
    ShowBackBuffer();
    SDL_GL_SwapWindow(m_hWindow->pSdl);
    glBindFramebuffer(GL_FRAMEBUFFER, m_uFbo);
    return D3D_OK;
}

void Device::ShowBackBuffer()
{
    const GLint w = static_cast<GLint>(m_Params.BackBufferWidth);
    const GLint h = static_cast<GLint>(m_Params.BackBufferHeight);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    m_Gl.raster.ForgetColorMask();
    m_bRasterDirty = true;
    const GLuint source = ResolvedBackBuffer();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(m_hWindow->pSdl, &dw, &dh);
    // The picture keeps its shape: scaled to fit, centred, black bars beside
    // or above and below it.
    const aeD3D9PresentRect r = aeD3D9FitRect(m_Params.BackBufferWidth, m_Params.BackBufferHeight, dw, dh);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (r.width < dw || r.height < dh)
    {
        // (Clear sets its own colour each time.)
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    // OpenGL counts rows from the bottom.
    const GLint y0 = dh - r.y - r.height;
    glBlitFramebuffer(0, 0, w, h, r.x, y0, r.x + r.width, y0 + r.height, GL_COLOR_BUFFER_BIT,
                      (r.width == w && r.height == h) ? GL_NEAREST : GL_LINEAR);
}

GLuint Device::ResolvedBackBuffer()
{
    if (m_iSamples == 0)
        return m_uFbo;
    const GLint w = static_cast<GLint>(m_Params.BackBufferWidth);
    const GLint h = static_cast<GLint>(m_Params.BackBufferHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_uFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_uResolveFbo);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return m_uResolveFbo;
}

void Device::ReadTopDown(GLuint framebuffer, int width, int height, std::vector<uint8_t>& pixels)
{
    const size_t pitch = static_cast<size_t>(width) * 4;
    pixels.resize(pitch * static_cast<size_t>(height));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows run bottom-up.
    std::vector<uint8_t> row(pitch);
    for (int y = 0; y < height / 2; y++)
    {
        uint8_t* a = pixels.data() + static_cast<size_t>(y) * pitch;
        uint8_t* b = pixels.data() + static_cast<size_t>(height - 1 - y) * pitch;
        memcpy(row.data(), a, pitch);
        memcpy(a, b, pitch);
        memcpy(b, row.data(), pitch);
    }
}

void Device::ReadWindow(std::vector<uint8_t>& pixels, int* width, int* height)
{
    DeviceLock lock(this, true);
    MakeCurrent();
    ShowBackBuffer();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(m_hWindow->pSdl, &dw, &dh);
    ReadTopDown(0, dw, dh, pixels);
    glBindFramebuffer(GL_FRAMEBUFFER, m_uFbo);
    *width = dw;
    *height = dh;
}

void Device::WindowToBackBuffer(int x, int y, int* bx, int* by)
{
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(m_hWindow->pSdl, &ww, &wh);
    SDL_GL_GetDrawableSize(m_hWindow->pSdl, &dw, &dh);
    aeD3D9MapWindowPoint(m_Params.BackBufferWidth, m_Params.BackBufferHeight, ww, wh, dw, dh, x, y, bx, by);
}

void Device::ReadBackBuffer(std::vector<uint8_t>& pixels)
{
    DeviceLock lock(this, true);
    MakeCurrent();
    const GLint w = static_cast<GLint>(m_Params.BackBufferWidth);
    const GLint h = static_cast<GLint>(m_Params.BackBufferHeight);
    ReadTopDown(ResolvedBackBuffer(), w, h, pixels);
    glBindFramebuffer(GL_FRAMEBUFFER, m_uFbo);
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 0xff;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface)
{
    DeviceLock lock(this);
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0 || backBuffer >= m_Params.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    *surface = new Surface(this, nullptr, 0);
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    DeviceLock lock(this);
    if (m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    DeviceLock lock(this, true);
    if (!m_bInScene)
        return D3DERR_INVALIDCALL;
    m_bInScene = false;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    DeviceLock lock(this);
    if ((flags & ~7u) || (count > 0 && !rects))
        return D3DERR_INVALIDCALL;
    if (((flags & D3DCLEAR_ZBUFFER) && !m_bHasDepth) || ((flags & D3DCLEAR_STENCIL) && !m_bHasStencil))
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.f && z <= 1.f))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET)
    {
        mask |= GL_COLOR_BUFFER_BIT;
        const D3DCOLORVALUE c = UnpackColor(color);
        glClearColor(c.r, c.g, c.b, c.a);
        // Clearing is not limited by the colour write mask.
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        m_Gl.raster.ForgetColorMask();
    }
    if (flags & D3DCLEAR_ZBUFFER)
    {
        mask |= GL_DEPTH_BUFFER_BIT;
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        m_Gl.depth.ForgetMask();
    }
    if (flags & D3DCLEAR_STENCIL)
    {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(static_cast<GLint>(stencil & 0xff));
        glStencilMask(0xff);
    }
    else if ((flags & D3DCLEAR_ZBUFFER) && m_bHasStencil)
    {
        // No draw tests the stencil, so its values cannot be seen. Clearing
        // it with the depth writes whole depth-stencil words, where clearing
        // the depth alone has to keep the stencil bits of every pixel (on a
        // software renderer a read and a write per pixel).
        mask |= GL_STENCIL_BUFFER_BIT;
        glStencilMask(0xff);
    }
    m_bRasterDirty = true;
    if (mask == 0)
        return D3D_OK;
    const D3DVIEWPORT9& vp = m_State.Viewport;
    const LONG height = static_cast<LONG>(m_Params.BackBufferHeight);
    const bool fullViewport = vp.X == 0 && vp.Y == 0 && vp.Width == m_Params.BackBufferWidth
                              && vp.Height == m_Params.BackBufferHeight;
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max<LONG>(x1, static_cast<LONG>(vp.X));
        y1 = std::max<LONG>(y1, static_cast<LONG>(vp.Y));
        x2 = std::min<LONG>(x2, static_cast<LONG>(vp.X + vp.Width));
        y2 = std::min<LONG>(y2, static_cast<LONG>(vp.Y + vp.Height));
        if (x2 <= x1 || y2 <= y1)
            return;
        glEnable(GL_SCISSOR_TEST);
        glScissor(x1, height - y2, x2 - x1, y2 - y1);
        glClear(mask);
    };
    if (count == 0 && fullViewport)
        glClear(mask);
    else if (count == 0)
        clearRect(0, 0, static_cast<LONG>(m_Params.BackBufferWidth), height);
    else
        for (DWORD i = 0; i < count; i++)
            clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Resource creation
// ---------------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE*)
{
    DeviceLock lock(this, true);
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const UINT maxSize = static_cast<UINT>(std::min(Probe()->iMaxTextureSize, 16384));
    if (width == 0 || height == 0 || width > maxSize || height > maxSize)
        return D3DERR_INVALIDCALL;
    if (!IsTextureFormat(format))
        return D3DERR_INVALIDCALL;
    if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    UINT full = 1;
    while ((width >> full) || (height >> full))
        full++;
    if (levels == 0 || (usage & D3DUSAGE_AUTOGENMIPMAP))
        levels = full;
    if (levels > full)
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    Texture* created = new Texture(this, width, height, levels, usage, format, pool);
    if (!created->m_uTexture)
    {
        created->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = created;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE*)
{
    DeviceLock lock(this, true);
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > (256u << 20) || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    if (fvf != 0)
    {
        VertexLayout layout;
        if (!DescribeFVF(fvf, &layout) || length < static_cast<UINT>(layout.iSize))
            return D3DERR_INVALIDCALL;
    }
    MakeCurrent();
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE*)
{
    DeviceLock lock(this, true);
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > (256u << 20) || pool > D3DPOOL_SCRATCH
        || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    *buffer = new IndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}
}   // namespace d3d9
